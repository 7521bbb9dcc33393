#pragma once

#include <QString>

#include <functional>

// The list at the end of a report of files that could not be written or read:
// a message box grows with every line, so only the first few are named.
namespace ReportList {

inline constexpr qsizetype Listed = 10;

// Each of the first `Listed` entries after a line break, then "ほか N件" on a
// line of its own for the rest. `entryAt` gives the entry at an index.
QString lines(qsizetype count, const std::function<QString(qsizetype)>& entryAt);

} // namespace ReportList
