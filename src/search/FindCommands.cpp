#include "search/FindCommands.h"

#include "search/frmFindDetail.h"
#include "ui/Form1.h"

#include <QAction>
#include <QLineEdit>

FindCommands::FindCommands(Form1& window) : QObject(&window), m_window(window)
{
    for (const char* name : {"mnuFind", "Find"})
        connect(window.commandAction(name), &QAction::triggered, this, &FindCommands::mnuFind);
}

frmFindDetail* FindCommands::dialog() const
{
    return m_dialog;
}

void FindCommands::mnuFind()
{
    // One dialog at a time: it deletes itself when closed, which clears the pointer.
    if (!m_dialog)
        m_dialog = new frmFindDetail(m_window);
    m_dialog->show();
    m_dialog->raise();
    m_dialog->activateWindow();
    m_dialog->txtFind()->setFocus();
}
