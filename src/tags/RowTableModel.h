#pragma once

#include <QAbstractTableModel>
#include <vector>

// A table model over a vector of rows that it reorders in place, keeping the
// view's selection and current row on the same rows.
template <typename Row>
class RowTableModel : public QAbstractTableModel
{
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_rows.size());
    }

    const Row& row(int index) const { return m_rows[size_t(index)]; }

protected:
    // Puts old row order[i] at position i.
    void reorder(const std::vector<int>& order)
    {
        Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
        std::vector<Row> sorted;
        sorted.reserve(m_rows.size());
        std::vector<int> newPosition(m_rows.size());
        for (size_t i = 0; i < order.size(); ++i) {
            newPosition[size_t(order[i])] = int(i);
            sorted.push_back(std::move(m_rows[size_t(order[i])]));
        }
        m_rows = std::move(sorted);
        const QModelIndexList before = this->persistentIndexList();
        QModelIndexList after;
        after.reserve(before.size());
        for (const QModelIndex& index : before)
            after.append(this->index(newPosition[size_t(index.row())], index.column()));
        this->changePersistentIndexList(before, after);
        Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    }

    // The order that sorts the rows stably by `less`.
    template <typename Less>
    std::vector<int> stableOrder(Less less) const
    {
        std::vector<int> order(m_rows.size());
        for (size_t i = 0; i < order.size(); ++i)
            order[i] = int(i);
        std::stable_sort(order.begin(), order.end(),
                         [&](int a, int b) { return less(m_rows[size_t(a)], m_rows[size_t(b)]); });
        return order;
    }

    std::vector<Row> m_rows;
};
