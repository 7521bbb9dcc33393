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

// The order that sorts rows by unsigned keys, ascending or descending, rows
// with equal keys keeping their present order; as indexes into keys. A radix
// sort: linear in the number of rows, for lists of a million.
std::vector<int> stableKeyOrder(const std::vector<quint64>& keys, bool descending);
