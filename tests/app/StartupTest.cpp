#include "MemoFixtures.h"
#include "ScriptedPrompt.h"
#include "TestHome.h"
#include "app/Startup.h"
#include "editing/PasswordScrambler.h"
#include "store/DatabaseInfo.h"
#include "store/MemoStore.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

const QString kEnd = QStringLiteral("\nQuilletを終了します。");
const QString kWrongPassword = QStringLiteral("パスワードが間違っています。") + kEnd;

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
}

TEST_F(StartupTest, CommandLinesThatEndTheProgram)
{
    const QString locked = home.file(QStringLiteral("locked.mdb"));
    MemoFixtures::createDatabase(home.path(), locked);
    MemoFixtures::setDatabasePassword(locked, QStringLiteral("Pass"));
    const QString old = home.file(QStringLiteral("old.mdb"));
    MemoFixtures::createDatabase(home.path(), old);
    MemoFixtures::execute(old, "UPDATE DBInfo SET VersionInfo = 240");
    const QString text = home.file(QStringLiteral("text.mdb"));
    MemoFixtures::writeText(text, QStringLiteral("plain text"));

    struct Case
    {
        const char* name;
        QStringList arguments;
        std::vector<QString> passwords; // answers of the password dialog
        QString message;                // empty: ends without a message
        QString profileId;
    } cases[] = {
        {"profile without ID", {profileFile}, {}, QStringLiteral("IDが指定されていません。") + kEnd, {}},
        {"unknown ID", {profileFile, QStringLiteral("nobody")}, {},
         QStringLiteral("コマンドラインで指定したIDが存在しません。") + kEnd, QStringLiteral("nobody")},
        {"ID key differs from section", {profileFile, QStringLiteral("carol")}, {},
         QStringLiteral("コマンドラインで指定したIDが存在しません。") + kEnd, QStringLiteral("carol")},
        {"ID of another letter case", {profileFile, QStringLiteral("Alice")}, {},
         QStringLiteral("コマンドラインで指定したIDが存在しません。") + kEnd, QStringLiteral("Alice")},
        {"missing profile file", {home.file(QStringLiteral("none.ini")), QStringLiteral("alice")}, {},
         QStringLiteral("コマンドラインで指定したIDが存在しません。") + kEnd, QStringLiteral("alice")},
        {"password without its wrapping", {profileFile, QStringLiteral("bob"), QStringLiteral("secret")}, {},
         kWrongPassword, QStringLiteral("bob")},
        {"wrong profile password", {profileFile, QStringLiteral("bob"), QStringLiteral("[Secret]")}, {},
         kWrongPassword, QStringLiteral("bob")},
        {"profile password dialog left empty", {profileFile, QStringLiteral("bob")}, {QString()}, kWrongPassword,
         QStringLiteral("bob")},
        {"database password dialog closed", {locked}, {QString()}, {}, QStringLiteral("locked.mdb")},
        {"wrong database password", {locked}, {QStringLiteral("pass")}, kWrongPassword, QStringLiteral("locked.mdb")},
        {"missing database", {home.file(QStringLiteral("gone.mdb"))}, {},
         QStringLiteral("データベースファイルが見つかりません。\n") + home.file(QStringLiteral("gone.mdb")) + kEnd,
         QStringLiteral("gone.mdb")},
        {"old database", {old}, {},
         QStringLiteral("このデータベースは古い形式(バージョン 240)のため開けません。\n") + old + kEnd,
         QStringLiteral("old.mdb")},
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
        if (!c.profileId.isEmpty())
            EXPECT_TRUE(profileLeftAlone(c.profileId));
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

TEST_F(StartupTest, ReadOnlyDatabaseIsOfferedWriteAccess)
{
    const QString question = QStringLiteral("ファイルが読み取り専用になっています。読み取り専用を解除しますか？\n"
                                            "読み取り専用だとメモの保存ができません(強制終了します)。");
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
