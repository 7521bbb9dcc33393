#pragma once

#include <QTreeView>

// A report-style list: one row per item, full-row selection, clickable column
// headers that the owner sorts by, and column widths kept by the owner.
class ReportListView : public QTreeView
{
    Q_OBJECT
public:
    explicit ReportListView(QWidget* parent = nullptr);

    // Display position (from 0) of each logical column, and back.
    void setColumnPositions(const QList<int>& positions);
    QList<int> columnPositions() const;

    // While on, no mouse or key gesture takes the selection away: a gesture that
    // would deselect the selected row (Ctrl+click, Ctrl+Space) leaves it selected.
    void setKeepsSelection(bool keep) { m_keepsSelection = keep; }

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event = nullptr) const override;

private:
    bool m_keepsSelection = false;
};
