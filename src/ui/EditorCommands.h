#pragma once

#include <QObject>

class Form1;

// The main window's external-editor commands: the memo selected in the memo
// list, the memo being edited, or a new memo, each through the default editor
// or one of the four entries. Every pass runs in a hidden floating window.
class EditorCommands : public QObject
{
    Q_OBJECT
public:
    explicit EditorCommands(Form1& window);

    // Writes the captions of the numbered entries from the editor table.
    void LoadEditorSettings();

private:
    void connectEntry(const char* name, bool currentMemo, bool newMemo, int index, bool askReflect);

    Form1& m_window;
};
