#include "tags/MemoListModel.h"

#include "tags/NumericSort.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <numeric>

namespace {

// An ID's decimal text, zero-padded on the right, so that comparing keys
// compares the texts.
using IdTextKey = std::array<char, 20>;
IdTextKey idTextKey(qint64 id)
{
    IdTextKey key{};
    std::to_chars(key.data(), key.data() + key.size(), id);
    return key;
}

// The stable order of rows by precomputed keys.
template <typename Key>
std::vector<int> orderByKeys(const std::vector<Key>& keys, bool descending)
{
    std::vector<int> order(keys.size());
    std::iota(order.begin(), order.end(), 0);
    if (descending)
        std::stable_sort(order.begin(), order.end(), [&keys](int a, int b) { return keys[size_t(b)] < keys[size_t(a)]; });
    else
        std::stable_sort(order.begin(), order.end(), [&keys](int a, int b) { return keys[size_t(a)] < keys[size_t(b)]; });
    return order;
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
        return idTextKey(a.id) < idTextKey(b.id); // "10" before "9"
    case ColumnPublish:
        return a.publishTime < b.publishTime;
    case ColumnUpdate:
        return a.updateTime < b.updateTime;
    default:
        return a.title.toCaseFolded() < b.title.toCaseFolded();
    }
}

bool MemoListModel::sortsBefore(const Row& a, const Row& b) const
{
    return m_sortOrder == Qt::AscendingOrder ? textLess(a, b, m_sortColumn) : textLess(b, a, m_sortColumn);
}

std::vector<int> MemoListModel::textOrder() const
{
    const bool descending = m_sortOrder == Qt::DescendingOrder;
    // The two costly comparisons get their keys computed once per row.
    if (m_sortColumn == ColumnId) {
        std::vector<IdTextKey> keys;
        keys.reserve(m_rows.size());
        for (const Row& row : m_rows)
            keys.push_back(idTextKey(row.id));
        return orderByKeys(keys, descending);
    }
    if (m_sortColumn == ColumnTitle) {
        std::vector<QString> keys;
        keys.reserve(m_rows.size());
        for (const Row& row : m_rows)
            keys.push_back(row.title.toCaseFolded());
        return orderByKeys(keys, descending);
    }
    return stableOrder([this](const Row& a, const Row& b) { return sortsBefore(a, b); });
}

void MemoListModel::setRows(std::vector<Row> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    m_textSortOn = true;
    const std::vector<int> order = textOrder();
    std::vector<Row> sorted;
    sorted.reserve(m_rows.size());
    for (int index : order)
        sorted.push_back(std::move(m_rows[size_t(index)]));
    m_rows = std::move(sorted);
    m_rowById.clear();
    endResetModel();
}

int MemoListModel::rowOfId(qint64 id) const
{
    // Built on first use after the rows moved, so that repeated saves find
    // their row at once.
    if (m_rowById.isEmpty() && !m_rows.empty()) {
        m_rowById.reserve(qsizetype(m_rows.size()));
        for (size_t i = 0; i < m_rows.size(); ++i)
            m_rowById.insert(m_rows[i].id, int(i));
    }
    return m_rowById.value(id, -1);
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
    m_rowById.clear();
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
    if (on) {
        reorder(textOrder());
        m_rowById.clear();
    }
}

void MemoListModel::sortByIdNumber(bool& toggle)
{
    m_textSortOn = false;
    std::vector<qint64> ids;
    ids.reserve(m_rows.size());
    for (const Row& row : m_rows)
        ids.push_back(row.id);
    reorder(numericValueOrder(ids, toggle));
    m_rowById.clear();
}

void MemoListModel::setSecurityColour(const QColor& colour)
{
    m_securityColour = colour;
    if (!m_rows.empty())
        Q_EMIT dataChanged(index(0, 0), index(int(m_rows.size()) - 1, ColumnCount - 1), {Qt::ForegroundRole});
}
