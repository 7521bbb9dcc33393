#pragma once

#include <QList>
#include <QString>
#include <functional>

class MemoStore;
class Progress;

// What a run over many memos did.
struct BulkMemoResult
{
    QList<qint64> done; // the memos stepped over, in the order they were taken
    bool cancelled = false;
};

// Runs `step` for each memo from the last ID to the first, writing in batches,
// with the progress window's bar 1 counting the memos. Stops after the memo in
// hand when the user cancels; what was done before stays written.
BulkMemoResult runOverMemosFromLast(MemoStore& store, const QList<qint64>& ids, Progress& progress,
                                    const QString& title, const QString& explain,
                                    const std::function<void(qint64)>& step);
