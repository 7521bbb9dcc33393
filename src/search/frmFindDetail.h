#pragma once

#include "search/TextFinder.h"

#include <QDialog>

class Form1;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

// The find dialog: finds a string in the main window's contents box and
// selects it there. Modeless, so the user goes on editing while it is open;
// it keeps its direction and the string last found until it is closed, which
// deletes it.
class frmFindDetail : public QDialog
{
    Q_OBJECT
public:
    explicit frmFindDetail(Form1& window);

    QLineEdit* txtFind() const { return m_txtFind; }
    QComboBox* cmbFindDir() const { return m_cmbFindDir; }
    QCheckBox* chkCompareMode() const { return m_chkCompareMode; }

    // One search step: selects the next occurrence in the chosen direction,
    // or tells the user that there is none.
    void Btn_Find_Click();

private:
    Form1& m_window;
    QLineEdit* m_txtFind = nullptr;
    QComboBox* m_cmbFindDir = nullptr;
    QCheckBox* m_chkCompareMode = nullptr;
    QPushButton* m_btnFind = nullptr;
    QPushButton* m_btnClose = nullptr;
    TextFinder m_finder;
};
