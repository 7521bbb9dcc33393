#include "ui/AboutCommands.h"

#include "ui/Form1.h"
#include "ui/frmAbout.h"
#include "ui/frmMakeShortCut.h"

#include <QAction>
#include <QCoreApplication>

AboutCommands::AboutCommands(Form1& window) : QObject(&window), m_window(window)
{
    setObjectName(QStringLiteral("AboutCommands"));
    connect(window.commandAction("mnuMakeShortCut"), &QAction::triggered, this,
            &AboutCommands::mnuMakeShortCut);
    connect(window.commandAction("mnuAbout"), &QAction::triggered, this, &AboutCommands::mnuAbout);
}

void AboutCommands::mnuMakeShortCut()
{
    m_window.leaveTopmostBand();
    frmMakeShortCut dialog(m_window, QCoreApplication::applicationFilePath());
    dialog.exec();
    m_window.AlwaysOnTop2();
}

void AboutCommands::mnuAbout()
{
    m_window.leaveTopmostBand();
    frmAbout dialog(&m_window);
    dialog.exec();
    m_window.AlwaysOnTop2();
}
