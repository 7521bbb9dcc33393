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

// IDs from 0 to below 10^17 as one number each that orders them as their
// texts: the digits aligned to the left, then the number of digits (a prefix
// goes first: "1" before "10").
// Changes to this many rows or fewer are made row by row; to more, by a pass
// over the whole list.
constexpr qsizetype kFewRows = 64;

constexpr qint64 kIdTextKeyLimit = 100'000'000'000'000'000;
constexpr qint64 kPowersOfTen[] = {1,
                                   10,
                                   100,
                                   1'000,
                                   10'000,
                                   100'000,
                                   1'000'000,
                                   10'000'000,
                                   100'000'000,
                                   1'000'000'000,
                                   10'000'000'000,
                                   100'000'000'000,
                                   1'000'000'000'000,
                                   10'000'000'000'000,
                                   100'000'000'000'000,
                                   1'000'000'000'000'000,
                                   10'000'000'000'000'000};
quint64 idTextNumber(qint64 id)
{
    int digits = 1;
    quint64 aligned = quint64(id);
    for (qint64 rest = id / 10; rest > 0; rest /= 10)
        ++digits;
    for (int i = digits; i < 17; ++i)
        aligned *= 10;
    return aligned * 18 + quint64(digits);
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
    return parent.isValid() ? 0 : int(m_order.size()) + m_placeholders;
}

QModelIndex MemoListModel::index(int row, int column, const QModelIndex& parent) const
{
    if (parent.isValid() || row < 0 || row >= rowCount() || column < 0 || column >= ColumnCount)
        return {};
    return createIndex(row, column);
}

Qt::ItemFlags MemoListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid() || index.model() != this)
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}

int MemoListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString MemoListModel::cellText(int entry, int column) const
{
    switch (column) {
    case ColumnId:
        return QString::number(m_rows[entry].id);
    case ColumnPublish:
        return m_rows.publishTime(entry);
    case ColumnUpdate:
        return m_rows.updateTime(entry);
    default:
        return m_rows.title(entry);
    }
}

QVariant MemoListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_order.size()))
        return {};
    const int entry = m_order[size_t(index.row())];
    const MemoListRows::Record& row = m_rows[entry];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        if (role == Qt::ToolTipRole && index.column() != ColumnTitle)
            return {};
        return cellText(entry, index.column());
    case Qt::ForegroundRole:
        if (row.isPass && m_securityColour.isValid())
            return m_securityColour;
        return {};
    case Qt::DecorationRole:
        if (index.column() != ColumnId || !m_iconProvider)
            return {};
        if (row.shownImage != 0)
            return m_iconProvider(row.shownImage);
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

int MemoListModel::compareKeys(int a, int b) const
{
    const MemoListRows::Record& rowA = m_rows[a];
    const MemoListRows::Record& rowB = m_rows[b];
    switch (m_sortColumn) {
    case ColumnId:
        return compareIdTexts(rowA.id, rowB.id);
    case ColumnPublish:
        return m_rows.compareTimes(rowA.publishTime, rowB.publishTime);
    case ColumnUpdate:
        return m_rows.compareTimes(rowA.updateTime, rowB.updateTime);
    default:
        // Letter case is ignored.
        return MemoListRows::compareCaseFolded(m_rows.titleView(a), m_rows.titleView(b));
    }
}

int MemoListModel::compareInOrder(int a, int b) const
{
    const int order = compareKeys(a, b);
    return m_sortOrder == Qt::AscendingOrder ? order : -order;
}

bool MemoListModel::before(int a, int b) const
{
    if (m_textSortOn) {
        const int order = compareInOrder(a, b);
        if (order != 0)
            return order < 0;
    }
    return m_rows[a].rank < m_rows[b].rank;
}

std::vector<int> MemoListModel::textOrder() const
{
    switch (m_sortColumn) {
    case ColumnId:
        return idTextOrder();
    case ColumnPublish:
    case ColumnUpdate:
        return timeOrder(m_sortColumn == ColumnPublish);
    default:
        return titleOrder();
    }
}

std::vector<int> MemoListModel::comparedOrder() const
{
    std::vector<int> order(m_order.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [this](int a, int b) {
        return compareInOrder(m_order[size_t(a)], m_order[size_t(b)]) < 0;
    });
    return order;
}

std::vector<int> MemoListModel::idTextOrder() const
{
    const bool descending = m_sortOrder == Qt::DescendingOrder;
    // A list in ascending ID order, as a fill reads it, holds one run of IDs
    // per number of digits, each run already in text order: merging the runs
    // by their left-aligned digits gives the text order. IDs are distinct, so
    // the descending order is the reverse.
    std::vector<size_t> runStarts;
    qint64 previous = -1;
    int digits = 0;
    for (size_t i = 0; i < m_order.size(); ++i) {
        const qint64 id = m_rows[m_order[i]].id;
        if (id <= previous || id >= kIdTextKeyLimit) {
            runStarts.clear();
            break;
        }
        previous = id;
        // runStarts[d - 1]: where the run of IDs of d digits starts.
        while (digits == 0 || (digits < 17 && id >= kPowersOfTen[size_t(digits)])) {
            ++digits;
            runStarts.resize(size_t(digits), i);
        }
    }
    if (!runStarts.empty() || m_order.empty()) {
        struct Run
        {
            size_t next;
            size_t end;
            qint64 scale; // 10 to the power of the digits missing to 17
            quint64 key;
        };
        std::vector<Run> runs;
        for (size_t d = 0; d < runStarts.size(); ++d) {
            const size_t end = d + 1 < runStarts.size() ? runStarts[d + 1] : m_order.size();
            if (runStarts[d] < end)
                runs.push_back({runStarts[d], end, kPowersOfTen[16 - d], 0});
        }
        const auto keyOf = [this](const Run& run) {
            return quint64(m_rows[m_order[run.next]].id * run.scale);
        };
        for (Run& run : runs)
            run.key = keyOf(run);
        std::vector<int> order;
        order.reserve(m_order.size());
        while (!runs.empty()) {
            // On equal digits the shorter ID goes first: runs are in digit order.
            size_t best = 0;
            for (size_t r = 1; r < runs.size(); ++r)
                if (runs[r].key < runs[best].key)
                    best = r;
            Run& run = runs[best];
            order.push_back(int(run.next));
            if (++run.next == run.end)
                runs.erase(runs.begin() + qsizetype(best));
            else
                run.key = keyOf(run);
        }
        if (descending)
            std::reverse(order.begin(), order.end());
        return order;
    }
    std::vector<quint64> keys;
    keys.reserve(m_order.size());
    for (int entry : m_order) {
        const qint64 id = m_rows[entry].id;
        if (id < 0 || id >= kIdTextKeyLimit)
            return comparedOrder();
        keys.push_back(idTextNumber(id));
    }
    return stableKeyOrder(keys, descending);
}

std::vector<int> MemoListModel::timeOrder(bool publish) const
{
    // Packed times compare as numbers; a list with times in other forms
    // compares their texts.
    if (!m_rows.timesArePacked())
        return comparedOrder();
    std::vector<quint64> keys;
    keys.reserve(m_order.size());
    for (int entry : m_order)
        keys.push_back(publish ? m_rows[entry].publishTime : m_rows[entry].updateTime);
    return stableKeyOrder(keys, m_sortOrder == Qt::DescendingOrder);
}

std::vector<int> MemoListModel::titleOrder() const
{
    // By four units of the folded titles at a time: all rows by their first
    // four, then each run of rows that agree so far by their next four, and
    // so on; short runs, and runs of titles that ended (or hold U+0000),
    // by comparing whole titles.
    const bool descending = m_sortOrder == Qt::DescendingOrder;
    const auto less = [this](int a, int b) {
        return compareInOrder(m_order[size_t(a)], m_order[size_t(b)]) < 0;
    };
    std::vector<int> order(m_order.size());
    std::iota(order.begin(), order.end(), 0);
    struct Run
    {
        size_t first;
        size_t last;
        int from; // the units the run's titles agree in
    };
    std::vector<Run> runs = {{0, order.size(), 0}};
    std::vector<quint64> keys;
    while (!runs.empty()) {
        const Run run = runs.back();
        runs.pop_back();
        const auto begin = order.begin() + qsizetype(run.first);
        const auto end = order.begin() + qsizetype(run.last);
        if (run.last - run.first <= 16) {
            std::stable_sort(begin, end, less);
            continue;
        }
        keys.resize(run.last - run.first);
        bool allEnded = true;
        for (size_t i = run.first; i < run.last; ++i) {
            quint64& key = keys[i - run.first];
            if (!MemoListRows::caseFoldedPrefix(m_rows.titleView(m_order[size_t(order[i])]), &key, run.from))
                return comparedOrder();
            allEnded = allEnded && key == 0;
        }
        if (allEnded) {
            std::stable_sort(begin, end, less);
            continue;
        }
        const std::vector<int> byKey = stableKeyOrder(keys, descending);
        std::vector<int> sorted(byKey.size());
        for (size_t i = 0; i < byKey.size(); ++i)
            sorted[i] = order[run.first + size_t(byKey[i])];
        std::copy(sorted.begin(), sorted.end(), begin);
        for (size_t first = 0; first < byKey.size();) {
            size_t last = first + 1;
            while (last < byKey.size() && keys[size_t(byKey[last])] == keys[size_t(byKey[first])])
                ++last;
            if (last - first > 1)
                runs.push_back({run.first + first, run.first + last, run.from + 4});
            first = last;
        }
    }
    return order;
}

void MemoListModel::reorder(const std::vector<int>& order)
{
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> sorted(order.size());
    std::vector<int> newPosition(order.size());
    for (size_t i = 0; i < order.size(); ++i) {
        sorted[i] = m_order[size_t(order[i])];
        newPosition[size_t(order[i])] = int(i);
        m_rows[sorted[i]].rank = qint32(i);
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

void MemoListModel::setRows(const std::vector<Row>& rows)
{
    MemoListRows stored;
    for (const Row& row : rows)
        stored.append(row);
    setRows(std::move(stored));
}

void MemoListModel::setRows(MemoListRows rows)
{
    const bool inPlace = m_placeholders > 0 && qsizetype(m_order.size()) + m_placeholders == rows.size();
    if (!inPlace)
        beginResetModel();
    m_placeholders = 0;
    m_order.clear();
    m_rows = std::move(rows);
    m_order.resize(size_t(m_rows.size()));
    std::iota(m_order.begin(), m_order.end(), 0);
    m_textSortOn = true;
    // The rows are in arrival order, so the text order's positions are rows.
    m_order = textOrder();
    for (size_t i = 0; i < m_order.size(); ++i)
        m_rows[m_order[i]].rank = qint32(i);
    if (!inPlace)
        endResetModel();
    else
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1));
}

void MemoListModel::setPlaceholderRows(int count)
{
    beginResetModel();
    m_order.clear();
    m_rows = MemoListRows();
    m_placeholders = std::max(count, 0);
    endResetModel();
}

void MemoListModel::setFirstRows(MemoListRows candidates, int count)
{
    setRows(std::move(candidates));
    if (rowCount() <= count)
        return;
    beginRemoveRows({}, count, rowCount() - 1);
    m_order.resize(size_t(count));
    endRemoveRows();
}

void MemoListModel::addPlaceholderRows(int count)
{
    if (count <= 0)
        return;
    beginInsertRows({}, rowCount(), rowCount() + count - 1);
    m_placeholders += count;
    endInsertRows();
}

int MemoListModel::rowOfId(qint64 id) const
{
    const int entry = m_rows.indexOfId(id);
    if (entry < 0)
        return -1;
    const int position =
        firstAfter(int(m_order.size()), [this, entry](int i) { return !before(m_order[size_t(i)], entry); });
    return position < int(m_order.size()) && m_order[size_t(position)] == entry ? position : -1;
}

void MemoListModel::updateRow(int index, const QString& updateTime, const QString& title)
{
    m_rows.setUpdated(m_order[size_t(index)], updateTime, title);
    Q_EMIT dataChanged(this->index(index, ColumnUpdate), this->index(index, ColumnTitle));
    if (m_textSortOn && (m_sortColumn == ColumnUpdate || m_sortColumn == ColumnTitle))
        moveToPlace(index);
}

void MemoListModel::moveToPlace(int position)
{
    // Where sorting the whole list again would put the row: among the rows with
    // its new key, first if it stood before them, last if it stood after them.
    const int moved = m_order[size_t(position)];
    const int others = int(m_order.size()) - 1;
    const auto other = [this, position](int i) { return m_order[size_t(i < position ? i : i + 1)]; };
    const int equalFrom = firstAfter(others, [&](int i) { return compareInOrder(other(i), moved) >= 0; });
    const int equalTo = firstAfter(others, [&](int i) { return compareInOrder(other(i), moved) > 0; });
    int target = position;
    if (position <= equalFrom) {
        target = equalFrom;
        if (equalFrom < equalTo)
            m_rows[moved].rank = m_rows[other(equalFrom)].rank - 1;
    } else if (position >= equalTo) {
        target = equalTo;
        if (equalFrom < equalTo)
            m_rows[moved].rank = m_rows[other(equalTo - 1)].rank + 1;
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
    const int entry = m_rows.append(row);
    int position = count;
    qint32 rank = count > 0 ? m_rows[m_order.back()].rank + 1 : 0;
    if (m_textSortOn) {
        position = firstAfter(count, [&](int i) { return compareInOrder(m_order[size_t(i)], entry) > 0; });
        const int previous = position > 0 ? m_order[size_t(position - 1)] : -1;
        rank = previous >= 0 && compareInOrder(previous, entry) == 0 ? m_rows[previous].rank + 1 : 0;
    }
    m_rows[entry].rank = rank;
    beginInsertRows({}, position, position);
    m_order.insert(m_order.begin() + position, entry);
    endInsertRows();
    return position;
}

void MemoListModel::removeIds(const QSet<qint64>& ids)
{
    // The positions of the memos listed: looked up one by one for a few,
    // found by one pass over a long list for many.
    std::vector<int> positions;
    if (ids.size() <= kFewRows) {
        for (qint64 id : ids)
            if (const int position = rowOfId(id); position >= 0)
                positions.push_back(position);
        std::sort(positions.begin(), positions.end());
    } else {
        for (int position = 0; position < int(m_order.size()); ++position)
            if (ids.contains(idAt(position)))
                positions.push_back(position);
    }
    // Runs of neighbours from the end, so that the positions still to visit
    // do not move. The stored rows stay until the next fill; their positions
    // are gone.
    while (!positions.empty()) {
        const int last = positions.back();
        int first = last;
        positions.pop_back();
        while (!positions.empty() && positions.back() == first - 1) {
            first = positions.back();
            positions.pop_back();
        }
        beginRemoveRows({}, first, last);
        m_order.erase(m_order.begin() + first, m_order.begin() + last + 1);
        endRemoveRows();
    }
}

void MemoListModel::setIcons(const QSet<qint64>& ids, int image)
{
    for (qint64 id : ids) {
        const int entry = m_rows.indexOfId(id);
        if (entry >= 0)
            m_rows[entry].shownImage = qint16(image);
    }
    announceChanged(ids, ColumnId, ColumnId, {Qt::DecorationRole});
}

void MemoListModel::setLocked(const QSet<qint64>& ids, bool locked)
{
    for (qint64 id : ids) {
        const int entry = m_rows.indexOfId(id);
        if (entry < 0)
            continue;
        m_rows[entry].isPass = locked;
        m_rows[entry].shownImage = qint16(locked ? MemoListIcons::Padlock : MemoListIcons::Empty);
    }
    announceChanged(ids, 0, ColumnCount - 1, {Qt::ForegroundRole, Qt::DecorationRole});
}

void MemoListModel::announceChanged(const QSet<qint64>& ids, int firstColumn, int lastColumn,
                                    const QList<int>& roles)
{
    if (m_order.empty())
        return;
    // A few rows are announced one by one: the view's work for a range grows
    // with its length, which for the whole list of a million rows is felt.
    if (ids.size() > kFewRows) {
        Q_EMIT dataChanged(index(0, firstColumn), index(rowCount() - 1, lastColumn), roles);
        return;
    }
    for (qint64 id : ids) {
        const int row = rowOfId(id);
        if (row >= 0)
            Q_EMIT dataChanged(index(row, firstColumn), index(row, lastColumn), roles);
    }
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
            m_rows[m_order[i]].rank = qint32(i);
    }
}

void MemoListModel::sortByIdNumber(bool& toggle)
{
    m_textSortOn = false;
    std::vector<qint64> ids;
    ids.reserve(m_order.size());
    for (int entry : m_order)
        ids.push_back(m_rows[entry].id);
    reorder(numericValueOrder(ids, toggle));
}

void MemoListModel::setSecurityColour(const QColor& colour)
{
    m_securityColour = colour;
    if (!m_order.empty())
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1), {Qt::ForegroundRole});
}
