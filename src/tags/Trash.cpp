#include "tags/Trash.h"

#include "store/MemoStore.h"
#include "store/WriteBatch.h"
#include "tags/TagTable.h"

bool Trash::setTrash(qint64 id, bool inTrash)
{
    const std::optional<SavedMemoState> memo = m_store.readMemoCategoryAndTrash(id);
    if (!memo || memo->inTrash == inTrash)
        return false;
    m_store.writeMemoTrash(id, inTrash);
    const int direction = inTrash ? 1 : -1;
    m_table.addToTotal(-direction);
    m_table.addToTrash(direction);
    m_table.noteTrashMove(id, inTrash);
    if (inTrash)
        m_table.updateTagCounts(memo->previousCategory, QString());
    else
        m_table.updateTagCounts(QString(), memo->previousCategory);
    return true;
}

bool Trash::MoveMemoToTrash(qint64 id)
{
    return setTrash(id, true);
}

bool Trash::RestoreMemo(qint64 id)
{
    return setTrash(id, false);
}

BulkMemoResult Trash::MoveMemosToTrash(const QList<qint64>& ids, Progress& progress)
{
    return runOverMemosFromLast(m_store, ids, progress, QStringLiteral("ゴミ箱へ移動"),
                                QStringLiteral("ゴミ箱へ移動中...合計%1件").arg(ids.size()),
                                [this](qint64 id) { MoveMemoToTrash(id); });
}

void Trash::RestoreMemos(const QList<qint64>& ids)
{
    WriteBatch batch(m_store.database());
    for (qint64 id : ids) {
        batch.beforeWrite();
        RestoreMemo(id);
        batch.afterWrite();
    }
    batch.commit();
}

int Trash::EmptyTrash()
{
    const int deleted = m_store.deleteTrashedMemos();
    m_table.setTrashCount(0);
    return deleted;
}
