#pragma once

#include <QObject>

class Form1;

// The clipboard commands of the main window: cut, copy and paste in the
// contents box (menu, toolbar and the box's Ctrl+X / Ctrl+V), copying the
// memo on screen or the memos selected in the memo list, and a new memo from
// the clipboard. Only plain text goes on or comes off the clipboard.
class ClipboardCommands : public QObject
{
    Q_OBJECT
public:
    explicit ClipboardCommands(Form1& window);

    void mnuCut();
    void mnuCopy();
    void mnuPaste();
    void mnuCopyCurrentMemo2Clipboard();
    void mnuCopyMemo2Clipboard();
    void mnuClipboard2NewMemo();

private:
    // Asks for the security password before protected memos leave the
    // program; true when it was given.
    bool askPasswordForLockedMemos();

    Form1& m_window;
};
