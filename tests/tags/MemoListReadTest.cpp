// How the memo list reads its rows: in two parts at once when the memos
// spread over many RecordIDs, ahead of time for the start, and always what
// the database holds at the moment of the fill.
#include "MemoFixtures.h"
#include "StoreFixture.h"
#include "tags/ListViews.h"
#include "tags/MemoList.h"
#include "tags/MemoListModel.h"
#include "tags/TagTable.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

class MemoListReadTest : public StoreFixture
{
protected:
    ReportListView view;
    std::unique_ptr<MemoList> list;
    TagTable table;

    // 40 memos whose RecordIDs lie 1,000 apart, so that lists are read in two
    // parts; every fourth in the trash, and times and titles of every kind.
    void SetUp() override
    {
        StoreFixture::SetUp();
        for (int i = 0; i < 40; ++i) {
            const QString tags = i % 2 ? u"odd Tag"_s : i % 3 ? u"tag"_s : QString();
            const QString time = i % 7 == 0 ? u"odd time %1"_s.arg(i) : u"2026/01/01 00:00:%1"_s.arg(i + 10);
            const qint64 id = store->insertMemo(u"\u30e1\u30e2 %1"_s.arg(i), {}, tags, time);
            if (i % 4 == 3)
                store->writeMemoTrash(id, true);
        }
        MemoFixtures::execute(dbPath, "UPDATE Memo SET RecordID = RecordID * 1000");
        list = std::make_unique<MemoList>(&view, *store);
        table.setFindResult({3000, 4000, 5000, 40000});
    }

    // The rows as the plain read of every listed memo gives them, kept by `keep`.
    QStringList expectedRows(bool inTrash, const std::function<bool(const MemoListRow&)>& keep) const
    {
        QStringList rows;
        store->forEachListedMemo(inTrash, [&](const MemoListRow& row) {
            if (keep(row))
                rows.append(describe(row.entry));
        });
        return rows;
    }
    static QString describe(const MemoListEntry& row)
    {
        return u"%1|%2|%3|%4|%5|%6"_s.arg(row.id)
            .arg(row.publishTime, row.updateTime, row.title)
            .arg(row.icon)
            .arg(row.isPass);
    }
    // The listed rows in RecordID order.
    QStringList listedRows() const
    {
        MemoListModel* model = list->model();
        bool toggle = false;
        model->sortByIdNumber(toggle);
        QStringList rows;
        for (int i = 0; i < model->rowCount(); ++i)
            rows.append(describe(model->row(i)));
        return rows;
    }
};

TEST_F(MemoListReadTest, EveryKindOfListReadInPartsHoldsWhatTheTableHolds)
{
    const QList<qint64> found = table.findIds();
    const struct
    {
        QString name;
        bool inTrash;
        std::function<bool(const MemoListRow&)> keep;
    } cases[] = {
        {TagTable::allName(), false, [](const MemoListRow&) { return true; }},
        {TagTable::trashName(), true, [](const MemoListRow&) { return true; }},
        {TagTable::findName(), false, [&](const MemoListRow& row) { return found.contains(row.entry.id); }},
        {u"TAG"_s, false,
         [](const MemoListRow& row) {
             return row.category.split(u' ').contains(u"tag"_s, Qt::CaseInsensitive);
         }},
        {u"odd"_s, false, [](const MemoListRow& row) { return row.category.startsWith(u"odd"_s); }},
    };
    for (const auto& c : cases) {
        list->FillMemoList(c.name, table);
        EXPECT_EQ(listedRows(), expectedRows(c.inTrash, c.keep)) << c.name.toStdString();
        // Read ahead, the same rows.
        list->prefetch(c.name);
        list->FillMemoList(c.name, table);
        EXPECT_EQ(listedRows(), expectedRows(c.inTrash, c.keep)) << "read ahead: " << c.name.toStdString();
    }
}

TEST_F(MemoListReadTest, RowsReadAheadAreDroppedWhenTheDatabaseChanged)
{
    const auto all = [](const MemoListRow&) { return true; };
    // Written by this connection after the rows were read ahead.
    list->prefetch(TagTable::allName());
    const qint64 added = store->insertMemo(u"added"_s, {}, {}, u"2026/02/01 00:00:00"_s);
    list->FillMemoList(TagTable::allName(), table);
    EXPECT_EQ(listedRows(), expectedRows(false, all));
    EXPECT_GE(list->FindMemoRow(added), 1);

    // Written by another connection, as a second copy of Quillet does.
    list->prefetch(TagTable::allName());
    {
        MemoStore other(dbPath);
        other.writeMemoTrash(added, true);
    }
    list->FillMemoList(TagTable::allName(), table);
    EXPECT_EQ(listedRows(), expectedRows(false, all));
    EXPECT_EQ(list->FindMemoRow(added), 0);

    // Read ahead for another list.
    list->prefetch(TagTable::trashName());
    list->FillMemoList(TagTable::allName(), table);
    EXPECT_EQ(listedRows(), expectedRows(false, all));
}

// The start lays out as many rows as it counted while they are read; the
// rows read take those places without a reset, or with one when their number
// differs.
TEST_F(MemoListReadTest, RowsLaidOutAheadAreFilledInPlace)
{
    const auto all = [](const MemoListRow&) { return true; };
    const int count = int(expectedRows(false, all).size());
    for (const int laidOut : {count, count + 1}) {
        list->prefetch(TagTable::allName());
        list->layOutPrefetchedRows(laidOut);
        MemoListModel* model = list->model();
        EXPECT_EQ(model->rowCount(), laidOut);
        EXPECT_FALSE(model->index(0, MemoListModel::ColumnTitle).data().isValid());
        EXPECT_EQ(model->rowOfId(1000), -1);
        QSignalSpy resets(model, &QAbstractItemModel::modelReset);
        QSignalSpy changes(model, &QAbstractItemModel::dataChanged);
        list->FillMemoList(TagTable::allName(), table);
        EXPECT_EQ(resets.size(), laidOut == count ? 0 : 1) << laidOut;
        EXPECT_EQ(changes.size(), laidOut == count ? 1 : 0) << laidOut;
        EXPECT_EQ(model->rowCount(), count);
        EXPECT_EQ(listedRows(), expectedRows(false, all));
    }
}

TEST_F(MemoListReadTest, AFillInsideATransactionSeesItsOwnWrites)
{
    auto transaction = store->transaction();
    const qint64 added = store->insertMemo(u"not committed"_s, {}, {}, u"2026/02/01 00:00:00"_s);
    list->prefetch(TagTable::allName());
    list->FillMemoList(TagTable::allName(), table);
    EXPECT_GE(list->FindMemoRow(added), 1);
    EXPECT_EQ(listedRows(), expectedRows(false, [](const MemoListRow&) { return true; }));
}

} // namespace
