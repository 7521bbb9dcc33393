#pragma once

#include <QObject>
#include <QString>
#include <optional>

class Form1;

// The security password commands of the main window: protecting and
// unprotecting the memos selected in the memo list, the check made before
// selected memos are written out, and the save of a new security password.
// Other commands find it as the window's child named "PasswordCommands".
class PasswordCommands : public QObject
{
    Q_OBJECT
public:
    explicit PasswordCommands(Form1& window);

    void popSetSecurityPass();
    void popDeleteSecurityPass();
    // True when no selected memo is protected, or when the security password
    // was entered. Asks every time (no grace period), also when the security
    // password is empty, which then no answer matches.
    bool CheckSelectionPassword();

    // The options' save of the security password: the settings file and the
    // database (see saveSecurityPassword in SecurityPassword.h), then the
    // window's own password. False, after telling the user, when nothing was
    // stored.
    static bool saveSecurityPassword(Form1& window, const QString& password);

private:
    // The security password; nullopt, after telling the user, when the stored
    // one could not be read, which no answer could match.
    std::optional<QString> securityPassword();
    void setLockOnSelected(bool locked, const QString& caption, const QString& label);

    Form1& m_window;
};
