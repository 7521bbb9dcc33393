#include "tags/NumericSort.h"

#include <gtest/gtest.h>

// The row labels in list order after applying `order` to `labels`.
static std::string reordered(const std::string& labels, const std::vector<int>& order)
{
    std::string result;
    for (int row : order)
        result += labels[size_t(row)];
    return result;
}

TEST(NumericSortTest, AlternatesDirectionAndKeepsTiesInOrder)
{
    // Counts of the rows a to f; the labels tell equal counts apart.
    const std::vector<qint64> counts = {3, 1, 3, 2, 1, 3};
    bool toggle = false;
    const std::vector<int> ascending = numericValueOrder(counts, toggle);
    EXPECT_TRUE(toggle);
    EXPECT_EQ(reordered("abcdef", ascending), "bedacf");

    // The second click sorts the list as it now stands: ties keep that order.
    std::vector<qint64> countsNow;
    for (int row : ascending)
        countsNow.push_back(counts[size_t(row)]);
    const std::vector<int> descending = numericValueOrder(countsNow, toggle);
    EXPECT_FALSE(toggle);
    EXPECT_EQ(reordered("bedacf", descending), "acfdbe");
}

TEST(NumericSortTest, ComparesNumbersNotTheirTexts)
{
    // IDs whose texts sort differently from their values: 10 < 9 < 100 as text.
    const std::vector<qint64> ids = {10, 9, 100, 1000000, 0, -2, 2};
    bool toggle = false;
    EXPECT_EQ(reordered("abcdefg", numericValueOrder(ids, toggle)), "fegbacd");
    EXPECT_EQ(reordered("abcdefg", numericValueOrder(ids, toggle)), "dcabgef");
}

TEST(NumericSortTest, EmptyListKeepsTheDirection)
{
    for (bool toggle : {false, true}) {
        bool after = toggle;
        EXPECT_TRUE(numericValueOrder({}, after).empty());
        EXPECT_EQ(after, toggle);
    }
}
