#include "MemoFixtures.h"
#include "TestHome.h"
#include "store/DatabaseInfo.h"
#include "store/MemoStore.h"
#include "store/TemplateDatabase.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

class MemoStoreTest : public ::testing::Test
{
protected:
    TestHome home;
    QString dbPath = home.file(QStringLiteral("diary.mdb"));
    void SetUp() override { MemoFixtures::createDatabase(home.path(), dbPath); }
};

TEST(TemplateDatabaseTest, WrittenOnceWithCurrentVersionAndNoPassword)
{
    TestHome home;
    const QString path = TemplateDatabase::ensure(home.path());
    EXPECT_EQ(path, home.file(QStringLiteral("default.mdb")));
    EXPECT_EQ(ReadVersionInfo(path), 250);
    EXPECT_FALSE(ReadIsMemoPass(path));

    // An existing template is never rewritten.
    MemoFixtures::execute(path, "UPDATE DBInfo SET VersionInfo = 260");
    TemplateDatabase::ensure(home.path());
    EXPECT_EQ(ReadVersionInfo(path), 260);
}

TEST(DatabaseInfoTest, VersionOfMissingFileAndOfFileWithoutDBInfoIsZero)
{
    TestHome home;
    EXPECT_EQ(ReadVersionInfo(home.file(QStringLiteral("missing.mdb"))), 0);
    const QString bare = home.file(QStringLiteral("bare.mdb"));
    MemoFixtures::execute(bare, "CREATE TABLE Memo (RecordID INTEGER PRIMARY KEY)");
    EXPECT_EQ(ReadVersionInfo(bare), 0);
}

TEST_F(MemoStoreTest, DatabasePasswordIsCheckedExactly)
{
    MemoFixtures::setDatabasePassword(dbPath, QStringLiteral("Secret秘密"));
    EXPECT_TRUE(ReadIsMemoPass(dbPath));
    EXPECT_TRUE(CheckDatabasePassword(QStringLiteral("Secret秘密"), dbPath));
    EXPECT_FALSE(CheckDatabasePassword(QStringLiteral("secret秘密"), dbPath));
    EXPECT_FALSE(CheckDatabasePassword(QStringLiteral("Ｓecret秘密"), dbPath));
    EXPECT_FALSE(CheckDatabasePassword(QString(), dbPath));

    MemoFixtures::execute(dbPath, "DELETE FROM DBInfo");
    EXPECT_FALSE(CheckDatabasePassword(QStringLiteral("Secret秘密"), dbPath));
    EXPECT_FALSE(ReadIsMemoPass(dbPath));
}

TEST(MemoStoreOpenTest, UnusableFilesAreRefusedWithAClearMessageAndLeftUntouched)
{
    TestHome home;
    const QString text = home.file(QStringLiteral("notes.mdb"));
    MemoFixtures::writeText(text, QStringLiteral("これはデータベースではありません\n"));
    const QString foreign = home.file(QStringLiteral("foreign.mdb"));
    MemoFixtures::execute(foreign, "CREATE TABLE Other (x)");
    const QByteArray textBytes = MemoFixtures::readBytes(text);
    const QByteArray foreignBytes = MemoFixtures::readBytes(foreign);

    struct Case
    {
        QString path;
        QString messageStart;
    } cases[] = {
        {home.file(QStringLiteral("missing.mdb")), QStringLiteral("データベースファイルが見つかりません。")},
        {text, QStringLiteral("データベースファイルを開けません。ファイルが壊れているか、データベースではありません。")},
        {foreign, QStringLiteral("このファイルはQuilletのデータベースではありません。")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        try {
            MemoStore store(c.path);
            ADD_FAILURE() << "opened";
        } catch (const DatabaseError& error) {
            EXPECT_TRUE(error.userMessage().startsWith(c.messageStart)) << error.userMessage().toStdString();
            EXPECT_TRUE(error.userMessage().contains(c.path));
        }
    }
    EXPECT_FALSE(QFile::exists(home.file(QStringLiteral("missing.mdb"))));
    EXPECT_EQ(MemoFixtures::readBytes(text), textBytes);
    EXPECT_EQ(MemoFixtures::readBytes(foreign), foreignBytes);
}

TEST_F(MemoStoreTest, InsertedMemoHasDefaultsAndOneTimestamp)
{
    MemoStore store(dbPath);
    const qint64 id = store.insertMemo(QStringLiteral("題名"), QStringLiteral("一行目\r\n二行目"),
                                       QStringLiteral("a b"), QStringLiteral("2026/12/10 09:08:07"));
    const std::optional<Memo> memo = store.readMemo(id);
    ASSERT_TRUE(memo);
    EXPECT_EQ(memo->title, QStringLiteral("題名"));
    EXPECT_EQ(memo->body, QStringLiteral("一行目\r\n二行目"));
    EXPECT_EQ(memo->category, QStringLiteral("a b"));
    EXPECT_EQ(memo->publishTime, QStringLiteral("2026/12/10 09:08:07"));
    EXPECT_EQ(memo->updateTime, memo->publishTime);
    EXPECT_EQ(memo->icon, -1);
    EXPECT_FALSE(memo->isPass);
    EXPECT_FALSE(memo->isTrash);
    EXPECT_FALSE(store.readMemo(id + 100));
}

TEST_F(MemoStoreTest, UpdateKeepsCreationTimeAndReturnsPreviousTags)
{
    MemoStore store(dbPath);
    const qint64 id = store.insertMemo(QStringLiteral("t"), QStringLiteral("b"), QStringLiteral("old"),
                                       QStringLiteral("2026/01/01 00:00:00"));
    const std::optional<QString> previous = store.updateMemo(id, QStringLiteral("t2"), QStringLiteral("b2"),
                                                             QStringLiteral("new"), QStringLiteral("2026/02/02 00:00:00"));
    EXPECT_EQ(previous, QStringLiteral("old"));
    const Memo memo = *store.readMemo(id);
    EXPECT_EQ(memo.publishTime, QStringLiteral("2026/01/01 00:00:00"));
    EXPECT_EQ(memo.updateTime, QStringLiteral("2026/02/02 00:00:00"));
    EXPECT_EQ(memo.title, QStringLiteral("t2"));
    EXPECT_EQ(memo.category, QStringLiteral("new"));
    EXPECT_FALSE(store.updateMemo(id + 1, {}, {}, {}, {}));
}

TEST_F(MemoStoreTest, ValuesWithQuotesAndSqlAreStoredVerbatim)
{
    MemoStore store(dbPath);
    const QString hostile = QStringLiteral("\"); DROP TABLE Memo; -- 'x'");
    const qint64 id = store.insertMemo(hostile, hostile, hostile, QStringLiteral("2026/01/01 00:00:00"));
    Memo copy = *store.readMemo(id);
    EXPECT_EQ(copy.title, hostile);
    store.overwriteMemo(id, copy);
    EXPECT_EQ(store.readMemo(id)->body, hostile);
    EXPECT_EQ(store.countMemos(), 1);
}

TEST_F(MemoStoreTest, CountsListsAndFlags)
{
    MemoStore store(dbPath);
    const QString t = QStringLiteral("2026/01/01 00:00:00");
    const qint64 a = store.insertMemo(QStringLiteral("A"), {}, QStringLiteral("x y"), t);
    const qint64 b = store.insertMemo(QStringLiteral("B"), {}, QStringLiteral("x y"), t);
    const qint64 c = store.insertMemo(QStringLiteral("C"), {}, QString(), t); // Null tags
    const qint64 d = store.insertMemo(QStringLiteral("D"), {}, QStringLiteral("z"), t);
    EXPECT_TRUE(store.writeMemoTrash(d, true));
    EXPECT_TRUE(store.writeMemoIcon(a, 3));
    EXPECT_TRUE(store.writeMemoLock(b, true));
    EXPECT_FALSE(store.writeMemoLock(999, true));

    EXPECT_EQ(store.countTrashedMemos(), 1);
    EXPECT_EQ(store.countMemos(), 4);
    EXPECT_TRUE(store.isMemoLocked(b));
    EXPECT_FALSE(store.isMemoLocked(a));
    EXPECT_EQ(store.readMemoCategory(c), QStringLiteral(""));

    std::vector<CategoryGroup> groups = store.readCategoryGroups();
    std::sort(groups.begin(), groups.end(), [](const auto& l, const auto& r) { return l.category < r.category; });
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_TRUE(groups[0].isNull);
    EXPECT_EQ(groups[0].count, 1);
    EXPECT_EQ(groups[1].category, QStringLiteral("x y"));
    EXPECT_EQ(groups[1].count, 2);

    std::vector<MemoListRow> listed;
    store.forEachListedMemo(false, [&](const MemoListRow& row) { listed.push_back(row); });
    ASSERT_EQ(listed.size(), 3u);
    EXPECT_EQ(listed[0].entry.id, a);
    EXPECT_EQ(listed[0].entry.icon, 3);
    EXPECT_TRUE(listed[1].entry.isPass);
    EXPECT_TRUE(listed[2].categoryIsNull);
    std::vector<qint64> trashed;
    store.forEachListedMemo(true, [&](const MemoListRow& row) { trashed.push_back(row.entry.id); });
    EXPECT_EQ(trashed, std::vector<qint64>{d});

    struct Filter
    {
        bool trashed, locked;
        std::vector<qint64> expected;
    } filters[] = {{true, true, {a, b, c, d}}, {false, true, {a, b, c}}, {true, false, {a, c, d}}, {false, false, {a, c}}};
    for (const Filter& f : filters) {
        std::vector<qint64> seen;
        store.forEachMemo(f.trashed, f.locked, [&](const Memo& m) {
            seen.push_back(m.recordId);
            return true;
        });
        EXPECT_EQ(seen, f.expected) << f.trashed << f.locked;
    }

    EXPECT_EQ(store.deleteTrashedMemos(), 1);
    // An identity is never given again, also after the trash was emptied.
    const qint64 e = store.insertMemo(QStringLiteral("E"), {}, {}, t);
    EXPECT_GT(e, d);
    EXPECT_EQ(store.readMemoIdentities().size(), 4u);
}

} // namespace
