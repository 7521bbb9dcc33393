#include "ui/frmMergeMDB.h"

#include "app/Prompt.h"
#include "app/Settings.h"
#include "app/SettingsFile.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

QRadioButton* option(const char* name, const QString& text, QWidget* parent)
{
    auto* button = new QRadioButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

} // namespace

frmMergeMDB::frmMergeMDB(Prompt& prompt, const SettingsFile& settings, QWidget* parent)
    : QDialog(parent), m_prompt(prompt), m_settings(settings)
{
    setObjectName(QStringLiteral("frmMergeMDB"));
    setWindowTitle(QStringLiteral("メモデータベースを追加読み込み"));

    auto* pathLabel = new QLabel(QStringLiteral("マージしたいメモデータベースファイル"), this);
    m_txtMDBPath = new QLineEdit(this);
    m_txtMDBPath->setObjectName(QStringLiteral("txtMDBPath"));
    m_txtMDBPath->setAccessibleName(QStringLiteral("マージしたいメモデータベースファイル"));
    m_txtMDBPath->setMinimumWidth(320);
    pathLabel->setBuddy(m_txtMDBPath);
    auto* open = new QPushButton(QStringLiteral("..."), this);
    open->setObjectName(QStringLiteral("Btn_OpenMDBPath"));
    open->setAccessibleName(QStringLiteral("ファイルを選ぶ"));
    open->setAutoDefault(false);
    open->setFixedWidth(open->fontMetrics().horizontalAdvance(QStringLiteral("....")) + 16);
    connect(open, &QPushButton::clicked, this, &frmMergeMDB::Btn_OpenMDBPath_Click);
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(m_txtMDBPath, 1);
    pathRow->addWidget(open);

    auto* sameFrame = new QGroupBox(QStringLiteral("同じメモをどうするか？"), this);
    auto* optOW_No = option("optOW_No", QStringLiteral("全て新規メモとして追加する"), sameFrame);
    m_optOW_Yes = option("optOW_Yes", QStringLiteral("同じメモは更新日の新しい方で上書き"), sameFrame);
    optOW_No->setChecked(true);
    auto* sameLayout = new QVBoxLayout(sameFrame);
    sameLayout->addWidget(optOW_No);
    sameLayout->addWidget(m_optOW_Yes);

    auto* matchFrame = new QGroupBox(QStringLiteral("メモを同じとみなす判別方法"), this);
    auto* optOW_Title = option("optOW_Title", QStringLiteral("タイトル"), matchFrame);
    m_optOW_ID = option("optOW_ID", QStringLiteral("ID"), matchFrame);
    optOW_Title->setChecked(true);
    auto* matchLayout = new QHBoxLayout(matchFrame);
    matchLayout->addWidget(optOW_Title);
    matchLayout->addWidget(m_optOW_ID);
    matchLayout->addStretch();

    auto* ok = new QPushButton(QStringLiteral("実行"), this);
    ok->setObjectName(QStringLiteral("Btn_OK"));
    ok->setDefault(true);
    auto* close = new QPushButton(QStringLiteral("閉じる"), this);
    close->setObjectName(QStringLiteral("Btn_Close"));
    close->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &frmMergeMDB::Btn_OK_Click);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pathLabel);
    layout->addLayout(pathRow);
    layout->addWidget(sameFrame);
    layout->addWidget(matchFrame);
    layout->addLayout(buttons);
}

void frmMergeMDB::Btn_OpenMDBPath_Click()
{
    const QString path = m_prompt.openFile({QStringLiteral("ファイルを開く"),
                                            m_settings.read(Settings::RecentFiles::MergeMDBPath),
                                            QStringLiteral("MDB File(*.mdb);;ALL Files(*.*)")});
    if (path.isEmpty())
        return;
    m_txtMDBPath->setText(path);
    m_settings.write(Settings::RecentFiles::MergeMDBPath, QFileInfo(path).absolutePath());
}

void frmMergeMDB::Btn_OK_Click()
{
    IsOK = true;
    MDBPath = m_txtMDBPath->text();
    SameMemoType = m_optOW_ID->isChecked() ? 2 : 1;
    SameMemoOverWrite = m_optOW_Yes->isChecked();
    accept();
}
