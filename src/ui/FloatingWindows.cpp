#include "ui/FloatingWindows.h"

#include "app/Prompt.h"
#include "editing/MemoEditor.h"
#include "tags/MemoList.h"
#include "ui/Form1.h"
#include "ui/frmViewer.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QTextCursor>

FloatingWindows::FloatingWindows(Form1& window) : QObject(&window), m_window(window)
{
    connect(window.commandAction("mnuViewer"), &QAction::triggered, this, &FloatingWindows::mnuViewer);
    connect(window.commandAction("mnuMemoList_NewF"), &QAction::triggered, this,
            &FloatingWindows::mnuMemoList_NewF);
    connect(window.commandAction("NewF"), &QAction::triggered, this, &FloatingWindows::mnuMemoList_NewF);
}

void FloatingWindows::mnuViewer()
{
    OpenMemoWindow(false, false);
}

void FloatingWindows::mnuMemoList_NewF()
{
    OpenMemoWindow(false, true);
}

QList<frmViewer*> FloatingWindows::windows() const
{
    QList<frmViewer*> open;
    for (const QPointer<frmViewer>& window : m_windows) {
        if (window)
            open.append(window.data());
    }
    return open;
}

void FloatingWindows::SetFontColorAll()
{
    for (frmViewer* viewer : windows()) {
        // SetFontColor puts the caret at the start, as on opening; a window
        // being edited keeps where the user was.
        const QTextCursor caret = viewer->txtContents()->textCursor();
        viewer->SetFontColor();
        viewer->txtContents()->setTextCursor(caret);
    }
}

frmViewer* FloatingWindows::QueryViewerOpen(qint64 id) const
{
    const QList<frmViewer*> open = windows();
    for (auto it = open.crbegin(); it != open.crend(); ++it) {
        if ((*it)->iID() == id)
            return *it;
    }
    return nullptr;
}

frmViewer* FloatingWindows::createWindow(qint64 id)
{
    // Closed windows leave only empty guards behind.
    m_windows.removeAll(QPointer<frmViewer>());
    auto* window = new frmViewer(m_window);
    window->setId(id);
    m_windows.append(window);
    return window;
}

void FloatingWindows::OpenMemoWindow(bool currentMemo, bool newMemo, int editorIndex, bool askReflect)
{
    const bool forEditor = editorIndex >= 0;
    qint64 id = -1;
    if (currentMemo) {
        MemoEditor& editor = m_window.editor();
        id = editor.isNewMemo() ? -1 : editor.memoNumber().toLongLong();
    } else if (!newMemo) {
        const QList<qint64> selected = m_window.memoList().selectedIds();
        if (selected.isEmpty())
            return;
        id = selected.first();
    }

    if (frmViewer* open = QueryViewerOpen(id)) {
        m_window.prompt().critical(
            forEditor ? QStringLiteral("すでに開いています。\n外部エディタは同じ内容のメモで二重起動できません。")
                      : QStringLiteral("すでに開いています。\nフローティングメモは同じ内容のメモで二重起動できません。"));
        // A window carrying an editor pass stays hidden until the pass ends.
        if (open->IsOuterEdit())
            return;
        if (open->isMinimized())
            open->showNormal();
        else
            open->show();
        open->raise();
        open->activateWindow();
        return;
    }

    frmViewer* window = createWindow(id);
    if (id == -1) {
        window->setWindowTitle(QStringLiteral("New Memo"));
        window->IntoEditMode();
    } else if (!window->MemoLoad()) {
        // Password refused or memo unreadable: the window never shows.
        delete window;
        return;
    }
    if (forEditor) {
        window->SetSaved();
        window->InitUndoRedo();
        window->OpenEditor(editorIndex, true, askReflect);
        return;
    }
    window->SetFontColor();
    window->show();
    window->SetSaved();
    window->InitUndoRedo();
}

void FloatingWindows::keepForNextStart()
{
    const QList<frmViewer*> open = windows();
    for (auto it = open.crbegin(); it != open.crend(); ++it) {
        (*it)->setRestoration(true);
        (*it)->close();
    }
}

void FloatingWindows::writeKeptFiles()
{
    for (frmViewer* viewer : windows())
        viewer->writeKeptFilesAtEnd();
}

void FloatingWindows::keepForTermination()
{
    for (frmViewer* viewer : windows())
        viewer->keepForTermination();
}

bool FloatingWindows::openRecovered(const QString& title, const QString& tags, const QString& storedBody)
{
    frmViewer* window = createWindow(-1);
    window->setWindowTitle(QStringLiteral("New Memo"));
    const bool kept = window->showRecovered(title, tags, storedBody);
    window->show();
    return kept;
}

void FloatingWindows::reopenKept()
{
    const QDir folder(m_window.profile().iniBasePath);
    const QStringList files = folder.entryList({QStringLiteral("*.ini")}, QDir::Files, QDir::Name);
    for (const QString& file : files) {
        const QString stem = QFileInfo(file).completeBaseName();
        const std::optional<qint64> id = frmViewer::idOfKeptStem(stem);
        if (!id)
            continue;
        frmViewer* window = createWindow(*id);
        window->setKeptStem(stem);
        window->LoadViewStatus();
        if (window->IsClose()) {
            delete window;
            continue;
        }
        window->show();
        window->InitUndoRedo();
    }
}
