#include "tags/TrashCommands.h"

#include "app/Prompt.h"
#include "editing/MemoEditor.h"
#include "store/DatabaseError.h"
#include "tags/CategoryList.h"
#include "tags/ListViews.h"
#include "tags/MemoList.h"
#include "tags/TagTable.h"
#include "tags/Trash.h"
#include "ui/BusyCursor.h"
#include "ui/Form1.h"
#include "ui/frmProgress.h"

namespace {

const QString kCancelled = QStringLiteral("途中でキャンセルしました。");

// Sets the editor's IsLoading for the scope of a command.
class LoadingDuring
{
public:
    explicit LoadingDuring(MemoEditor& editor) : m_editor(editor) { m_editor.setLoading(true); }
    ~LoadingDuring() { m_editor.setLoading(false); }

private:
    MemoEditor& m_editor;
};

} // namespace

TrashCommands::TrashCommands(Form1& window) : QObject(&window), m_window(window) {}

void TrashCommands::mnuDeleteMemo()
{
    // The memos of the trash list are in the trash already.
    if (m_window.categoryList().table().totalCount() == 0 ||
        m_window.categoryList().selectedName() == TagTable::trashName())
        return;
    const bool quiet = m_window.IsTrashSetting() == 1;
    if (!quiet && !m_window.prompt().askYesNo(QStringLiteral("選択したメモをゴミ箱に入れますか？")))
        return;
    // The editing area starts a new memo afterwards: unsaved edits go through
    // the usual question first.
    if (m_window.editor().QuerySaveModified() == 0)
        return;
    {
        LoadingDuring loading(m_window.editor());
        ReportListView* list = m_window.memoList().view();
        list->hide();
        const RunEnd end = MoveSelectedMemosToTrash();
        if (end == RunEnd::Cancelled)
            m_window.prompt().inform(kCancelled);
        else if (end == RunEnd::Finished && !quiet)
            m_window.prompt().message(
                {QStringLiteral("ゴミ箱へ移動完了しました。"), PromptIcon::None, PromptButtons::Ok, {}});
        list->show();
        m_window.StartNewMemoKeepingList();
    }
}

TrashCommands::RunEnd TrashCommands::MoveSelectedMemosToTrash()
{
    BusyCursor busy;
    BulkMemoResult result;
    try {
        frmProgress progress(&m_window);
        progress.show();
        result = Trash(m_window.store(), m_window.categoryList().table())
                     .MoveMemosToTrash(m_window.memoList().selectedIds(), progress);
    } catch (const DatabaseError& error) {
        m_window.reportAndRecount(error);
        return RunEnd::Failed;
    }
    m_window.memoList().removeMemoRows(result.done);
    m_window.CatList_Add();
    return result.cancelled ? RunEnd::Cancelled : RunEnd::Finished;
}

void TrashCommands::mnuDeleteCurrentMemo()
{
    if (m_window.IsTrashSetting() == 1 &&
        !m_window.prompt().askYesNo(QStringLiteral("現在のメモをゴミ箱に移動しますか？")))
        return;
    LoadingDuring loading(m_window.editor());
    // A move that failed has been reported; the boxes keep what they hold.
    if (!MoveCurrentMemoToTrash())
        return;
    // What was in the boxes went to the trash with the memo (or, for a memo
    // never saved, was thrown away by this command).
    m_window.editor().discardChanges();
    m_window.StartNewMemoKeepingList();
}

bool TrashCommands::MoveCurrentMemoToTrash()
{
    BusyCursor busy;
    if (m_window.editor().isNewMemo())
        return true;
    const qint64 id = m_window.editor().memoNumber().toLongLong();
    try {
        Trash(m_window.store(), m_window.categoryList().table()).MoveMemoToTrash(id);
    } catch (const DatabaseError& error) {
        m_window.reportAndRecount(error);
        return false;
    }
    // A memo shown from the trash list stays in it.
    if (m_window.categoryList().selectedName() != TagTable::trashName() && m_window.memoList().FindMemoRow(id) != 0)
        m_window.memoList().removeMemoRows({id});
    m_window.CatList_Add();
    return true;
}

void TrashCommands::mnuRestoreMemo()
{
    if (m_window.categoryList().selectedName() != TagTable::trashName()) {
        m_window.prompt().critical(QStringLiteral("ゴミ箱カテゴリが選択されていません。"));
        return;
    }
    BusyCursor busy;
    const QList<qint64> ids = m_window.memoList().selectedIds();
    try {
        Trash(m_window.store(), m_window.categoryList().table()).RestoreMemos(ids);
    } catch (const DatabaseError& error) {
        m_window.reportAndRecount(error);
        return;
    }
    m_window.memoList().removeMemoRows(ids);
    m_window.CatList_Add();
}

void TrashCommands::pop2ClearTrash()
{
    if (!m_window.prompt().askYesNo(
            QStringLiteral("ゴミ箱からメモを削除しますか？\n(メモは復活できなくなります)")))
        return;
    BusyCursor busy;
    try {
        Trash(m_window.store(), m_window.categoryList().table()).EmptyTrash();
    } catch (const DatabaseError& error) {
        m_window.reportAndRecount(error);
        return;
    }
    m_window.categoryList().UpdatePseudoCounts();
    // The trash list would otherwise go on showing memos that are gone.
    if (m_window.categoryList().selectedName() == TagTable::trashName())
        m_window.FillMemoList();
}
