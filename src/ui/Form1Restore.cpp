// Form1: the restore file, which keeps the editing pane (saved or not), the
// selected category row and the last tag search from one close to the next
// start, and holds unsaved text on disk while the user types.
#include "ui/Form1.h"

#include "app/Clock.h"
#include "app/Prompt.h"
#include "editing/MemoEditor.h"
#include "editing/RestoreFile.h"
#include "editing/RestoreSlot.h"
#include "editing/RestoreWriteTimer.h"
#include "store/DatabaseError.h"
#include "store/MemoFingerprint.h"
#include "store/MemoStore.h"
#include "tags/CategoryList.h"
#include "tags/CategoryListModel.h"
#include "tags/ListViews.h"
#include "tags/MemoList.h"
#include "tags/MemoListModel.h"
#include "ui/FloatingWindows.h"
#include "ui/LinkCommands.h"

#include <QFile>
#include <QFileInfo>

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

QString Form1::restoreFilePath() const
{
    return m_restoreSlot->path();
}

bool Form1::WriteRestoreFile(QString* error)
{
    RestoreFile::MainState state;
    state.databasePath = RestoreFile::databaseKey(m_dbPath);
    state.findWord = m_findWord;
    state.findIds = m_catList->table().findIds();
    const QModelIndexList selected = m_catListView->selectionModel()->selectedRows();
    state.categoryRow = selected.isEmpty() ? 1 : selected.first().row() + 1;
    const MemoEditor::EditingState editing = m_editor->editingState();
    state.memoFingerprint = editing.loadedFingerprint;
    state.caret = editing.caret;
    state.memoNumber = editing.memoNumber;
    state.isEdit = editing.isEdit;
    state.isPassword = editing.isPassword;
    state.title = editing.title;
    state.tags = editing.tags;
    state.body = editing.storedBody;
    return RestoreFile::write(restoreFilePath(), RestoreFile::formatMain(state), error);
}

bool Form1::writeRestoreFileAtEnd(QString* error)
{
    m_restoreTimer->stop();
    if (!m_restoreSlot->holdsProfileFile() && !m_editor->IsEdit()) {
        QFile::remove(restoreFilePath());
        return true;
    }
    return WriteRestoreFile(error);
}

void Form1::writeUnsavedText()
{
    m_restoreTimer->stop();
    if (!m_editor->IsEdit())
        return;
    // A failure here is not reported while the user types; the close asks.
    QString error;
    if (WriteRestoreFile(&error))
        m_unsavedOnDisk = true;
}

void Form1::dropRestoreFileWhenSaved()
{
    if (m_editor->IsEdit())
        return;
    m_restoreTimer->stop();
    if (m_unsavedOnDisk)
        QFile::remove(restoreFilePath());
    m_unsavedOnDisk = false;
}

void Form1::writeForSessionEnd()
{
    QString error;
    writeRestoreFileAtEnd(&error);
    m_floating->writeKeptFiles();
}

void Form1::closeForTermination()
{
    writeLayoutSettings();
    QString error;
    writeRestoreFileAtEnd(&error);
    m_floating->keepForTermination();
}

void Form1::ReadRestoreFile()
{
    // A second copy on the profile takes nothing: the first copy holds the file.
    if (!m_restoreSlot->holdsProfileFile())
        return;
    const QString path = restoreFilePath();
    const RestoreFile::Result<RestoreFile::MainState> read = RestoreFile::readMain(path);
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
    if (!RestoreFile::sameDatabase(state.databasePath, m_dbPath)) {
        // Another database of the same name wrote it (a profile is named by
        // the file name alone). Its unsaved text waits beside the file until
        // that database opens; a file without any is written over at close.
        if (state.isEdit)
            RestoreFile::keepAside(path, m_clock.now());
        return;
    }
    const auto* categories = static_cast<const CategoryListModel*>(m_catListView->model());
    // Everything that can fail is checked before anything changes, so that a
    // failure leaves no half-restored state behind.
    if (state.categoryRow < 1 || state.categoryRow > categories->rowCount() ||
        !isMemoNumber(state.memoNumber)) {
        restoreFailed();
        return;
    }

    // The memo as stored now decides: its protection, and whether the text
    // kept may still be saved over it.
    const bool isNew = state.memoNumber == QLatin1String("New");
    std::optional<Memo> stored;
    // Of the search result only the memos that are here now, outside the
    // trash: the file may be older than the database.
    QList<qint64> found;
    try {
        if (!isNew)
            stored = m_store->readMemo(state.memoNumber.toLongLong());
        found = m_store->idsOutsideTrash(state.findIds);
    } catch (const DatabaseError& error) {
        reportDatabaseError(error);
        restoreFailed(state.isEdit);
        return;
    }
    MemoEditor::EditingState editing{state.memoNumber, state.title,  state.tags, state.body,
                                     state.isEdit,     false,        state.caret, state.memoFingerprint};
    bool cameBackAsNew = false;
    if (!state.isEdit) {
        // Nothing unsaved: the memo as it is stored now, or a new memo when it is gone.
        if (stored) {
            editing.title = stored->title;
            editing.tags = stored->category;
            editing.storedBody = stored->body;
            editing.isPassword = stored->isPass;
            editing.loadedFingerprint = MemoFingerprint::ofMemo(*stored);
        } else if (!isNew) {
            editing = {QStringLiteral("New"), {}, {}, {}, false, false, 0, {}};
        }
    } else if (!isNew && (!stored || !state.originKnown || state.memoFingerprint.isEmpty() ||
                          MemoFingerprint::ofMemo(*stored) != state.memoFingerprint)) {
        // Changed or gone since the text was kept: it may not be saved over
        // the newer text, so it comes back as a new memo.
        cameBackAsNew = true;
        editing.memoNumber = QStringLiteral("New");
        editing.loadedFingerprint.clear();
    } else if (stored) {
        editing.isPassword = stored->isPass;
    }
    const bool asksPassword = (stored && stored->isPass) || (state.isEdit && state.isPassword);
    if (asksPassword) {
        leaveTopmostBand();
        const bool opened = m_editor->askPasswordToRestore();
        AlwaysOnTop2();
        if (!opened) {
            restoreFailed(state.isEdit);
            return;
        }
    }

    m_findWord = state.findWord;
    m_catList->table().setFindResult(std::move(found));
    m_catList->UpdatePseudoCounts();
    const int row = state.categoryRow - 1;
    m_catList->selectRowId(categories->row(row).id);
    FillMemoList();
    scrollNear(m_catListView, row);

    if (state.memoNumber != QLatin1String("New"))
        scrollNear(m_memoListView, m_memoList->model()->rowOfId(state.memoNumber.toLongLong()));
    m_editor->restoreEditingState(editing);
    // Unsaved text stays on disk until it is saved: a crash after the start
    // loses nothing either.
    if (editing.isEdit)
        m_unsavedOnDisk = WriteRestoreFile(nullptr);
    else
        QFile::remove(path);
    if (cameBackAsNew)
        m_prompt.inform(RestoreFile::changedMeanwhileMessage(state.memoNumber.toLongLong()));
}

void Form1::restoreFailed(bool keepText)
{
    // A file with unsaved text is moved out of the way, so that the next
    // close, which writes the state of then, does not destroy the text it holds.
    QString text = QStringLiteral("メモの復帰に失敗しました。");
    if (keepText) {
        const QString kept = RestoreFile::keepAside(restoreFilePath(), m_clock.now());
        if (!kept.isEmpty()) {
            text += QStringLiteral("\n復帰できなかった内容は次のファイルに残してあります。\n") + kept;
            m_keptThisStart.append(kept);
        }
    } else {
        QFile::remove(restoreFilePath());
    }
    m_prompt.critical(text);
    StartNewMemo(QString());
}

void Form1::offerKeptFiles()
{
    struct Kept
    {
        QString path;
        RestoreFile::MainState state;
    };
    QList<Kept> memos;
    QStringList named;
    for (const QString& file : m_restoreSlot->unclaimedFilesBeside()) {
        if (m_keptThisStart.contains(file))
            continue;
        const RestoreFile::Result<RestoreFile::MainState> read = RestoreFile::readMain(file);
        if (read.status == RestoreFile::Status::Missing)
            continue;
        if (read.status == RestoreFile::Status::Restorable) {
            // Another database's text waits for that database.
            if (!RestoreFile::sameDatabase(read.state.databasePath, m_dbPath))
                continue;
            // A copy that ended with nothing unsaved left nothing to offer.
            if (!read.state.isEdit) {
                QFile::remove(file);
                continue;
            }
            memos.append({file, read.state});
        }
        named.append(file);
    }
    if (named.isEmpty())
        return;
    const QString folder = QFileInfo(named.first()).absolutePath();
    QString text = QStringLiteral("保存していないメモが、次のファイルに残っています。\n") + named.join(u'\n') +
                   QLatin1Char('\n');
    bool openFolder = false;
    if (memos.isEmpty()) {
        // Files that cannot be read back: only the user can look into them.
        openFolder = m_prompt.askYesNo(text + QStringLiteral("ファイルのあるフォルダを開きますか？"));
    } else {
        switch (m_prompt.askYesNoCancel(text + QStringLiteral("新しいメモとしてフローティングメモで開きますか？\n"
                                                              "「いいえ」を選ぶと、ファイルのあるフォルダを開きます。"))) {
        case PromptAnswer::Yes:
            for (const Kept& kept : memos) {
                // The file goes once the window holds the text on disk itself.
                if (m_floating->openRecovered(kept.state.title, kept.state.tags, kept.state.body))
                    QFile::remove(kept.path);
            }
            break;
        case PromptAnswer::No:
            openFolder = true;
            break;
        default:
            break;
        }
    }
    if (openFolder) {
        if (auto* links = findChild<LinkCommands*>(QStringLiteral("LinkCommands")))
            links->DoOpenLink(folder);
    }
}
