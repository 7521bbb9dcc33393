#include "tags/CategoryListModel.h"

#include "tags/NumericSort.h"


namespace {
const QString kHeaders[] = {QStringLiteral("ID"), QStringLiteral("Category"), QStringLiteral("Num")};
}

CategoryListModel::CategoryListModel(QObject* parent) : RowTableModel(parent) {}

int CategoryListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CategoryListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_rows.size()))
        return {};
    const Row& row = m_rows[size_t(index.row())];
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
        case ColumnId:
            return QString::number(row.id);
        case ColumnCategory:
            return row.name;
        default:
            return QString::number(row.count);
        }
    }
    if (role == Qt::TextAlignmentRole && index.column() == ColumnNum)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant CategoryListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && section >= 0 && section < ColumnCount) {
        if (role == Qt::DisplayRole)
            return kHeaders[section];
        if (role == Qt::TextAlignmentRole && section == ColumnNum)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

void CategoryListModel::setRows(std::vector<Row> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
    if (m_textSortOn)
        reorder(stableOrder([this](const Row& a, const Row& b) { return nameLess(a, b); }));
}

int CategoryListModel::rowOfId(int id) const
{
    for (size_t i = 0; i < m_rows.size(); ++i)
        if (m_rows[i].id == id)
            return int(i);
    return -1;
}

void CategoryListModel::setCount(int id, int count)
{
    const int index = rowOfId(id);
    if (index < 0)
        return;
    m_rows[size_t(index)].count = count;
    Q_EMIT dataChanged(this->index(index, ColumnNum), this->index(index, ColumnNum));
}

void CategoryListModel::toggleTextSort()
{
    m_sortOrder = m_sortOrder == Qt::DescendingOrder ? Qt::AscendingOrder : Qt::DescendingOrder;
    m_textSortOn = true;
    reorder(stableOrder([this](const Row& a, const Row& b) { return nameLess(a, b); }));
}

bool CategoryListModel::nameLess(const Row& a, const Row& b) const
{
    const int order = QString::compare(a.name, b.name, Qt::CaseInsensitive);
    return m_sortOrder == Qt::AscendingOrder ? order < 0 : order > 0;
}

void CategoryListModel::sortByNumber(int column, bool& toggle)
{
    m_textSortOn = false;
    std::vector<qint64> cells;
    cells.reserve(m_rows.size());
    for (const Row& row : m_rows)
        cells.push_back(column == ColumnId ? row.id : row.count);
    reorder(numericValueOrder(cells, toggle));
}
