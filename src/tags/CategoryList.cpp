#include "tags/CategoryList.h"

#include "store/MemoStore.h"
#include "tags/CategoryListModel.h"
#include "tags/ListViews.h"
#include "ui/BusyCursor.h"

#include <QApplication>
#include <QHeaderView>
#include <QMouseEvent>

CategoryList::CategoryList(ReportListView* view, MemoStore& store, QObject* parent)
    : QObject(parent), m_view(view), m_model(new CategoryListModel(view)), m_store(store)
{
    m_view->setModel(m_model);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    // The memo list always shows the memos of the selected row, so the user can
    // move the selection but never clear it.
    m_view->setKeepsSelection(true);
    m_view->viewport()->installEventFilter(this);
    connect(m_view->header(), &QHeaderView::sectionClicked, this, &CategoryList::onHeaderClicked);
    // Every change of the selected row is a choice, whatever made it; a click on
    // the row already selected is one too.
    connect(m_view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CategoryList::onSelectionChanged);
}

void CategoryList::onSelectionChanged()
{
    const int id = selectedRowId();
    if (m_rebuilding) {
        m_selectedId = id;
        return;
    }
    if (id == 0 || id == m_selectedId)
        return;
    m_selectedId = id;
    // While a button is held (a drag), the list is filled once, at the release.
    if (m_mouseDown && QApplication::mouseButtons() != Qt::NoButton)
        m_choicePending = true;
    else
        choose();
}

void CategoryList::choose()
{
    m_choseDuringPress = m_mouseDown;
    Q_EMIT rowChosen();
}

bool CategoryList::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_view->viewport())
        return false;
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        m_mouseDown = true;
        m_choicePending = false;
        m_choseDuringPress = false;
        // The second press of a double click makes no click of its own.
        const bool clickable = event->type() == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton;
        m_pressedIndex = clickable ? QPersistentModelIndex(m_view->indexAt(mouse->position().toPoint()))
                                   : QPersistentModelIndex();
    } else if (event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const bool clicked = mouse->button() == Qt::LeftButton && m_pressedIndex.isValid() &&
                             m_view->indexAt(mouse->position().toPoint()) == m_pressedIndex;
        const bool chose = m_choicePending || (clicked && !m_choseDuringPress);
        m_mouseDown = false;
        m_choicePending = false;
        m_pressedIndex = QPersistentModelIndex();
        if (chose)
            choose();
    }
    return false;
}

void CategoryList::LoadCategoryCounts()
{
    BusyCursor busy;
    // Loaded beside the table in use, which stays as it was when reading fails.
    TagTable loaded = m_table;
    TagTable::Loader loader(loaded);
    m_store.forEachCategoryGroup(
        [&loader](QByteArrayView category, int count) { loader.add(category, count); });
    loader.finish(m_store.countTrashedMemos());
    m_table = std::move(loaded);
}

void CategoryList::CatList_Add()
{
    m_rebuilding = true;
    const QString remembered = selectedName();
    std::vector<CategoryListRow> rows;
    const std::vector<TagTable::CategoryRow> tableRows = m_table.rows();
    rows.reserve(tableRows.size());
    for (const TagTable::CategoryRow& row : tableRows)
        rows.push_back({row.id, row.name, row.count});
    m_model->setRows(std::move(rows));
    selectRowId(m_table.rowIdToSelect(remembered));
    m_rebuilding = false;
}

void CategoryList::UpdatePseudoCounts()
{
    m_model->setCount(TagTable::TrashRowId, m_table.trashCount());
    m_model->setCount(TagTable::FindRowId, m_table.findCount());
}

QString CategoryList::selectedName() const
{
    const QModelIndexList selected = m_view->selectionModel()->selectedRows();
    if (selected.isEmpty())
        return {};
    return m_model->row(selected.first().row()).name;
}

int CategoryList::selectedRowId() const
{
    const QModelIndexList selected = m_view->selectionModel()->selectedRows();
    return selected.isEmpty() ? 0 : m_model->row(selected.first().row()).id;
}

bool CategoryList::selectRowId(int id)
{
    const int row = m_model->rowOfId(id);
    if (row < 0)
        return false;
    const bool wasRebuilding = m_rebuilding;
    m_rebuilding = true;
    const QModelIndex index = m_model->index(row, 0);
    m_view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                         QItemSelectionModel::Rows);
    m_view->scrollTo(index);
    m_selectedId = id;
    m_rebuilding = wasRebuilding;
    return true;
}

void CategoryList::onHeaderClicked(int column)
{
    if (column == CategoryListModel::ColumnCategory)
        m_model->toggleTextSort();
    else
        m_model->sortByNumber(column, m_numSortToggle);
}

void CategoryList::FitCategoryColumn()
{
    QHeaderView* header = m_view->header();
    const int rest = m_view->viewport()->width() - header->sectionSize(CategoryListModel::ColumnId) -
                     header->sectionSize(CategoryListModel::ColumnNum);
    if (rest > 0)
        header->resizeSection(CategoryListModel::ColumnCategory, rest);
}
