#pragma once

#include "tags/TagTable.h"

#include <QObject>
#include <QPersistentModelIndex>

class CategoryListModel;
class MemoStore;
class ReportListView;

// The category list: the tag table and the list view that shows it, with the
// selected row kept by name across rebuilds.
class CategoryList : public QObject
{
    Q_OBJECT
public:
    CategoryList(ReportListView* view, MemoStore& store, QObject* parent = nullptr);

    TagTable& table() { return m_table; }
    const TagTable& table() const { return m_table; }
    ReportListView* view() const { return m_view; }

    // Rebuilds the tag table from the database. Throws DatabaseError.
    void LoadCategoryCounts();
    // Rebuilds the rows from the tag table and reselects the row selected before.
    void CatList_Add();
    void UpdatePseudoCounts();
    QString GetCatName() const { return m_table.catNamesJoined(); }
    int FindCatIndex(const QString& name) const { return m_table.findCatIndex(name); }

    // The name (column "Category") of the selected row; empty when none is.
    QString selectedName() const;
    int selectedRowId() const;
    // Selects the row with this ID without filling the memo list.
    bool selectRowId(int id);

    void FitCategoryColumn();

Q_SIGNALS:
    // The user chose a row (click, drag, right click or keyboard): the memo list
    // is to be filled.
    void rowChosen();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void onHeaderClicked(int column);
    void onSelectionChanged();
    void choose();

    ReportListView* m_view;
    CategoryListModel* m_model;
    MemoStore& m_store;
    TagTable m_table;
    bool m_numSortToggle = false;
    bool m_rebuilding = false;
    int m_selectedId = 0; // the row selected last, so that a mere reorder is no choice
    // A mouse gesture on the list: the selection may pass over several rows
    // while a button is held; the row under it at the release is the choice.
    bool m_mouseDown = false;
    bool m_choicePending = false;
    bool m_choseDuringPress = false;
    QPersistentModelIndex m_pressedIndex;
};
