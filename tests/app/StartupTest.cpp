#include "MemoFixtures.h"
#include "ScriptedPrompt.h"
#include "TestHome.h"
#include "app/Startup.h"
#include "editing/PasswordScrambler.h"
#include "store/DatabaseInfo.h"
#include "store/MemoStore.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kEnd = QStringLiteral("\nQuilletを終了します。");
const QString kWrongPassword = QStringLiteral("パスワードが間違っています。") + kEnd;
const QString kReadOnlyQuestion =
    QStringLiteral("ファイルが読み取り専用になっています。読み取り専用を解除しますか？\n"
                   "読み取り専用だとメモの保存ができません(強制終了します)。");

// Every file and folder below `folder`, relative to it.
QStringList entriesBelow(const QString& folder)
{
    QStringList entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        entries.append(it.next().mid(folder.size()));
    entries.sort();
    return entries;
}

class StartupTest : public ::testing::Test
{
protected:
    TestHome home;
    ScriptedPrompt prompt;
    QString profileFile = home.file(QStringLiteral("users.ini"));
    QString aliceFolder = home.file(QStringLiteral("alice/"));
    QString bobFolder = home.file(QStringLiteral("bob/"));

    void SetUp() override
    {
        QDir().mkpath(aliceFolder);
        QDir().mkpath(bobFolder);
        MemoFixtures::createDatabase(home.path(), aliceFolder + QStringLiteral("diary.mdb"));
        MemoFixtures::createDatabase(home.path(), bobFolder + QStringLiteral("diary.mdb"));
        // The sibling program writes paths with backslashes and ends them with one.
        QString bobPath = bobFolder;
        bobPath.replace(QLatin1Char('/'), QLatin1Char('\\'));
        MemoFixtures::writeText(profileFile,
                                QStringLiteral("[alice]\r\nID=alice\r\nPath=%1\r\nIsMemoPath=0\r\n"
                                               "[bob]\r\nID=bob\r\nPass=%2\r\nPath=%3\r\nIsMemoPath=1\r\n"
                                               "[carol]\r\nID=someone-else\r\nPath=%1\r\n")
                                    .arg(aliceFolder, *EncodePassword(QStringLiteral("secret")), bobPath));
    }

    StartupResult run(const QStringList& arguments)
    {
        return Startup(prompt, home.path()).run(arguments);
    }

    // Nothing of a profile was created: no settings file, no folders.
    bool profileLeftAlone(const QString& id) const
    {
        return !QFile::exists(home.file(QStringLiteral("quillet_%1.ini").arg(id))) &&
               !QFile::exists(home.file(QStringLiteral("quillet_%1").arg(id))) &&
               !QFile::exists(home.file(QStringLiteral("quillet_%1tmp").arg(id)));
    }
};

TEST_F(StartupTest, DefaultFormCopiesTheTemplateOnlyWhenTheDatabaseIsMissing)
{
    for (const QStringList& arguments : {QStringList{}, QStringList{QStringLiteral("  "), QString()}}) {
        StartupResult result = run(arguments);
        ASSERT_TRUE(result.proceed);
        EXPECT_EQ(result.caption, QStringLiteral("Quillet v2.2.1 [default]"));
        EXPECT_EQ(result.profile.id, QStringLiteral("default"));
        EXPECT_EQ(result.dbPath, home.file(QStringLiteral("diary.mdb")));
        EXPECT_TRUE(result.openPath.isEmpty());
        EXPECT_EQ(result.profile.iniFilePath, home.file(QStringLiteral("quillet_default.ini")));
        EXPECT_EQ(result.profile.restorePath, home.file(QStringLiteral("quillet_restoration_default.txt")));
        EXPECT_TRUE(QDir(home.file(QStringLiteral("quillet_default"))).exists());
        EXPECT_TRUE(QDir(home.file(QStringLiteral("quillet_defaulttmp"))).exists());
        ASSERT_TRUE(result.store);
        EXPECT_TRUE(QFile::exists(home.file(QStringLiteral("default.mdb"))));
        // Leave a memo behind: the second start must find it, not a fresh copy.
        if (result.store->countMemos() == 0)
            result.store->insertMemo(QStringLiteral("kept"), {}, {}, QStringLiteral("2026/01/01 00:00:00"));
        else
            EXPECT_EQ(result.store->countMemos(), 1);
    }
    EXPECT_TRUE(prompt.shown.isEmpty());
}

TEST_F(StartupTest, NewProfileFoldersAreTheUsersOnlyAndExistingOnesKeepTheirMode)
{
    const auto modeOf = [](const QString& path) {
        struct stat st{};
        return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & 07777) : mode_t(-1);
    };
    const mode_t oldMask = ::umask(022);
    StartupResult result = run({});
    ASSERT_TRUE(result.proceed);
    EXPECT_EQ(modeOf(home.file(QStringLiteral("quillet_default"))), mode_t(0700));
    EXPECT_EQ(modeOf(home.file(QStringLiteral("quillet_defaulttmp"))), mode_t(0700));

    // A profile folder the user opened to others stays open; only the missing
    // temporary folder is made.
    result = {};
    const QString folder = home.file(QStringLiteral("My Memos/"));
    QDir().mkpath(folder);
    MemoFixtures::createDatabase(home.path(), folder + QStringLiteral("work.mdb"));
    QDir().mkdir(home.file(QStringLiteral("quillet_work.mdb")));
    QFile::setPermissions(home.file(QStringLiteral("quillet_work.mdb")), QFile::Permissions(0x7755));
    result = run({folder + QStringLiteral("work.mdb")});
    ASSERT_TRUE(result.proceed);
    EXPECT_EQ(modeOf(home.file(QStringLiteral("quillet_work.mdb"))), mode_t(0755));
    EXPECT_EQ(modeOf(home.file(QStringLiteral("quillet_work.mdbtmp"))), mode_t(0700));
    ::umask(oldMask);
}

TEST_F(StartupTest, DatabaseFormNamesTheProfileAfterTheFile)
{
    const QString folder = home.file(QStringLiteral("My Memos/"));
    QDir().mkpath(folder);
    for (const QString& name : {QStringLiteral("work.mdb"), QStringLiteral("WORK2.MDB")}) {
        MemoFixtures::createDatabase(home.path(), folder + name);
        // The shell leaves quotes that were escaped; they are removed.
        StartupResult result = run({QLatin1Char('"') + folder + name + QLatin1Char('"')});
        ASSERT_TRUE(result.proceed) << name.toStdString();
        EXPECT_EQ(result.profile.id, name);
        EXPECT_EQ(result.caption, QStringLiteral("Quillet v2.2.1 [%1]").arg(name));
        EXPECT_EQ(result.dbPath, folder + name);
        EXPECT_EQ(result.openPath, folder + name);
        EXPECT_EQ(result.profile.iniFilePath, home.file(QStringLiteral("quillet_%1.ini").arg(name)));
    }
    EXPECT_FALSE(QFile::exists(home.file(QStringLiteral("diary.mdb"))));

    // A double quote that is part of the file's name stays: the path names the
    // file as it is (a launcher or the database switch passes it whole).
    const QString quoted = folder + QStringLiteral("say \"hi\".mdb");
    MemoFixtures::createDatabase(home.path(), quoted);
    StartupResult result = run({quoted});
    ASSERT_TRUE(result.proceed);
    EXPECT_EQ(result.dbPath, quoted);
    EXPECT_EQ(result.profile.id, QStringLiteral("say \"hi\".mdb"));
    EXPECT_FALSE(QFile::exists(home.file(QStringLiteral("diary.mdb"))));
}

TEST_F(StartupTest, CommandLinesThatEndTheProgram)
{
    const QString locked = home.file(QStringLiteral("locked.mdb"));
    MemoFixtures::createDatabase(home.path(), locked);
    MemoFixtures::setDatabasePassword(locked, QStringLiteral("Pass"));
    const QString text = home.file(QStringLiteral("text.mdb"));
    MemoFixtures::writeText(text, QStringLiteral("plain text"));
    // Passes the version check, then is refused when the store opens it.
    const QString noMemos = home.file(QStringLiteral("nomemos.mdb"));
    MemoFixtures::execute(noMemos, "CREATE TABLE DBInfo (VersionInfo, IsMemoPass, IsPass, Password);"
                                   "INSERT INTO DBInfo VALUES (250, 0, 0, '');");

    struct Case
    {
        const char* name;
        QStringList arguments;
        std::vector<QString> passwords; // answers of the password dialog
        QString message;                // empty: ends without a message
        QString profileId;
    } cases[] = {
        {"profile without ID", {profileFile}, {}, QStringLiteral("IDが指定されていません。") + kEnd, {}},
        {"unknown ID",
         {profileFile, QStringLiteral("nobody")},
         {},
         QStringLiteral("コマンドラインで指定したIDが存在しません。") + kEnd,
         QStringLiteral("nobody")},
        {"ID key differs from section",
         {profileFile, QStringLiteral("carol")},
         {},
         QStringLiteral("コマンドラインで指定したIDが存在しません。") + kEnd,
         QStringLiteral("carol")},
        {"ID of another letter case",
         {profileFile, QStringLiteral("Alice")},
         {},
         QStringLiteral("コマンドラインで指定したIDが存在しません。") + kEnd,
         QStringLiteral("Alice")},
        {"missing profile file",
         {home.file(QStringLiteral("none.ini")), QStringLiteral("alice")},
         {},
         QStringLiteral("コマンドラインで指定したIDが存在しません。") + kEnd,
         QStringLiteral("alice")},
        {"password without its wrapping",
         {profileFile, QStringLiteral("bob"), QStringLiteral("secret")},
         {},
         kWrongPassword,
         QStringLiteral("bob")},
        {"wrong profile password",
         {profileFile, QStringLiteral("bob"), QStringLiteral("[Secret]")},
         {},
         kWrongPassword,
         QStringLiteral("bob")},
        {"profile password dialog left empty",
         {profileFile, QStringLiteral("bob")},
         {QString()},
         kWrongPassword,
         QStringLiteral("bob")},
        {"database password dialog closed", {locked}, {QString()}, {}, QStringLiteral("locked.mdb")},
        {"wrong database password",
         {locked},
         {QStringLiteral("pass")},
         kWrongPassword,
         QStringLiteral("locked.mdb")},
        {"missing database",
         {home.file(QStringLiteral("gone.mdb"))},
         {},
         QStringLiteral("データベースファイルが見つかりません。\n") + home.file(QStringLiteral("gone.mdb")) +
             kEnd,
         QStringLiteral("gone.mdb")},
        {"database without memo table",
         {noMemos},
         {},
         QStringLiteral("このファイルはQuilletのデータベースではありません。\n") + noMemos + kEnd,
         QStringLiteral("nomemos.mdb")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        prompt.shown.clear();
        prompt.passwords.assign(c.passwords.begin(), c.passwords.end());
        StartupResult result = run(c.arguments);
        EXPECT_FALSE(result.proceed);
        EXPECT_FALSE(result.store);
        EXPECT_TRUE(prompt.allAnswersUsed());
        const QStringList messages = prompt.messageTexts();
        if (c.message.isEmpty()) {
            EXPECT_TRUE(messages.isEmpty());
        } else {
            ASSERT_EQ(messages.size(), 1);
            EXPECT_EQ(messages.first(), c.message);
            EXPECT_EQ(prompt.shown.last().icon, PromptIcon::Critical);
            EXPECT_EQ(prompt.shown.last().title, QStringLiteral("Quillet"));
        }
        if (!c.profileId.isEmpty()) {
            EXPECT_TRUE(profileLeftAlone(c.profileId));
        }
    }

    // A file that is not a database is reported in words, not by a crash.
    prompt.shown.clear();
    EXPECT_FALSE(run({text}).proceed);
    ASSERT_EQ(prompt.messageTexts().size(), 1);
    EXPECT_TRUE(prompt.messageTexts().first().startsWith(
        QStringLiteral("データベースファイルを開けません。ファイルが壊れているか、データベースではありません。")));
    EXPECT_EQ(MemoFixtures::readBytes(text), QByteArray("plain text"));
}

TEST_F(StartupTest, AcceptedPasswordsAndProfiles)
{
    const QString locked = home.file(QStringLiteral("locked.mdb"));
    MemoFixtures::createDatabase(home.path(), locked);
    MemoFixtures::setDatabasePassword(locked, QStringLiteral("Pass"));

    struct Case
    {
        const char* name;
        QStringList arguments;
        std::vector<QString> passwords;
        QString id;
        QString dbPath;
    } cases[] = {
        {"profile without password", {profileFile, QStringLiteral("alice")}, {}, QStringLiteral("alice"),
         aliceFolder + QStringLiteral("diary.mdb")},
        {"wrapped profile password", {profileFile, QStringLiteral("bob"), QStringLiteral("xsecretx")}, {},
         QStringLiteral("bob"), bobFolder + QStringLiteral("diary.mdb")},
        {"profile password from the dialog", {profileFile, QStringLiteral("bob")}, {QStringLiteral("secret")},
         QStringLiteral("bob"), bobFolder + QStringLiteral("diary.mdb")},
        {"database password", {locked}, {QStringLiteral("Pass")}, QStringLiteral("locked.mdb"), locked},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        prompt.shown.clear();
        prompt.passwords.assign(c.passwords.begin(), c.passwords.end());
        StartupResult result = run(c.arguments);
        ASSERT_TRUE(result.proceed);
        EXPECT_EQ(result.profile.id, c.id);
        EXPECT_EQ(result.caption, QStringLiteral("Quillet v2.2.1 [%1]").arg(c.id));
        EXPECT_EQ(result.dbPath, c.dbPath);
        EXPECT_TRUE(prompt.messageTexts().isEmpty());
        for (const auto& shown : prompt.shown) {
            EXPECT_EQ(shown.title, QStringLiteral("パスワードの入力"));
            EXPECT_EQ(shown.text, QStringLiteral("このデータベースを開くためのパスワードを入力してください。"));
        }
    }
}

TEST_F(StartupTest, UnknownFirstArgumentFallsBackToTheDefaultDatabase)
{
    StartupResult result = run({QStringLiteral("notes.txt")});
    ASSERT_TRUE(result.proceed);
    EXPECT_EQ(result.profile.id, QStringLiteral("default"));
    ASSERT_EQ(prompt.messageTexts().size(), 1);
    EXPECT_EQ(prompt.messageTexts().first(),
              QStringLiteral("コマンドラインの「notes.txt」はデータベース(.mdb)でもプロファイル(.ini)でもありません。\n"
                             "既定のデータベースで起動します。"));
}

TEST_F(StartupTest, ProfileIdThatIsNotAPlainFileNameIsRefused)
{
    // The home is two levels down so that a path climbing out of it stays in view.
    const QString myPath = home.file(QStringLiteral("a/b/"));
    QDir().mkpath(myPath);
    const QStringList ids = {QStringLiteral("../x"),
                             QStringLiteral("x/../../../escaped"),
                             QStringLiteral(".."),
                             QStringLiteral("."),
                             QStringLiteral("a\\b"),
                             QString(),
                             QStringLiteral("a") + QChar(0) + QStringLiteral("b")};
    QString sections;
    for (const QString& id : ids)
        sections += QStringLiteral("[%1]\r\nID=%1\r\nPath=%2\r\nIsMemoPath=0\r\n").arg(id, aliceFolder);
    const QString users = home.file(QStringLiteral("paths.ini"));
    MemoFixtures::writeText(users, sections);
    const QStringList before = entriesBelow(home.path());

    for (const QString& id : ids) {
        SCOPED_TRACE(id.toStdString());
        prompt.shown.clear();
        StartupResult result = Startup(prompt, myPath).run({users, id});
        EXPECT_FALSE(result.proceed);
        EXPECT_FALSE(result.store);
        ASSERT_EQ(prompt.messageTexts().size(), 1);
        EXPECT_EQ(prompt.messageTexts().first(),
                  QStringLiteral("コマンドラインで指定したID「%1」はファイル名として使えません。").arg(id) +
                      kEnd);
        EXPECT_EQ(prompt.shown.first().icon, PromptIcon::Critical);
        EXPECT_EQ(entriesBelow(home.path()), before);
    }

    // Names that merely contain dots are ordinary profiles.
    for (const QString& id : {QStringLiteral("..x"), QStringLiteral("x..")}) {
        MemoFixtures::writeText(users, QStringLiteral("[%1]\r\nID=%1\r\nPath=%2\r\n").arg(id, aliceFolder));
        StartupResult result = Startup(prompt, myPath).run({users, id});
        EXPECT_TRUE(result.proceed);
        EXPECT_TRUE(QDir(myPath + QStringLiteral("quillet_") + id).exists());
    }
}

// Runs StartupProcess as a user whom file permissions bind: "nobody" through
// setpriv when the tests run as root, else the current user. The process works
// in a folder of the test home that everyone may write.
class StartupAsUserTest : public StartupTest
{
protected:
    QString shared = home.file(QStringLiteral("shared/"));
    QString program;
    QStringList prefix;

    void SetUp() override
    {
        StartupTest::SetUp();
        const QString helper = shared + QStringLiteral("StartupProcess");
        QDir().mkpath(shared);
        ASSERT_TRUE(QFile::copy(QStringLiteral(QUILLET_STARTUP_PROCESS), helper));
        const auto everyone = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                              QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther |
                              QFile::ExeOther;
        QFile::setPermissions(home.path(), everyone & ~(QFile::WriteGroup | QFile::WriteOther));
        QFile::setPermissions(shared, everyone);
        if (geteuid() != 0) {
            program = helper;
            return;
        }
        const passwd* nobody = getpwnam("nobody");
        const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
        if (!nobody || setpriv.isEmpty())
            GTEST_SKIP()
                << "running as root without user \"nobody\" or setpriv: file permissions cannot be tested";
        program = setpriv;
        prefix = {QStringLiteral("--reuid=%1").arg(nobody->pw_uid),
                  QStringLiteral("--regid=%1").arg(nobody->pw_gid), QStringLiteral("--clear-groups"),
                  QStringLiteral("--"), helper};
    }

    bool runsAsRoot() const { return !prefix.isEmpty(); }

    // The lines StartupProcess printed; fails the test when it did not end normally.
    QStringList runProcess(const QStringList& arguments)
    {
        QProcess process;
        process.start(program, prefix + arguments);
        const bool finished = process.waitForFinished(60'000);
        EXPECT_TRUE(finished);
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
        return QString::fromUtf8(process.readAllStandardOutput())
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    QStringList start(const QString& database, const QStringList& answers = {})
    {
        return runProcess(QStringList{QStringLiteral("start"), shared, database} + answers);
    }
};

QString oneLine(QString text)
{
    return text.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
}

TEST_F(StartupAsUserTest, YesToTheReadOnlyQuestionMakesEverySaveSucceedAcrossRestarts)
{
    const QString database = shared + QStringLiteral("work.mdb");
    const QString question = QStringLiteral("question: ") + oneLine(kReadOnlyQuestion);
    const auto writable = [&] {
        for (const QString& suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")}) {
            const QString file = database + suffix;
            if (QFile::exists(file) && !(QFile::permissions(file) & QFile::WriteOwner))
                return false;
        }
        return true;
    };

    // A read-only database in WAL mode: start-up reads it before it asks.
    ASSERT_TRUE(runProcess({QStringLiteral("create"), shared, database}).isEmpty());
    EXPECT_EQ(start(database, {QStringLiteral("yes")}),
              (QStringList{question, QStringLiteral("saved"), QStringLiteral("memos: 2")}));
    EXPECT_TRUE(writable());
    EXPECT_EQ(start(database), (QStringList{QStringLiteral("saved"), QStringLiteral("memos: 3")}));

    // A read-only start (No) leaves the companion files of the WAL behind,
    // read-only; write access given back to the database file alone is not enough.
    ASSERT_TRUE(QFile::setPermissions(database, QFile::ReadOwner | QFile::ReadUser));
    const QStringList refused = start(database, {QStringLiteral("no")});
    ASSERT_EQ(refused.size(), 3);
    EXPECT_EQ(refused[0], question);
    EXPECT_TRUE(refused[1].startsWith(QStringLiteral("save failed: "))) << refused[1].toStdString();
    ASSERT_TRUE(QFile::setPermissions(database, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser));
    EXPECT_EQ(start(database, {QStringLiteral("yes")}),
              (QStringList{question, QStringLiteral("saved"), QStringLiteral("memos: 4")}));
    EXPECT_TRUE(writable());
    EXPECT_EQ(start(database), (QStringList{QStringLiteral("saved"), QStringLiteral("memos: 5")}));
}

TEST_F(StartupAsUserTest, FailureToClearReadOnlyIsReported)
{
    if (!runsAsRoot())
        GTEST_SKIP() << "needs root to prepare a database that belongs to another user";
    // The database belongs to root; the user may read it but not change its mode.
    const QString database = shared + QStringLiteral("theirs.mdb");
    MemoFixtures::createDatabase(home.path(), database);
    ASSERT_TRUE(QFile::setPermissions(database, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));

    const QStringList lines = start(database, {QStringLiteral("yes")});
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], QStringLiteral("question: ") + oneLine(kReadOnlyQuestion));
    EXPECT_EQ(lines[1],
              QStringLiteral("exclamation: ") +
                  oneLine(QStringLiteral("読み取り専用を解除できませんでした。メモの保存はできません。\n") +
                          database));
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral("save failed: "))) << lines[2].toStdString();
    EXPECT_EQ(lines[3], QStringLiteral("memos: 0"));
}

TEST_F(StartupTest, ReadOnlyDatabaseIsOfferedWriteAccess)
{
    const QString question = kReadOnlyQuestion;
    const QString path = home.file(QStringLiteral("ro.mdb"));
    for (PromptAnswer answer : {PromptAnswer::No, PromptAnswer::Yes}) {
        MemoFixtures::createDatabase(home.path(), path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadUser);
        prompt.shown.clear();
        prompt.answers = {answer};
        StartupResult result = run({path});
        EXPECT_TRUE(result.proceed);
        ASSERT_EQ(prompt.messageTexts(), QStringList{question});
        EXPECT_EQ(prompt.shown.first().buttons, PromptButtons::YesNo);
        EXPECT_EQ(bool(QFile::permissions(path) & QFile::WriteOwner), answer == PromptAnswer::Yes);
        result.store.reset();
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        QFile::remove(path);
    }
}

} // namespace
