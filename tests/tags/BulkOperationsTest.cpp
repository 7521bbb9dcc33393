// Tag and trash operations on memos that are gone or already where they are
// sent: nothing is written and no count moves, so the counts stay equal to a
// recount.
#include "StoreFixture.h"
#include "tags/TagOperations.h"
#include "tags/TagTable.h"
#include "tags/Trash.h"

#include <gtest/gtest.h>

namespace {

using namespace Qt::Literals::StringLiterals;

class BulkOperationsTest : public StoreFixture
{
protected:
    TagTable table;
    qint64 add(const QString& tags) { return store->insertMemo(u"t"_s, u"b"_s, tags, u"2026/01/01 00:00:00"_s); }
    void recount() { table.load(store->readCategoryGroups(), store->countTrashedMemos()); }
    // Total, trash and every name's count.
    QString counts() const
    {
        QStringList parts{QString::number(table.totalCount()), QString::number(table.trashCount())};
        for (int i = 0; i < table.names().size(); ++i)
            if (table.counts()[i] != 0)
                parts.append(table.names()[i] + u'=' + QString::number(table.counts()[i]));
        return parts.join(u' ');
    }
    QString recounted()
    {
        TagTable fresh;
        fresh.load(store->readCategoryGroups(), store->countTrashedMemos());
        std::swap(fresh, table);
        const QString result = counts();
        std::swap(fresh, table);
        return result;
    }
};

TEST_F(BulkOperationsTest, GoneOrTrashedMemosMoveNoCount)
{
    const qint64 live = add(u"x"_s);
    const qint64 trashed = add(u"x y"_s);
    store->writeMemoTrash(trashed, true);
    const qint64 gone = add(u"x"_s);
    MemoFixtures::execute(dbPath, "DELETE FROM Memo WHERE RecordID = 3");
    recount();
    ASSERT_EQ(counts(), u"1 1 x=1"_s);

    TagOperations tags(*store, table);
    EXPECT_FALSE(tags.AddTagsToMemo(gone, {u"z"_s}, false));
    EXPECT_FALSE(tags.RemoveTagFromMemo(gone, u"x"_s));
    // A memo in the trash changes its tags without touching the counts.
    EXPECT_TRUE(tags.AddTagsToMemo(trashed, {u"z"_s}, false));
    EXPECT_EQ(store->readMemo(trashed)->category, u"x y z"_s);

    Trash trash(*store, table);
    EXPECT_FALSE(trash.MoveMemoToTrash(gone));
    EXPECT_FALSE(trash.MoveMemoToTrash(trashed));
    EXPECT_FALSE(trash.RestoreMemo(live));
    EXPECT_FALSE(trash.RestoreMemo(gone));
    EXPECT_EQ(counts(), u"1 1 x=1"_s);
    EXPECT_EQ(counts(), recounted());

    EXPECT_TRUE(trash.RestoreMemo(trashed));
    EXPECT_TRUE(trash.MoveMemoToTrash(live));
    EXPECT_EQ(counts(), recounted());
}

TEST_F(BulkOperationsTest, NothingLongerThanATagStringIsWritten)
{
    const qint64 id = add(QString(250, u'a'));
    recount();
    TagOperations tags(*store, table);
    tags.AddTagsToMemo(id, {u"bbbbbbbbbb"_s}, false);
    // The added tag would make 261 characters: it is dropped again.
    EXPECT_EQ(store->readMemo(id)->category, QString(250, u'a'));
    tags.AddTagsToMemo(id, {QString(300, u'c')}, true);
    EXPECT_EQ(store->readMemo(id)->category, QString(255, u'c'));
    EXPECT_EQ(counts(), recounted());
}

} // namespace
