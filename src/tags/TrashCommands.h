#pragma once

#include <QObject>

class Form1;

// The trash commands: moving the selected memos or the memo on screen to the
// trash, restoring the selected memos of the trash list, emptying the trash.
class TrashCommands : public QObject
{
    Q_OBJECT
public:
    explicit TrashCommands(Form1& window);

    void mnuDeleteMemo();
    void mnuDeleteCurrentMemo();
    void mnuRestoreMemo();
    void pop2ClearTrash();

private:
    enum class RunEnd
    {
        Finished,
        Cancelled,
        Failed
    };
    // Moves the selected memos with the progress window. A failure has been
    // reported already when it returns Failed.
    RunEnd MoveSelectedMemosToTrash();
    // Moves the memo on screen to the trash; false, reported, when that failed.
    bool MoveCurrentMemoToTrash();

    Form1& m_window;
};
