#pragma once

#include "tags/BulkMemoRun.h"

#include <QList>

class MemoStore;
class Progress;

// Memo icons in the database. Codes are the memo list's image numbers: 2 to 12
// are stored as they are, 13 (the empty image) removes the icon and is stored
// as -1.
namespace MemoIcon {

inline constexpr int RemoveCode = 13;

// The value column Icon takes for a code.
int storedValue(int code);
// Writes one memo's icon; false when the memo no longer exists.
bool SetMemoIcon(MemoStore& store, qint64 id, int code);
// Sets the icon of the memos from the last to the first with the progress
// window, stopping at a cancel; returns the memos taken.
BulkMemoResult SetIconOnMemos(MemoStore& store, const QList<qint64>& ids, int code, Progress& progress);

} // namespace MemoIcon
