#pragma once

#include "tags/MemoListModel.h"

#include <QString>

// The text sort's rule, written plainly for tests to check the list against:
// each column compared as the text it shows, titles ignoring letter case.
inline QString memoListTextKey(const MemoListModel::Row& row, int column)
{
    switch (column) {
    case MemoListModel::ColumnId:
        return QString::number(row.id);
    case MemoListModel::ColumnPublish:
        return row.publishTime;
    case MemoListModel::ColumnUpdate:
        return row.updateTime;
    default:
        return row.title.toCaseFolded();
    }
}
