#include "ui/DatabaseCommands.h"

#include "app/Progress.h"
#include "app/Prompt.h"
#include "app/Settings.h"
#include "editing/MemoEditor.h"
#include "editing/PasswordCommands.h"
#include "store/DatabaseError.h"
#include "store/DatabaseMerge.h"
#include "store/DatabaseRebuild.h"
#include "store/JetConverter.h"
#include "store/JetImport.h"
#include "store/MemoStore.h"
#include "store/TemplateDatabase.h"
#include "tags/CategoryList.h"
#include "ui/BusyCursor.h"
#include "ui/FloatingWindows.h"
#include "ui/Form1.h"
#include "ui/frmMergeMDB.h"
#include "ui/frmProgress.h"
#include "ui/frmViewer.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

namespace {

const QString kCancelled = QStringLiteral("キャンセルしました。");
const QString kSaveFailed = QStringLiteral("ファイルの保存に失敗しました。");

// The folder to start a file dialog in: that of the last file used, else Quillet's folder.
QString startFolder(const QString& lastFile, const QString& myPath)
{
    if (lastFile.isEmpty())
        return myPath;
    const QFileInfo info(lastFile);
    return info.isDir() ? lastFile : info.absolutePath();
}

} // namespace

DatabaseCommands::DatabaseCommands(Form1& window) : QObject(&window), m_window(window)
{
    setObjectName(QStringLiteral("DatabaseCommands"));
    startProgram = [](const QString& program, const QStringList& arguments) {
        return QProcess::startDetached(program, arguments);
    };
    connect(window.commandAction("mnuMDBChange"), &QAction::triggered, this, &DatabaseCommands::mnuMDBChange);
    connect(window.commandAction("mnuMDBRefresh"), &QAction::triggered, this,
            &DatabaseCommands::mnuMDBRefresh);
    connect(window.commandAction("mnuMDBSaveAs"), &QAction::triggered, this, &DatabaseCommands::mnuMDBSaveAs);
    connect(window.commandAction("mnuMDBAddImport"), &QAction::triggered, this,
            &DatabaseCommands::mnuMDBAddImport);
}

QString DatabaseCommands::backupPath(const QString& myPath, const QString& dbPath)
{
    return myPath + QFileInfo(dbPath).completeBaseName() + QStringLiteral(".bak");
}

QString DatabaseCommands::saveAsPath(const QString& chosen)
{
    if (chosen.endsWith(QStringLiteral(".mdb"), Qt::CaseInsensitive))
        return chosen;
    return chosen + QStringLiteral(".mdb");
}

void DatabaseCommands::mnuMDBChange()
{
    Prompt& prompt = m_window.prompt();
    // This window closes after the switch, which a running editor pass forbids.
    if (m_window.memoHeldByExternalEditor()) {
        prompt.inform(QStringLiteral("外部エディタで開いているメモがあるため、メモデータベースを切り替えられません。"));
        return;
    }
    const QString start =
        startFolder(m_window.settings().read(Settings::RecentFiles::ChangeMDBFiles), m_window.MyPath());
    const QString path =
        prompt.openFile({QStringLiteral("ファイルを開く"), start,
                         QStringLiteral("MDB File(*.mdb);;Ini File(*.ini);;ALL Files(*.*)")});
    if (path.isEmpty()) {
        prompt.inform(kCancelled);
        return;
    }
    m_window.settings().write(Settings::RecentFiles::ChangeMDBFiles, path);
    // The running binary, whatever its name; the path goes over whole as the
    // first argument (".mdb" a database, ".ini" a profile file).
    if (!startProgram(QCoreApplication::applicationFilePath(), {path})) {
        prompt.critical(QStringLiteral("Quilletを起動するのに失敗しました。"));
        return;
    }
    m_window.close();
}

void DatabaseCommands::refreshAborted(const QString& detail)
{
    QString text = QStringLiteral("メモデータベースのリフレッシュを中止しました。");
    if (!detail.isEmpty())
        text += QLatin1Char('\n') + detail;
    m_window.prompt().critical(text);
}

void DatabaseCommands::mnuMDBRefresh()
{
    Prompt& prompt = m_window.prompt();
    // The refresh renumbers memos and closes the floating windows, one of
    // which carries the pass.
    if (m_window.memoHeldByExternalEditor()) {
        prompt.inform(QStringLiteral("外部エディタで開いているメモがあるため、リフレッシュできません。"));
        return;
    }
    prompt.inform(QStringLiteral(
        "メモデータベースをリフレッシュします。\n"
        "メモIDをふり直しますので、編集中のメモは保存し、フローティングメモや外部エディタを"
        "開いている場合は閉じてください。\n\n"
        "尚、リフレッシュ前のメモデータベースはQuilletインストールフォルダに.bakで残します。"));
    MemoEditor& editor = m_window.editor();
    if (editor.IsEdit()) {
        if (!prompt.askYesNo(QStringLiteral("メモが編集中です。自動的に保存しますか？"))) {
            refreshAborted();
            return;
        }
        m_window.SaveCurrentMemo();
        // A save that did not go through leaves the text in the boxes, which
        // starting a new memo would throw away.
        if (editor.IsEdit()) {
            refreshAborted();
            return;
        }
        m_window.StartNewMemo(QString());
    }
    const QList<frmViewer*> floating = m_window.floatingWindows().windows();
    if (!floating.isEmpty()) {
        if (!prompt.askYesNo(QStringLiteral("フローティングメモもしくは外部エディタが使用されています。\n\n"
                                            "自動的に閉じますか？"))) {
            refreshAborted();
            return;
        }
        for (auto it = floating.crbegin(); it != floating.crend(); ++it) {
            (*it)->setRestoration(false);
            (*it)->close();
        }
    }

    MemoStore& store = m_window.store();
    bool rebuilt = false;
    QString failure;
    try {
        {
            BusyCursor busy;
            // A complete copy even with data still in the write-ahead log,
            // replacing an earlier backup atomically.
            store.database().backupTo(backupPath(m_window.MyPath(), m_window.DBPath()));
        }
        frmProgress progress(&m_window);
        progress.show();
        rebuilt = RebuildDatabase(
            {250, m_window.DBPath(), QStringLiteral("メモデータベースリフレッシュ"), m_window.MyPath()},
            progress, [&store] { store.close(); }, [&store] { store.reopen(); });
    } catch (const DatabaseError& error) {
        failure = error.userMessage();
    }
    // The connection is open again whatever happened to the rebuild.
    if (!store.isOpen()) {
        try {
            store.reopen();
        } catch (const DatabaseError& error) {
            failure += (failure.isEmpty() ? QString() : QStringLiteral("\n")) + error.userMessage();
        }
    }
    if (!rebuilt) {
        // The database file is as it was: the lists still show it.
        refreshAborted(failure);
        return;
    }
    forgetOldNumbers();
    if (!reloadCategories())
        return;
    prompt.inform(
        QStringLiteral("メモデータベースのリフレッシュ完了！\n\nできればQuilletを再起動してください。"));
}

void DatabaseCommands::mnuMDBSaveAs()
{
    Prompt& prompt = m_window.prompt();
    const QString start =
        startFolder(m_window.settings().read(Settings::RecentFiles::ExportMDBFiles), m_window.MyPath());
    // The question about a file already there comes below, once ".mdb" is added.
    const QString chosen =
        prompt.saveFile({QStringLiteral("ファイルを保存"), QDir(start).filePath(QStringLiteral("memo.mdb")),
                         QStringLiteral("MDB File(*.mdb);;ALL Files(*.*)"), false});
    if (chosen.isEmpty()) {
        prompt.inform(kCancelled);
        return;
    }
    const QString path = saveAsPath(chosen);
    // Replacing the open file under its own connection would cut the running
    // program off from its database.
    if (IsSameDatabaseFile(path, m_window.DBPath())) {
        prompt.critical(kSaveFailed +
                        QStringLiteral("\n開いているメモデータベースと同じファイルには保存できません。"));
        return;
    }
    // New databases are made of the template: memos copied into it would come
    // back in each of them.
    if (IsSameDatabaseFile(path, m_window.MyPath() + TemplateDatabase::fileName())) {
        prompt.critical(kSaveFailed + QStringLiteral("\nテンプレートデータベース「%1」には保存できません。")
                                          .arg(TemplateDatabase::fileName()));
        return;
    }
    if (QFileInfo::exists(path) && !prompt.askToReplace(path)) {
        prompt.inform(kCancelled);
        return;
    }
    // The password gate comes before any write: a refused password leaves
    // whatever is at the path.
    auto* passwords = m_window.findChild<PasswordCommands*>(QStringLiteral("PasswordCommands"));
    if (passwords && !passwords->CheckSelectionPassword()) {
        prompt.critical(kSaveFailed);
        return;
    }
    try {
        BusyCursor busy;
        // SQLite's backup: complete even with data still in the write-ahead
        // log; the file at the path is replaced atomically, never deleted first.
        m_window.store().database().backupTo(path);
    } catch (const DatabaseError& error) {
        prompt.critical(kSaveFailed + QLatin1Char('\n') + error.userMessage());
        return;
    }
    m_window.settings().write(Settings::RecentFiles::ExportMDBFiles, path);
    prompt.inform(QStringLiteral("ファイルの保存が完了しました。"));
}

void DatabaseCommands::mnuMDBAddImport()
{
    Prompt& prompt = m_window.prompt();
    bool isOK = false;
    QString otherPath;
    bool overwrite = false;
    int matchMode = MatchByTitle;
    {
        m_window.leaveTopmostBand();
        frmMergeMDB dialog(prompt, m_window.settings(), &m_window);
        dialog.exec();
        m_window.AlwaysOnTop2();
        isOK = dialog.IsOK;
        otherPath = dialog.MDBPath;
        overwrite = dialog.SameMemoOverWrite;
        matchMode = dialog.SameMemoType;
    }
    if (!isOK || otherPath.isEmpty()) {
        prompt.inform(kCancelled);
        return;
    }
    // A Windows database is converted into a temporary SQLite file first,
    // which is then merged as any other; the folder goes with the command.
    std::optional<QTemporaryDir> converted;
    if (IsJetFile(otherPath)) {
        converted.emplace(m_window.MyPath() + QStringLiteral("quillet-jet-XXXXXX"));
        const QString target = converted->filePath(QFileInfo(otherPath).fileName());
        if (!converted->isValid()) {
            prompt.critical(QStringLiteral("一時フォルダを作成できません。\n") + m_window.MyPath());
            return;
        }
        if (!ConvertJetForMerge(prompt, otherPath, target, frmProgress::factory(&m_window)))
            return;
        otherPath = target;
    }
    if (!CheckMergeSource(prompt, m_window.DBPath(), otherPath))
        return;

    MergeResult result;
    try {
        frmProgress progress(&m_window);
        progress.show();
        result = MergeMemoDatabase(m_window.store(), otherPath, overwrite, matchMode, progress);
    } catch (const DatabaseError& error) {
        // What was committed before the failure stays; the lists and the
        // boxes follow it.
        m_window.reportAndRecount(
            DatabaseError(QStringLiteral("ファイルの追加読みこみに失敗しました。\n") + error.what16(),
                          error.engineText(), error.code()));
        m_window.editor().reloadShownMemo();
        return;
    }
    m_window.editor().reloadShownMemo();
    if (!reloadCategories())
        return;
    prompt.inform(MergeResultMessage(result));
}

void DatabaseCommands::forgetOldNumbers()
{
    m_window.categoryList().table().setFindResult({});
    // The memo on screen gives way to a new memo, as the edited one does before
    // the rebuild; text typed while the rebuild ran stays in the boxes as a new
    // unsaved memo.
    MemoEditor& editor = m_window.editor();
    if (editor.isNewMemo())
        return;
    if (editor.IsEdit()) {
        editor.forgetStoredMemo();
        m_window.writeUnsavedText();
    } else {
        m_window.StartNewMemo(QString());
    }
}

bool DatabaseCommands::reloadCategories()
{
    try {
        m_window.LoadCategoryCounts();
    } catch (const DatabaseError& error) {
        m_window.reportAndRecount(error);
        return false;
    }
    m_window.CatList_Add();
    return true;
}
