#include "tags/MemoListModel.h"

#include "tags/MemoListIcons.h"
#include "tags/NumericSort.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <numeric>

namespace {

// An ID's decimal text, zero-padded on the right, so that comparing keys
// compares the texts ("10" before "9").
using IdTextKey = std::array<char, 20>;
IdTextKey idTextKey(qint64 id)
{
    IdTextKey key{};
    std::to_chars(key.data(), key.data() + key.size(), id);
    return key;
}

int compareIdTexts(qint64 a, qint64 b)
{
    const IdTextKey keyA = idTextKey(a);
    const IdTextKey keyB = idTextKey(b);
    return std::memcmp(keyA.data(), keyB.data(), keyA.size());
}

// The stable order of rows by precomputed keys.
template <typename Key> std::vector<int> orderByKeys(const std::vector<Key>& keys, bool descending)
{
    std::vector<int> order(keys.size());
    std::iota(order.begin(), order.end(), 0);
    if (descending)
        std::stable_sort(order.begin(), order.end(),
                         [&keys](int a, int b) { return keys[size_t(b)] < keys[size_t(a)]; });
    else
        std::stable_sort(order.begin(), order.end(),
                         [&keys](int a, int b) { return keys[size_t(a)] < keys[size_t(b)]; });
    return order;
}

// The first position in [0, count) for which `after` holds; `after` must be
// false for a prefix of the positions and true for the rest.
template <typename After> int firstAfter(int count, After after)
{
    int low = 0;
    int high = count;
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (after(middle))
            high = middle;
        else
            low = middle + 1;
    }
    return low;
}

const QString kHeaders[] = {QStringLiteral("ID"), QStringLiteral("Publish"), QStringLiteral("Update"),
                            QStringLiteral("Title")};

} // namespace

MemoListModel::MemoListModel(QObject* parent) : QAbstractTableModel(parent) {}

int MemoListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_order.size());
}

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
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const Entry& entry = m_entries[size_t(m_order[size_t(index.row())])];
    const Row& row = entry.row;
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
        if (entry.shownImage != 0)
            return m_iconProvider(entry.shownImage);
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

int MemoListModel::compareKeys(const Row& a, const Row& b) const
{
    switch (m_sortColumn) {
    case ColumnId:
        return compareIdTexts(a.id, b.id);
    case ColumnPublish:
        return a.publishTime.compare(b.publishTime);
    case ColumnUpdate:
        return a.updateTime.compare(b.updateTime);
    default:
        // Letter case is ignored.
        return a.title.toCaseFolded().compare(b.title.toCaseFolded());
    }
}

int MemoListModel::compareInOrder(const Row& a, const Row& b) const
{
    const int order = compareKeys(a, b);
    return m_sortOrder == Qt::AscendingOrder ? order : -order;
}

bool MemoListModel::before(int a, int b) const
{
    const Entry& entryA = m_entries[size_t(a)];
    const Entry& entryB = m_entries[size_t(b)];
    if (m_textSortOn) {
        const int order = compareInOrder(entryA.row, entryB.row);
        if (order != 0)
            return order < 0;
    }
    return entryA.rank < entryB.rank;
}

std::vector<int> MemoListModel::textOrder() const
{
    const bool descending = m_sortOrder == Qt::DescendingOrder;
    // Keys are computed once per row, not once per comparison.
    if (m_sortColumn == ColumnId) {
        std::vector<IdTextKey> keys;
        keys.reserve(m_order.size());
        for (int entry : m_order)
            keys.push_back(idTextKey(m_entries[size_t(entry)].row.id));
        return orderByKeys(keys, descending);
    }
    std::vector<QString> keys;
    keys.reserve(m_order.size());
    for (int entry : m_order) {
        const Row& row = m_entries[size_t(entry)].row;
        keys.push_back(m_sortColumn == ColumnPublish  ? row.publishTime
                       : m_sortColumn == ColumnUpdate ? row.updateTime
                                                      : row.title.toCaseFolded());
    }
    return orderByKeys(keys, descending);
}

void MemoListModel::reorder(const std::vector<int>& order)
{
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> sorted(order.size());
    std::vector<int> newPosition(order.size());
    for (size_t i = 0; i < order.size(); ++i) {
        sorted[i] = m_order[size_t(order[i])];
        newPosition[size_t(order[i])] = int(i);
        m_entries[size_t(sorted[i])].rank = qint64(i);
    }
    m_order = std::move(sorted);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before)
        after.append(this->index(newPosition[size_t(index.row())], index.column()));
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void MemoListModel::setRows(std::vector<Row> rows)
{
    beginResetModel();
    m_entries.clear();
    m_entries.reserve(rows.size());
    // Indexed at once: the fill reads every row anyway, and a save should not
    // pay for it later.
    m_entryById.clear();
    m_entryById.reserve(qsizetype(rows.size()));
    for (Row& row : rows) {
        m_entryById.insert(row.id, int(m_entries.size()));
        m_entries.push_back({std::move(row), 0});
    }
    m_order.resize(m_entries.size());
    std::iota(m_order.begin(), m_order.end(), 0);
    m_textSortOn = true;
    // The entries are in arrival order, so the text order's positions are entries.
    m_order = textOrder();
    for (size_t i = 0; i < m_order.size(); ++i)
        m_entries[size_t(m_order[i])].rank = qint64(i);
    endResetModel();
}

int MemoListModel::rowOfId(qint64 id) const
{
    const int entry = m_entryById.value(id, -1);
    if (entry < 0)
        return -1;
    const int position =
        firstAfter(int(m_order.size()), [this, entry](int i) { return !before(m_order[size_t(i)], entry); });
    return position < int(m_order.size()) && m_order[size_t(position)] == entry ? position : -1;
}

void MemoListModel::updateRow(int index, const QString& updateTime, const QString& title)
{
    Row& row = m_entries[size_t(m_order[size_t(index)])].row;
    row.updateTime = updateTime;
    row.title = title;
    Q_EMIT dataChanged(this->index(index, ColumnUpdate), this->index(index, ColumnTitle));
    if (m_textSortOn && (m_sortColumn == ColumnUpdate || m_sortColumn == ColumnTitle))
        moveToPlace(index);
}

void MemoListModel::moveToPlace(int position)
{
    // Where sorting the whole list again would put the row: among the rows with
    // its new key, first if it stood before them, last if it stood after them.
    Entry& moved = m_entries[size_t(m_order[size_t(position)])];
    const int others = int(m_order.size()) - 1;
    const auto other = [this, position](int i) -> const Entry& {
        return m_entries[size_t(m_order[size_t(i < position ? i : i + 1)])];
    };
    const int equalFrom =
        firstAfter(others, [&](int i) { return compareInOrder(other(i).row, moved.row) >= 0; });
    const int equalTo =
        firstAfter(others, [&](int i) { return compareInOrder(other(i).row, moved.row) > 0; });
    int target = position;
    if (position <= equalFrom) {
        target = equalFrom;
        if (equalFrom < equalTo)
            moved.rank = other(equalFrom).rank - 1;
    } else if (position >= equalTo) {
        target = equalTo;
        if (equalFrom < equalTo)
            moved.rank = other(equalTo - 1).rank + 1;
    }
    // Otherwise its neighbours sort equal to it on both sides: its key did not
    // change its place, and its rank still fits between theirs.
    if (target == position)
        return;
    beginMoveRows({}, position, position, {}, target > position ? target + 1 : target);
    const auto at = m_order.begin();
    if (target > position)
        std::rotate(at + position, at + position + 1, at + target + 1);
    else
        std::rotate(at + target, at + position, at + position + 1);
    endMoveRows();
}

int MemoListModel::addRow(Row row)
{
    const int count = int(m_order.size());
    int position = count;
    qint64 rank = count > 0 ? m_entries[size_t(m_order.back())].rank + 1 : 0;
    if (m_textSortOn) {
        position = firstAfter(
            count, [&](int i) { return compareInOrder(m_entries[size_t(m_order[size_t(i)])].row, row) > 0; });
        const Entry* previous = position > 0 ? &m_entries[size_t(m_order[size_t(position - 1)])] : nullptr;
        rank = previous && compareInOrder(previous->row, row) == 0 ? previous->rank + 1 : 0;
    }
    const int entry = int(m_entries.size());
    m_entryById.insert(row.id, entry);
    m_entries.push_back({std::move(row), rank});
    beginInsertRows({}, position, position);
    m_order.insert(m_order.begin() + position, entry);
    endInsertRows();
    return position;
}

void MemoListModel::removeIds(const QSet<qint64>& ids)
{
    // From the end, so that the positions still to visit do not move.
    for (int last = int(m_order.size()) - 1; last >= 0;) {
        if (!ids.contains(m_entries[size_t(m_order[size_t(last)])].row.id)) {
            --last;
            continue;
        }
        int first = last;
        while (first > 0 && ids.contains(m_entries[size_t(m_order[size_t(first - 1)])].row.id))
            --first;
        beginRemoveRows({}, first, last);
        for (int position = first; position <= last; ++position)
            m_entryById.remove(m_entries[size_t(m_order[size_t(position)])].row.id);
        m_order.erase(m_order.begin() + first, m_order.begin() + last + 1);
        endRemoveRows();
        last = first - 1;
    }
}

void MemoListModel::setIcons(const QSet<qint64>& ids, int image)
{
    for (qint64 id : ids) {
        const int entry = m_entryById.value(id, -1);
        if (entry >= 0)
            m_entries[size_t(entry)].shownImage = image;
    }
    if (!m_order.empty())
        Q_EMIT dataChanged(index(0, ColumnId), index(rowCount() - 1, ColumnId), {Qt::DecorationRole});
}

void MemoListModel::setLocked(const QSet<qint64>& ids, bool locked)
{
    for (qint64 id : ids) {
        const int entry = m_entryById.value(id, -1);
        if (entry < 0)
            continue;
        m_entries[size_t(entry)].row.isPass = locked;
        m_entries[size_t(entry)].shownImage = locked ? MemoListIcons::Padlock : MemoListIcons::Empty;
    }
    if (!m_order.empty())
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1),
                           {Qt::ForegroundRole, Qt::DecorationRole});
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
    } else {
        // Without the text sort the list order is the order of the ranks.
        for (size_t i = 0; i < m_order.size(); ++i)
            m_entries[size_t(m_order[i])].rank = qint64(i);
    }
}

void MemoListModel::sortByIdNumber(bool& toggle)
{
    m_textSortOn = false;
    std::vector<qint64> ids;
    ids.reserve(m_order.size());
    for (int entry : m_order)
        ids.push_back(m_entries[size_t(entry)].row.id);
    reorder(numericValueOrder(ids, toggle));
}

void MemoListModel::setSecurityColour(const QColor& colour)
{
    m_securityColour = colour;
    if (!m_order.empty())
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1), {Qt::ForegroundRole});
}
