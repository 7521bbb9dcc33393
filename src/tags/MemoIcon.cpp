#include "tags/MemoIcon.h"

#include "store/MemoStore.h"

namespace MemoIcon {

int storedValue(int code)
{
    return code == RemoveCode ? -1 : code;
}

bool SetMemoIcon(MemoStore& store, qint64 id, int code)
{
    return store.writeMemoIcon(id, storedValue(code));
}

BulkMemoResult SetIconOnMemos(MemoStore& store, const QList<qint64>& ids, int code, Progress& progress)
{
    return runOverMemosFromLast(store, ids, progress, QStringLiteral("アイコンをセット"),
                                QStringLiteral("アイコンをセット中...合計%1件").arg(ids.size()),
                                [&store, code](qint64 id) { SetMemoIcon(store, id, code); });
}

} // namespace MemoIcon
