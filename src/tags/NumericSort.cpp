#include "tags/NumericSort.h"

#include <algorithm>
#include <numeric>

std::vector<int> numericValueOrder(const std::vector<qint64>& values, bool& toggle)
{
    const bool descending = toggle;
    // The direction flips with every sort that moves rows; an empty list leaves it.
    if (!values.empty())
        toggle = !toggle;

    std::vector<int> order(values.size());
    std::iota(order.begin(), order.end(), 0);
    if (descending)
        std::stable_sort(order.begin(), order.end(),
                         [&values](int a, int b) { return values[size_t(a)] > values[size_t(b)]; });
    else
        std::stable_sort(order.begin(), order.end(),
                         [&values](int a, int b) { return values[size_t(a)] < values[size_t(b)]; });
    return order;
}
