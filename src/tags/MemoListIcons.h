#pragma once

#include <QIcon>

// The small images in front of the memo list's rows, addressed by number as
// the Icon column stores them: 1 the padlock of protected memos, 2 the
// exclamation mark, 3 to 12 the flags (red, blue, light blue, yellow, green,
// yellow-green, purple, brown, gray, white), 13 the empty image. Drawn by
// Quillet at 12 x 12 logical pixels, sharp at any device pixel ratio.
namespace MemoListIcons {

inline constexpr int Padlock = 1;
inline constexpr int Exclamation = 2;
inline constexpr int FirstFlag = 3;
inline constexpr int LastFlag = 12;
inline constexpr int Empty = 13;
inline constexpr int Count = 13;
inline constexpr int ImageSize = 12;

// The image `number` (1 to 13); a null icon for any other number.
QIcon icon(int number);

} // namespace MemoListIcons
