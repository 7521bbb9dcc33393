#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class MemoStore;
class TagTable;

// Tag changes in the database: of one memo at a time (the commands on
// selected memos) and of every memo that carries a tag (the commands on the
// selected tag). Whatever they write keeps within the tag string's length, and
// the tag table's counts stay equal to a recount: a memo in the trash, whose
// tags are not counted, changes no count.
class TagOperations
{
public:
    TagOperations(MemoStore& store, TagTable& table) : m_store(store), m_table(table) {}

    // Adds `names` to the memo's tags, or with `replace` makes them its only
    // tags. False when the memo no longer exists.
    bool AddTagsToMemo(qint64 id, const QStringList& names, bool replace);
    // Takes the tag `name` from the memo's tags. False when the memo no longer exists.
    bool RemoveTagFromMemo(qint64 id, const QString& name);
    // Takes `name` from the memo's tags, then adds `names`, in one write.
    bool ReplaceTagOfMemo(qint64 id, const QString& name, const QStringList& names);

    // Gives every memo (trashed ones too) whose tag string holds `tag` the tag
    // string `rewrite` makes of it, in one transaction. Returns how many memos
    // changed. The counts are left to a recount afterwards.
    int rewriteEverywhere(const QString& tag, const std::function<QString(const QString&)>& rewrite);

private:
    bool change(qint64 id, const std::function<QString(const QString&)>& rewrite);

    MemoStore& m_store;
    TagTable& m_table;
};
