#include "tags/BulkMemoRun.h"

#include "app/Progress.h"
#include "store/MemoStore.h"
#include "store/WriteBatch.h"

BulkMemoResult runOverMemosFromLast(MemoStore& store, const QList<qint64>& ids, Progress& progress,
                                    const QString& title, const QString& explain,
                                    const std::function<void(qint64)>& step)
{
    progress.SetTitle(title);
    progress.SetProgressBar(true, false);
    progress.SetExplain(explain);
    progress.SetProgressMax(1, int(ids.size()));

    BulkMemoResult result;
    result.done.reserve(ids.size());
    WriteBatch batch(store.database());
    const CommitBeforeEvents committing(progress, batch);
    for (auto it = ids.crbegin(); it != ids.crend(); ++it) {
        batch.beforeWrite();
        step(*it);
        batch.afterWrite();
        result.done.append(*it);
        progress.SetProgress(1, int(result.done.size()));
        if (progress.IsCancel()) {
            result.cancelled = true;
            break;
        }
    }
    batch.commit();
    return result;
}
