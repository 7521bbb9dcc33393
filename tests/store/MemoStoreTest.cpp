#include "MemoFixtures.h"
#include "TestHome.h"
#include "store/DatabaseInfo.h"
#include "store/MemoStore.h"
#include "store/StatementCatalogue.h"
#include "store/TemplateDatabase.h"

#include <QFile>
#include <gtest/gtest.h>
#include <sqlite3.h>

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

TEST_F(MemoStoreTest, DatabaseLockedByAnotherProgramIsReportedAsInUse)
{
    // Another program holds the file's exclusive lock for longer than the busy timeout.
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(dbPath).constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    try {
        MemoStore store(dbPath);
        ADD_FAILURE() << "opened";
    } catch (const DatabaseError& error) {
        EXPECT_TRUE(error.userMessage().startsWith(
            QStringLiteral("データベースは他のプログラムで使用中です。\n") + dbPath))
            << error.userMessage().toStdString();
    }
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_NO_THROW(MemoStore store(dbPath));
}

TEST_F(MemoStoreTest, FlagsStoredAsMinusOneCountAsSet)
{
    const QString t = QStringLiteral("2026/01/01 00:00:00");
    qint64 old = 0, trashed = 0, locked = 0, plain = 0;
    {
        MemoStore store(dbPath);
        old = store.insertMemo(QStringLiteral("old"), {}, QStringLiteral("x"), t);
        trashed = store.insertMemo(QStringLiteral("trashed"), {}, QStringLiteral("x"), t);
        locked = store.insertMemo(QStringLiteral("locked"), {}, QStringLiteral("x"), t);
        plain = store.insertMemo(QStringLiteral("plain"), {}, QStringLiteral("x"), t);
        store.writeMemoTrash(trashed, true);
    }
    // Older writers stored True as -1.
    MemoFixtures::execute(dbPath, "UPDATE Memo SET IsTrash = -1 WHERE Title = 'old';"
                                  "UPDATE Memo SET IsPass = -1 WHERE Title = 'locked';");
    MemoStore store(dbPath);

    std::vector<qint64> outside, inTrash;
    store.forEachListedMemo(false, [&](const MemoListRow& row) { outside.push_back(row.entry.id); });
    store.forEachListedMemo(true, [&](const MemoListRow& row) { inTrash.push_back(row.entry.id); });
    EXPECT_EQ(outside, (std::vector<qint64>{locked, plain}));
    EXPECT_EQ(inTrash, (std::vector<qint64>{old, trashed}));
    EXPECT_EQ(store.countTrashedMemos(), 2);
    const std::vector<CategoryGroup> groups = store.readCategoryGroups();
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0].count, 2);

    EXPECT_TRUE(store.readMemo(old)->isTrash);
    EXPECT_TRUE(store.readMemo(locked)->isPass);
    EXPECT_TRUE(store.readMemoText(locked)->isPass);
    EXPECT_TRUE(store.isMemoLocked(locked));
    EXPECT_FALSE(store.isMemoLocked(plain));
    std::vector<qint64> exported;
    store.forEachMemo(false, false, [&](const Memo& memo) {
        exported.push_back(memo.recordId);
        return true;
    });
    EXPECT_EQ(exported, std::vector<qint64>{plain});

    EXPECT_EQ(store.deleteTrashedMemos(), 2);
    EXPECT_FALSE(store.readMemo(old));
    EXPECT_EQ(store.countMemos(), 2);
}

// The lists and counts must read their indexes, never the memo bodies: a large
// database would otherwise be read whole on every refresh.
TEST_F(MemoStoreTest, ListsAndCountsAreServedByCoveringIndexes)
{
    MemoStore store(dbPath);
    struct Case
    {
        const char* sql;
        int trash; // bound to ?1; -1: nothing to bind
    } cases[] = {{sql::ListMemos, 0},
                 {sql::ListMemos, 1},
                 {sql::CountMemosPerCategory, -1},
                 {sql::CountTrashedMemos, -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sql);
        const QByteArray explain = QByteArray("EXPLAIN QUERY PLAN ") + c.sql;
        Statement plan(store.database(), explain.constData());
        if (c.trash >= 0)
            plan.bind(1, c.trash);
        QStringList steps;
        while (plan.step())
            steps.append(plan.text(3));
        ASSERT_EQ(steps.size(), 1) << steps.join(QLatin1String("; ")).toStdString();
        EXPECT_TRUE(steps[0].startsWith(QLatin1String("SEARCH Memo USING COVERING INDEX")))
            << steps[0].toStdString();
    }
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
    const std::optional<SavedMemoState> previous = store.updateMemo(
        id, QStringLiteral("t2"), QStringLiteral("b2"), QStringLiteral("new"), QStringLiteral("2026/02/02 00:00:00"));
    ASSERT_TRUE(previous);
    EXPECT_EQ(previous->previousCategory, QStringLiteral("old"));
    EXPECT_FALSE(previous->inTrash);
    const Memo memo = *store.readMemo(id);
    EXPECT_EQ(memo.publishTime, QStringLiteral("2026/01/01 00:00:00"));
    EXPECT_EQ(memo.updateTime, QStringLiteral("2026/02/02 00:00:00"));
    EXPECT_EQ(memo.title, QStringLiteral("t2"));
    EXPECT_EQ(memo.category, QStringLiteral("new"));
    EXPECT_FALSE(store.updateMemo(id + 1, {}, {}, {}, {}));
    // A memo stored in the trash by an older writer (True as -1) says so.
    MemoFixtures::execute(dbPath, "UPDATE Memo SET IsTrash = -1");
    EXPECT_TRUE(store.updateMemo(id, {}, {}, QStringLiteral("new"), {})->inTrash);
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
