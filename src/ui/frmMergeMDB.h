#pragma once

#include <QDialog>

class Prompt;
class QLineEdit;
class QPushButton;
class QRadioButton;
class SettingsFile;

// The dialog of the merge command: the other database's path, whether the
// same memos are overwritten or everything is added, and how memos count as
// the same. The command reads the public members after the dialog closed.
class frmMergeMDB : public QDialog
{
    Q_OBJECT
public:
    frmMergeMDB(Prompt& prompt, const SettingsFile& settings, QWidget* parent = nullptr);

    // True only when the dialog was left with Btn_OK.
    bool IsOK = false;
    // txtMDBPath's text at Btn_OK.
    QString MDBPath;
    // 1: same title (optOW_Title), 2: same ID (optOW_ID).
    int SameMemoType = 1;
    // false: add everything (optOW_No), true: overwrite with the later copy (optOW_Yes).
    bool SameMemoOverWrite = false;

private:
    void Btn_OpenMDBPath_Click();
    void Btn_OK_Click();

    Prompt& m_prompt;
    const SettingsFile& m_settings;
    QLineEdit* m_txtMDBPath;
    QRadioButton* m_optOW_Yes;
    QRadioButton* m_optOW_ID;
};
