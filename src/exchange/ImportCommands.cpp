#include "exchange/ImportCommands.h"

#include "app/Prompt.h"
#include "app/Settings.h"
#include "editing/MemoEditor.h"
#include "exchange/ClipboardText.h"
#include "exchange/frmImport.h"
#include "store/DatabaseError.h"
#include "tags/CategoryList.h"
#include "tags/ListViews.h"
#include "tags/MemoList.h"
#include "ui/BusyCursor.h"
#include "ui/Form1.h"
#include "ui/frmProgress.h"

#include <QAction>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QUrl>

namespace {

const QString kCancelled = QStringLiteral("途中でキャンセルしました。");

// The local files and folders of dropped data, in order; other URLs are no files.
QStringList localPaths(const QMimeData& data)
{
    QStringList paths;
    if (!data.hasUrls())
        return paths;
    for (const QUrl& url : data.urls())
        if (url.isLocalFile())
            paths.append(url.toLocalFile());
    return paths;
}

} // namespace

ImportCommands::ImportCommands(Form1& window) : QObject(&window), m_window(window)
{
    setObjectName(QStringLiteral("ImportCommands"));
    connect(window.commandAction("mnuImport"), &QAction::triggered, this, &ImportCommands::mnuImport);
    connect(window.commandAction("mnuImportFolder"), &QAction::triggered, this,
            &ImportCommands::mnuImportFolder);

    // Drops on the window reach it from its panes and splitters; the lists'
    // viewports take drops themselves. The contents box keeps its own text
    // drops and hands files here.
    window.setAcceptDrops(true);
    window.installEventFilter(this);
    for (QAbstractItemView* list : {static_cast<QAbstractItemView*>(window.categoryList().view()),
                                    static_cast<QAbstractItemView*>(window.memoList().view())}) {
        list->viewport()->setAcceptDrops(true);
        list->viewport()->installEventFilter(this);
    }
    m_contentsViewport = window.editor().txtContents()->viewport();
    m_contentsViewport->installEventFilter(this);
}

bool ImportCommands::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return false;
    auto* drop = static_cast<QDropEvent*>(event);
    const QMimeData* data = drop->mimeData();
    if (!data)
        return false;

    // Plain text goes to the contents box, which takes it as it takes a
    // paste; local files, and data it cannot take, are handled here. Every drop on the window is taken: one that holds no files is
    // told so.
    if (watched == m_contentsViewport && localPaths(*data).isEmpty() && ClipboardText::pastableText(data))
        return false;
    // A copy, never a move: the source keeps its files.
    drop->setDropAction(Qt::CopyAction);
    drop->accept();
    if (type == QEvent::Drop) {
        if (watched == m_contentsViewport) {
            dropFilesOnContents(*data);
        } else {
            QString tag = m_window.categoryList().selectedName();
            ImportDroppedFiles(*data, tag, true);
        }
    }
    return true;
}

std::optional<ImportResult> ImportCommands::importFiles(const QStringList& files, QString& tag)
{
    BusyCursor busy;
    std::optional<ImportResult> result;
    try {
        TextImporter importer(m_window.store(), m_window.categoryList().table(), m_window.clock());
        if (files.size() > ProgressShownAbove) {
            frmProgress progress(&m_window);
            progress.show();
            result = importer.importFiles(files, tag, &progress);
        } else {
            result = importer.importFiles(files, tag);
        }
    } catch (const DatabaseError& error) {
        m_window.reportAndRecount(error);
        return std::nullopt;
    }
    m_window.CatList_Add();
    return result;
}

void ImportCommands::showOutcome(QString text, const ImportResult& result)
{
    if (result.skipped.empty()) {
        if (!text.isEmpty())
            m_window.prompt().inform(text);
        return;
    }
    if (!text.isEmpty())
        text += u'\n';
    m_window.prompt().warn(text + TextImport::skippedReport(result.skipped));
}

void ImportCommands::mnuImport()
{
    QString start = m_window.settings().read(Settings::RecentFiles::ImportFile);
    if (start.isEmpty())
        start = m_window.MyPath();
    m_window.leaveTopmostBand();
    const QString path = m_window.prompt().openFile(
        {QStringLiteral("ファイルを開く"), start, QStringLiteral("Text File(*.txt *.text);;ALL Files(*)")});
    m_window.AlwaysOnTop2();
    if (path.isEmpty())
        return;
    QString tag = TagTable::importName();
    if (const std::optional<ImportResult> result = importFiles({path}, tag))
        showOutcome(QString(), *result);
    m_window.settings().write(Settings::RecentFiles::ImportFile, path.left(path.lastIndexOf(u'/')));
}

void ImportCommands::mnuImportFolder()
{
    QString folder;
    bool subFolders = false;
    {
        m_window.leaveTopmostBand();
        frmImport dialog(m_window.prompt(), &m_window);
        dialog.exec();
        m_window.AlwaysOnTop2();
        folder = dialog.ImportPath();
        subFolders = dialog.bSubFolder();
    }
    if (folder.isEmpty())
        return;
    QStringList files;
    {
        BusyCursor busy;
        TextImport::CollectFiles(folder, subFolders, TextImport::acceptedExtensions(), files);
    }
    QString tag = TagTable::importName();
    if (const std::optional<ImportResult> result = importFiles(files, tag))
        showOutcome(result->cancelled ? kCancelled : QString(), *result);
}

int ImportCommands::ImportDroppedFiles(const QMimeData& data, QString& tag, bool report)
{
    QStringList files;
    {
        BusyCursor busy;
        files = TextImport::filesOfDroppedItems(localPaths(data));
    }
    const std::optional<ImportResult> result = importFiles(files, tag);
    if (!result)
        return 0;
    QString text;
    if (result->cancelled)
        text = kCancelled;
    else if (report && result->imported > 0)
        text = QStringLiteral("%1個のファイルを%2タグをつけてインポートしました。")
                   .arg(result->imported)
                   .arg(tag);
    else if (report)
        text = QStringLiteral("追加できるファイルがありませんでした。");
    showOutcome(text, *result);
    return result->imported;
}

void ImportCommands::dropFilesOnContents(const QMimeData& data)
{
    bool loaded = false;
    ImportResult result;
    {
        BusyCursor busy;
        const QStringList paths = localPaths(data);
        if (!paths.isEmpty() && !QFileInfo(paths.first()).isDir()) {
            const QString& path = paths.first();
            QString reason;
            if (const std::optional<QString> body = TextImport::bodyOfFile(path, reason)) {
                QString tag = m_window.categoryList().selectedName();
                TextImport::applyTagRule(tag);
                m_window.editor().setTexts(TextImport::titleFromPath(path), tag, *body);
                loaded = true;
            } else {
                result.skipped.push_back({path, reason});
            }
        }
    }
    if (!loaded)
        showOutcome(QStringLiteral("追加できるオブジェクトがありませんでした。"), result);
}
