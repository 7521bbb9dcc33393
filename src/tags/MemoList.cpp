#include "tags/MemoList.h"

#include "store/MemoStore.h"
#include "tags/ListViews.h"
#include "tags/MemoListModel.h"
#include "tags/TagString.h"
#include "tags/TagTable.h"
#include "ui/BusyCursor.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QSet>

#include <algorithm>

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
    Q_EMIT memoChosen(m_model->row(index.row()).id);
}

void MemoList::FillMemoList(const QString& name, const TagTable& table)
{
    BusyCursor busy;
    std::vector<MemoListModel::Row> rows;
    const auto take = [&rows](const MemoListRow& row) { rows.push_back(row.entry); };
    if (name == TagTable::allName()) {
        m_store.forEachListedMemo(false, take);
    } else if (name == TagTable::trashName()) {
        m_store.forEachListedMemo(true, take);
    } else if (name == TagTable::findName()) {
        // Found memos that were moved to the trash since are skipped.
        QSet<qint64> found;
        for (qint64 id : table.findIds())
            found.insert(id);
        m_store.forEachListedMemo(false, [&](const MemoListRow& row) {
            if (found.contains(row.entry.id))
                take(row);
        });
    } else {
        m_store.forEachListedMemo(false, [&](const MemoListRow& row) {
            if (!row.categoryIsNull && holdsTag(row.category, name))
                take(row);
        });
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
        ids.append(m_model->row(index.row()).id);
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
