#include "app/DesktopLauncher.h"
#include "app/DesktopEntryValue.h"
#include "TestHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QThread>
#include <gtest/gtest.h>
#include <iostream>

namespace {

// Runs desktop-file-validate on `text`; its complaints, or nullopt when the
// program is missing.
std::optional<QString> validate(const TestHome& home, const QString& text)
{
#ifdef DESKTOP_FILE_VALIDATE
    const QString path = home.file(QStringLiteral("check.desktop"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QStringLiteral("cannot write ") + path;
    file.write(text.toUtf8());
    file.close();
    QProcess validator;
    validator.setProcessChannelMode(QProcess::MergedChannels);
    validator.start(QStringLiteral(DESKTOP_FILE_VALIDATE), {path});
    if (!validator.waitForFinished(30000))
        return QStringLiteral("desktop-file-validate did not finish");
    const QString output = QString::fromUtf8(validator.readAll());
    if (validator.exitCode() != 0)
        return output.isEmpty() ? QStringLiteral("exit code %1").arg(validator.exitCode()) : output;
    return output; // warnings count as complaints too
#else
    return std::nullopt;
#endif
}

TEST(DesktopLauncherTest, CommandRepeatsTheStartupForm)
{
    const QString program = QStringLiteral("/opt/quillet/bin/quillet");
    const QString cwd = QDir::currentPath();
    struct Case
    {
        const char* what;
        QString openPath;
        QString id;
        QStringList arguments;
    };
    const QList<Case> cases = {
        {"default form", {}, QStringLiteral("default"), {}},
        {"database, absolute",
         QStringLiteral("/m/My Memos/work.mdb"),
         QStringLiteral("work.mdb"),
         {QStringLiteral("/m/My Memos/work.mdb")}},
        {"database in capitals, relative",
         QStringLiteral("sub/Work.MDB"),
         QStringLiteral("Work.MDB"),
         {cwd + QStringLiteral("/sub/Work.MDB")}},
        {"profile file and ID, never the password",
         QStringLiteral("/etc/daybook/users.ini"),
         QStringLiteral("taro"),
         {QStringLiteral("/etc/daybook/users.ini"), QStringLiteral("taro")}},
        {"relative profile file",
         QStringLiteral("users.INI"),
         QStringLiteral("花子"),
         {cwd + QStringLiteral("/users.INI"), QStringLiteral("花子")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const DesktopLauncher launcher = DesktopLauncher::forRun(program, c.openPath, c.id, {});
        EXPECT_EQ(launcher.command(), QStringList{program} + c.arguments);
        EXPECT_EQ(launcher.name(), QStringLiteral("Quillet [%1]").arg(c.id));
    }

    // A run with its own QUILLET_HOME starts the copy in the same home.
    const DesktopLauncher homed =
        DesktopLauncher::forRun(program, {}, QStringLiteral("default"), QStringLiteral("/srv/memo home/"));
    EXPECT_EQ(homed.command(),
              (QStringList{QStringLiteral("env"), QStringLiteral("QUILLET_HOME=/srv/memo home/"), program}));
}

// The exact text the Desktop Entry format asks for: quoting for the
// reserved characters, then the string escapes, so that a backslash in a
// quoted argument takes four characters.
TEST(DesktopLauncherTest, ExecQuotingFollowsTheDesktopEntryRules)
{
    struct Case
    {
        QString argument;
        QString quoted;
        QString inFile;
    };
    const QList<Case> cases = {
        {QStringLiteral("/home/u/work.mdb"), QStringLiteral("/home/u/work.mdb"),
         QStringLiteral("/home/u/work.mdb")},
        {QStringLiteral("/home/u/My Memos/a.mdb"), QStringLiteral("\"/home/u/My Memos/a.mdb\""),
         QStringLiteral("\"/home/u/My Memos/a.mdb\"")},
        {QStringLiteral("a\\b"), QStringLiteral("\"a\\\\b\""), QStringLiteral("\"a\\\\\\\\b\"")},
        {QStringLiteral("$HOME"), QStringLiteral("\"\\$HOME\""), QStringLiteral("\"\\\\$HOME\"")},
        {QStringLiteral("say \"hi\""), QStringLiteral("\"say \\\"hi\\\"\""),
         QStringLiteral("\"say \\\\\"hi\\\\\"\"")},
        {QStringLiteral("it's"), QStringLiteral("\"it's\""), QStringLiteral("\"it's\"")},
        {QStringLiteral("100%"), QStringLiteral("100%%"), QStringLiteral("100%%")},
        {QString(), QStringLiteral("\"\""), QStringLiteral("\"\"")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.argument.toStdString());
        EXPECT_EQ(DesktopLauncher::quoteArgument(c.argument), c.quoted);
        EXPECT_EQ(DesktopLauncher::escapeValue(c.quoted), c.inFile);
    }
}

// Whatever the paths hold, splitting the written Exec line as a desktop does
// gives back the command, part for part, and the file validates.
TEST(DesktopLauncherTest, ExecLineSplitsBackIntoTheSameArgumentsAndValidates)
{
    TestHome home;
    const QStringList awkward = {
        QStringLiteral("/home/u/My Memos/work.mdb"),
        QStringLiteral("/home/u/\"quoted\" and 'single'/a.mdb"),
        QStringLiteral("/home/u/back\\slash/$dollar/`tick`/a.mdb"),
        QStringLiteral("/home/u/100% ~ # ; & | < > * ? ( )/メモ.mdb"),
        QStringLiteral("/home/u/%f %%u/a.mdb"),
        QStringLiteral("/home/u/  two  blanks /a.mdb"),
    };
    for (const QString& path : awkward) {
        SCOPED_TRACE(path.toStdString());
        const DesktopLauncher launcher =
            DesktopLauncher::forRun(QStringLiteral("/opt/My Apps/quillet"), path, QStringLiteral("a.mdb"),
                                    QStringLiteral("/h o/me/"));
        ASSERT_FALSE(launcher.unsupportedArgument());
        EXPECT_EQ(DesktopLauncher::splitExec(launcher.execValue()), launcher.command());
        const std::optional<QString> complaints = validate(home, launcher.entryText());
        if (complaints) {
            EXPECT_EQ(*complaints, QString());
        }
    }
    const DesktopLauncher profile =
        DesktopLauncher::forRun(QStringLiteral("/usr/bin/quillet"), QStringLiteral("/d/users list.ini"),
                                QStringLiteral("ID with \"q\" '"), {});
    EXPECT_EQ(DesktopLauncher::splitExec(profile.execValue()), profile.command());
    if (const std::optional<QString> complaints = validate(home, profile.entryText()))
        EXPECT_EQ(*complaints, QString());
    else
        std::cout << "desktop-file-validate not found: launcher files not validated\n";
}

// A second opinion from a real desktop library: GLib's launcher (gio launch)
// starts the launcher's program with exactly the arguments meant.
TEST(DesktopLauncherTest, GioStartsTheLauncherWithTheSameArguments)
{
    const QString gio = QStandardPaths::findExecutable(QStringLiteral("gio"));
    if (gio.isEmpty())
        GTEST_SKIP() << "gio not found (Debian package libglib2.0-bin): not checked against GLib";
    TestHome home;
    const QString program = home.file(QStringLiteral("My Apps/print 'args'"));
    const QString output = home.file(QStringLiteral("args.txt"));
    QDir().mkpath(home.file(QStringLiteral("My Apps")));
    QFile script(program);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$0.tmp\"\n"
                 "printf '%s\\n' \"$QUILLET_HOME\" >> \"$0.tmp\"\nmv \"$0.tmp\" '" +
                 output.toUtf8() + "'\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    const QString path = QStringLiteral("/home/u/\"q\" 's' back\\slash $d `t` 100% %f ~#;&|<>*?()/メモ.mdb");
    const DesktopLauncher launcher =
        DesktopLauncher::forRun(program, path, QStringLiteral("メモ.mdb"), QStringLiteral("/h o/me $x/"));
    const QString launcherPath = home.file(launcher.fileName());
    QString error;
    ASSERT_TRUE(writeLauncherFile(launcherPath, launcher.entryText(), &error)) << error.toStdString();
    QProcess::execute(gio, {QStringLiteral("launch"), launcherPath});
    for (int i = 0; i < 250 && !QFile::exists(output); ++i)
        QThread::msleep(20);
    QFile result(output);
    ASSERT_TRUE(result.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(result.readAll()), path + QStringLiteral("\n/h o/me $x/\n"));
}

TEST(DesktopLauncherTest, LineBreaksInAPathAreRefused)
{
    const QString path = QStringLiteral("/home/u/two\nlines.mdb");
    const DesktopLauncher launcher = DesktopLauncher::forRun(QStringLiteral("/usr/bin/quillet"), path,
                                                             QStringLiteral("two\nlines.mdb"), {});
    EXPECT_EQ(launcher.unsupportedArgument(), path);
    // The name shows it escaped, never as a broken line.
    EXPECT_TRUE(launcher.entryText().contains(QStringLiteral("Name=Quillet [two\\nlines.mdb]\n")));
    EXPECT_FALSE(
        DesktopLauncher::forRun(QStringLiteral("/usr/bin/quillet"), {}, QStringLiteral("default"), {})
            .unsupportedArgument());
}

TEST(DesktopLauncherTest, MalformedExecValuesAreRejected)
{
    EXPECT_EQ(DesktopLauncher::splitExec(QStringLiteral("quillet %f")),
              QStringList{QStringLiteral("quillet")});
    EXPECT_EQ(DesktopLauncher::splitExec(QStringLiteral("quillet \"a b\"c  d")),
              (QStringList{QStringLiteral("quillet"), QStringLiteral("a bc"), QStringLiteral("d")}));
    EXPECT_FALSE(DesktopLauncher::splitExec(QStringLiteral("quillet \"open")));
    EXPECT_FALSE(DesktopLauncher::splitExec(QStringLiteral("quillet \\q")));
    EXPECT_FALSE(DesktopLauncher::splitExec(QStringLiteral("quillet \"\\\\q\"")));
}

// The same values read strictly (Quillet's own launchers) and leniently (other
// programs' entries): strict reading refuses what lenient reading keeps.
TEST(DesktopLauncherTest, EntryValuesReadStrictlyOrLeniently)
{
    using namespace DesktopEntryValue;
    using namespace Qt::Literals::StringLiterals;
    using Arguments = QList<Argument>;
    struct Case
    {
        QString raw;
        std::optional<QString> strictText;
        QString lenientText;
    };
    const Case escapes[] = {
        {u"a\\sb\\tc\\n\\r\\\\"_s, u"a b\tc\n\r\\"_s, u"a b\tc\n\r\\"_s},
        {u"C:\\dir"_s, std::nullopt, u"C:\\dir"_s},
        {u"end\\"_s, std::nullopt, u"end\\"_s},
    };
    for (const Case& c : escapes) {
        SCOPED_TRACE(c.raw.toStdString());
        EXPECT_EQ(unescape(c.raw, Reading::Strict), c.strictText);
        EXPECT_EQ(unescape(c.raw, Reading::Lenient), c.lenientText);
    }

    const Arguments plain{{u"editor"_s, false}, {u"a \"b"_s, true}, {u""_s, true}, {u"%f"_s, false}};
    for (const Reading reading : {Reading::Strict, Reading::Lenient})
        EXPECT_EQ(splitExec(u"editor \t\"a \\\"b\" \"\"\n%f "_s, reading), plain);
    EXPECT_FALSE(splitExec(u"editor \"open"_s, Reading::Strict));
    EXPECT_EQ(splitExec(u"editor \"open"_s, Reading::Lenient), (Arguments{{u"editor"_s}, {u"open"_s, true}}));
    EXPECT_FALSE(splitExec(u"editor \"\\q\""_s, Reading::Strict));
    EXPECT_EQ(splitExec(u"editor \"\\q\""_s, Reading::Lenient), (Arguments{{u"editor"_s}, {u"q"_s, true}}));
}

TEST(DesktopLauncherTest, FileNamesKeepProfilesApart)
{
    const auto fileName = [](const QString& id) {
        return DesktopLauncher::forRun(QStringLiteral("/usr/bin/quillet"), {}, id, {}).fileName();
    };
    EXPECT_EQ(fileName(QStringLiteral("default")), QStringLiteral("quillet-default.desktop"));
    EXPECT_EQ(fileName(QStringLiteral("work.mdb")), QStringLiteral("quillet-work.mdb.desktop"));
    const QStringList others = {fileName(QStringLiteral("メモ")), fileName(QStringLiteral("メモ2")),
                                fileName(QStringLiteral("a b")), fileName(QStringLiteral("a_b"))};
    for (const QString& name : others) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_TRUE(
            QRegularExpression(QStringLiteral("^quillet-[A-Za-z0-9._-]+\\.desktop$")).match(name).hasMatch());
    }
    EXPECT_EQ(QSet<QString>(others.begin(), others.end()).size(), others.size());
}

TEST(DesktopLauncherTest, FoldersFollowTheXdgSettings)
{
    TestHome home;
    const QByteArray data = qgetenv("XDG_DATA_HOME");
    const QByteArray config = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_DATA_HOME", home.file(QStringLiteral("data")).toUtf8());
    qputenv("XDG_CONFIG_HOME", home.file(QStringLiteral("config")).toUtf8());
    QDir().mkpath(home.file(QStringLiteral("config")));
    QFile dirs(home.file(QStringLiteral("config/user-dirs.dirs")));
    ASSERT_TRUE(dirs.open(QIODevice::WriteOnly));
    dirs.write("XDG_DESKTOP_DIR=\"" + home.file(QStringLiteral("デスクトップ")).toUtf8() + "\"\n");
    dirs.close();

    EXPECT_EQ(LauncherFolders::applications(), home.file(QStringLiteral("data/applications")));
    EXPECT_EQ(LauncherFolders::autostart(), home.file(QStringLiteral("config/autostart")));
    EXPECT_EQ(LauncherFolders::desktop(), home.file(QStringLiteral("デスクトップ")));
    qputenv("XDG_DATA_HOME", data);
    qputenv("XDG_CONFIG_HOME", config);
}

TEST(DesktopLauncherTest, WritingCreatesTheFolderAndReplacesWhole)
{
    TestHome home;
    const QString path = home.file(QStringLiteral("new folder/quillet-default.desktop"));
    QString error;
    ASSERT_TRUE(writeLauncherFile(path, QStringLiteral("first, a longer text\n"), &error))
        << error.toStdString();
    ASSERT_TRUE(writeLauncherFile(path, QStringLiteral("二\n"), &error)) << error.toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QStringLiteral("二\n").toUtf8());
    EXPECT_TRUE(QFileInfo(path).isExecutable());

    // A folder that cannot be made is reported, not passed over.
    QFile blocker(home.file(QStringLiteral("plain file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    error.clear();
    EXPECT_FALSE(
        writeLauncherFile(home.file(QStringLiteral("plain file/x.desktop")), QStringLiteral("x"), &error));
    EXPECT_FALSE(error.isEmpty());
}

} // namespace
