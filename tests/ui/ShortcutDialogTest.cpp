#include "MainWindowFixture.h"
#include "app/DesktopLauncher.h"
#include "app/Startup.h"
#include "editing/PasswordScrambler.h"
#include "store/TemplateDatabase.h"
#include "ui/frmAbout.h"
#include "ui/frmMakeShortCut.h"

#include <QApplication>
#include <QCheckBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <sqlite3.h>

namespace {

const QString kCreated = QStringLiteral("ショートカットを作成しました。\n");

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// The Exec value of a launcher file, split as a desktop splits it.
QStringList execOf(const QString& launcherPath)
{
    for (const QString& line : QString::fromUtf8(readAll(launcherPath)).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("Exec=")))
            return DesktopLauncher::splitExec(line.mid(5))
                .value_or(QStringList{QStringLiteral("<malformed>")});
    }
    return {};
}

// desktop-file-validate's complaints about a file; empty when it is valid or
// the program is missing.
QString validatorComplaints(const QString& path)
{
    const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (validator.isEmpty())
        return {};
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(validator, {path});
    if (!process.waitForFinished(30000))
        return QStringLiteral("desktop-file-validate did not finish");
    const QString output = QString::fromUtf8(process.readAll());
    return process.exitCode() == 0 ? output : output + QStringLiteral(" (failed)");
}

// Saves a picture of a dialog when QUILLET_SHOTS names a folder.
void shoot(QWidget* widget, const QString& name)
{
    const QString folder = qEnvironmentVariable("QUILLET_SHOTS");
    if (folder.isEmpty())
        return;
    widget->show();
    QTest::qWait(50);
    widget->grab().save(folder + QLatin1Char('/') + name);
}

class ShortcutDialogTest : public MainWindowFixture
{
protected:
    QTemporaryDir xdg;
    QByteArray savedData = qgetenv("XDG_DATA_HOME");
    QByteArray savedConfig = qgetenv("XDG_CONFIG_HOME");

    // The desktop's folders point into a scratch folder: the tests never
    // write into the real applications menu.
    void SetUp() override
    {
        qputenv("XDG_DATA_HOME", xdgPath(QStringLiteral("data")).toUtf8());
        qputenv("XDG_CONFIG_HOME", xdgPath(QStringLiteral("config")).toUtf8());
        writeAll(xdgPath(QStringLiteral("config/user-dirs.dirs")),
                 "XDG_DESKTOP_DIR=\"" + xdgPath(QStringLiteral("My Desk")).toUtf8() + "\"\n");
    }
    void TearDown() override
    {
        window.reset();
        qputenv("XDG_DATA_HOME", savedData);
        qputenv("XDG_CONFIG_HOME", savedConfig);
    }

    QString xdgPath(const QString& name) const { return xdg.path() + QLatin1Char('/') + name; }
    QString menuFolder() const { return xdgPath(QStringLiteral("data/applications")); }

    void openWith(const QStringList& arguments)
    {
        StartupResult startup = Startup(prompt, home.path()).run(arguments);
        ASSERT_TRUE(startup.proceed);
        window = std::make_unique<Form1>(std::move(startup), prompt, clock);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    // A profile file of the sibling program with user `id`, whose database
    // is in `folder`; protected by `password` when it is not empty.
    QString writeProfileFile(const QString& fileName, const QString& id, const QString& folder,
                             const QString& password = {})
    {
        QDir().mkpath(folder);
        TemplateDatabase::copyTo(home.path(), folder + QStringLiteral("/diary.mdb"));
        const QString path = home.file(fileName);
        QString text = QStringLiteral("[%1]\nID=%1\nPath=%2/\n").arg(id, folder);
        if (!password.isEmpty())
            text += QStringLiteral("IsMemoPath=1\nPass=%1\n").arg(EncodePassword(password).value());
        writeAll(path, text.toUtf8());
        return path;
    }

    static void click(frmMakeShortCut& dialog, const char* button)
    {
        auto* pushButton = dialog.findChild<QPushButton*>(QString::fromLatin1(button));
        ASSERT_TRUE(pushButton) << button;
        pushButton->click();
    }
};

// The menu commands open their dialogs, modally, over the window.
TEST_F(ShortcutDialogTest, MenuCommandsOpenTheShortcutDialogAndTheAboutBox)
{
    prepare();
    open();
    for (const char* command : {"mnuMakeShortCut", "mnuAbout"}) {
        SCOPED_TRACE(command);
        QString seen;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (QWidget* dialog = QApplication::activeModalWidget()) {
                seen = dialog->objectName();
                dialog->close();
            }
        });
        poll.start(10);
        triggerAction(command);
        poll.stop();
        EXPECT_EQ(seen, QString::fromLatin1(command) == QLatin1String("mnuAbout")
                            ? QStringLiteral("frmAbout")
                            : QStringLiteral("frmMakeShortCut"));
    }
    EXPECT_TRUE(prompt.shown.isEmpty());
}

TEST_F(ShortcutDialogTest, AboutBoxNamesQuilletAndTheLibrariesItRunsOn)
{
    frmAbout about;
    const auto text = [&about](const char* name) {
        auto* label = about.findChild<QLabel*>(QString::fromLatin1(name));
        return label ? label->text() : QStringLiteral("<no %1>").arg(QString::fromLatin1(name));
    };
    EXPECT_EQ(about.windowTitle(), QStringLiteral("Quilletについて"));
    EXPECT_EQ(text("lblProduct"), QStringLiteral("Quillet"));
    EXPECT_EQ(text("lblVersion"), QStringLiteral("バージョン 2.2.1"));
    // The versions loaded at run time.
    EXPECT_EQ(text("lblQt"), QStringLiteral("Qt ") + QString::fromLatin1(qVersion()));
    EXPECT_EQ(text("lblSqlite"), QStringLiteral("SQLite ") + QString::fromLatin1(sqlite3_libversion()));
    EXPECT_EQ(text("lblQtLicence"), QStringLiteral("GNU Lesser General Public License v3 (LGPL-3.0)"));
    EXPECT_EQ(text("lblSqliteLicence"), QStringLiteral("パブリックドメイン (Public Domain)"));
    ASSERT_FALSE(about.picIcon()->pixmap().isNull());
    EXPECT_GE(about.picIcon()->pixmap().width(), 96);
    shoot(&about, QStringLiteral("F-about.png"));
}

// One launcher, written into each of the four places, that starts this
// profile again; each validates and can be started from the desktop.
TEST_F(ShortcutDialogTest, LauncherGoesIntoEveryChosenPlace)
{
    prepare();
    open();
    frmMakeShortCut dialog(*window, QStringLiteral("/opt/quillet/bin/quillet"));
    EXPECT_FALSE(dialog.lblPassword()->isVisibleTo(&dialog));
    dialog.chkDesktop()->setChecked(true);
    dialog.chkStartup()->setChecked(true);
    const QString chosen = xdgPath(QStringLiteral("chosen folder"));
    prompt.files = {{chosen}};
    click(dialog, "cmdBrowse");
    EXPECT_EQ(dialog.txtFolder()->text(), chosen);
    EXPECT_TRUE(dialog.chkFolder()->isChecked());
    shoot(&dialog, QStringLiteral("F-shortcut.png"));

    click(dialog, "cmdOK");
    const QString name = QStringLiteral("quillet-default.desktop");
    const QStringList paths = {
        menuFolder() + QLatin1Char('/') + name, xdgPath(QStringLiteral("My Desk/")) + name,
        xdgPath(QStringLiteral("config/autostart/")) + name, chosen + QLatin1Char('/') + name};
    EXPECT_EQ(prompt.messageTexts(), QStringList{kCreated + paths.join(QLatin1Char('\n'))});
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    for (const QString& path : paths) {
        SCOPED_TRACE(path.toStdString());
        EXPECT_EQ(execOf(path),
                  (QStringList{QStringLiteral("env"), QStringLiteral("QUILLET_HOME=") + home.path(),
                               QStringLiteral("/opt/quillet/bin/quillet")}));
        EXPECT_EQ(readAll(path), readAll(paths.first()));
        EXPECT_TRUE(QFileInfo(path).isExecutable());
        EXPECT_EQ(validatorComplaints(path), QString());
    }
}

TEST_F(ShortcutDialogTest, ExistingLauncherIsReplacedOnlyAfterYes)
{
    prepare();
    open();
    const QString path = menuFolder() + QStringLiteral("/quillet-default.desktop");
    writeAll(path, "mine\n");
    const QString question = QStringLiteral("「%1」は既にあります。置き換えますか？").arg(path);

    frmMakeShortCut dialog(*window, QStringLiteral("/usr/bin/quillet"));
    prompt.answers = {PromptAnswer::No};
    click(dialog, "cmdOK");
    EXPECT_EQ(prompt.messageTexts(), QStringList{question});
    EXPECT_EQ(prompt.shown.value(0).buttons, PromptButtons::YesNo);
    EXPECT_EQ(readAll(path), QByteArray("mine\n"));
    EXPECT_NE(dialog.result(), QDialog::Accepted);

    prompt.shown.clear();
    prompt.answers = {PromptAnswer::Yes};
    click(dialog, "cmdOK");
    EXPECT_EQ(prompt.messageTexts(), (QStringList{question, kCreated + path}));
    EXPECT_EQ(readAll(path), dialog.launcher().entryText().toUtf8());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST_F(ShortcutDialogTest, NoPlaceOrNoFolderIsToldAndNothingIsWritten)
{
    prepare();
    open();
    frmMakeShortCut dialog(*window, QStringLiteral("/usr/bin/quillet"));
    dialog.chkMenu()->setChecked(false);
    click(dialog, "cmdOK");
    dialog.chkFolder()->setChecked(true);
    click(dialog, "cmdOK");
    EXPECT_EQ(prompt.messageTexts(),
              (QStringList{QStringLiteral("ショートカットを作成する場所を選んでください。"),
                           QStringLiteral("ショートカットを作成するフォルダを指定してください。")}));
    EXPECT_FALSE(QDir(menuFolder()).exists());
    EXPECT_NE(dialog.result(), QDialog::Accepted);
}

// A database whose path an Exec line cannot carry gets no launcher at all,
// rather than one that starts something else.
TEST_F(ShortcutDialogTest, PathWithALineBreakIsRefused)
{
    const QString database = home.file(QStringLiteral("two\nlines.mdb"));
    TemplateDatabase::copyTo(home.path(), database);
    openWith({database});
    frmMakeShortCut dialog(*window, QStringLiteral("/usr/bin/quillet"));
    click(dialog, "cmdOK");
    EXPECT_EQ(
        prompt.messageTexts(),
        QStringList{
            QStringLiteral("「%1」に改行などの制御文字が含まれているため、ショートカットを作成できません。")
                .arg(database)});
    EXPECT_EQ(prompt.shown.value(0).icon, PromptIcon::Critical);
    EXPECT_FALSE(QDir(menuFolder()).exists());
}

// The password given on the command line stays out of the launcher; the
// dialog says that Quillet will ask for it.
TEST_F(ShortcutDialogTest, ProtectedProfileGetsALauncherWithoutItsPassword)
{
    const QString profileFile =
        writeProfileFile(QStringLiteral("users.ini"), QStringLiteral("taro"),
                         home.file(QStringLiteral("taro data")), QStringLiteral("s3cret"));
    openWith({profileFile, QStringLiteral("taro"), QStringLiteral("'s3cret'")});
    frmMakeShortCut dialog(*window, QStringLiteral("/usr/bin/quillet"));
    EXPECT_TRUE(dialog.lblPassword()->isVisibleTo(&dialog));
    EXPECT_EQ(dialog.lblPassword()->text(),
              QStringLiteral("パスワードはショートカットに保存しません。"
                             "ショートカットから起動したときにパスワードの入力を求められます。"));
    shoot(&dialog, QStringLiteral("F-shortcut-password.png"));
    click(dialog, "cmdOK");
    const QString path = menuFolder() + QStringLiteral("/quillet-taro.desktop");
    EXPECT_EQ(execOf(path),
              (QStringList{QStringLiteral("env"), QStringLiteral("QUILLET_HOME=") + home.path(),
                           QStringLiteral("/usr/bin/quillet"), profileFile, QStringLiteral("taro")}));
    EXPECT_FALSE(readAll(path).contains("s3cret"));
    EXPECT_TRUE(readAll(path).contains("\nName=Quillet [taro]\n"));
}

// Started the way a desktop starts it (the Exec value split into its
// fields, from another folder, without this run's environment), the launcher
// opens Quillet on the same profile: the profile's settings file is written
// at close, and no other profile is touched.
TEST_F(ShortcutDialogTest, LauncherStartsQuilletForTheSameProfile)
{
    struct Case
    {
        const char* what;
        QStringList arguments;
        QString id;
    };
    const QString odd = home.file(QStringLiteral("My 'Memo' $box (1)"));
    QDir().mkpath(odd);
    const QString database = odd + QStringLiteral("/work base.mdb");
    TemplateDatabase::copyTo(home.path(), database);
    const QString profileFile = writeProfileFile(QStringLiteral("users list.ini"), QStringLiteral("hanako"),
                                                 home.file(QStringLiteral("hanako's data")));
    // Every character an Exec line quotes or escapes, in the folder and in
    // the database's own name (a backslash there would end the name that
    // gives the profile its ID).
    const QString awkward = home.file(QStringLiteral("say \"hi\" $HOME \\n `date`"));
    QDir().mkpath(awkward);
    const QString awkwardDatabase = awkward + QStringLiteral("/a \"b\" $c `d`.mdb");
    TemplateDatabase::copyTo(home.path(), awkwardDatabase);
    const QList<Case> cases = {
        {"database form", {database}, QStringLiteral("work base.mdb")},
        {"profile form", {profileFile, QStringLiteral("hanako")}, QStringLiteral("hanako")},
        {"quotes, dollars, backslashes and backticks",
         {awkwardDatabase},
         QStringLiteral("a \"b\" $c `d`.mdb")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        openWith(c.arguments);
        QString launcherPath;
        {
            frmMakeShortCut dialog(*window, QStringLiteral(QUILLET_BINARY));
            click(dialog, "cmdOK");
            launcherPath = menuFolder() + QLatin1Char('/') + dialog.launcher().fileName();
        }
        window.reset();
        const ProfilePaths profile = ProfilePaths::forId(home.path(), c.id);
        QFile::remove(profile.iniFilePath);
        QFile::remove(profile.restorePath);
        QDir(profile.iniBasePath).removeRecursively();
        QDir(profile.tmpBasePath).removeRecursively();
        EXPECT_EQ(validatorComplaints(launcherPath), QString());

        const QStringList exec = execOf(launcherPath);
        ASSERT_GE(exec.size(), 2);
        QProcess quillet;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("QUILLET_HOME"));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        quillet.setProcessEnvironment(environment);
        quillet.setWorkingDirectory(QDir::rootPath());
        quillet.start(exec.first(), exec.mid(1));
        ASSERT_TRUE(quillet.waitForStarted());
        // The profile folder is made once the database is open.
        QDeadlineTimer deadline(30000);
        while (!QDir(profile.iniBasePath).exists() && quillet.state() == QProcess::Running &&
               !deadline.hasExpired())
            QTest::qWait(20);
        ASSERT_TRUE(QDir(profile.iniBasePath).exists()) << quillet.readAllStandardError().toStdString();
        QTest::qWait(200);
        ASSERT_EQ(::kill(pid_t(quillet.processId()), SIGTERM), 0);
        ASSERT_TRUE(quillet.waitForFinished(30000));
        EXPECT_EQ(quillet.exitCode(), 0) << quillet.readAllStandardError().toStdString();
        EXPECT_TRUE(readAll(profile.iniFilePath).contains("[FormPosition]"));
        EXPECT_FALSE(QFile::exists(iniPath()));
        EXPECT_FALSE(QFile::exists(dbPath()));
    }
}

} // namespace
