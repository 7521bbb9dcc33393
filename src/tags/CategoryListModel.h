#pragma once

#include "tags/RowTableModel.h"

// The rows of the category list: ID, name and count of the four fixed rows and
// of every tag. Keeps the list's text sort on the name and the numeric sorts of
// ID and count.
struct CategoryListRow
{
    int id = 0;
    QString name;
    int count = 0;
};

class CategoryListModel : public RowTableModel<CategoryListRow>
{
    Q_OBJECT
public:
    enum Column { ColumnId, ColumnCategory, ColumnNum, ColumnCount };
    using Row = CategoryListRow;


    explicit CategoryListModel(QObject* parent = nullptr);

    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void setRows(std::vector<Row> rows);
    int rowOfId(int id) const;
    void setCount(int id, int count);

    bool isTextSortOn() const { return m_textSortOn; }
    Qt::SortOrder textSortOrder() const { return m_sortOrder; }
    // Sorting by the name column reverses its direction each time.
    void toggleTextSort();
    // Sorts by ID or count as numbers; the toggle picks the direction and flips.
    void sortByNumber(int column, bool& toggle);

private:
    bool nameLess(const Row& a, const Row& b) const;

    bool m_textSortOn = false;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};
