#pragma once

#include <QObject>

class Form1;

// The icon commands: one memo list image set on the selected memos.
class IconCommands : public QObject
{
    Q_OBJECT
public:
    explicit IconCommands(Form1& window);

    // Code 2 to 12 sets that image, 13 removes the icon.
    void SetIconOnSelected(int code);

private:
    Form1& m_window;
};
