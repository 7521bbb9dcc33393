#include "tags/NumericSort.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

static std::vector<QString> reordered(const std::vector<QString>& cells, const std::vector<int>& order)
{
    std::vector<QString> result;
    for (int row : order)
        result.push_back(cells[size_t(row)]);
    return result;
}

TEST(NumericSortTest, AlternatesDirectionAndKeepsTiesInOrder)
{
    // Row labels in the second vector tell equal counts apart.
    const std::vector<QString> counts = {u"3"_s, u"1"_s, u"3"_s, u"2"_s, u"1"_s, u"3"_s};
    const std::vector<QString> labels = {u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s, u"f"_s};

    bool toggle = false;
    const std::vector<int> ascending = numericSortOrder(counts, toggle);
    EXPECT_TRUE(toggle);
    EXPECT_EQ(reordered(labels, ascending),
              (std::vector<QString>{u"b"_s, u"e"_s, u"d"_s, u"a"_s, u"c"_s, u"f"_s}));

    // The second click sorts the list as it now stands: ties keep that order.
    const std::vector<QString> countsNow = reordered(counts, ascending);
    const std::vector<QString> labelsNow = reordered(labels, ascending);
    const std::vector<int> descending = numericSortOrder(countsNow, toggle);
    EXPECT_FALSE(toggle);
    EXPECT_EQ(reordered(labelsNow, descending),
              (std::vector<QString>{u"a"_s, u"c"_s, u"f"_s, u"d"_s, u"b"_s, u"e"_s}));

    numericSortOrder(countsNow, toggle);
    EXPECT_TRUE(toggle);
}

TEST(NumericSortTest, ComparesNumbersNotTexts)
{
    const std::vector<QString> ids = {u"10"_s, u"9"_s, u"100"_s, u"1000000"_s, u"0"_s, u"-2"_s, u"2.5"_s};
    bool toggle = false;
    EXPECT_EQ(reordered(ids, numericSortOrder(ids, toggle)),
              (std::vector<QString>{u"-2"_s, u"0"_s, u"2.5"_s, u"9"_s, u"10"_s, u"100"_s, u"1000000"_s}));
    EXPECT_EQ(reordered(ids, numericSortOrder(ids, toggle)),
              (std::vector<QString>{u"1000000"_s, u"100"_s, u"10"_s, u"9"_s, u"2.5"_s, u"0"_s, u"-2"_s}));
}

TEST(NumericSortTest, TextsThatAreNotNumbersGoLastInTheirOrder)
{
    const std::vector<QString> cells = {u"x"_s, u"5"_s, u""_s, u"nan"_s, u"1"_s, u"12abc"_s, u"inf"_s};
    for (bool descending : {false, true}) {
        SCOPED_TRACE(descending ? "descending" : "ascending");
        bool toggle = descending;
        const std::vector<QString> sorted = reordered(cells, numericSortOrder(cells, toggle));
        const std::vector<QString> numbers =
            descending ? std::vector<QString>{u"5"_s, u"1"_s} : std::vector<QString>{u"1"_s, u"5"_s};
        std::vector<QString> expected = numbers;
        for (const QString& other : {u"x"_s, u""_s, u"nan"_s, u"12abc"_s, u"inf"_s})
            expected.push_back(other);
        EXPECT_EQ(sorted, expected);
    }
}

TEST(NumericSortTest, EmptyListKeepsTheDirection)
{
    for (bool toggle : {false, true}) {
        bool after = toggle;
        EXPECT_TRUE(numericSortOrder({}, after).empty());
        EXPECT_EQ(after, toggle);
    }
}
