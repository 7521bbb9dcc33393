#pragma once

#include <QObject>

class Form1;

// The main window's options command: opens the options dialog.
class OptionCommands : public QObject
{
    Q_OBJECT
public:
    explicit OptionCommands(Form1& window);

    void mnuOption();

private:
    Form1& m_window;
};
