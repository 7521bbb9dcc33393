#include "tags/ListViews.h"

#include <QHeaderView>

ReportListView::ReportListView(QWidget* parent) : QTreeView(parent)
{
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSortingEnabled(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setTextElideMode(Qt::ElideRight);
    header()->setSectionsClickable(true);
    header()->setSectionsMovable(true);
    header()->setStretchLastSection(false);
    header()->setHighlightSections(false);
}

void ReportListView::setColumnPositions(const QList<int>& positions)
{
    QHeaderView* head = header();
    for (int logical = 0; logical < positions.size(); ++logical)
        head->moveSection(head->visualIndex(logical), positions[logical]);
}

QList<int> ReportListView::columnPositions() const
{
    QList<int> positions;
    for (int logical = 0; logical < header()->count(); ++logical)
        positions.append(header()->visualIndex(logical));
    return positions;
}

QItemSelectionModel::SelectionFlags ReportListView::selectionCommand(const QModelIndex& index,
                                                                     const QEvent* event) const
{
    const QItemSelectionModel::SelectionFlags flags = QTreeView::selectionCommand(index, event);
    if (!m_keepsSelection)
        return flags;
    // Nothing under the pointer: nothing to select, so nothing to clear either.
    if (!index.isValid())
        return QItemSelectionModel::NoUpdate;
    if (flags & (QItemSelectionModel::Deselect | QItemSelectionModel::Toggle))
        return QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows;
    return flags;
}
