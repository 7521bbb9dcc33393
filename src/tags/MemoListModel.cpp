#include "tags/MemoListModel.h"

#include "tags/NumericSort.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace {

// IDs compare as their decimal text ("10" before "9"), without building strings.
int compareIdsAsText(qint64 a, qint64 b)
{
    char left[24];
    char right[24];
    const auto leftEnd = std::to_chars(left, left + sizeof left, a).ptr;
    const auto rightEnd = std::to_chars(right, right + sizeof right, b).ptr;
    const size_t leftLength = size_t(leftEnd - left);
    const size_t rightLength = size_t(rightEnd - right);
    const int common = std::memcmp(left, right, std::min(leftLength, rightLength));
    if (common != 0)
        return common;
    return leftLength < rightLength ? -1 : (leftLength > rightLength ? 1 : 0);
}

const QString kHeaders[] = {QStringLiteral("ID"), QStringLiteral("Publish"), QStringLiteral("Update"),
                            QStringLiteral("Title")};

} // namespace

MemoListModel::MemoListModel(QObject* parent) : RowTableModel(parent) {}

int MemoListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString MemoListModel::cellText(const Row& row, int column) const
{
    switch (column) {
    case ColumnId:
        return QString::number(row.id);
    case ColumnPublish:
        return row.publishTime;
    case ColumnUpdate:
        return row.updateTime;
    default:
        return row.title;
    }
}

QVariant MemoListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_rows.size()))
        return {};
    const Row& row = m_rows[size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        if (role == Qt::ToolTipRole && index.column() != ColumnTitle)
            return {};
        return cellText(row, index.column());
    case Qt::ForegroundRole:
        if (row.isPass && m_securityColour.isValid())
            return m_securityColour;
        return {};
    case Qt::DecorationRole:
        if (index.column() != ColumnId || !m_iconProvider)
            return {};
        // A locked memo shows the padlock (image 1) whatever its own icon.
        if (row.isPass)
            return m_iconProvider(1);
        if (row.icon != -1)
            return m_iconProvider(row.icon);
        return {};
    default:
        return {};
    }
}

QVariant MemoListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < ColumnCount)
        return kHeaders[section];
    return QAbstractTableModel::headerData(section, orientation, role);
}

bool MemoListModel::textLess(const Row& a, const Row& b, int column)
{
    switch (column) {
    case ColumnId:
        return compareIdsAsText(a.id, b.id) < 0;
    case ColumnPublish:
        return a.publishTime < b.publishTime;
    case ColumnUpdate:
        return a.updateTime < b.updateTime;
    default:
        return QString::compare(a.title, b.title, Qt::CaseInsensitive) < 0;
    }
}

bool MemoListModel::sortsBefore(const Row& a, const Row& b) const
{
    return m_sortOrder == Qt::AscendingOrder ? textLess(a, b, m_sortColumn) : textLess(b, a, m_sortColumn);
}

void MemoListModel::setRows(std::vector<Row> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    m_textSortOn = true;
    std::stable_sort(m_rows.begin(), m_rows.end(), [this](const Row& a, const Row& b) { return sortsBefore(a, b); });
    endResetModel();
}

int MemoListModel::rowOfId(qint64 id) const
{
    for (size_t i = 0; i < m_rows.size(); ++i)
        if (m_rows[i].id == id)
            return int(i);
    return -1;
}

void MemoListModel::updateRow(int index, const QString& updateTime, const QString& title)
{
    Row& row = m_rows[size_t(index)];
    row.updateTime = updateTime;
    row.title = title;
    Q_EMIT dataChanged(this->index(index, ColumnUpdate), this->index(index, ColumnTitle));
}

int MemoListModel::addRow(Row row)
{
    auto position = m_rows.end();
    if (m_textSortOn)
        position = std::upper_bound(m_rows.begin(), m_rows.end(), row,
                                    [this](const Row& a, const Row& b) { return sortsBefore(a, b); });
    const int index = int(position - m_rows.begin());
    beginInsertRows({}, index, index);
    m_rows.insert(position, std::move(row));
    endInsertRows();
    return index;
}

void MemoListModel::setTextSort(int column, Qt::SortOrder order)
{
    m_sortColumn = std::clamp(column, 0, ColumnCount - 1);
    m_sortOrder = order;
    setTextSortOn(true);
}

void MemoListModel::setTextSortOn(bool on)
{
    m_textSortOn = on;
    if (on)
        reorder(stableOrder([this](const Row& a, const Row& b) { return sortsBefore(a, b); }));
}

void MemoListModel::sortByIdNumber(bool& toggle)
{
    m_textSortOn = false;
    std::vector<QString> ids;
    ids.reserve(m_rows.size());
    for (const Row& row : m_rows)
        ids.push_back(QString::number(row.id));
    reorder(numericSortOrder(ids, toggle));
}

void MemoListModel::setSecurityColour(const QColor& colour)
{
    m_securityColour = colour;
    if (!m_rows.empty())
        Q_EMIT dataChanged(index(0, 0), index(int(m_rows.size()) - 1, ColumnCount - 1), {Qt::ForegroundRole});
}
