#pragma once

#include "store/Memo.h"
#include "tags/RowTableModel.h"

#include <QColor>
#include <QHash>
#include <QIcon>
#include <functional>

// The rows of the memo list: ID, creation time, update time and title of each
// memo, its icon, and the security colour for locked memos. Holds its own text
// sort (column and direction) which keeps rows ordered, also rows added later.
class MemoListModel : public RowTableModel<MemoListEntry>
{
    Q_OBJECT
public:
    enum Column { ColumnId, ColumnPublish, ColumnUpdate, ColumnTitle, ColumnCount };
    using Row = MemoListEntry;

    explicit MemoListModel(QObject* parent = nullptr);

    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Replaces every row and switches the text sort on, which orders them.
    void setRows(std::vector<Row> rows);
    void clear() { setRows({}); }
    int rowOfId(qint64 id) const;
    void updateRow(int index, const QString& updateTime, const QString& title);
    // Adds a row where the text sort puts it (at the end when the sort is off).
    int addRow(Row row);

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

    // Text ordering of the text sort: true when `a` sorts before `b` in `column`.
    static bool textLess(const Row& a, const Row& b, int column);

private:
    bool sortsBefore(const Row& a, const Row& b) const;
    std::vector<int> textOrder() const;
    QString cellText(const Row& row, int column) const;

    bool m_textSortOn = false;
    int m_sortColumn = ColumnId;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    QColor m_securityColour;
    std::function<QIcon(int)> m_iconProvider;
    mutable QHash<qint64, int> m_rowById; // empty until asked for, and after rows move
};
