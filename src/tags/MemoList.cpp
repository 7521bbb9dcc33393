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
    Q_EMIT memoChosen(m_model->idAt(index.row()));
}

namespace {

constexpr qint64 kLowestId = std::numeric_limits<qint64>::min();
constexpr qint64 kHighestId = std::numeric_limits<qint64>::max();
// Lists whose RecordIDs span fewer are read in one part.
constexpr qint64 kSplitSpan = 20'000;

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
// once; nullopt when it is read in one.
std::optional<qint64> splitPoint(MemoStore& store)
{
    if (!store.readsApartSeeAll())
        return std::nullopt;
    const auto range = store.recordIdRange();
    if (!range || range->second - range->first < kSplitSpan)
        return std::nullopt;
    return range->first + (range->second - range->first) / 2;
}

} // namespace

struct MemoList::Prefetch
{
    QString name;
    MemoStore::ContentVersion version;
    std::future<MemoListRows> lower;
    std::future<MemoListRows> upper; // not valid when the list is read in one part
};

MemoList::~MemoList() = default;

void MemoList::prefetch(const QString& name)
{
    if (name == TagTable::findName() || !m_store.readsApartSeeAll())
        return;
    auto prefetch = std::make_unique<Prefetch>();
    prefetch->name = name;
    prefetch->version = m_store.contentVersion();
    const std::optional<qint64> split = splitPoint(m_store);
    prefetch->lower = readApart(m_store.path(), name, {}, kLowestId, split ? *split : kHighestId);
    if (split)
        prefetch->upper = readApart(m_store.path(), name, {}, *split + 1, kHighestId);
    m_prefetch = std::move(prefetch);
}

void MemoList::layOutPrefetchedRows(int count)
{
    if (!m_prefetch || count <= 0)
        return;
    m_model->setPlaceholderRows(count);
    m_view->doItemsLayout();
}

void MemoList::FillMemoList(const QString& name, const TagTable& table)
{
    BusyCursor busy;
    if (const std::unique_ptr<Prefetch> prefetch = std::move(m_prefetch)) {
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
    const QList<qint64> found = name == TagTable::findName() ? table.findIds() : QList<qint64>();
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
    m_model->clear();
}

void MemoList::UpdateMemoListRow(const QString& name, qint64 id, const QString& title,
                                 const QString& updateTime, const QString& tags, bool inTrash)
{
    // A memo in the trash belongs to the trash list only; one outside it to
    // "[ALL]", "[Find]" and the lists of its tags (letter case counts here).
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
    m_selectingItself = true;
    m_view->selectAll();
    m_selectingItself = false;
}

QList<qint64> MemoList::selectedIds() const
{
    QModelIndexList selected = m_view->selectionModel()->selectedRows();
    std::sort(selected.begin(), selected.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    QList<qint64> ids;
    ids.reserve(selected.size());
    for (const QModelIndex& index : selected)
        ids.append(m_model->idAt(index.row()));
    return ids;
}

int MemoList::FindMemoRow(qint64 id) const
{
    return m_model->rowOfId(id) + 1;
}

void MemoList::removeMemoRows(const QList<qint64>& ids)
{
    m_model->removeIds(QSet<qint64>(ids.begin(), ids.end()));
}

void MemoList::setMemoIcons(const QList<qint64>& ids, int image)
{
    m_model->setIcons(QSet<qint64>(ids.begin(), ids.end()), image);
}

void MemoList::setMemosLocked(const QList<qint64>& ids, bool locked)
{
    m_model->setLocked(QSet<qint64>(ids.begin(), ids.end()), locked);
}

void MemoList::selectId(qint64 id)
{
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
