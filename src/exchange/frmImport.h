#pragma once

#include <QDialog>

class Prompt;
class QCheckBox;
class QLineEdit;

// The folder import dialog: the folder, whether to read its subfolders too,
// and "Import". ImportPath() stays empty unless the dialog was closed with
// "Import".
class frmImport : public QDialog
{
    Q_OBJECT
public:
    frmImport(Prompt& prompt, QWidget* parent = nullptr);

    const QString& ImportPath() const { return m_importPath; }
    bool bSubFolder() const { return m_subFolder; }

private:
    void openFolder();
    void import();

    Prompt& m_prompt;
    QLineEdit* m_txtImportPath;
    QCheckBox* m_chkSubFolder;
    QString m_importPath;
    bool m_subFolder = false;
};
