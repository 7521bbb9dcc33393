#include "tags/NumericSort.h"

#include <algorithm>
#include <cmath>

namespace {

struct Cell
{
    int row;
    double value;
};

// Orders the numeric cells stably in the direction the toggle picks, puts the
// rows without a number after them, and flips the toggle.
std::vector<int> orderCells(std::vector<Cell> numbers, const std::vector<int>& others, bool& toggle)
{
    const bool descending = toggle;
    // The direction flips with every sort that moves rows; an empty list leaves it.
    if (!numbers.empty() || !others.empty())
        toggle = !toggle;

    if (descending)
        std::stable_sort(numbers.begin(), numbers.end(),
                         [](const Cell& a, const Cell& b) { return a.value > b.value; });
    else
        std::stable_sort(numbers.begin(), numbers.end(),
                         [](const Cell& a, const Cell& b) { return a.value < b.value; });

    std::vector<int> order;
    order.reserve(numbers.size() + others.size());
    for (const Cell& cell : numbers)
        order.push_back(cell.row);
    order.insert(order.end(), others.begin(), others.end());
    return order;
}

} // namespace

std::vector<int> numericSortOrder(const std::vector<QString>& cellTexts, bool& toggle)
{
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
    return orderCells(std::move(numbers), others, toggle);
}

std::vector<int> numericValueOrder(const std::vector<qint64>& values, bool& toggle)
{
    std::vector<Cell> numbers;
    numbers.reserve(values.size());
    for (size_t row = 0; row < values.size(); ++row)
        numbers.push_back({static_cast<int>(row), double(values[row])});
    return orderCells(std::move(numbers), {}, toggle);
}
