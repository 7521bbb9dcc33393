#pragma once

#include <QtGlobal>

#include <vector>

// The numeric sort of a list column (the "ID" and "Num" columns): returns the new
// row order as indexes into values. Ascending when toggle is false, descending
// when it is true; the toggle flips on every call with at least one row, so
// successive clicks alternate.
// The sort is stable in both directions: rows with equal values keep their
// present relative order.
std::vector<int> numericValueOrder(const std::vector<qint64>& values, bool& toggle);
