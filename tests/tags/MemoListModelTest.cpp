#include "tags/MemoListModel.h"
#include "MemoListTextKey.h"

#include <QItemSelectionModel>
#include <algorithm>
#include <gtest/gtest.h>
#include <random>

namespace {

QStringList column(const MemoListModel& model, int column)
{
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row)
        texts.append(model.index(row, column).data().toString());
    return texts;
}

TEST(MemoListModelTest, TextSortOrdersEveryColumnAsTextAndKeepsNewRowsInPlace)
{
    MemoListModel model;
    model.setTextSort(MemoListModel::ColumnId, Qt::AscendingOrder);
    model.setRows({{9, QStringLiteral("2026/01/02 00:00:00"), {}, QStringLiteral("beta")},
                   {10, QStringLiteral("2026/01/01 00:00:00"), {}, QStringLiteral("Alpha")},
                   {2, QStringLiteral("2026/01/03 00:00:00"), {}, QStringLiteral("alpha")}});
    // IDs compare as text: 10 before 2 before 9.
    EXPECT_EQ(column(model, 0),
              (QStringList{QStringLiteral("10"), QStringLiteral("2"), QStringLiteral("9")}));

    model.setTextSort(MemoListModel::ColumnTitle, Qt::AscendingOrder);
    // Letter case is ignored; equal titles keep their order.
    EXPECT_EQ(column(model, 0),
              (QStringList{QStringLiteral("10"), QStringLiteral("2"), QStringLiteral("9")}));
    model.setTextSort(MemoListModel::ColumnPublish, Qt::DescendingOrder);
    EXPECT_EQ(column(model, 0),
              (QStringList{QStringLiteral("2"), QStringLiteral("9"), QStringLiteral("10")}));

    model.addRow({100, QStringLiteral("2026/01/02 12:00:00"), {}, QStringLiteral("new")});
    EXPECT_EQ(column(model, 0), (QStringList{QStringLiteral("2"), QStringLiteral("100"), QStringLiteral("9"),
                                             QStringLiteral("10")}));

    bool toggle = false;
    model.sortByIdNumber(toggle);
    EXPECT_FALSE(model.isTextSortOn());
    EXPECT_EQ(column(model, 0), (QStringList{QStringLiteral("2"), QStringLiteral("9"), QStringLiteral("10"),
                                             QStringLiteral("100")}));
    model.sortByIdNumber(toggle);
    EXPECT_EQ(column(model, 0), (QStringList{QStringLiteral("100"), QStringLiteral("10"), QStringLiteral("9"),
                                             QStringLiteral("2")}));
}

TEST(MemoListModelTest, LockedMemosShowThePadlockAndTheSecurityColour)
{
    MemoListModel model;
    model.setSecurityColour(QColor(0, 0, 0xC0));
    QList<int> asked;
    model.setIconProvider([&asked](int image) {
        asked.append(image);
        QPixmap pixmap(16, 16);
        pixmap.fill(Qt::red);
        return QIcon(pixmap);
    });
    model.setRows({{1, {}, {}, QStringLiteral("plain"), -1, false},
                   {2, {}, {}, QStringLiteral("flag"), 5, false},
                   {3, {}, {}, QStringLiteral("locked"), 5, true}});
    EXPECT_FALSE(model.index(0, 0).data(Qt::DecorationRole).isValid());
    EXPECT_FALSE(model.index(0, 3).data(Qt::ForegroundRole).isValid());
    model.index(1, 0).data(Qt::DecorationRole);
    model.index(2, 0).data(Qt::DecorationRole);
    EXPECT_EQ(asked, (QList<int>{5, 1}));
    for (int column = 0; column < MemoListModel::ColumnCount; ++column)
        EXPECT_EQ(model.index(2, column).data(Qt::ForegroundRole).value<QColor>(), QColor(0, 0, 0xC0));
}

QList<qint64> ids(const MemoListModel& model)
{
    QList<qint64> result;
    for (int row = 0; row < model.rowCount(); ++row)
        result.append(model.row(row).id);
    return result;
}

MemoListModel::Row memo(qint64 id, const char* update, const char* title = "t")
{
    return {id, QStringLiteral("2026/01/01 00:00:00"), QString::fromLatin1(update),
            QString::fromLatin1(title)};
}

TEST(MemoListModelTest, SavedRowsMoveToTheirPlaceAndNewRowsFollowTheOrder)
{
    MemoListModel model;
    model.setTextSort(MemoListModel::ColumnUpdate, Qt::DescendingOrder);
    model.setRows({memo(1, "2026/01/01 00:00:00"), memo(2, "2026/01/03 00:00:00"),
                   memo(3, "2026/01/02 00:00:00"), memo(4, "2026/01/02 00:00:00"),
                   memo(5, "2025/12/31 00:00:00")});
    ASSERT_EQ(ids(model), (QList<qint64>{2, 3, 4, 1, 5}));
    QItemSelectionModel selection(&model);
    selection.setCurrentIndex(model.index(3, 0),
                              QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);

    // Saving memo 1 makes it the newest: it moves to the top, still selected.
    model.updateRow(model.rowOfId(1), QStringLiteral("2026/01/05 00:00:00"), QStringLiteral("saved"));
    EXPECT_EQ(ids(model), (QList<qint64>{1, 2, 3, 4, 5}));
    EXPECT_EQ(selection.currentIndex().row(), 0);
    ASSERT_EQ(selection.selectedRows().size(), 1);
    EXPECT_EQ(selection.selectedRows().first().row(), 0);
    EXPECT_EQ(model.index(0, MemoListModel::ColumnTitle).data().toString(), QStringLiteral("saved"));

    // A new row finds its place in the list as it now stands.
    model.addRow(memo(6, "2026/01/04 00:00:00"));
    EXPECT_EQ(ids(model), (QList<qint64>{1, 6, 2, 3, 4, 5}));

    // A row that joins rows of equal time from below goes after them, one from
    // above before them, as sorting the whole list again would put it.
    model.updateRow(model.rowOfId(5), QStringLiteral("2026/01/02 00:00:00"), QStringLiteral("t"));
    EXPECT_EQ(ids(model), (QList<qint64>{1, 6, 2, 3, 4, 5}));
    model.updateRow(model.rowOfId(1), QStringLiteral("2026/01/02 00:00:00"), QStringLiteral("t"));
    EXPECT_EQ(ids(model), (QList<qint64>{6, 2, 1, 3, 4, 5}));
    model.updateRow(model.rowOfId(6), QStringLiteral("2026/01/02 00:00:00"), QStringLiteral("t"));
    EXPECT_EQ(ids(model), (QList<qint64>{2, 6, 1, 3, 4, 5}));
    model.addRow(memo(7, "2026/01/02 00:00:00"));
    EXPECT_EQ(ids(model), (QList<qint64>{2, 6, 1, 3, 4, 5, 7}));
    for (qint64 id = 1; id <= 7; ++id)
        EXPECT_EQ(model.row(model.rowOfId(id)).id, id);
    EXPECT_EQ(model.rowOfId(8), -1);
}

// Random saves, new rows and sorts against the plain rule: after every change
// the rows are in the order that sorting the list as it stood, stably, gives.
TEST(MemoListModelTest, EveryChangeLeavesTheRowsAsAStableSortWould)
{
    const QStringList times = {QStringLiteral("2026/01/01 00:00:00"), QStringLiteral("2026/01/02 00:00:00"),
                               QStringLiteral("2026/01/03 00:00:00"), QStringLiteral("2026/01/04 00:00:00")};
    const QStringList titles = {QStringLiteral("a"), QStringLiteral("A"), QStringLiteral("b"),
                                QStringLiteral("B c"), QStringLiteral("\u30e1\u30e2")};
    std::mt19937 random(11);
    const auto pick = [&random](const QStringList& from) { return from[int(random() % from.size())]; };

    for (int column = 0; column < MemoListModel::ColumnCount; ++column) {
        for (Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
            SCOPED_TRACE(testing::Message()
                         << "column " << column << (order == Qt::AscendingOrder ? " asc" : " desc"));
            std::vector<MemoListModel::Row> rows;
            for (qint64 id = 1; id <= 40; ++id)
                rows.push_back({id, pick(times), pick(times), pick(titles)});
            MemoListModel model;
            model.setTextSort(column, order);
            model.setRows(rows);

            bool textSortOn = true;
            int sortColumn = column;
            Qt::SortOrder sortOrder = order;
            bool toggle = false;
            const auto stableSort = [&] {
                std::stable_sort(rows.begin(), rows.end(), [&](const auto& a, const auto& b) {
                    return sortOrder == Qt::AscendingOrder
                               ? memoListTextKey(a, sortColumn) < memoListTextKey(b, sortColumn)
                               : memoListTextKey(b, sortColumn) < memoListTextKey(a, sortColumn);
                });
            };
            stableSort();
            qint64 nextId = 100;
            for (int step = 0; step < 400; ++step) {
                const unsigned what = random() % 20;
                if (what < 13) { // a save of a listed memo
                    MemoListModel::Row& row = rows[random() % rows.size()];
                    row.updateTime = pick(times);
                    row.title = pick(titles);
                    model.updateRow(model.rowOfId(row.id), row.updateTime, row.title);
                    if (textSortOn)
                        stableSort();
                } else if (what < 17) { // a new memo: added, and the text sort is on again
                    rows.push_back({nextId++, pick(times), pick(times), pick(titles)});
                    model.addRow(rows.back());
                    if (!model.isTextSortOn())
                        model.setTextSortOn(true);
                    textSortOn = true;
                    stableSort();
                } else if (what < 19) { // a click on a text column header
                    sortColumn = 1 + int(random() % 3);
                    sortOrder = random() % 2 ? Qt::AscendingOrder : Qt::DescendingOrder;
                    model.setTextSort(sortColumn, sortOrder);
                    textSortOn = true;
                    stableSort();
                } else { // a click on the "ID" header
                    const bool descending = toggle;
                    model.sortByIdNumber(toggle);
                    textSortOn = false;
                    std::stable_sort(rows.begin(), rows.end(), [descending](const auto& a, const auto& b) {
                        return descending ? a.id > b.id : a.id < b.id;
                    });
                }
                QList<qint64> expected;
                for (const MemoListModel::Row& row : rows)
                    expected.append(row.id);
                ASSERT_EQ(ids(model), expected) << "after step " << step;
                for (int i = 0; i < int(rows.size()); ++i) {
                    ASSERT_EQ(model.rowOfId(rows[size_t(i)].id), i);
                    ASSERT_EQ(model.row(i).updateTime, rows[size_t(i)].updateTime);
                    ASSERT_EQ(model.row(i).title, rows[size_t(i)].title);
                }
            }
        }
    }
}

} // namespace
