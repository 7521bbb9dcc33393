#include "editing/frmInputOption.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmInputOption::frmInputOption(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmInputOption"));
    setModal(true);

    m_label = new QLabel(this);
    m_label->setObjectName(QStringLiteral("lbl"));
    m_label->setWordWrap(true);

    m_entry = new QLineEdit(this);
    m_entry->setObjectName(QStringLiteral("txtInputPassword"));
    m_entry->setEchoMode(QLineEdit::Password);
    m_entry->setAccessibleName(QStringLiteral("パスワード"));
    m_label->setBuddy(m_entry);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("Btn_OK"));
    ok->setDefault(true);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("Btn_Close"));
    connect(ok, &QPushButton::clicked, this, &frmInputOption::acceptEntry);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
    layout->addWidget(m_entry);
    layout->addLayout(buttons);
    setMinimumWidth(360);
}

void frmInputOption::setPrompt(const QString& text)
{
    m_label->setText(text);
}

void frmInputOption::acceptEntry()
{
    m_inputPassword = m_entry->text();
    m_ok = true;
    accept();
}
