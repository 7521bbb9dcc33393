#include "exchange/frmImport.h"

#include "app/Prompt.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

frmImport::frmImport(Prompt& prompt, QWidget* parent) : QDialog(parent), m_prompt(prompt)
{
    setObjectName(QStringLiteral("frmImport"));
    setWindowTitle(QStringLiteral("ImportMemo"));
    setModal(true);

    auto* label = new QLabel(QStringLiteral("インポート元フォルダ"), this);
    label->setObjectName(QStringLiteral("Label1"));
    m_txtImportPath = new QLineEdit(this);
    m_txtImportPath->setObjectName(QStringLiteral("txtImportPath"));
    m_txtImportPath->setAccessibleName(QStringLiteral("インポート元フォルダ"));
    m_txtImportPath->setMinimumWidth(320);
    label->setBuddy(m_txtImportPath);
    auto* openFolder = new QPushButton(QStringLiteral("参照..."), this);
    openFolder->setObjectName(QStringLiteral("Btn_OpenFolder"));
    openFolder->setAccessibleName(QStringLiteral("フォルダの選択"));
    m_chkSubFolder = new QCheckBox(QStringLiteral("サブフォルダも読み込む"), this);
    m_chkSubFolder->setObjectName(QStringLiteral("chkSubFolder"));
    auto* importButton = new QPushButton(QStringLiteral("Import"), this);
    importButton->setObjectName(QStringLiteral("Btn_Import"));
    importButton->setDefault(true);
    auto* closeButton = new QPushButton(QStringLiteral("Close"), this);
    closeButton->setObjectName(QStringLiteral("Btn_Close"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0, 1, 2);
    grid->addWidget(m_txtImportPath, 1, 0);
    grid->addWidget(openFolder, 1, 1);
    grid->addWidget(m_chkSubFolder, 2, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(importButton);
    buttons->addWidget(closeButton);
    grid->addLayout(buttons, 3, 0, 1, 2);

    connect(openFolder, &QPushButton::clicked, this, &frmImport::openFolder);
    connect(importButton, &QPushButton::clicked, this, &frmImport::import);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
}

void frmImport::openFolder()
{
    const QString folder =
        m_prompt.chooseFolder({QStringLiteral("フォルダの選択"), m_txtImportPath->text(), QString()});
    if (!folder.isEmpty())
        m_txtImportPath->setText(folder);
}

void frmImport::import()
{
    m_importPath = m_txtImportPath->text();
    m_subFolder = m_chkSubFolder->isChecked();
    accept();
}
