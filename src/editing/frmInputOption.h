#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;

// The password dialog: a prompt, a masked entry, OK and Close. After it closes,
// InputPassword() holds what was typed, or the empty text when it was closed
// any other way than by OK.
class frmInputOption : public QDialog
{
    Q_OBJECT
public:
    explicit frmInputOption(QWidget* parent = nullptr);

    void setPrompt(const QString& text);
    QString InputPassword() const { return m_inputPassword; }
    bool isOk() const { return m_ok; }

private:
    void acceptEntry();

    QLabel* m_label;
    QLineEdit* m_entry;
    QString m_inputPassword;
    bool m_ok = false;
};
