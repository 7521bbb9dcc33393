#pragma once

#include "app/DesktopLauncher.h"

#include <QDialog>

class Form1;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The shortcut dialog: writes desktop launchers that start Quillet for the
// current profile, with this run's command line, into the applications menu,
// the desktop folder, the autostart folder and/or a chosen folder. An
// existing launcher is replaced only after a question. Passwords are never
// written into a launcher; the dialog says so for a protected profile.
class frmMakeShortCut : public QDialog
{
    Q_OBJECT
public:
    // `program` is the executable the launchers start: the running one.
    explicit frmMakeShortCut(Form1& window, const QString& program);

    const DesktopLauncher& launcher() const { return m_launcher; }

    QCheckBox* chkMenu() const { return m_chkMenu; }
    QCheckBox* chkDesktop() const { return m_chkDesktop; }
    QCheckBox* chkStartup() const { return m_chkStartup; }
    QCheckBox* chkFolder() const { return m_chkFolder; }
    QLineEdit* txtFolder() const { return m_txtFolder; }
    QLabel* lblPassword() const { return m_lblPassword; }

    void cmdBrowse_Click();
    // Writes the launcher into every chosen folder; closes the dialog when
    // at least one was written.
    void cmdOK_Click();

private:
    bool profileHasPassword() const;
    // False when the user kept an existing file or writing failed (told).
    bool writeInto(const QString& folder, QStringList& written);

    Form1& m_window;
    DesktopLauncher m_launcher;
    QCheckBox* m_chkMenu = nullptr;
    QCheckBox* m_chkDesktop = nullptr;
    QCheckBox* m_chkStartup = nullptr;
    QCheckBox* m_chkFolder = nullptr;
    QLineEdit* m_txtFolder = nullptr;
    QLabel* m_lblPassword = nullptr;
};
