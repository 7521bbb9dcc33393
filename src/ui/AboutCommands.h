#pragma once

#include <QObject>

class Form1;

// The commands of the help menu's about box and of the shortcut dialog.
class AboutCommands : public QObject
{
    Q_OBJECT
public:
    explicit AboutCommands(Form1& window);

    void mnuMakeShortCut();
    void mnuAbout();

private:
    Form1& m_window;
};
