#include "tags/MemoList.h"

#include "store/DatabaseError.h"
#include "store/MemoStore.h"
#include "tags/ListViews.h"
#include "tags/MemoListModel.h"
#include "tags/MemoListRows.h"
#include "tags/TagString.h"
#include "tags/TagTable.h"
#include "ui/BusyCursor.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QSet>
#include <QTimer>

#include <algorithm>
#include <future>
#include <limits>
#include <optional>

MemoList::MemoList(ReportListView* view, MemoStore& store, QObject* parent)
    : QObject(parent), m_view(view), m_model(new MemoListModel(view)), m_store(store)
{
    m_view->setModel(m_model);
    m_view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_view->viewport()->installEventFilter(this);
    m_view->installEventFilter(this);
    connect(m_view->header(), &QHeaderView::sectionClicked, this, &MemoList::onHeaderClicked);
    // A click shows its memo unless it was made with the right button or a
    // modifier (those select rows); a keyboard move without modifiers from one
    // row to another shows it too (the list giving itself a current row when it
    // gets the focus does not).
    connect(m_view, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
        if (m_lastButton != Qt::RightButton &&
            !(m_lastModifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)))
            choose(index);
    });
    connect(m_view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current, const QModelIndex& previous) {
                if (previous.isValid() && QApplication::mouseButtons() == Qt::NoButton &&
                    !(QApplication::keyboardModifiers() &
                      (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)))
                    choose(current);
            });
}

void MemoList::choose(const QModelIndex& index)
{
    if (!index.isValid() || m_selectingItself)
        return;
    // The first rows are the same memos in the same places once the rest are in.
    const int row = index.row();
    takeRestOfRows();
    if (row < m_model->rowCount())
        Q_EMIT memoChosen(m_model->idAt(row));
}

namespace {

constexpr qint64 kLowestId = std::numeric_limits<qint64>::min();
constexpr qint64 kHighestId = std::numeric_limits<qint64>::max();
// Lists whose RecordIDs span fewer are read in one part.
constexpr qint64 kSplitSpan = 20'000;
// Lists of this many rows or more show their first rows before the rest are
// read; as many as a screen holds, and more.
constexpr int kFirstRowsFrom = 20'000;
constexpr int kFirstRows = 200;

// Reads the memo list's rows with RecordIDs from `firstId` to `lastId`
// (MemoStore::forEachListedMemoColumns on one connection or another).
using ListReader = std::function<void(bool inTrash, bool withCategory, qint64 firstId, qint64 lastId,
                                      const std::function<void(const MemoListColumns&)>&)>;

// The rows of category `name` with RecordIDs from `firstId` to `lastId`;
// `found` are the memos of "[Find]".
MemoListRows readRows(const QString& name, const QList<qint64>& found, qint64 firstId, qint64 lastId,
                      const ListReader& read)
{
    MemoListRows rows;
    const auto take = [&rows](const MemoListColumns& row) {
        rows.append(row.id, row.publishTime, row.updateTime, row.title, row.icon, row.isPass);
    };
    if (name == TagTable::allName()) {
        read(false, false, firstId, lastId, take);
    } else if (name == TagTable::trashName()) {
        read(true, false, firstId, lastId, take);
    } else if (name == TagTable::findName()) {
        // Found memos that were moved to the trash since are skipped.
        const QSet<qint64> wanted(found.cbegin(), found.cend());
        read(false, false, firstId, lastId, [&](const MemoListColumns& row) {
            if (wanted.contains(row.id))
                take(row);
        });
    } else {
        // Each tag string is decoded into one buffer, not into a string of its own.
        std::vector<char16_t> tags;
        read(false, true, firstId, lastId, [&](const MemoListColumns& row) {
            if (row.category.isNull())
                return;
            if (tags.size() < size_t(row.category.size()))
                tags.resize(size_t(row.category.size()));
            const qsizetype length = MemoListRows::decodeUtf8(row.category, tags.data());
            if (holdsTag(QStringView(tags.data(), length), name))
                take(row);
        });
    }
    return rows;
}

// The same read in another thread on a connection of its own to the file at
// `path`. The thread holds copies only: the store may be gone before it ends.
std::future<MemoListRows> readApart(const QString& path, const QString& name, const QList<qint64>& found,
                                    qint64 firstId, qint64 lastId)
{
    return std::async(std::launch::async, [path, name, found, firstId, lastId] {
        return readRows(
            name, found, firstId, lastId,
            [&path](bool inTrash, bool withCategory, qint64 first, qint64 last, const auto& visit) {
                MemoStore::forEachListedMemoColumnsAt(path, inTrash, withCategory, first, last, visit);
            });
    });
}

// The last RecordID of the lower part when a list is read in two parts at
// once, `share` of the RecordIDs in use; nullopt when it is read in one.
std::optional<qint64> splitPoint(MemoStore& store, double share = 0.5)
{
    if (!store.readsApartSeeAll())
        return std::nullopt;
    const auto range = store.recordIdRange();
    if (!range || range->second - range->first < kSplitSpan)
        return std::nullopt;
    return range->first + qint64(double(range->second - range->first) * share);
}

// The first `count` rows of "[ALL]" sorted by ID text, with others: IDs of
// one number of digits are in the same order as texts and as numbers, so
// the first rows are among the `count` lowest IDs of each length (the
// highest for the descending sort). Nullopt for negative IDs, whose texts
// do not keep that order.
std::optional<MemoListRows> readIdTextFirstRows(MemoStore& store, bool descending, int count)
{
    const auto range = store.recordIdRange();
    if (!range || range->first < 0)
        return std::nullopt;
    MemoListRows rows;
    const auto take = [&rows](const MemoListColumns& row) {
        rows.append(row.id, row.publishTime, row.updateTime, row.title, row.icon, row.isPass);
    };
    // The IDs of one length: from `lowest` to `highest`.
    qint64 lowest = 0;
    qint64 highest = 9;
    for (;;) {
        store.forEachListedMemoColumnsAtEnd(false, descending, lowest, highest, count, take);
        if (highest >= range->second || highest == kHighestId)
            break;
        lowest = highest + 1;
        highest = highest > (kHighestId - 9) / 10 ? kHighestId : highest * 10 + 9;
    }
    return rows;
}

} // namespace

struct MemoList::Prefetch
{
    QString name;
    MemoStore::ContentVersion version;
    std::future<MemoListRows> lower;
    std::future<MemoListRows> upper; // not valid when the list is read in one part
    std::optional<qint64> upperFrom; // the upper part's first RecordID while it waits to be read

    // Starts reading the upper part, if it waits.
    void readUpper(const QString& path)
    {
        if (upperFrom)
            upper = readApart(path, name, {}, *upperFrom, kHighestId);
        upperFrom.reset();
    }
};

MemoList::~MemoList() = default;

void MemoList::prefetch(const QString& name)
{
    if (name == TagTable::findName() || !m_store.readsApartSeeAll())
        return;
    auto prefetch = std::make_unique<Prefetch>();
    prefetch->name = name;
    prefetch->version = m_store.contentVersion();
    // The lower part is read beside the window's building and the tag
    // counts, which keep the other core; the upper part, a third, once they
    // are done (layOutPrefetchedRows()).
    const std::optional<qint64> split = splitPoint(m_store, 2.0 / 3.0);
    prefetch->lower = readApart(m_store.path(), name, {}, kLowestId, split ? *split : kHighestId);
    if (split)
        prefetch->upperFrom = *split + 1;
    m_prefetch = std::move(prefetch);
}

bool MemoList::layOutPrefetchedRows(int count)
{
    if (!m_prefetch)
        return false;
    m_prefetch->readUpper(m_store.path());
    if (count <= 0)
        return false;
    if (count >= kFirstRowsFrom && m_prefetch->name == TagTable::allName() && m_model->isTextSortOn() &&
        m_model->sortColumn() == MemoListModel::ColumnId) {
        try {
            if (std::optional<MemoListRows> first =
                    readIdTextFirstRows(m_store, m_model->sortOrder() == Qt::DescendingOrder, kFirstRows)) {
                m_model->setFirstRows(std::move(*first), kFirstRows);
                m_restOfRows = count - m_model->rowCount();
                return true;
            }
        } catch (const DatabaseError&) {
            // The rows are read whole below, where a failure is reported.
        }
    }
    m_model->setPlaceholderRows(count);
    m_view->doItemsLayout();
    return false;
}

void MemoList::layOutRestOfRows()
{
    if (!m_restOfRows || m_model->hasPlaceholderRows())
        return;
    m_model->addPlaceholderRows(*m_restOfRows);
    m_view->doItemsLayout();
}

void MemoList::takeRestOfRows()
{
    if (!m_restOfRows)
        return;
    try {
        fill(TagTable::allName(), {});
    } catch (const DatabaseError& error) {
        Q_EMIT fillFailed(error.userMessage());
    }
}

void MemoList::FillMemoList(const QString& name, const TagTable& table)
{
    fill(name, name == TagTable::findName() ? table.findIds() : QList<qint64>());
}

void MemoList::fill(const QString& name, const QList<qint64>& found)
{
    BusyCursor busy;
    m_restOfRows.reset();
    if (const std::unique_ptr<Prefetch> prefetch = std::move(m_prefetch)) {
        if (prefetch->name == name)
            prefetch->readUpper(m_store.path());
        // Waited for in any case: the rows are either taken or dropped.
        prefetch->lower.wait();
        if (prefetch->upper.valid())
            prefetch->upper.wait();
        if (prefetch->name == name && m_store.contentVersion() == prefetch->version) {
            try {
                MemoListRows rows = prefetch->lower.get();
                if (prefetch->upper.valid())
                    rows.append(prefetch->upper.get());
                m_model->setRows(std::move(rows));
                return;
            } catch (const DatabaseError&) {
                // Read again below, where a failure is reported.
            }
        }
    }
    // Placeholders are not left standing should the reading below fail.
    if (m_model->hasPlaceholderRows())
        m_model->clear();
    const ListReader onStore = [this](bool inTrash, bool withCategory, qint64 first, qint64 last,
                                      const auto& visit) {
        m_store.forEachListedMemoColumns(inTrash, withCategory, first, last, visit);
    };
    // A long list is read in two parts at once: the upper one in another thread.
    MemoListRows rows;
    if (const std::optional<qint64> split = splitPoint(m_store)) {
        std::future<MemoListRows> upper = readApart(m_store.path(), name, found, *split + 1, kHighestId);
        rows = readRows(name, found, kLowestId, *split, onStore);
        MemoListRows upperRows;
        try {
            upperRows = upper.get();
        } catch (const DatabaseError&) {
            // A second connection could not read: this one reads that part too.
            upperRows = readRows(name, found, *split + 1, kHighestId, onStore);
        }
        rows.append(std::move(upperRows));
    } else {
        rows = readRows(name, found, kLowestId, kHighestId, onStore);
    }
    m_model->setRows(std::move(rows));
}

void MemoList::clear()
{
    takeRestOfRows();
    m_model->clear();
}

void MemoList::UpdateMemoListRow(const QString& name, qint64 id, const QString& title,
                                 const QString& updateTime, const QString& tags, bool inTrash)
{
    // A memo in the trash belongs to the trash list only; one outside it to
    // "[ALL]", "[Find]" and the lists of its tags (letter case counts here).
    takeRestOfRows();
    const bool belongs = inTrash ? name == TagTable::trashName()
                                 : name == TagTable::allName() || name == TagTable::findName() ||
                                       (name != TagTable::trashName() && splitTags(tags).contains(name));
    if (!belongs)
        return;
    if (const int row = m_model->rowOfId(id); row >= 0) {
        m_model->updateRow(row, updateTime, title);
        return;
    }
    // A new row: added at the end with the text sort off, then sorted with it on.
    const bool sorted = m_model->isTextSortOn();
    m_model->addRow({id, updateTime, updateTime, title, -1, false});
    if (!sorted)
        m_model->setTextSortOn(true);
}

void MemoList::SelectAllMemos()
{
    takeRestOfRows();
    m_selectingItself = true;
    m_view->selectAll();
    m_selectingItself = false;
}

QList<qint64> MemoList::selectedIds()
{
    takeRestOfRows();
    QModelIndexList selected = m_view->selectionModel()->selectedRows();
    std::sort(selected.begin(), selected.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    QList<qint64> ids;
    ids.reserve(selected.size());
    for (const QModelIndex& index : selected)
        ids.append(m_model->idAt(index.row()));
    return ids;
}

int MemoList::FindMemoRow(qint64 id)
{
    takeRestOfRows();
    return m_model->rowOfId(id) + 1;
}

void MemoList::removeMemoRows(const QList<qint64>& ids)
{
    takeRestOfRows();
    m_model->removeIds(QSet<qint64>(ids.begin(), ids.end()));
}

void MemoList::setMemoIcons(const QList<qint64>& ids, int image)
{
    takeRestOfRows();
    m_model->setIcons(QSet<qint64>(ids.begin(), ids.end()), image);
}

void MemoList::setMemosLocked(const QList<qint64>& ids, bool locked)
{
    takeRestOfRows();
    m_model->setLocked(QSet<qint64>(ids.begin(), ids.end()), locked);
}

void MemoList::selectId(qint64 id)
{
    takeRestOfRows();
    const int row = m_model->rowOfId(id);
    if (row < 0)
        return;
    m_selectingItself = true;
    const QModelIndex index = m_model->index(row, 0);
    m_view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                         QItemSelectionModel::Rows);
    m_view->scrollTo(index);
    m_selectingItself = false;
}

void MemoList::onHeaderClicked(int column)
{
    takeRestOfRows();
    if (column == MemoListModel::ColumnId) {
        m_model->sortByIdNumber(m_numSortToggle);
        return;
    }
    m_model->setTextSort(column, m_model->sortOrder() == Qt::DescendingOrder ? Qt::AscendingOrder
                                                                             : Qt::DescendingOrder);
}

void MemoList::FitTitleColumn(int minimumTitleWidth)
{
    QHeaderView* header = m_view->header();
    const int others = header->sectionSize(MemoListModel::ColumnId) +
                       header->sectionSize(MemoListModel::ColumnPublish) +
                       header->sectionSize(MemoListModel::ColumnUpdate);
    const int available = m_view->viewport()->width() - others;
    const int title = header->sectionSize(MemoListModel::ColumnTitle);
    // A narrow title column keeps its width when the list is too small for it.
    if (available > title || title >= minimumTitleWidth)
        header->resizeSection(MemoListModel::ColumnTitle, std::max(available, 1));
}

bool MemoList::eventFilter(QObject* watched, QEvent* event)
{
    if (m_restOfRows) {
        switch (event->type()) {
        case QEvent::Paint:
            // The first screen is out: the rest are laid out and taken next,
            // as soon as the painting is done.
            if (watched == m_view->viewport() && !m_restScheduled) {
                m_restScheduled = true;
                QTimer::singleShot(0, this, [this] {
                    m_restScheduled = false;
                    layOutRestOfRows();
                    takeRestOfRows();
                });
            }
            break;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::DragEnter:
            // What the user does to the list acts on the whole list.
            takeRestOfRows();
            break;
        default:
            break;
        }
    }
    if (event->type() == QEvent::MouseButtonPress && watched == m_view->viewport()) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        m_lastButton = mouse->button();
        m_lastModifiers = mouse->modifiers();
    } else if (event->type() == QEvent::KeyPress && watched == m_view) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::SelectAll)) {
            SelectAllMemos();
            return true;
        }
        if (key->key() == Qt::Key_Delete && key->modifiers() == Qt::NoModifier) {
            Q_EMIT deleteKeyPressed();
            return true;
        }
    }
    return false;
}
