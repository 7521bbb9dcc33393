// Form1: the restore file, which keeps the editing pane (saved or not), the
// selected category row and the last tag search from one close to the next start.
#include "ui/Form1.h"

#include "app/Clock.h"
#include "app/Prompt.h"
#include "editing/MemoEditor.h"
#include "editing/RestoreFile.h"
#include "tags/CategoryList.h"
#include "tags/CategoryListModel.h"
#include "tags/ListViews.h"
#include "tags/MemoList.h"
#include "tags/MemoListModel.h"

#include <QFile>

namespace {

// "New", or a RecordID as Quillet writes it.
bool isMemoNumber(const QString& text)
{
    if (text == QLatin1String("New"))
        return true;
    bool ok = false;
    const qint64 id = text.toLongLong(&ok);
    return ok && id > 0 && QString::number(id) == text;
}

// Shows row `row` of a list with the row after it, when there is one.
void scrollNear(QAbstractItemView* view, int row)
{
    const int rows = view->model()->rowCount();
    if (row < 0 || row >= rows)
        return;
    view->scrollTo(view->model()->index(row + 1 < rows ? row + 1 : row, 0));
}

} // namespace

bool Form1::WriteRestoreFile(QString* error)
{
    RestoreFile::MainState state;
    state.findWord = m_findWord;
    state.findIds = m_catList->table().findIds();
    const QModelIndexList selected = m_catListView->selectionModel()->selectedRows();
    state.categoryRow = selected.isEmpty() ? 1 : selected.first().row() + 1;
    const MemoEditor::EditingState editing = m_editor->editingState();
    state.caret = editing.caret;
    state.memoNumber = editing.memoNumber;
    state.isEdit = editing.isEdit;
    state.isPassword = editing.isPassword;
    state.title = editing.title;
    state.tags = editing.tags;
    state.body = editing.storedBody;
    return RestoreFile::write(m_profile.restorePath, RestoreFile::formatMain(state), error);
}

void Form1::ReadRestoreFile()
{
    const RestoreFile::Result<RestoreFile::MainState> read = RestoreFile::readMain(m_profile.restorePath);
    switch (read.status) {
    case RestoreFile::Status::Missing:
    case RestoreFile::Status::Ignored:
        return;
    case RestoreFile::Status::Damaged:
        restoreFailed();
        return;
    case RestoreFile::Status::Restorable:
        break;
    }
    const RestoreFile::MainState& state = read.state;
    const auto* categories = static_cast<const CategoryListModel*>(m_catListView->model());
    // Everything that can fail is checked before anything changes, so that a
    // failure leaves no half-restored state behind.
    if (state.categoryRow < 1 || state.categoryRow > categories->rowCount() ||
        !isMemoNumber(state.memoNumber)) {
        restoreFailed();
        return;
    }
    if (state.isPassword) {
        leaveTopmostBand();
        const bool opened = m_editor->askPasswordToRestore();
        AlwaysOnTop2();
        if (!opened) {
            restoreFailed();
            return;
        }
    }

    m_findWord = state.findWord;
    m_catList->table().setFindResult(state.findIds);
    m_catList->UpdatePseudoCounts();
    const int row = state.categoryRow - 1;
    m_catList->selectRowId(categories->row(row).id);
    FillMemoList();
    scrollNear(m_catListView, row);

    if (state.memoNumber != QLatin1String("New"))
        scrollNear(m_memoListView, m_memoList->model()->rowOfId(state.memoNumber.toLongLong()));
    m_editor->restoreEditingState(
        {state.memoNumber, state.title, state.tags, state.body, state.isEdit, state.isPassword, state.caret});
    QFile::remove(m_profile.restorePath);
}

void Form1::restoreFailed()
{
    // The file is moved out of the way, so that the next close, which writes
    // the state of then, does not destroy the text it holds.
    const QString kept = RestoreFile::keepAside(m_profile.restorePath, m_clock.now());
    QString text = QStringLiteral("メモの復帰に失敗しました。");
    if (!kept.isEmpty())
        text += QStringLiteral("\n復帰できなかった内容は次のファイルに残してあります。\n") + kept;
    m_prompt.critical(text);
    StartNewMemo(QString());
}
