// Saving the security password into the settings file and the database, and
// the protection flag of memos, on real files in a scratch home.
#include "editing/SecurityPassword.h"
#include "MemoFixtures.h"
#include "ScriptedPrompt.h"
#include "TestHome.h"
#include "app/Settings.h"
#include "app/SettingsFile.h"
#include "app/Startup.h"
#include "editing/PasswordScrambler.h"
#include "store/DatabaseInfo.h"
#include "store/MemoStore.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

using namespace Qt::Literals::StringLiterals;

const QString kUnstorable = u"このパスワードには保存できない文字が含まれているため、設定できません。\n"
                            u"別のパスワードを入力してください。"_s;
const QString kTooLong =
    u"このパスワードは長すぎるため、設定できません。\n短いパスワードを入力してください。"_s;

class SecurityPasswordTest : public ::testing::Test
{
protected:
    TestHome home;
    ScriptedPrompt prompt;
    QString db = home.file(u"diary.mdb"_s);
    QString ini = home.file(u"quillet_default.ini"_s);
    SettingsFile settings{ini};
    std::unique_ptr<MemoStore> store;

    void SetUp() override
    {
        MemoFixtures::createDatabase(home.path(), db);
        store = std::make_unique<MemoStore>(db);
    }

    // What the main window reads at its next start.
    std::optional<QString> passwordReadBack() const
    {
        return DecodePassword(settings.read(Settings::Security::Password));
    }

    // Whether starting with this database by name asks for its password; the
    // dialog is answered with `answer`.
    bool nextStartAsks(const QString& answer)
    {
        ScriptedPrompt startPrompt;
        startPrompt.passwords = {answer};
        StartupResult result = Startup(startPrompt, home.path()).run({db});
        EXPECT_TRUE(result.proceed);
        EXPECT_TRUE(startPrompt.messageTexts().isEmpty());
        if (startPrompt.shown.isEmpty())
            return false;
        EXPECT_EQ(startPrompt.shown.first().kind, ScriptedPrompt::Kind::Password);
        EXPECT_EQ(startPrompt.shown.first().title, u"パスワードの入力"_s);
        EXPECT_EQ(startPrompt.shown.first().text,
                  u"このデータベースを開くためのパスワードを入力してください。"_s);
        return true;
    }
};

TEST_F(SecurityPasswordTest, SavedPasswordIsInTheSettingsAndTheDatabaseAndTheNextStartAsksForIt)
{
    ASSERT_TRUE(saveSecurityPassword(settings, *store, prompt, u"abc"_s));
    EXPECT_TRUE(prompt.shown.isEmpty());
    // A new settings file, scrambled as "dcb".
    EXPECT_EQ(MemoFixtures::readBytes(ini), QByteArray("[Security]\r\nPassword=dcb\r\n"));
    EXPECT_TRUE(store->readIsMemoPass());
    EXPECT_EQ(store->readDatabasePasswordScrambled(), u"dcb"_s);
    EXPECT_TRUE(nextStartAsks(u"abc"_s));
    // The start that opens the default database is not a start-up password.
    ScriptedPrompt defaultStart;
    EXPECT_TRUE(Startup(defaultStart, home.path()).run({}).proceed);
    EXPECT_TRUE(defaultStart.shown.isEmpty());

    // Clearing it clears both, and the next start asks nothing.
    ASSERT_TRUE(saveSecurityPassword(settings, *store, prompt, QString()));
    EXPECT_EQ(MemoFixtures::readBytes(ini), QByteArray("[Security]\r\nPassword=\r\n"));
    EXPECT_FALSE(store->readIsMemoPass());
    EXPECT_EQ(store->readDatabasePasswordScrambled(), QString());
    EXPECT_FALSE(ReadIsMemoPass(db));
    EXPECT_FALSE(nextStartAsks(QString()));
    EXPECT_TRUE(prompt.shown.isEmpty());
}

TEST_F(SecurityPasswordTest, EveryStorablePasswordReadsBackIdentical)
{
    struct Case
    {
        const char* name;
        QString password;
        QByteArray line; // the settings line written
    };
    const QString kanji85 = u"秘"_s.repeated(85); // 255 UTF-8 bytes scrambled
    const Case cases[] = {
        // '!' scrambles to '"': the stored form is quoted once more so that
        // reading, which takes off one pair, gives it back.
        {"scrambled form in double quotes", u"!secret!"_s, "Password=\"\"ufsdft\"\""},
        {"scrambled form in single quotes", u"&x&"_s, "Password=\"'y'\""},
        {"blanks at both ends", u" pass "_s, "Password=!ttbq!"},
        {"only a blank", u" "_s, "Password=!"},
        {"ideographic space", u"　秘"_s, "Password=" + u"緋、"_s.toUtf8()},
        {"Japanese", u"秘密"_s, "Password=" + u"蜜緋"_s.toUtf8()},
        {"255 bytes when scrambled", kanji85, "Password=" + u"緋"_s.repeated(85).toUtf8()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(saveSecurityPassword(settings, *store, prompt, c.password));
        EXPECT_TRUE(prompt.shown.isEmpty());
        EXPECT_EQ(MemoFixtures::readBytes(ini), "[Security]\r\n" + c.line + "\r\n");
        EXPECT_EQ(passwordReadBack(), c.password);
        EXPECT_TRUE(ReadIsMemoPass(db));
        EXPECT_TRUE(CheckDatabasePassword(c.password, db));
    }
}

TEST_F(SecurityPasswordTest, UnstorablePasswordIsRefusedAndNothingIsStored)
{
    ASSERT_TRUE(saveSecurityPassword(settings, *store, prompt, u"abc"_s));
    const QByteArray before = MemoFixtures::readBytes(ini);
    struct Case
    {
        const char* name;
        QString password;
        QString message;
    };
    const Case cases[] = {
        {"no CP932 code", u"pass\U0001F600"_s, kUnstorable},
        {"shares its code with another character", u"〜"_s, kUnstorable},
        {"a tab scrambles to a line feed", u"a\tb"_s, kUnstorable},
        {"a form feed scrambles to a carriage return", u"a\fb"_s, kUnstorable},
        {"258 bytes when scrambled", u"秘"_s.repeated(86), kTooLong},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        prompt.shown.clear();
        EXPECT_FALSE(saveSecurityPassword(settings, *store, prompt, c.password));
        EXPECT_EQ(prompt.messageTexts(), QStringList{c.message});
        EXPECT_EQ(prompt.shown.last().icon, PromptIcon::Critical);
        EXPECT_EQ(MemoFixtures::readBytes(ini), before);
        EXPECT_EQ(store->readDatabasePasswordScrambled(), u"dcb"_s);
        EXPECT_TRUE(store->readIsMemoPass());
    }
}

TEST_F(SecurityPasswordTest, FailedDatabaseWriteLeavesTheSettingsAlone)
{
    MemoFixtures::writeText(ini, u"; mine\r\n[Security]\r\nPassword=dcb\r\n"_s);
    const QByteArray before = MemoFixtures::readBytes(ini);
    // Another program takes the table away.
    MemoFixtures::execute(db, "ALTER TABLE DBInfo RENAME TO Elsewhere");
    EXPECT_FALSE(saveSecurityPassword(settings, *store, prompt, u"new"_s));
    ASSERT_EQ(prompt.messageTexts().size(), 1);
    EXPECT_TRUE(prompt.messageTexts().first().contains(u"DBInfo"_s))
        << prompt.messageTexts().first().toStdString();
    EXPECT_EQ(prompt.shown.last().icon, PromptIcon::Critical);
    EXPECT_EQ(MemoFixtures::readBytes(ini), before);
}

TEST_F(SecurityPasswordTest, DatabaseInfoWithoutARowIsLeftAsItIs)
{
    MemoFixtures::execute(db, "DELETE FROM DBInfo");
    ASSERT_TRUE(saveSecurityPassword(settings, *store, prompt, u"abc"_s));
    EXPECT_TRUE(prompt.shown.isEmpty());
    EXPECT_EQ(passwordReadBack(), u"abc"_s);
    EXPECT_FALSE(store->readIsMemoPass());
    EXPECT_FALSE(CheckDatabasePassword(u"abc"_s, db));
}

TEST_F(SecurityPasswordTest, LocksAreWrittenAcrossBatchesAndFoundInOrder)
{
    QList<qint64> ids;
    {
        auto transaction = store->transaction();
        for (int i = 0; i < 600; ++i)
            ids.append(store->insertMemo(u"m%1"_s.arg(i), {}, {}, u"2026/01/01 00:00:00"_s));
        transaction.commit();
    }
    const qint64 gone = ids.last() + 1000;
    QList<qint64> chosen = ids.mid(100, 400);
    chosen.insert(200, gone);

    EXPECT_FALSE(firstLockedMemo(*store, chosen).has_value());
    EXPECT_EQ(writeMemoLocks(*store, chosen, true), ids.mid(100, 400));
    for (int i : {0, 99, 500, 599})
        EXPECT_FALSE(store->isMemoLocked(ids[i])) << i;
    for (int i : {100, 300, 499})
        EXPECT_TRUE(store->isMemoLocked(ids[i])) << i;
    EXPECT_EQ(firstLockedMemo(*store, {ids[0], gone, ids[450], ids[120]}), ids[450]);

    EXPECT_EQ(writeMemoLocks(*store, {ids[450], gone}, false), QList<qint64>{ids[450]});
    EXPECT_FALSE(store->isMemoLocked(ids[450]));
    EXPECT_EQ(firstLockedMemo(*store, {ids[0], ids[450], ids[120]}), ids[120]);
}

} // namespace
