#include "exchange/ExportCommands.h"

#include "app/Prompt.h"
#include "app/Settings.h"
#include "editing/PasswordCommands.h"
#include "exchange/ExportDefinition.h"
#include "exchange/ExportMemos.h"
#include "exchange/MakeSafeFilePath.h"
#include "exchange/frmExport.h"
#include "store/DatabaseError.h"
#include "store/MemoStore.h"
#include "tags/MemoList.h"
#include "ui/BusyCursor.h"
#include "ui/Form1.h"

#include <QAction>
#include <QFileInfo>

namespace {

const QString kCancelled = QStringLiteral("キャンセルしました。");
const QString kSaveFailed = QStringLiteral("ファイルの保存に失敗しました。");

} // namespace

ExportCommands::ExportCommands(Form1& window) : QObject(&window), m_window(window)
{
    setObjectName(QStringLiteral("ExportCommands"));
    connect(window.commandAction("mnuExportAll"), &QAction::triggered, this, &ExportCommands::mnuExportAll);
    connect(window.commandAction("mnuExportText"), &QAction::triggered, this, &ExportCommands::mnuExportText);
}

void ExportCommands::mnuExportAll()
{
    // A first-time user finds the shipped definitions in the program folder.
    ExportDefinition::installShipped(m_window.MyPath());
    m_window.leaveTopmostBand();
    {
        frmExport dialog(m_window);
        dialog.exec();
    }
    m_window.AlwaysOnTop2();
}

void ExportCommands::mnuExportText()
{
    Prompt& prompt = m_window.prompt();
    const QList<qint64> ids = m_window.memoList().selectedIds();

    QString lastPath = m_window.settings().read(Settings::RecentFiles::ExportTextFile);
    if (lastPath.isEmpty())
        lastPath = m_window.MyPath();
    const QFileInfo last(lastPath);
    QString startFolder = last.isDir() ? last.absoluteFilePath() : last.absolutePath();
    if (!startFolder.endsWith(u'/'))
        startFolder += u'/';
    QString title;
    if (!ids.isEmpty()) {
        try {
            if (const auto memo = m_window.store().readMemoText(ids.first()))
                title = memo->title;
        } catch (const DatabaseError&) {
            // Only the proposed name is lost; the export itself reports failures.
        }
    }
    const QString proposed = MakeSafeFilePath(startFolder, title + QStringLiteral(".txt"));

    m_window.leaveTopmostBand();
    // The question about a file already there comes below, once ".txt" is added.
    QString path = prompt.saveFile({QStringLiteral("ファイルを保存"), proposed,
                                    QStringLiteral("Text File (*.txt *.text);;ALL Files (*)"), false});
    m_window.AlwaysOnTop2();
    if (path.isEmpty()) {
        prompt.inform(kCancelled);
        return;
    }
    if (!path.endsWith(QStringLiteral(".txt"), Qt::CaseInsensitive))
        path += QStringLiteral(".txt");
    // A file already there is only replaced once the user agreed and the
    // password gate let the memos through; the new file takes its place whole.
    if (QFileInfo::exists(path) && !prompt.askToReplace(path)) {
        prompt.inform(kCancelled);
        return;
    }

    auto* passwords = m_window.findChild<PasswordCommands*>(QStringLiteral("PasswordCommands"));
    if (!passwords || !passwords->CheckSelectionPassword()) {
        prompt.critical(kSaveFailed);
        return;
    }

    TextExportResult result;
    {
        BusyCursor busy;
        result = ExportMemoText(m_window.DBPath(), ids, path);
    }
    if (!result.saved) {
        prompt.critical(kSaveFailed + u'\n' + result.error);
        return;
    }
    m_window.settings().write(Settings::RecentFiles::ExportTextFile, path);
    prompt.inform(QStringLiteral("ファイルの保存が完了しました。"));
}
