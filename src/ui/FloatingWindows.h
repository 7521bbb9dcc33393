#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class Form1;
class frmViewer;

// The main window's floating memo windows: opening them (one per memo),
// finding the one that shows a memo, keeping them at the program's end and
// reopening them at the next start.
class FloatingWindows : public QObject
{
    Q_OBJECT
public:
    explicit FloatingWindows(Form1& window);

    // Opens a floating window for the memo being edited in the main window
    // (`currentMemo`), for a new memo (`newMemo`), or else for the memo list's
    // selected row. With an editor index (0 to 3) the window stays hidden and
    // carries one pass through that external editor, then goes; `askReflect`
    // is its save's question towards the main window.
    void OpenMemoWindow(bool currentMemo, bool newMemo, int editorIndex = -1, bool askReflect = true);
    // The window that shows memo `id` (-1: a new memo not yet saved),
    // searched from the last opened to the first; null when none does.
    frmViewer* QueryViewerOpen(qint64 id) const;
    // The open windows, in the order they were opened.
    QList<frmViewer*> windows() const;
    // Gives every open window the main window's floating memo font and
    // contents colours again (after the options were saved), keeping each
    // window's caret and selection.
    void SetFontColorAll();

    // At the program's end: every window, from the last opened to the first,
    // is closed so that it keeps its settings and text for the next start.
    void keepForNextStart();
    // The session ends: every window writes what it keeps, and stays open.
    void writeKeptFiles();
    // The program must end now: every window writes what it keeps, a memo
    // out in an external editor with the editor's file; no window closes.
    void keepForTermination();
    // At start-up: one window for each floating memo settings file kept in the
    // profile folder.
    void reopenKept();
    // Opens unsaved text kept in a file as a new memo in a window of its own,
    // `title` and `tags` proposed at its first save. True once the window has
    // written the text into files of its own.
    bool openRecovered(const QString& title, const QString& tags, const QString& storedBody);

    void mnuViewer();
    void mnuMemoList_NewF();

private:
    frmViewer* createWindow(qint64 id);

    Form1& m_window;
    QList<QPointer<frmViewer>> m_windows;
};
