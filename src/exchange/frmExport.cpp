#include "exchange/frmExport.h"

#include "app/Prompt.h"
#include "app/Settings.h"
#include "editing/MemoEditor.h"
#include "exchange/ExportDefinition.h"
#include "exchange/ExportMemos.h"
#include "ui/BusyCursor.h"
#include "ui/Form1.h"
#include "ui/frmProgress.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

frmExport::frmExport(Form1& window) : QDialog(&window), m_window(window)
{
    setObjectName(QStringLiteral("frmExport"));
    setWindowTitle(QStringLiteral("ExportMemo"));
    setModal(true);

    auto* label1 = new QLabel(QStringLiteral("エクスポート先のフォルダ"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    m_txtExportPath = new QLineEdit(this);
    m_txtExportPath->setObjectName(QStringLiteral("txtExportPath"));
    m_txtExportPath->setAccessibleName(QStringLiteral("エクスポート先のフォルダ"));
    m_txtExportPath->setMinimumWidth(320);
    label1->setBuddy(m_txtExportPath);
    m_btnOpenFolder = new QPushButton(QStringLiteral("..."), this);
    m_btnOpenFolder->setObjectName(QStringLiteral("Btn_OpenFolder"));
    m_btnOpenFolder->setAccessibleName(QStringLiteral("フォルダの選択"));
    m_btnOpenFolder->setAutoDefault(false);
    m_btnOpenFolder->setMaximumWidth(40);

    auto* label2 = new QLabel(QStringLiteral("定義ファイル"), this);
    label2->setObjectName(QStringLiteral("label2"));
    m_cmbDefinitionFile = new QComboBox(this);
    m_cmbDefinitionFile->setObjectName(QStringLiteral("cmbDefinitionFile"));
    m_cmbDefinitionFile->setAccessibleName(QStringLiteral("定義ファイル"));
    label2->setBuddy(m_cmbDefinitionFile);

    auto* label3 = new QLabel(QStringLiteral("エクスポートするファイル名定義(拡張子はtxtとなります)"), this);
    label3->setObjectName(QStringLiteral("Label3"));
    m_txtFileNameDef = new QLineEdit(this);
    m_txtFileNameDef->setObjectName(QStringLiteral("txtFileNameDef"));
    m_txtFileNameDef->setAccessibleName(QStringLiteral("エクスポートするファイル名定義"));
    label3->setBuddy(m_txtFileNameDef);

    m_isPassMemo = new QCheckBox(QStringLiteral("パスワード設定したメモもエクスポートする"), this);
    m_isPassMemo->setObjectName(QStringLiteral("IsPassMemo"));
    m_chkTrashBox = new QCheckBox(QStringLiteral("ゴミ箱の中身もエクスポートする"), this);
    m_chkTrashBox->setObjectName(QStringLiteral("chkTrashBox"));

    m_btnExport = new QPushButton(QStringLiteral("Export"), this);
    m_btnExport->setObjectName(QStringLiteral("Btn_Export"));
    m_btnExport->setDefault(true);
    m_btnClose = new QPushButton(QStringLiteral("Close"), this);
    m_btnClose->setObjectName(QStringLiteral("Btn_Close"));
    m_btnClose->setAutoDefault(false);

    auto* layout = new QGridLayout(this);
    layout->addWidget(label2, 0, 0);
    layout->addWidget(m_cmbDefinitionFile, 0, 1, 1, 2);
    layout->addWidget(label1, 1, 0);
    layout->addWidget(m_txtExportPath, 1, 1);
    layout->addWidget(m_btnOpenFolder, 1, 2);
    layout->addWidget(label3, 2, 0, 1, 3);
    layout->addWidget(m_txtFileNameDef, 3, 0, 1, 3);
    layout->addWidget(m_isPassMemo, 4, 0, 1, 3);
    layout->addWidget(m_chkTrashBox, 5, 0, 1, 3);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_btnExport);
    buttons->addWidget(m_btnClose);
    layout->addLayout(buttons, 6, 0, 1, 3);
    layout->setColumnStretch(1, 1);

    connect(m_btnExport, &QPushButton::clicked, this, &frmExport::Btn_Export_Click);
    connect(m_btnClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_btnOpenFolder, &QPushButton::clicked, this, &frmExport::Btn_OpenFolder_Click);

    m_txtFileNameDef->setText(m_window.settings().read(Settings::Export::FileNameDef));
    FillDefinitionList();
}

void frmExport::FillDefinitionList()
{
    m_cmbDefinitionFile->clear();
    // By name, as the folder listing of the system the format comes from gives them.
    const QStringList files =
        QDir(m_window.MyPath())
            .entryList({QStringLiteral("*.ted")}, QDir::Files | QDir::Readable, QDir::Name);
    for (const QString& file : files)
        m_cmbDefinitionFile->addItem(file.left(file.size() - 4), file);
    if (m_cmbDefinitionFile->count() > 0)
        m_cmbDefinitionFile->setCurrentIndex(0);
}

QString frmExport::definitionPath() const
{
    const QString file = m_cmbDefinitionFile->currentData().toString();
    return m_window.MyPath() +
           (file.isEmpty() ? m_cmbDefinitionFile->currentText() + QStringLiteral(".ted") : file);
}

void frmExport::Btn_OpenFolder_Click()
{
    const QString folder =
        m_window.prompt().chooseFolder({QStringLiteral("フォルダの選択"), m_txtExportPath->text(), {}});
    if (!folder.isEmpty())
        m_txtExportPath->setText(folder);
}

void frmExport::Btn_Export_Click()
{
    Prompt& prompt = m_window.prompt();
    if (m_txtExportPath->text().isEmpty()) {
        prompt.inform(QStringLiteral("エクスポート先のフォルダが不正です。"));
        return;
    }
    if (m_isPassMemo->isChecked()) {
        const QString answer = prompt.password(
            QStringLiteral("パスワードの入力"),
            QStringLiteral("パスワード設定したメモを開くためのパスワードを入力してください。"));
        if (answer.isEmpty())
            return;
        // An unreadable stored password matches no answer.
        const std::optional<QString> password = m_window.editor().securityPassword();
        if (!password || answer != *password) {
            prompt.critical(QStringLiteral("パスワードが間違っています。"));
            return;
        }
    }
    ExportRequest request;
    request.folder = m_txtExportPath->text();
    request.definitionPath = definitionPath();
    request.fileNameTemplate = m_txtFileNameDef->text();
    request.includeTrash = m_chkTrashBox->isChecked();
    request.includeLocked = m_isPassMemo->isChecked();
    request.dbPath = m_window.DBPath();
    request.iniFilePath = m_window.IniFilePath();
    request.userId = m_window.profile().id;
    {
        BusyCursor busy;
        ExportMemos(request, prompt, m_window.clock(), frmProgress::factory(&m_window));
    }
    accept();
}
