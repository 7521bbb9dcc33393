#include "tags/TagOperations.h"

#include "store/MemoStore.h"
#include "tags/TagString.h"
#include "tags/TagTable.h"

bool TagOperations::change(qint64 id, const std::function<QString(const QString&)>& rewrite)
{
    const std::optional<SavedMemoState> memo = m_store.readMemoCategoryAndTrash(id);
    if (!memo)
        return false;
    // Nothing longer than a tag string may hold is ever written.
    const QString tags = shortenTagString(rewrite(memo->previousCategory));
    if (tags == memo->previousCategory)
        return true;
    m_store.writeMemoCategory(id, tags);
    if (!memo->inTrash)
        m_table.updateTagCounts(memo->previousCategory, tags);
    return true;
}

bool TagOperations::AddTagsToMemo(qint64 id, const QStringList& names, bool replace)
{
    return change(id, [&](const QString& tags) { return addTagsToString(tags, names, replace); });
}

bool TagOperations::RemoveTagFromMemo(qint64 id, const QString& name)
{
    return change(id, [&](const QString& tags) { return removeTagFromString(tags, name); });
}

bool TagOperations::ReplaceTagOfMemo(qint64 id, const QString& name, const QStringList& names)
{
    return change(id, [&](const QString& tags) {
        return addTagsToString(removeTagFromString(tags, name), names, false);
    });
}

int TagOperations::rewriteEverywhere(const QString& tag,
                                     const std::function<QString(const QString&)>& rewrite)
{
    int changed = 0;
    auto transaction = m_store.transaction();
    for (const auto& [id, tags] : m_store.readAllCategories()) {
        if (tags.isNull() || !holdsTag(tags, tag))
            continue;
        const QString rewritten = shortenTagString(rewrite(tags));
        if (rewritten != tags && m_store.writeMemoCategory(id, rewritten))
            ++changed;
    }
    transaction.commit();
    return changed;
}
