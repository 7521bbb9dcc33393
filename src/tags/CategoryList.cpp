#include "tags/CategoryList.h"

#include "store/MemoStore.h"
#include "tags/CategoryListModel.h"
#include "tags/ListViews.h"
#include "ui/BusyCursor.h"

#include <QApplication>
#include <QHeaderView>

CategoryList::CategoryList(ReportListView* view, MemoStore& store, QObject* parent)
    : QObject(parent), m_view(view), m_model(new CategoryListModel(view)), m_store(store)
{
    m_view->setModel(m_model);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(m_view->header(), &QHeaderView::sectionClicked, this, &CategoryList::onHeaderClicked);
    // A mouse choice arrives as a click (also on the row already selected); a
    // keyboard choice as a change of the current row.
    connect(m_view, &QAbstractItemView::clicked, this, [this] {
        if (!m_rebuilding)
            Q_EMIT rowChosen();
    });
    connect(m_view->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] {
        if (!m_rebuilding && QApplication::mouseButtons() == Qt::NoButton)
            Q_EMIT rowChosen();
    });
}

void CategoryList::LoadCategoryCounts()
{
    BusyCursor busy;
    std::vector<CategoryGroup> groups = m_store.readCategoryGroups();
    m_table.load(groups, m_store.countTrashedMemos());
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
    m_view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_view->scrollTo(index);
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
