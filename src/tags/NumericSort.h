#pragma once

#include <QString>

#include <vector>

// The numeric sort of a list column (the "ID" and "Num" columns): returns the new
// row order as indexes into cellTexts. Ascending when toggle is false, descending
// when it is true; the toggle flips on every call with at least one row, so
// successive clicks alternate.
// The sort is stable in both directions: rows with equal values keep their
// present relative order. Texts that are not finite numbers go after all numbers,
// in their present order, in both directions.
std::vector<int> numericSortOrder(const std::vector<QString>& cellTexts, bool& toggle);

// The same for cells that hold numbers already (IDs and counts), without
// formatting them as text first.
std::vector<int> numericValueOrder(const std::vector<qint64>& values, bool& toggle);
