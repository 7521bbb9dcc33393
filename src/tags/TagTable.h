#pragma once

#include "store/Memo.h" // CategoryGroup: one row of the per-tag-string count

#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <vector>

// The in-memory tag table behind the category list: every known tag name (in the
// letter case met first) with the number of memos outside the trash that carry
// it, plus the counts of the pseudo-categories. Entry 0 is always "[Import]".
// Rebuilt from the grouped count of the database by load(), adjusted per memo by
// updateTagCounts().
class TagTable
{
public:
    // One row of the category list.
    struct CategoryRow
    {
        int id;
        QString name;
        int count;
    };

    // Row IDs of the pseudo-categories; the row of name entry i has ID i + 4.
    static constexpr int AllRowId = 1;
    static constexpr int TrashRowId = 2;
    static constexpr int FindRowId = 3;
    static constexpr int ImportRowId = 4;
    static QString allName() { return QStringLiteral("[ALL]"); }
    static QString trashName() { return QStringLiteral("[Trash]"); }
    static QString findName() { return QStringLiteral("[Find]"); }
    static QString importName() { return QStringLiteral("[Import]"); }
    static int rowIdOfIndex(int index) { return index + ImportRowId; }

    TagTable();

    // Rebuilds names, counts and the total from the grouped count, taken in the
    // order given: each name of a non-Null group (empty names included) gets the
    // group's count; every group, the Null one too, adds to the total.
    // The find result is kept.
    void load(const std::vector<CategoryGroup>& groups, int trashCount);

    // The same load with the groups given one at a time, each tag string as
    // UTF-8 (a null view for the Null group), so that a database of a million
    // distinct tag strings needs no list of them: add() each group in order,
    // then finish().
    class Loader
    {
    public:
        explicit Loader(TagTable& table);
        void add(QByteArrayView tagString, int count);
        void finish(int trashCount);

    private:
        TagTable& m_table;
        int m_total = 0;
        std::vector<char16_t> m_decoded;
        // Each spelling met so far -> its entry, so that most names are found
        // without being case-folded.
        QHash<QString, int> m_indexBySpelling;
    };

    // The lowest index whose name equals `name` ignoring letter case, or -1.
    // The empty name is a name like any other.
    int findCatIndex(QStringView name) const;

    // One memo's tag string changed from oldTags to newTags: every old name that is
    // known loses one, every new name gains one (unknown names are appended with 1).
    // Total and trash counts are left to the caller.
    void updateTagCounts(const QString& oldTags, const QString& newTags);

    // All names joined by single blanks, "[Import]" first.
    QString catNamesJoined() const;

    const QStringList& names() const { return m_names; }
    const QList<int>& counts() const { return m_counts; }
    void addToCount(int index, int delta);

    int totalCount() const { return m_totalCount; }
    void setTotalCount(int count) { m_totalCount = count; }
    void addToTotal(int delta) { m_totalCount += delta; }

    int trashCount() const { return m_trashCount; }
    void setTrashCount(int count) { m_trashCount = count; }
    void addToTrash(int delta) { m_trashCount += delta; }

    // The RecordIDs found by the last tag search among the memos outside the
    // trash, in table order. The count leaves out those moved to the trash
    // since, as the "[Find]" list does.
    int findCount() const { return static_cast<int>(m_findIds.size()) - m_findTrashed; }
    const QList<qint64>& findIds() const { return m_findIds; }
    void setFindResult(QList<qint64> ids);
    // Memo `id` went into the trash, or came back out of it.
    void noteTrashMove(qint64 id, bool inTrash);

    // The category list's rows: "[ALL]", "[Trash]", "[Find]", "[Import]", then every
    // non-empty name from entry 1 on, each with ID index + 4 (so IDs may skip).
    std::vector<CategoryRow> rows() const;

    // The row ID to select after the rows were rebuilt, from the name of the row
    // selected before: a tag row with exactly that name (case-sensitive), else the
    // pseudo-category of that name, else "[ALL]".
    int rowIdToSelect(const QString& rememberedName) const;

private:
    void clearNames();
    void addName(const QString& name, int count);
    // The entry of the name ignoring letter case, appended with a count of 0
    // when there is none.
    int entryOfName(const QString& name);

    QStringList m_names;
    QList<int> m_counts;
    QHash<QString, int> m_indexByKey; // case-folded name -> lowest index (sharing the name's text when equal)
    int m_totalCount = 0;
    int m_trashCount = 0;
    QList<qint64> m_findIds;
    int m_findTrashed = 0; // found memos in the trash now
};
