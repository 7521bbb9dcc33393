#pragma once

#include <QObject>
#include <QPointer>

class Form1;
class frmFindDetail;

// The find command (menu item and toolbar button): opens the find dialog, or
// brings the open one to the front.
class FindCommands : public QObject
{
    Q_OBJECT
public:
    explicit FindCommands(Form1& window);

    void mnuFind();
    // The open find dialog; null while it is closed.
    frmFindDetail* dialog() const;

private:
    Form1& m_window;
    QPointer<frmFindDetail> m_dialog;
};
