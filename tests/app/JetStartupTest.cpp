#include "MemoFixtures.h"
#include "ScriptedPrompt.h"
#include "TestHome.h"
#include "app/Startup.h"
#include "store/MemoStore.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

const QString kFixtures = QStringLiteral(QUILLET_JET_FIXTURES "/");
const QString kEnd = QStringLiteral("\nQuilletを終了します。");
const QString kNotConverted =
    QStringLiteral("Windows版のメモデータベースは、変換しないと開けません。") + kEnd;

QString conversionQuestion(const QString& jet, const QString& converted)
{
    return QStringLiteral("「%1」はWindows版のメモデータベース(Jet形式)です。\n"
                          "Quilletで使えるように、同じフォルダの新しいファイル「%2」に変換して、"
                          "そちらを開きます。元のファイルは変更しません。\n\n変換しますか？")
        .arg(jet, converted);
}

QByteArray hashOf(const QString& path)
{
    return QCryptographicHash::hash(MemoFixtures::readBytes(path), QCryptographicHash::Sha256);
}

class JetStartupTest : public ::testing::Test
{
protected:
    TestHome home;
    ScriptedPrompt prompt;
    QString folder = home.file(QStringLiteral("windows/"));

    void SetUp() override { QDir().mkpath(folder); }

    // A fixture copied into the test's folder under `name`.
    QString jetFile(const QString& fixture, const QString& name)
    {
        const QString path = folder + name;
        EXPECT_TRUE(QFile::copy(kFixtures + fixture, path));
        return path;
    }

    // A Jet file with a table named Memo, which Quillet offers to convert.
    QString memoJetFile(const QString& name)
    {
        const QString path = folder + name;
        MemoFixtures::writeJetWithMemoTable(path);
        return path;
    }

    StartupResult run(const QStringList& arguments) { return Startup(prompt, home.path()).run(arguments); }

    QStringList folderEntries() const
    {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }
};

// The command line names a Jet file: the question says what will happen, and
// a "no" ends the program. A file that cannot be converted is refused in
// words before any question, and that refusal is the last word. Either way
// nothing is written and the Jet file stays as it was.
TEST_F(JetStartupTest, JetFileOnTheCommandLineIsAskedAboutAndRefusedInWords)
{
    const QString noTables =
        QStringLiteral("「work.mdb」はWindows版のデータベース(Jet形式)ですが、"
                       "Quilletのメモのテーブル(Contents、FileDB、LogDB、Memo、DBInfo)がありません。");
    struct Case
    {
        QString fixture;
        std::deque<PromptAnswer> answers;
        QStringList messages;
    };
    const QList<Case> cases{
        {QString(),
         {PromptAnswer::No},
         {conversionQuestion(QStringLiteral("work.mdb"), QStringLiteral("work.sqlite.mdb")), kNotConverted}},
        {QStringLiteral("jet4-access2000.mdb"), {}, {noTables}},
        {QStringLiteral("jet4-access2000-with-password.mdb"),
         {},
         {QStringLiteral("「work.mdb」はパスワードで保護されたWindows版のメモデータベース(Jet形式)のため"
                         "読み込めません。\nWindowsでパスワードを解除してから読み込んでください。")}},
        {QStringLiteral("jet3-access97.mdb"), {}, {noTables}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fixture.isEmpty() ? "with a Memo table" : c.fixture.toStdString());
        QFile::remove(folder + QStringLiteral("work.mdb"));
        const QString jet = c.fixture.isEmpty() ? memoJetFile(QStringLiteral("work.mdb"))
                                                : jetFile(c.fixture, QStringLiteral("work.mdb"));
        const QByteArray before = hashOf(jet);
        prompt = ScriptedPrompt();
        prompt.answers = c.answers;
        const StartupResult result = run({jet});
        EXPECT_FALSE(result.proceed);
        EXPECT_EQ(prompt.messageTexts(), c.messages);
        EXPECT_EQ(folderEntries(), QStringList{QStringLiteral("work.mdb")});
        EXPECT_EQ(hashOf(jet), before);
        EXPECT_FALSE(QFile::exists(home.file(QStringLiteral("quillet_work.mdb.ini"))));
    }
}

// An earlier conversion is opened, never replaced, when the user agrees; the
// profile form's database is recognised as well.
TEST_F(JetStartupTest, EarlierConversionIsOpenedInsteadOfConvertingAgain)
{
    const QString jet = jetFile(QStringLiteral("jet4-access2000.mdb"), QStringLiteral("work.mdb"));
    const QString converted = folder + QStringLiteral("work.sqlite.mdb");
    MemoFixtures::createDatabase(home.path(), converted);
    qint64 id = 0;
    {
        MemoStore store(converted);
        id = store.insertMemo(QStringLiteral("前に変換したメモ"), QStringLiteral("本文"), QString(),
                              QStringLiteral("2001/02/03 04:05:06"));
    }
    const QString question =
        QStringLiteral("「work.mdb」はWindows版のメモデータベース(Jet形式)です。\n"
                       "これを変換したファイル「work.sqlite.mdb」がすでにあります。"
                       "そのファイルを開きますか？\n"
                       "(変換し直すときは、「work.sqlite.mdb」を移動するか名前を変えてから"
                       "開き直してください。)");
    prompt.answers = {PromptAnswer::Yes};
    StartupResult result = run({jet});
    ASSERT_TRUE(result.proceed);
    EXPECT_EQ(prompt.messageTexts(), QStringList{question});
    EXPECT_EQ(result.dbPath, converted);
    EXPECT_EQ(result.openPath, converted);
    EXPECT_EQ(result.profile.id, QStringLiteral("work.sqlite.mdb"));
    EXPECT_EQ(result.store->readMemo(id)->title, QStringLiteral("前に変換したメモ"));
    result.store.reset();

    prompt = ScriptedPrompt();
    prompt.answers = {PromptAnswer::No};
    EXPECT_FALSE(run({jet}).proceed);
    EXPECT_EQ(prompt.messageTexts(), (QStringList{question, kNotConverted}));

    // A profile whose folder holds the Windows program's diary.mdb.
    MemoFixtures::writeJetWithMemoTable(folder + QStringLiteral("diary.mdb"));
    MemoFixtures::writeText(home.file(QStringLiteral("users.ini")),
                            QStringLiteral("[alice]\r\nID=alice\r\nPath=%1\r\nIsMemoPath=0\r\n").arg(folder));
    prompt = ScriptedPrompt();
    prompt.answers = {PromptAnswer::No};
    EXPECT_FALSE(run({home.file(QStringLiteral("users.ini")), QStringLiteral("alice")}).proceed);
    EXPECT_EQ(prompt.messageTexts(), (QStringList{conversionQuestion(QStringLiteral("diary.mdb"),
                                                                     QStringLiteral("diary.sqlite.mdb")),
                                                  kNotConverted}));
    EXPECT_FALSE(QFile::exists(folder + QStringLiteral("diary.sqlite.mdb")));
}

// What a conversion of a version 2.50 file looks like (the memo identities
// kept, with gaps, yes/no as -1, no index or search table of Quillet's yet)
// opens as it is and works as any database: lists, trash, new identities above
// the old ones, the layout's defaults.
TEST_F(JetStartupTest, ConvertedCurrentLayoutOpensAsItIs)
{
    const QString converted = folder + QStringLiteral("work.sqlite.mdb");
    MemoFixtures::execute(converted, R"SQL(
CREATE TABLE "Contents" ("Day" TEXT, "Title" TEXT, "Contents" TEXT, "Weather" TEXT, "Genre" TEXT,
    "Number" INTEGER, "PublishTime" TEXT, "Private" INTEGER, "TrackBack" TEXT, "Extend" TEXT,
    "Excerpt" TEXT, "ImportMark" TEXT);
CREATE TABLE "Memo" ("RecordID" INTEGER PRIMARY KEY AUTOINCREMENT, "No" INTEGER DEFAULT 0, "Title" TEXT,
    "Memo" TEXT, "Category" TEXT, "Icon" INTEGER DEFAULT -1, "PublishTime" TEXT, "UpdateTime" TEXT,
    "IsPass" INTEGER DEFAULT 0, "IsTrash" INTEGER DEFAULT 0);
CREATE TABLE "DBInfo" ("VersionInfo" INTEGER DEFAULT 250, "IsMemoPass" INTEGER DEFAULT 0,
    "IsPass" INTEGER DEFAULT 0, "Password" TEXT DEFAULT '');
INSERT INTO DBInfo VALUES (250, 0, 0, NULL);
INSERT INTO Memo VALUES (3, 0, '買い物', 'たまご' || char(13, 10) || 'ぎゅうにゅう', '[家]', 2,
    '2004/05/06 07:08:09', '2004/05/07 07:08:09', -1, 0);
INSERT INTO Memo VALUES (17, NULL, 'ごみ', NULL, NULL, -1, '2005/01/01 00:00:00', '2005/01/01 00:00:00', 0, -1);
)SQL");
    const StartupResult result = run({converted});
    ASSERT_TRUE(result.proceed) << prompt.messageTexts().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(prompt.messageTexts(), QStringList{});
    MemoStore& store = *result.store;
    const std::optional<Memo> kept = store.readMemo(3);
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->body, QStringLiteral("たまご\r\nぎゅうにゅう"));
    EXPECT_EQ(kept->icon, 2);
    EXPECT_TRUE(store.isMemoLocked(3));
    QList<qint64> listed;
    store.forEachListedMemo(false, [&](const MemoListRow& row) { listed.append(row.entry.id); });
    EXPECT_EQ(listed, QList<qint64>{3});
    EXPECT_EQ(store.countTrashedMemos(), 1);
    const qint64 added = store.insertMemo(QStringLiteral("新しいメモ"), QString(), QString(),
                                          QStringLiteral("2026/01/01 00:00:00"));
    EXPECT_EQ(added, 18);
    const std::optional<Memo> fresh = store.readMemo(added);
    EXPECT_EQ(fresh->icon, -1);
    EXPECT_FALSE(fresh->isPass);
    EXPECT_FALSE(fresh->isTrash);
}

} // namespace
