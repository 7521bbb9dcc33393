#pragma once

#include <QList>
#include <QObject>

#include <memory>
#include <optional>

class MemoListModel;
class MemoStore;
class ReportListView;
class TagTable;

// The memo list: the memos of the chosen category with their times and titles,
// sorted by a column, with any number of rows selected.
class MemoList : public QObject
{
    Q_OBJECT
public:
    MemoList(ReportListView* view, MemoStore& store, QObject* parent = nullptr);
    ~MemoList() override;

    ReportListView* view() const { return m_view; }
    MemoListModel* model() const { return m_model; }

    // Fills the list with the memos of the category `name` ("[ALL]", "[Trash]",
    // "[Find]" or a tag). Throws DatabaseError.
    void FillMemoList(const QString& name, const TagTable& table);
    // Starts reading the memos of category `name` (not "[Find]") on a
    // connection of its own in another thread; the next FillMemoList() takes
    // them when it fills that category and nothing was written meanwhile,
    // and reads afresh otherwise. So the start reads the memo list while the
    // tag counts are read.
    void prefetch(const QString& name);
    // The rows read ahead are expected to number `count` (the start knows it
    // from the tag counts). A long list sorted by ID text shows its first rows
    // at once, read apart, and returns true: the rest are laid out once the
    // list has been painted and fill it as soon as they are read, and before
    // anything else touches the list. Otherwise the view lays out `count`
    // rows now, while they are still being read, and the fill that takes them
    // fills those rows.
    bool layOutPrefetchedRows(int count);
    // True while only the first rows are shown (above).
    bool showsFirstRowsOnly() const { return m_restOfRows.has_value(); }
    void clear();
    // After one memo was saved: updates its row, or adds one when the memo
    // belongs to the category `name`. A memo in the trash belongs only to
    // "[Trash]"; one outside it never does.
    void UpdateMemoListRow(const QString& name, qint64 id, const QString& title, const QString& updateTime,
                           const QString& tags, bool inTrash = false);
    // Selects every row without showing a memo.
    void SelectAllMemos();
    // The memos of the selected rows, in list order.
    QList<qint64> selectedIds();
    // The position (from 1) of the row of memo `id`; 0 when it is not listed.
    int FindMemoRow(qint64 id);
    void removeMemoRows(const QList<qint64>& ids);
    // Shows memo list image `image` in front of these memos' rows.
    void setMemoIcons(const QList<qint64>& ids, int image);
    // Shows these memos' rows as protected (padlock, security colour) or as
    // unprotected at once.
    void setMemosLocked(const QList<qint64>& ids, bool locked);
    // Selects the row of memo `id` without showing it.
    void selectId(qint64 id);

    void FitTitleColumn(int minimumTitleWidth);

Q_SIGNALS:
    // The user chose the memo `id` to be shown.
    void memoChosen(qint64 id);
    // The Delete key in the list: the selected memos are to go to the trash.
    void deleteKeyPressed();
    // The rest of the list after its first rows could not be read: the
    // database's message.
    void fillFailed(const QString& message);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void onHeaderClicked(int column);
    void choose(const QModelIndex& index);
    void fill(const QString& name, const QList<qint64>& found);
    // With only the first rows shown: lays out the rest, still unread.
    void layOutRestOfRows();
    // With only the first rows shown: waits for the rest and fills the list.
    void takeRestOfRows();

    struct Prefetch;
    std::unique_ptr<Prefetch> m_prefetch;
    ReportListView* m_view;
    MemoListModel* m_model;
    MemoStore& m_store;
    // While only the first rows are shown: how many rows are still to come.
    std::optional<int> m_restOfRows;
    bool m_restScheduled = false;
    bool m_numSortToggle = false;
    bool m_selectingItself = false; // "NotDispMode": selection changes show nothing
    Qt::MouseButton m_lastButton = Qt::LeftButton;
    Qt::KeyboardModifiers m_lastModifiers;
};
