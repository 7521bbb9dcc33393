#include "options/OptionCommands.h"

#include "options/frmOption.h"
#include "ui/Form1.h"

#include <QAction>

OptionCommands::OptionCommands(Form1& window) : QObject(&window), m_window(window)
{
    setObjectName(QStringLiteral("OptionCommands"));
    connect(window.commandAction("mnuOption"), &QAction::triggered, this, &OptionCommands::mnuOption);
}

void OptionCommands::mnuOption()
{
    // A modal dialog must not open under an always-on-top main window.
    m_window.leaveTopmostBand();
    frmOption dialog(m_window);
    dialog.exec();
    m_window.AlwaysOnTop2();
}
