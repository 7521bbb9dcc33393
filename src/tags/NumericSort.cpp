#include "tags/NumericSort.h"

#include <algorithm>
#include <cmath>

std::vector<int> numericSortOrder(const std::vector<QString>& cellTexts, bool& toggle)
{
    const bool descending = toggle;
    // The direction flips with every sort that moves rows; an empty list leaves it.
    if (!cellTexts.empty())
        toggle = !toggle;

    struct Cell
    {
        int row;
        double value;
    };
    std::vector<Cell> numbers;
    std::vector<int> others;
    numbers.reserve(cellTexts.size());
    for (size_t row = 0; row < cellTexts.size(); ++row) {
        bool ok = false;
        const double value = cellTexts[row].toDouble(&ok);
        // NaN and infinities are treated as text: they have no place among counts
        // and IDs, and NaN would break the ordering.
        if (ok && std::isfinite(value))
            numbers.push_back({static_cast<int>(row), value});
        else
            others.push_back(static_cast<int>(row));
    }

    if (descending)
        std::stable_sort(numbers.begin(), numbers.end(),
                         [](const Cell& a, const Cell& b) { return a.value > b.value; });
    else
        std::stable_sort(numbers.begin(), numbers.end(),
                         [](const Cell& a, const Cell& b) { return a.value < b.value; });

    std::vector<int> order;
    order.reserve(cellTexts.size());
    for (const Cell& cell : numbers)
        order.push_back(cell.row);
    order.insert(order.end(), others.begin(), others.end());
    return order;
}
