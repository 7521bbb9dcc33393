#pragma once

#include <QDialog>

class Form1;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

// The export dialog: the definition file, the destination folder, the
// file-name template and the two filters; "Export" writes one text file per
// memo and closes the dialog.
class frmExport : public QDialog
{
    Q_OBJECT
public:
    explicit frmExport(Form1& window);

    QLineEdit* txtFileNameDef() const { return m_txtFileNameDef; }
    QLineEdit* txtExportPath() const { return m_txtExportPath; }
    QComboBox* cmbDefinitionFile() const { return m_cmbDefinitionFile; }
    QCheckBox* IsPassMemo() const { return m_isPassMemo; }
    QCheckBox* chkTrashBox() const { return m_chkTrashBox; }

    // Lists the ".ted" files of the program folder by name and selects the first.
    void FillDefinitionList();
    void Btn_Export_Click();
    void Btn_OpenFolder_Click();

private:
    // The chosen definition file's path; the folder's own file name is kept
    // with each entry, so that a ".TED" file is found as it is spelt.
    QString definitionPath() const;

    Form1& m_window;
    QLineEdit* m_txtFileNameDef = nullptr;
    QCheckBox* m_isPassMemo = nullptr;
    QComboBox* m_cmbDefinitionFile = nullptr;
    QCheckBox* m_chkTrashBox = nullptr;
    QPushButton* m_btnExport = nullptr;
    QPushButton* m_btnClose = nullptr;
    QPushButton* m_btnOpenFolder = nullptr;
    QLineEdit* m_txtExportPath = nullptr;
};
