#pragma once

#include <QDialog>

class QLabel;

// The about box: Quillet's name, version and icon, and the libraries it runs
// on with their versions at run time and their licences.
class frmAbout : public QDialog
{
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);

    // "Qt 6.4.2" / "SQLite 3.40.1": the libraries loaded now, not the ones
    // Quillet was built against.
    static QString qtVersionText();
    static QString sqliteVersionText();

    QLabel* picIcon() const { return m_picIcon; }

private:
    QLabel* m_picIcon = nullptr;
};
