#include "MemoListTextKey.h"
#include "tags/MemoListModel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace Qt::Literals::StringLiterals;

namespace {

using Row = MemoListModel::Row;

QList<qint64> ids(const MemoListModel& model)
{
    QList<qint64> result;
    for (int row = 0; row < model.rowCount(); ++row)
        result.append(model.idAt(row));
    return result;
}

// The text sort's order; rows that compare equal keep their order.
QList<qint64> stablySorted(std::vector<Row>& rows, int column, Qt::SortOrder order)
{
    std::stable_sort(rows.begin(), rows.end(), [&](const Row& a, const Row& b) {
        return order == Qt::AscendingOrder ? memoListTextKey(a, column) < memoListTextKey(b, column)
                                           : memoListTextKey(b, column) < memoListTextKey(a, column);
    });
    QList<qint64> result;
    for (const Row& row : rows)
        result.append(row.id);
    return result;
}

// Lists whose values take each way of sorting a column: IDs in reading order
// and out of it, negative and very large ones; times all in the stored form or
// some not; titles alike in their first letters or holding a lone surrogate.
std::vector<std::vector<Row>> listsOfOddValues()
{
    std::mt19937 random(5);
    const QStringList usualTimes = {u"2026/01/01 00:00:00"_s,
                                    u"2026/01/01 00:00:01"_s,
                                    u"2025/12/31 23:59:59"_s,
                                    u"1970/01/01 00:00:00"_s,
                                    QString(),
                                    u""_s};
    const QStringList oddTimes = usualTimes + QStringList{u"2026-01-01"_s, u"2026/1/1 9:00:00"_s,
                                                          u"\u4ee4\u548c8\u5e74"_s, u"2100/01/01 00:00:00"_s};
    const QStringList usualTitles = {u"Memo 10"_s,
                                     u"memo 10"_s,
                                     u"MEMO 9"_s,
                                     u"Memo"_s,
                                     u"Mem"_s,
                                     u"\u30e1\u30e2"_s,
                                     u"\uff2d\uff45\uff4d\uff4f"_s,
                                     u""_s,
                                     u"\U00010400 x"_s,
                                     u"\U00010428 X"_s};
    const QStringList oddTitles = usualTitles + QStringList{u"a"_s + QChar(0xDC00), QChar(0xD800) + u"b"_s};
    const auto pick = [&random](const QStringList& from) { return from[int(random() % from.size())]; };

    std::vector<std::vector<Row>> lists;
    for (const bool odd : {false, true}) {
        const QStringList& times = odd ? oddTimes : usualTimes;
        const QStringList& titles = odd ? oddTitles : usualTitles;
        // IDs in reading order, of one to six digits.
        std::vector<Row> ascending;
        for (qint64 id : {1, 2, 9, 10, 11, 19, 99, 100, 101, 999, 1000, 1001, 100000, 100001, 123456})
            ascending.push_back({id, pick(times), pick(times), pick(titles)});
        lists.push_back(ascending);
        // The same out of order, and with IDs too large or negative for a
        // number that orders their texts.
        std::vector<Row> shuffled = ascending;
        std::shuffle(shuffled.begin(), shuffled.end(), random);
        lists.push_back(shuffled);
        std::vector<Row> extreme = ascending;
        extreme.push_back({-5, pick(times), pick(times), pick(titles)});
        extreme.push_back({-12, pick(times), pick(times), pick(titles)});
        extreme.push_back({123'456'789'012'345'678, pick(times), pick(times), pick(titles)});
        lists.push_back(extreme);
        // Many titles that agree in their first letters, some over more than
        // four units, some ending where others go on.
        std::vector<Row> many;
        const QStringList pieces = {u"a"_s, u"A"_s, u"b"_s, u"\u30e1"_s, QString(QChar(0)), u"\U00010400"_s};
        for (qint64 id = 1; id <= 2000; ++id) {
            QString title = id % 2 ? u"Memo "_s : u"mEMO "_s;
            for (int piece = int(random() % 14); piece > 0; --piece)
                title += pick(pieces);
            many.push_back({id, pick(times), pick(times), odd && id % 500 == 0 ? pick(oddTitles) : title});
        }
        lists.push_back(many);
    }
    return lists;
}

TEST(MemoListSortTest, EveryColumnSortsAsItsTextsWhateverTheStoredValues)
{
    int listNumber = 0;
    for (std::vector<Row> rows : listsOfOddValues()) {
        ++listNumber;
        for (int column = 0; column < MemoListModel::ColumnCount; ++column) {
            for (Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
                SCOPED_TRACE(testing::Message() << "list " << listNumber << " column " << column
                                                << (order == Qt::AscendingOrder ? " asc" : " desc"));
                // A fill, which orders the rows as they were read ...
                MemoListModel model;
                model.setTextSort(column, order);
                std::vector<Row> expected = rows;
                model.setRows(rows);
                ASSERT_EQ(ids(model), stablySorted(expected, column, order));
                // ... and a sort of the list as it stands, by each other column.
                for (int next = 0; next < MemoListModel::ColumnCount; ++next) {
                    model.setTextSort(next,
                                      order == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder);
                    ASSERT_EQ(ids(model), stablySorted(expected, next, model.sortOrder())) << "then " << next;
                }
                for (int i = 0; i < model.rowCount(); ++i)
                    ASSERT_EQ(model.rowOfId(model.idAt(i)), i);
            }
        }
        // The "ID" header sorts by number, also negative and large ones.
        MemoListModel model;
        model.setRows(rows);
        bool toggle = false;
        model.sortByIdNumber(toggle);
        QList<qint64> numeric;
        for (const Row& row : rows)
            numeric.append(row.id);
        std::sort(numeric.begin(), numeric.end());
        EXPECT_EQ(ids(model), numeric);
    }
}

} // namespace
