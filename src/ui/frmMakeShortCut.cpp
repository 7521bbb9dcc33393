#include "ui/frmMakeShortCut.h"

#include "app/CommandLine.h"
#include "app/IniFile.h"
#include "app/Prompt.h"
#include "store/DatabaseError.h"
#include "store/DatabaseInfo.h"
#include "ui/Form1.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmMakeShortCut::frmMakeShortCut(Form1& window, const QString& program) : QDialog(&window), m_window(window)
{
    setObjectName(QStringLiteral("frmMakeShortCut"));
    setWindowTitle(QStringLiteral("ショートカットの作成"));

    // A copy started with its own QUILLET_HOME keeps it, so that the launcher
    // opens the same profile files.
    const QString home =
        qEnvironmentVariable("QUILLET_HOME").trimmed().isEmpty() ? QString() : window.MyPath();
    m_launcher = DesktopLauncher::forRun(program, window.OpenPath(), window.profile().id, home);

    auto* lblProfile =
        new QLabel(QStringLiteral("プロファイル「%1」でQuilletを起動するショートカットを作成します。")
                       .arg(window.profile().id),
                   this);
    lblProfile->setObjectName(QStringLiteral("lblProfile"));
    lblProfile->setWordWrap(true);

    auto* lblCommand = new QLabel(QStringLiteral("コマンドライン"), this);
    auto* txtCommand = new QLineEdit(this);
    txtCommand->setObjectName(QStringLiteral("txtCommand"));
    txtCommand->setAccessibleName(QStringLiteral("コマンドライン"));
    txtCommand->setReadOnly(true);
    QStringList shown;
    for (const QString& part : m_launcher.command())
        shown << DesktopLauncher::quoteArgument(part);
    txtCommand->setText(shown.join(QLatin1Char(' ')));
    txtCommand->setCursorPosition(0);
    txtCommand->setMinimumWidth(420);
    lblCommand->setBuddy(txtCommand);

    m_lblPassword =
        new QLabel(QStringLiteral("パスワードはショートカットに保存しません。"
                                  "ショートカットから起動したときにパスワードの入力を求められます。"),
                   this);
    m_lblPassword->setObjectName(QStringLiteral("lblPassword"));
    m_lblPassword->setWordWrap(true);
    m_lblPassword->setVisible(profileHasPassword());

    auto* places = new QGroupBox(QStringLiteral("作成する場所"), this);
    m_chkMenu = new QCheckBox(QStringLiteral("アプリケーションメニュー(&M)"), places);
    m_chkMenu->setObjectName(QStringLiteral("chkMenu"));
    m_chkMenu->setChecked(true);
    m_chkDesktop = new QCheckBox(QStringLiteral("デスクトップ(&D)"), places);
    m_chkDesktop->setObjectName(QStringLiteral("chkDesktop"));
    m_chkStartup = new QCheckBox(QStringLiteral("ログイン時に自動で起動(&S)"), places);
    m_chkStartup->setObjectName(QStringLiteral("chkStartup"));
    m_chkFolder = new QCheckBox(QStringLiteral("フォルダを指定(&F)"), places);
    m_chkFolder->setObjectName(QStringLiteral("chkFolder"));
    m_txtFolder = new QLineEdit(places);
    m_txtFolder->setObjectName(QStringLiteral("txtFolder"));
    m_txtFolder->setAccessibleName(QStringLiteral("作成するフォルダ"));
    auto* cmdBrowse = new QPushButton(QStringLiteral("参照(&B)..."), places);
    cmdBrowse->setObjectName(QStringLiteral("cmdBrowse"));
    auto* placesLayout = new QGridLayout(places);
    placesLayout->addWidget(m_chkMenu, 0, 0, 1, 3);
    placesLayout->addWidget(m_chkDesktop, 1, 0, 1, 3);
    placesLayout->addWidget(m_chkStartup, 2, 0, 1, 3);
    placesLayout->addWidget(m_chkFolder, 3, 0);
    placesLayout->addWidget(m_txtFolder, 3, 1);
    placesLayout->addWidget(cmdBrowse, 3, 2);
    placesLayout->setColumnStretch(1, 1);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* cmdOK = buttons->addButton(QStringLiteral("作成"), QDialogButtonBox::AcceptRole);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    QPushButton* cmdCancel = buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblProfile);
    auto* commandRow = new QHBoxLayout;
    commandRow->addWidget(lblCommand);
    commandRow->addWidget(txtCommand, 1);
    layout->addLayout(commandRow);
    layout->addWidget(m_lblPassword);
    layout->addWidget(places);
    layout->addWidget(buttons);

    connect(cmdBrowse, &QPushButton::clicked, this, &frmMakeShortCut::cmdBrowse_Click);
    connect(m_txtFolder, &QLineEdit::textEdited, this, [this] { m_chkFolder->setChecked(true); });
    connect(cmdOK, &QPushButton::clicked, this, &frmMakeShortCut::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

bool frmMakeShortCut::profileHasPassword() const
{
    const QString extension = CommandLine::extensionOf(m_window.OpenPath()).toLower();
    if (extension == QLatin1String("ini"))
        return IniFile::readInt(m_window.OpenPath(), m_window.profile().id, QStringLiteral("IsMemoPath"),
                                0) == 1;
    try {
        return ReadIsMemoPass(m_window.DBPath());
    } catch (const DatabaseError&) {
        return false; // only the note depends on it
    }
}

void frmMakeShortCut::cmdBrowse_Click()
{
    const QString start = m_txtFolder->text().isEmpty() ? QDir::homePath() : m_txtFolder->text();
    const QString folder =
        m_window.prompt().chooseFolder({QStringLiteral("ショートカットを作成するフォルダ"), start, {}});
    if (folder.isEmpty())
        return;
    m_txtFolder->setText(folder);
    m_chkFolder->setChecked(true);
}

void frmMakeShortCut::cmdOK_Click()
{
    Prompt& prompt = m_window.prompt();
    QStringList folders;
    if (m_chkMenu->isChecked())
        folders << LauncherFolders::applications();
    if (m_chkDesktop->isChecked())
        folders << LauncherFolders::desktop();
    if (m_chkStartup->isChecked())
        folders << LauncherFolders::autostart();
    if (m_chkFolder->isChecked()) {
        const QString folder = m_txtFolder->text().trimmed();
        if (folder.isEmpty()) {
            prompt.warn(QStringLiteral("ショートカットを作成するフォルダを指定してください。"));
            return;
        }
        folders << folder;
    }
    if (folders.isEmpty()) {
        prompt.warn(QStringLiteral("ショートカットを作成する場所を選んでください。"));
        return;
    }
    if (const std::optional<QString> part = m_launcher.unsupportedArgument()) {
        prompt.critical(QStringLiteral("「%1」に改行などの制御文字が含まれているため、"
                                       "ショートカットを作成できません。")
                            .arg(*part));
        return;
    }

    QStringList written;
    folders.removeDuplicates();
    for (const QString& folder : folders)
        writeInto(folder, written);
    if (written.isEmpty())
        return;
    prompt.inform(QStringLiteral("ショートカットを作成しました。\n") + written.join(QLatin1Char('\n')));
    accept();
}

bool frmMakeShortCut::writeInto(const QString& folder, QStringList& written)
{
    Prompt& prompt = m_window.prompt();
    const QString path = QDir(folder).filePath(m_launcher.fileName());
    if (QFileInfo::exists(path) &&
        !prompt.askYesNo(QStringLiteral("「%1」は既にあります。置き換えますか？").arg(path)))
        return false;
    QString error;
    if (!writeLauncherFile(path, m_launcher.entryText(), &error)) {
        prompt.critical(QStringLiteral("ショートカット「%1」を作成できませんでした。\n%2").arg(path, error));
        return false;
    }
    written << path;
    return true;
}
