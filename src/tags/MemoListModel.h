#pragma once

#include "store/Memo.h"
#include "tags/MemoListRows.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QIcon>
#include <QSet>
#include <functional>
#include <vector>

// The rows of the memo list: ID, creation time, update time and title of each
// memo, its icon, and the security colour for locked memos. Holds its own text
// sort (column and direction) which keeps rows ordered, also rows added or
// changed later.
//
// Rows are stored once, compactly, in the order they arrived (MemoListRows),
// and found by ID there; the list order is a vector of storage numbers. With
// the text sort on the list is ordered by (sort key, rank), ranks telling
// apart rows with equal keys; with it off (after the numeric ID sort) by rank
// alone. So a row's place is found by binary search, and a saved row moves to
// its new place without the rest of the list being touched.
class MemoListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column
    {
        ColumnId,
        ColumnPublish,
        ColumnUpdate,
        ColumnTitle,
        ColumnCount
    };
    using Row = MemoListEntry;

    explicit MemoListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    // As the table model's own, without its calls back into the model: the
    // view asks for every row's index and flags when it lays out the list.
    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The row at list position `index`, its texts read out of the storage.
    Row row(int index) const { return m_rows.entry(m_order[size_t(index)]); }
    qint64 idAt(int index) const { return m_rows[m_order[size_t(index)]].id; }

    // Replaces every row and switches the text sort on, which orders them.
    // Rows as many as the placeholders (below) take their places without a
    // reset, so that the view keeps the layout it made of them.
    void setRows(MemoListRows rows);
    void setRows(const std::vector<Row>& rows);
    void clear() { setRows(MemoListRows()); }
    // Rows without contents that only count, so that the view can lay out a
    // long list while its rows are still being read; until setRows() the list
    // is otherwise empty (it shows nothing and holds no memo).
    void setPlaceholderRows(int count);
    bool hasPlaceholderRows() const { return m_placeholders > 0; }
    // The first rows of a long list, shown before the rest are read: of
    // `candidates`, among which are the list's first `count` rows, the first
    // `count` in the sort order. Placeholders added after them (below) and
    // then every row set by setRows() keep the view's layout and selection.
    void setFirstRows(MemoListRows candidates, int count);
    void addPlaceholderRows(int count);
    // The list position of memo `id`, or -1.
    int rowOfId(qint64 id) const;
    // A saved memo's new update time and title; while the text sort is on, the
    // row moves to where sorting the list again would put it.
    void updateRow(int index, const QString& updateTime, const QString& title);
    // Adds a row where the text sort puts it, after rows that sort equal (at the
    // end when the sort is off). Returns its position.
    int addRow(Row row);

    // Removes the rows of these memos (a few signals for runs of neighbours).
    void removeIds(const QSet<qint64>& ids);
    // Shows image `image` (the icon numbers of the memo list; the empty image
    // for none) in front of these memos' rows, also over a padlock, until the
    // next fill.
    void setIcons(const QSet<qint64>& ids, int image);
    // Marks these memos' rows protected or not at once: a protected row shows
    // the padlock in the security colour, an unprotected one the empty image in
    // the list's own colour until the next fill.
    void setLocked(const QSet<qint64>& ids, bool locked);

    // The list's own text sort.
    bool isTextSortOn() const { return m_textSortOn; }
    int sortColumn() const { return m_sortColumn; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }
    void setTextSort(int column, Qt::SortOrder order);
    void setTextSortOn(bool on);
    // The numeric sort of the ID column; the toggle picks the direction and flips.
    void sortByIdNumber(bool& toggle);

    void setSecurityColour(const QColor& colour);
    // Images of the small-icon list by number; an empty icon shows none.
    void setIconProvider(std::function<QIcon(int)> provider) { m_iconProvider = std::move(provider); }

private:
    QString cellText(int entry, int column) const;
    // Compares the sort keys of two stored rows in the sort column, ascending: <0, 0, >0.
    int compareKeys(int a, int b) const;
    // The same in the list's direction: < 0 when `a` goes first.
    int compareInOrder(int a, int b) const;
    // True when entry `a` stands before entry `b` in the list.
    bool before(int a, int b) const;
    // The text sort's order of the present rows, as list positions; ties keep
    // their present order.
    std::vector<int> textOrder() const;
    // Puts the row at list position order[i] at position i, keeping selections
    // on their rows, and numbers the ranks afresh.
    void reorder(const std::vector<int>& order);
    // Tells the view that these memos' rows changed in the columns given.
    void announceChanged(const QSet<qint64>& ids, int firstColumn, int lastColumn, const QList<int>& roles);
    // Moves the row at `position`, whose key changed, to its place.
    void moveToPlace(int position);

    // textOrder() by the sort column's kind of key: IDs, times, titles, or by
    // comparing rows one pair at a time where keys cannot stand for them.
    std::vector<int> idTextOrder() const;
    std::vector<int> timeOrder(bool publish) const;
    std::vector<int> titleOrder() const;
    std::vector<int> comparedOrder() const;

    MemoListRows m_rows;      // in the order the rows arrived; never shrinks until the next fill
    std::vector<int> m_order; // list position -> stored row
    int m_placeholders = 0;   // rows without contents after those of m_order
    bool m_textSortOn = false;
    int m_sortColumn = ColumnId;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    QColor m_securityColour;
    std::function<QIcon(int)> m_iconProvider;
};
