#include "store/DatabaseRebuild.h"
#include "MemoFixtures.h"
#include "ScriptedPrompt.h"
#include "TestHome.h"
#include "app/Progress.h"
#include "app/Startup.h"
#include "store/DatabaseInfo.h"
#include "store/DatabaseMerge.h"
#include "store/DatabaseUpgrade.h"
#include "store/MemoStore.h"
#include "store/SqliteDatabase.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <random>
#include <set>

namespace {

const QString kNotice =
    QStringLiteral("データベースがアップデートされています。\nデータベースをアップデートします。\n"
                   "(念のために、今までの「diary.mdb」は「diarymdb.bak」というファイル名で保存します。)");
const QString kDone =
    QStringLiteral("データベースのアップデートは完了しました。\n念のためにQuilletを再起動してください。");
const QString kCancelled =
    QStringLiteral("データベースのアップデートを中止しました。データベースは元のままです。\n"
                   "古い形式のデータベースは使えないため、Quilletを終了します。");

// Records what the rebuild shows: titles, explanations, bar 1 and the maxima
// of bar 2 in one trace, the positions of bar 2 apart. Asks to cancel once a
// chosen explanation has been shown.
class RecordingProgress : public Progress
{
public:
    QStringList trace;
    std::vector<int> bar2;
    QString cancelAt;
    std::function<void(int)> onBar2; // called with each position of bar 2

    void SetProgressBar(bool one, bool two) override
    {
        trace << QStringLiteral("bars:%1%2").arg(one).arg(two);
    }
    void SetTitle(const QString& title) override { trace << QStringLiteral("title:") + title; }
    void SetExplain(const QString& text) override
    {
        trace << QStringLiteral("explain:") + text;
        if (!cancelAt.isEmpty() && text == cancelAt)
            m_cancel = true;
    }
    void SetProgressMax(int bar, int maximum) override
    {
        trace << QStringLiteral("max%1:%2").arg(bar).arg(maximum);
    }
    void SetProgress(int bar, int value) override
    {
        if (bar == 1) {
            trace << QStringLiteral("bar1:%1").arg(value);
        } else {
            bar2.push_back(value);
            if (onBar2)
                onBar2(value);
        }
    }
    void SetProgressClear(int) override {}
    bool IsCancel() const override { return m_cancel; }

private:
    bool m_cancel = false;
};

// A database of an older layout, as the versions before 250 left it: the
// tables and columns of `version` only, with a few rows. Version 0 has no
// DBInfo table. The memos have the RecordIDs 3, 8 and 15, in that order.
void createOldLayout(const QString& path, int version)
{
    QStringList statements;
    QString contents = QStringLiteral("Day, Title, Contents");
    QString contentsValues1 =
        QStringLiteral("'2008/3/5', 'Diary one', '本文' || char(13) || char(10) || '二行目'");
    QString contentsValues2 = QStringLiteral("'2009-12-31 00:00:00', 'Diary two', NULL");
    if (version >= 110) {
        contents += QStringLiteral(", Weather, Genre");
        contentsValues1 += QStringLiteral(", '晴れ', '仕事'");
        contentsValues2 += QStringLiteral(", '雨', NULL");
    }
    if (version >= 150) {
        contents += QStringLiteral(", Number, PublishTime");
        contentsValues1 += QStringLiteral(", 3, '2008/03/05 10:00:00'");
        contentsValues2 += QStringLiteral(", 4, '2009/12/31 23:00:00'");
    }
    if (version >= 200) {
        contents += QStringLiteral(", Private, TrackBack, Extend, Excerpt");
        contentsValues1 += QStringLiteral(", -1, 'tb', 'ex', 'exc'");
        contentsValues2 += QStringLiteral(", 0, '', '', ''");
    }
    if (version >= 210) {
        contents += QStringLiteral(", ImportMark");
        contentsValues1 += QStringLiteral(", 'mark'");
        contentsValues2 += QStringLiteral(", ''");
    }
    statements << QStringLiteral("CREATE TABLE Contents (%1)").arg(contents)
               << QStringLiteral("INSERT INTO Contents (%1) VALUES (%2), (%3)")
                      .arg(contents, contentsValues1, contentsValues2);

    const bool fileNumber = version >= 150;
    statements
        << QStringLiteral("CREATE TABLE FileDB (FileName, Day, Uploaded, Logged%1)")
               .arg(fileNumber ? QStringLiteral(", Number") : QString())
        << QStringLiteral(
               "INSERT INTO FileDB VALUES ('a.html', 'ALL', -1, 0%1), ('b.html', '2008/03/05', 0, -1%2)")
               .arg(fileNumber ? QStringLiteral(", 7") : QString(),
                    fileNumber ? QStringLiteral(", 9") : QString());
    if (version >= 100) {
        statements << QStringLiteral("CREATE TABLE LogDB (LogMonth, LogFileName)")
                   << QStringLiteral("INSERT INTO LogDB VALUES ('2008/03', 'log0803.txt')");
    }
    if (version >= 220) {
        QString memo = QStringLiteral("RecordID INTEGER PRIMARY KEY, PublishTime, Title, Memo");
        QStringList rows = {
            QStringLiteral("3, '2007/01/02 03:04:05', 'first', 'a' || char(13) || char(10) || 'b'"),
            QStringLiteral("8, '2007/03/04 00:00:00', 'second \"quoted\"', ''"),
            QStringLiteral("15, '2007/04/05 00:00:00', 'third', 'x'"),
        };
        if (version >= 230) {
            memo += QStringLiteral(", No, Category, IsPass");
            rows[0] += QStringLiteral(", NULL, 'tag1 tag2', -1");
            rows[1] += QStringLiteral(", 5, NULL, 0");
            rows[2] += QStringLiteral(", 0, 'tag3', 0");
        }
        if (version >= 240) {
            memo += QStringLiteral(", IsTrash");
            rows[0] += QStringLiteral(", 0");
            rows[1] += QStringLiteral(", -1");
            rows[2] += QStringLiteral(", 0");
        }
        if (version >= 250) {
            memo += QStringLiteral(", UpdateTime, Icon");
            rows[0] += QStringLiteral(", '2007/05/05 05:05:05', 4");
            rows[1] += QStringLiteral(", '2007/06/06 06:06:06', NULL");
            rows[2] += QStringLiteral(", '2007/07/07 07:07:07', 2");
        }
        statements << QStringLiteral("CREATE TABLE Memo (%1)").arg(memo);
        for (const QString& row : rows)
            statements << QStringLiteral("INSERT INTO Memo VALUES (%1)").arg(row);
    }
    if (version > 0) {
        if (version >= 250)
            statements << QStringLiteral("CREATE TABLE DBInfo (VersionInfo, IsMemoPass, IsPass, Password)")
                       << QStringLiteral("INSERT INTO DBInfo VALUES (%1, -1, -1, 'SCRAMBLED')").arg(version);
        else if (version >= 220)
            statements << QStringLiteral("CREATE TABLE DBInfo (VersionInfo, IsMemoPass, IsPass)")
                       << QStringLiteral("INSERT INTO DBInfo VALUES (%1, -1, -1)").arg(version);
        else
            statements << QStringLiteral("CREATE TABLE DBInfo (VersionInfo)")
                       << QStringLiteral("INSERT INTO DBInfo VALUES (%1)").arg(version);
    }
    MemoFixtures::execute(path,
                          (statements.join(QStringLiteral(";\n")) + QLatin1Char(';')).toUtf8().constData());
}

// The rows of a query, columns joined by '|', NULL shown as '∅'.
QStringList rows(const QString& path, const char* query, int columns)
{
    SqliteDatabase db(path, SqliteDatabase::Access::ReadOnly);
    Statement select(db, query);
    QStringList result;
    while (select.step()) {
        QStringList values;
        for (int c = 0; c < columns; ++c)
            values << (select.isNull(c) ? QStringLiteral("∅") : select.text(c));
        result << values.join(QLatin1Char('|'));
    }
    return result;
}

QStringList contentsRows(const QString& path)
{
    return rows(
        path,
        "SELECT Day, Title, Contents, Weather, Genre, Number, PublishTime, Private, TrackBack, Extend, "
        "Excerpt, ImportMark FROM Contents ORDER BY rowid",
        12);
}
QStringList fileRows(const QString& path)
{
    return rows(path, "SELECT FileName, Day, Uploaded, Logged, Number FROM FileDB ORDER BY rowid", 5);
}
QStringList logRows(const QString& path)
{
    return rows(path, "SELECT LogMonth, LogFileName FROM LogDB ORDER BY rowid", 2);
}
QStringList memoRows(const QString& path)
{
    return rows(path,
                "SELECT RecordID, No, Title, Memo, Category, Icon, PublishTime, UpdateTime, IsPass, IsTrash "
                "FROM Memo ORDER BY RecordID",
                10);
}
QStringList infoRows(const QString& path)
{
    return rows(path, "SELECT VersionInfo, IsMemoPass, IsPass, Password FROM DBInfo", 4);
}

QString integrity(const QString& path)
{
    return rows(path, "PRAGMA integrity_check", 1).join(QLatin1Char(','));
}

// Names of the files and folders in `folder`, sorted.
QStringList entriesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// The temporary folders of rebuilds in `folder`.
QStringList rebuildFolders(const QString& folder)
{
    return QDir(folder).entryList({QStringLiteral("quillet-rebuild-*")}, QDir::Dirs | QDir::NoDotAndDotDot);
}

class DatabaseRebuildTest : public ::testing::Test
{
protected:
    TestHome home;
    QString dbPath = home.file(QStringLiteral("diary.mdb"));

    RebuildRequest request(int version, const QString& path = {}) const
    {
        return {version, path.isEmpty() ? dbPath : path, QString(), home.path()};
    }
};

TEST_F(DatabaseRebuildTest, OldLayoutsAreRebuiltByTheRulesOfTheirVersion)
{
    const QString crlf = QStringLiteral("\r\n");
    // Rows of the rebuilt tables by the old file's version.
    const QStringList contentsBelow110 = {
        QStringLiteral("2008/03/05|Diary one|本文") + crlf +
            QStringLiteral("二行目|-|一般|1|2008/03/05 00:00:00|0||||"),
        QStringLiteral("2009/12/31|Diary two|∅|-|一般|1|2009/12/31 00:00:00|0||||")};
    const QStringList contents140 = {
        QStringLiteral("2008/03/05|Diary one|本文") + crlf +
            QStringLiteral("二行目|晴れ|仕事|1|2008/03/05 00:00:00|0||||"),
        QStringLiteral("2009/12/31|Diary two|∅|雨|∅|1|2009/12/31 00:00:00|0||||")};
    const QStringList contentsCurrent = {
        QStringLiteral("2008/03/05|Diary one|本文") + crlf +
            QStringLiteral("二行目|晴れ|仕事|3|2008/03/05 10:00:00|-1|tb|ex|exc|mark"),
        QStringLiteral("2009/12/31|Diary two|∅|雨|∅|4|2009/12/31 23:00:00|0||||")};
    const QStringList filesBelow150 = {QStringLiteral("a.html|ALL|-1|0|0"),
                                       QStringLiteral("b.html|2008/03/05|0|-1|1")};
    const QStringList filesCurrent = {QStringLiteral("a.html|ALL|-1|0|7"),
                                      QStringLiteral("b.html|2008/03/05|0|-1|9")};
    const QStringList logs = {QStringLiteral("2008/03|log0803.txt")};
    const QStringList memos220 = {
        QStringLiteral("1|0|first|a") + crlf +
            QStringLiteral("b|∅|-1|2007/01/02 03:04:05|2007/01/02 03:04:05|0|0"),
        QStringLiteral("2|0|second \"quoted\"||∅|-1|2007/03/04 00:00:00|2007/03/04 00:00:00|0|0"),
        QStringLiteral("3|0|third|x|∅|-1|2007/04/05 00:00:00|2007/04/05 00:00:00|0|0")};
    const QStringList memosBelow250 = {
        QStringLiteral("1|0|first|a") + crlf +
            QStringLiteral("b|tag1 tag2|-1|2007/01/02 03:04:05|2007/01/02 03:04:05|-1|0"),
        QStringLiteral("2|5|second \"quoted\"||∅|-1|2007/03/04 00:00:00|2007/03/04 00:00:00|0|-1"),
        QStringLiteral("3|0|third|x|tag3|-1|2007/04/05 00:00:00|2007/04/05 00:00:00|0|0")};
    const QStringList memos250 = {
        QStringLiteral("1|0|first|a") + crlf +
            QStringLiteral("b|tag1 tag2|4|2007/01/02 03:04:05|2007/05/05 05:05:05|-1|0"),
        QStringLiteral("2|5|second \"quoted\"||∅|∅|2007/03/04 00:00:00|2007/06/06 06:06:06|0|-1"),
        QStringLiteral("3|0|third|x|tag3|2|2007/04/05 00:00:00|2007/07/07 07:07:07|0|0")};

    struct Case
    {
        int version;
        QStringList contents, files, logs, memos, info;
    } cases[] = {
        {0, contentsBelow110, filesBelow150, {}, {}, {QStringLiteral("250|0|0|")}},
        {140, contents140, filesBelow150, logs, {}, {QStringLiteral("250|0|0|")}},
        {220, contentsCurrent, filesCurrent, logs, memos220, {QStringLiteral("250|-1|-1|")}},
        {240, contentsCurrent, filesCurrent, logs, memosBelow250, {QStringLiteral("250|-1|-1|")}},
        {249, contentsCurrent, filesCurrent, logs, memosBelow250, {QStringLiteral("250|-1|-1|")}},
        {250, contentsCurrent, filesCurrent, logs, memos250, {QStringLiteral("250|-1|-1|SCRAMBLED")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        QFile::remove(dbPath);
        createOldLayout(dbPath, c.version);
        ASSERT_EQ(ReadVersionInfo(dbPath), c.version);
        RecordingProgress progress;
        ASSERT_TRUE(RebuildDatabase(request(c.version), progress));
        EXPECT_EQ(contentsRows(dbPath), c.contents);
        EXPECT_EQ(fileRows(dbPath), c.files);
        EXPECT_EQ(logRows(dbPath), c.logs);
        EXPECT_EQ(memoRows(dbPath), c.memos);
        EXPECT_EQ(infoRows(dbPath), c.info);
        EXPECT_EQ(integrity(dbPath), QStringLiteral("ok"));
        // The rebuilt file opens as Quillet's database; no temporary file stays.
        EXPECT_NO_THROW(MemoStore store(dbPath));
        EXPECT_TRUE(rebuildFolders(home.path()).isEmpty());
    }
}

TEST_F(DatabaseRebuildTest, ProgressShowsEveryStageAndSkippedTables)
{
    createOldLayout(dbPath, 0);
    RecordingProgress progress;
    ASSERT_TRUE(RebuildDatabase(request(0), progress));
    const QStringList expected = {
        QStringLiteral("bars:11"),
        QStringLiteral("title:データベースアップデート"),
        QStringLiteral("explain:テンポラリファイル作成中。"),
        QStringLiteral("explain:テンポラリファイル作成完了。"),
        QStringLiteral("max1:7"),
        QStringLiteral("bar1:1"),
        QStringLiteral("explain:日記の内容のコピーを開始。"),
        QStringLiteral("max2:2"),
        QStringLiteral("explain:日記の内容のコピーを終了。"),
        QStringLiteral("bar1:2"),
        QStringLiteral("explain:ファイル登録データベースのコピーを開始。"),
        QStringLiteral("max2:2"),
        QStringLiteral("explain:ファイル登録データベースのコピーを終了。"),
        QStringLiteral("bar1:3"),
        QStringLiteral("explain:ログ登録データベースのコピーはスキップ。"),
        QStringLiteral("bar1:4"),
        QStringLiteral("bar1:5"),
        QStringLiteral("bar1:6"),
        QStringLiteral("explain:復元中。"),
        QStringLiteral("explain:復元完了。"),
        QStringLiteral("explain:テンポラリファイルの削除中。"),
        QStringLiteral("explain:テンポラリファイルの削除完了。"),
        QStringLiteral("bar1:7"),
    };
    EXPECT_EQ(progress.trace, expected);
    EXPECT_EQ(progress.bar2, (std::vector<int>{1, 2, 1, 2}));
}

TEST_F(DatabaseRebuildTest, EmptyTableSetsBarTwoToOneHundredAndCopiesNothing)
{
    createOldLayout(dbPath, 250);
    MemoFixtures::execute(dbPath, "DELETE FROM LogDB; DELETE FROM Memo;");
    RecordingProgress progress;
    const RebuildRequest titled{250, dbPath, QStringLiteral("データベースの最適化"), home.path()};
    ASSERT_TRUE(RebuildDatabase(titled, progress));
    EXPECT_TRUE(progress.trace.contains(QStringLiteral("title:データベースの最適化")));
    for (const QString& table : {QStringLiteral("ログ登録データベース"), QStringLiteral("Quilletデータ")}) {
        const qsizetype start =
            progress.trace.indexOf(QStringLiteral("explain:%1のコピーを開始。").arg(table));
        ASSERT_GE(start, 0);
        EXPECT_EQ(progress.trace.at(start + 1), QStringLiteral("max2:100"));
        EXPECT_EQ(progress.trace.at(start + 2), QStringLiteral("explain:%1のコピーを終了。").arg(table));
    }
    EXPECT_TRUE(logRows(dbPath).isEmpty());
    EXPECT_TRUE(memoRows(dbPath).isEmpty());
}

TEST_F(DatabaseRebuildTest, CancelDuringTheMemoTableLeavesTheDatabaseUntouched)
{
    createOldLayout(dbPath, 249);
    const QByteArray before = MemoFixtures::readBytes(dbPath);
    const QStringList entriesBefore = entriesIn(home.path());
    RecordingProgress progress;
    progress.cancelAt = QStringLiteral("Quilletデータのコピーを開始。");
    int released = 0;
    int reopened = 0;
    EXPECT_FALSE(RebuildDatabase(
        request(249), progress, [&] { ++released; }, [&] { ++reopened; }));

    // The memo table that had begun was still copied to its end, then the
    // temporary files went.
    const QString memoStart = QStringLiteral("explain:") + progress.cancelAt;
    const qsizetype start = progress.trace.indexOf(memoStart);
    ASSERT_GE(start, 0);
    const QStringList afterCancel = progress.trace.mid(start);
    EXPECT_EQ(afterCancel, (QStringList{memoStart, QStringLiteral("max2:3"),
                                        QStringLiteral("explain:テンポラリファイルの削除中。"),
                                        QStringLiteral("explain:テンポラリファイルの削除完了。")}));
    // Bar 2 of the memo table reached all three memos (one batch).
    EXPECT_EQ(progress.bar2, (std::vector<int>{1, 2, 1, 2, 1, 3}));
    EXPECT_EQ(released, 0);
    EXPECT_EQ(reopened, 0);
    EXPECT_EQ(MemoFixtures::readBytes(dbPath), before);
    EXPECT_EQ(ReadVersionInfo(dbPath), 249);
    // Nothing is new in the folder.
    EXPECT_EQ(entriesIn(home.path()), entriesBefore);
}

TEST_F(DatabaseRebuildTest, RowsAreWrittenInBatchedTransactions)
{
    // Enough diary entries and memos for several batches; what another
    // connection sees of the rebuilt file while the copy runs is whole batches.
    MemoFixtures::createDatabase(home.path(), dbPath);
    const int count = 2 * RebuildRowsPerCommit + 300;
    {
        MemoStore store(dbPath);
        auto transaction = store.transaction();
        for (int i = 0; i < count; ++i)
            store.insertMemo(QStringLiteral("memo %1").arg(i), QStringLiteral("body"), {},
                             QStringLiteral("2026/01/01 00:00:00"));
        transaction.commit();
    }
    MemoFixtures::execute(dbPath,
                          QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                                         "WHERE i < %1) INSERT INTO Contents (Day, Title) "
                                         "SELECT '2008/01/01', 'entry ' || i FROM n")
                              .arg(count)
                              .toUtf8()
                              .constData());

    struct Seen
    {
        int copied;
        int visible;
    };
    std::map<QString, std::vector<Seen>> seen; // by table
    RecordingProgress progress;
    progress.onBar2 = [&](int copied) {
        QString table;
        for (qsizetype i = progress.trace.size() - 1; i >= 0 && table.isEmpty(); --i) {
            if (progress.trace.at(i) == QStringLiteral("explain:日記の内容のコピーを開始。"))
                table = QStringLiteral("Contents");
            else if (progress.trace.at(i) == QStringLiteral("explain:Quilletデータのコピーを開始。"))
                table = QStringLiteral("Memo");
            else if (progress.trace.at(i).startsWith(QStringLiteral("explain:")))
                return;
        }
        if (table.isEmpty() || (table == QStringLiteral("Contents") && copied % 250 != 0))
            return;
        const QString query = QStringLiteral("SELECT count(*) FROM ") + table;
        // The rebuild's own temporary folder, the only one there.
        const QStringList folders = rebuildFolders(home.path());
        ASSERT_EQ(folders.size(), 1);
        const QString rebuilt = home.file(folders.first() + QStringLiteral("/new.mdb"));
        const int visible = rows(rebuilt, query.toUtf8().constData(), 1).first().toInt();
        seen[table].push_back({copied, visible});
    };
    ASSERT_TRUE(RebuildDatabase(request(250), progress));

    // Rows copied one by one are committed by whole batches, not each on its own.
    ASSERT_FALSE(seen[QStringLiteral("Contents")].empty());
    bool sawPending = false;
    for (const Seen& s : seen[QStringLiteral("Contents")]) {
        SCOPED_TRACE(s.copied);
        EXPECT_EQ(s.visible % RebuildRowsPerCommit, 0);
        EXPECT_LE(s.visible, s.copied);
        EXPECT_GT(s.visible, s.copied - RebuildRowsPerCommit);
        sawPending = sawPending || s.visible < s.copied - 1;
    }
    EXPECT_TRUE(sawPending);
    // Memos go in by committed batches, the progress shown after each.
    std::vector<int> memoSteps;
    for (const Seen& s : seen[QStringLiteral("Memo")]) {
        EXPECT_EQ(s.visible, s.copied);
        memoSteps.push_back(s.copied);
    }
    EXPECT_EQ(memoSteps, (std::vector<int>{RebuildRowsPerCommit, 2 * RebuildRowsPerCommit, count}));
    EXPECT_EQ(memoRows(dbPath).size(), count);
    EXPECT_EQ(contentsRows(dbPath).size(), count);
}

TEST_F(DatabaseRebuildTest, LiveDatabaseIsCopiedWithItsWriteAheadLogAndReleasedForTheReplace)
{
    MemoFixtures::createDatabase(home.path(), dbPath);
    std::optional<MemoStore> store(std::in_place, dbPath);
    // Nothing is moved from the log into the file while the store is open: a
    // copy of the file alone would miss these memos.
    store->database().execute("PRAGMA wal_autocheckpoint=0");
    for (int i = 0; i < 5; ++i)
        store->insertMemo(QStringLiteral("in the log %1").arg(i), QStringLiteral("本文"),
                          QStringLiteral("tag"), QStringLiteral("2026/01/01 00:00:00"));
    ASSERT_GT(QFileInfo(dbPath + QStringLiteral("-wal")).size(), 0);

    QStringList events;
    RecordingProgress progress;
    const bool rebuilt = RebuildDatabase(
        request(250), progress,
        [&] {
            events << QStringLiteral("release after ") + progress.trace.last();
            store.reset();
        },
        [&] {
            events << QStringLiteral("reopen after ") + progress.trace.last();
            store.emplace(dbPath);
        });
    ASSERT_TRUE(rebuilt);
    EXPECT_EQ(events, (QStringList{QStringLiteral("release after explain:復元中。"),
                                   QStringLiteral("reopen after explain:復元中。")}));
    ASSERT_TRUE(store);
    EXPECT_EQ(store->countMemos(), 5);
    EXPECT_EQ(integrity(dbPath), QStringLiteral("ok"));
}

TEST_F(DatabaseRebuildTest, DatabaseStillHeldByAnotherConnectionIsNotReplaced)
{
    // The connection is not released: the old file's log could otherwise end
    // up beside the new file. The rebuild fails, the database stays as it was.
    MemoFixtures::createDatabase(home.path(), dbPath);
    MemoStore store(dbPath);
    store.insertMemo(QStringLiteral("kept"), QString(), QString(), QStringLiteral("2026/01/01 00:00:00"));
    int reopened = 0;
    RecordingProgress progress;
    EXPECT_THROW(RebuildDatabase(request(250), progress, {}, [&] { ++reopened; }), DatabaseError);
    EXPECT_EQ(reopened, 1);
    EXPECT_EQ(store.countMemos(), 1);
    store.insertMemo(QStringLiteral("still writable"), QString(), QString(),
                     QStringLiteral("2026/01/01 00:00:00"));
    EXPECT_EQ(store.countMemos(), 2);
    EXPECT_TRUE(rebuildFolders(home.path()).isEmpty());
}

// The temporary files never take the place of a file that is there: a
// database called old.mdb or new.mdb, open or not, stays.
TEST_F(DatabaseRebuildTest, DatabasesNamedLikeTheTemporaryFilesAreKept)
{
    const struct
    {
        const char* rebuilt;
        const char* beside;
        int version;
    } cases[] = {{"old.mdb", "new.mdb", 250}, {"new.mdb", "old.mdb", 240}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rebuilt);
        const QString path = home.file(QString::fromLatin1(c.rebuilt));
        const QString beside = home.file(QString::fromLatin1(c.beside));
        for (const QString& file : {path, beside})
            QFile::remove(file);
        createOldLayout(path, c.version);
        MemoFixtures::createDatabase(home.path(), beside);
        MemoStore(beside).insertMemo(QStringLiteral("beside"), QString(), QString(),
                                     QStringLiteral("2026/01/01 00:00:00"));
        const QByteArray besideBytes = MemoFixtures::readBytes(beside);

        RecordingProgress progress;
        bool rebuilt = false;
        EXPECT_NO_THROW(rebuilt = RebuildDatabase(request(c.version, path), progress));
        EXPECT_TRUE(rebuilt);
        // Nothing of the rebuild stays behind.
        QStringList expected{QString::fromLatin1(c.rebuilt), QString::fromLatin1(c.beside),
                             QStringLiteral("default.mdb")};
        expected.sort();
        EXPECT_EQ(entriesIn(home.path()), expected);
        EXPECT_EQ(MemoFixtures::readBytes(beside), besideBytes);
        ASSERT_TRUE(QFile::exists(path));
        EXPECT_EQ(ReadVersionInfo(path), 250);
        EXPECT_EQ(rows(path, "SELECT RecordID, Title FROM Memo ORDER BY RecordID", 2),
                  (QStringList{QStringLiteral("1|first"), QStringLiteral("2|second \"quoted\""),
                               QStringLiteral("3|third")}));
        EXPECT_EQ(integrity(path), QStringLiteral("ok"));
    }
}

// The temporary folder of a killed run is cleared by the next rebuild; a
// folder of that name holding anything else keeps it.
TEST_F(DatabaseRebuildTest, TheNextRebuildClearsWhatAKilledOneLeftBehind)
{
    createOldLayout(dbPath, 250);
    const QString killed = home.file(QStringLiteral("quillet-rebuild-k1ll3d/"));
    const QString other = home.file(QStringLiteral("quillet-rebuild-notes/"));
    QDir().mkpath(killed);
    QDir().mkpath(other);
    for (const char* name : {"old.mdb", "old.mdb.partial", "new.mdb", "new.mdb-journal"})
        MemoFixtures::writeText(killed + QLatin1String(name), QStringLiteral("left behind"));
    MemoFixtures::writeText(other + QStringLiteral("old.mdb"), QStringLiteral("left behind"));
    MemoFixtures::writeText(other + QStringLiteral("notes.txt"), QStringLiteral("the user's"));

    RecordingProgress progress;
    ASSERT_TRUE(RebuildDatabase(request(250), progress));
    EXPECT_FALSE(QFileInfo::exists(killed));
    EXPECT_EQ(entriesIn(other), QStringList{QStringLiteral("notes.txt")});
    EXPECT_EQ(entriesIn(home.path()),
              (QStringList{QStringLiteral("diary.mdb"), QStringLiteral("quillet-rebuild-notes")}));
}

// A database that is a link to a file elsewhere (a synced folder, say) stays
// a link: the rebuilt file replaces the linked file.
TEST_F(DatabaseRebuildTest, ASymlinkedDatabaseStaysALinkToTheRebuiltFile)
{
    const QString folder = home.file(QStringLiteral("synced/"));
    QDir().mkpath(folder);
    const QString linked = folder + QStringLiteral("memos.mdb");
    createOldLayout(linked, 240);
    MemoFixtures::execute(linked, "UPDATE DBInfo SET IsMemoPass = 0");
    ASSERT_TRUE(QFile::link(linked, dbPath));
    const QStringList titles = {QStringLiteral("1|first"), QStringLiteral("2|second \"quoted\""),
                                QStringLiteral("3|third")};

    // The upgrade, then a refresh.
    ScriptedPrompt prompt;
    ASSERT_EQ(UpgradeDatabaseIfOld(dbPath, home.path(), prompt, {}), UpgradeResult::Upgraded);
    EXPECT_TRUE(QFileInfo(dbPath).isSymLink());
    EXPECT_EQ(ReadVersionInfo(linked), 250);
    EXPECT_EQ(rows(linked, "SELECT RecordID, Title FROM Memo ORDER BY RecordID", 2), titles);
    MemoFixtures::execute(linked, "UPDATE Memo SET RecordID = RecordID + 10");
    RecordingProgress progress;
    ASSERT_TRUE(RebuildDatabase(request(250), progress));
    EXPECT_TRUE(QFileInfo(dbPath).isSymLink());
    EXPECT_EQ(QFileInfo(dbPath).symLinkTarget(), QFileInfo(linked).absoluteFilePath());
    EXPECT_EQ(rows(linked, "SELECT RecordID, Title FROM Memo ORDER BY RecordID", 2), titles);
    EXPECT_EQ(integrity(linked), QStringLiteral("ok"));
    EXPECT_FALSE(QFile::exists(linked + QStringLiteral(".rebuilt")));

    // What is saved through the link afterwards reaches the linked file.
    MemoStore(dbPath).insertMemo(QStringLiteral("saved later"), QString(), QString(),
                                 QStringLiteral("2026/01/01 00:00:00"));
    EXPECT_EQ(rows(linked, "SELECT Title FROM Memo WHERE RecordID = 4", 1),
              QStringList{QStringLiteral("saved later")});
}

// The rebuilt file starts from the layout Quillet itself defines: whatever
// the file default.mdb holds (here a database with memos, saved over it) does
// not come into it.
TEST_F(DatabaseRebuildTest, TheRebuildStartsFromTheBuiltInLayoutNotFromTheTemplateFile)
{
    createOldLayout(dbPath, 250);
    const QString saved = home.file(QStringLiteral("saved.mdb"));
    MemoFixtures::createDatabase(home.path(), saved);
    MemoStore(saved).insertMemo(QStringLiteral("in the template"), QString(), QString(),
                                QStringLiteral("2026/01/01 00:00:00"));
    MemoFixtures::execute(saved, "INSERT INTO Contents (Day, Title) VALUES ('2008/01/01', 'in the template');"
                                 "UPDATE DBInfo SET IsMemoPass = 0, Password = ''");
    const QString templateFile = home.file(QStringLiteral("default.mdb"));
    ASSERT_TRUE(QFile::remove(templateFile));
    ASSERT_TRUE(QFile::copy(saved, templateFile));

    RecordingProgress progress;
    ASSERT_TRUE(RebuildDatabase(request(250), progress));
    EXPECT_EQ(rows(dbPath, "SELECT RecordID, Title FROM Memo ORDER BY RecordID", 2),
              (QStringList{QStringLiteral("1|first"), QStringLiteral("2|second \"quoted\""),
                           QStringLiteral("3|third")}));
    EXPECT_EQ(contentsRows(dbPath).size(), 2);
    EXPECT_EQ(fileRows(dbPath).size(), 2);
    EXPECT_EQ(logRows(dbPath).size(), 1);
    EXPECT_EQ(infoRows(dbPath), QStringList{QStringLiteral("250|-1|-1|SCRAMBLED")});
    EXPECT_NO_THROW(MemoStore store(dbPath));
}

// --- The upgrade check of start-up ---

// Makes RecordingProgress objects for the upgrade and keeps a view of the last.
struct ProgressMaker
{
    QString cancelAt;
    RecordingProgress* last = nullptr;
    int made = 0;
    ProgressFactory factory()
    {
        return [this]() -> std::unique_ptr<Progress> {
            auto progress = std::make_unique<RecordingProgress>();
            progress->cancelAt = cancelAt;
            last = progress.get();
            ++made;
            return progress;
        };
    }
};

TEST_F(DatabaseRebuildTest, CurrentDatabaseIsNeitherRebuiltNorBackedUp)
{
    for (int version : {250, 251}) {
        SCOPED_TRACE(version);
        QFile::remove(dbPath);
        MemoFixtures::createDatabase(home.path(), dbPath);
        MemoFixtures::execute(
            dbPath, QStringLiteral("UPDATE DBInfo SET VersionInfo = %1").arg(version).toUtf8().constData());
        const QByteArray before = MemoFixtures::readBytes(dbPath);
        ScriptedPrompt prompt;
        ProgressMaker maker;
        EXPECT_EQ(UpgradeDatabaseIfOld(dbPath, home.path(), prompt, maker.factory()),
                  UpgradeResult::UpToDate);
        EXPECT_TRUE(prompt.shown.isEmpty());
        EXPECT_EQ(maker.made, 0);
        EXPECT_FALSE(QFile::exists(home.file(QStringLiteral("diarymdb.bak"))));
        EXPECT_EQ(MemoFixtures::readBytes(dbPath), before);
    }
}

TEST_F(DatabaseRebuildTest, AMissingOrBlankVersionNumberDoesNotLeaveTheMemosBehind)
{
    // Without a usable VersionInfo the file would pass for version 0, whose
    // rebuild does not read the memo table.
    const struct
    {
        int layout;
        const char* damage;
        UpgradeResult result;
    } cases[] = {
        {250, "DELETE FROM DBInfo", UpgradeResult::UpToDate},
        {250, "UPDATE DBInfo SET VersionInfo = NULL", UpgradeResult::UpToDate},
        {240, "DELETE FROM DBInfo", UpgradeResult::Upgraded},
        {230, "UPDATE DBInfo SET VersionInfo = 'x'", UpgradeResult::Upgraded},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.layout);
        SCOPED_TRACE(c.damage);
        QFile::remove(dbPath);
        createOldLayout(dbPath, c.layout);
        MemoFixtures::execute(dbPath, c.damage);
        const QStringList memos = rows(dbPath, "SELECT Title, Memo FROM Memo ORDER BY RecordID", 2);
        ScriptedPrompt prompt;
        ProgressMaker maker;
        EXPECT_EQ(UpgradeDatabaseIfOld(dbPath, home.path(), prompt, maker.factory()), c.result);
        EXPECT_EQ(rows(dbPath, "SELECT Title, Memo FROM Memo ORDER BY RecordID", 2), memos);
    }
}

TEST_F(DatabaseRebuildTest, UpgradeBacksUpAsDiaryMdbBakWhateverTheDatabaseIsCalled)
{
    const QString folder = home.file(QStringLiteral("elsewhere/"));
    QDir().mkpath(folder);
    const QString work = folder + QStringLiteral("work.mdb");
    createOldLayout(work, 240);
    // An earlier backup is replaced.
    MemoFixtures::writeText(home.file(QStringLiteral("diarymdb.bak")), QStringLiteral("an older backup"));
    const QStringList oldMemos = rows(work, "SELECT Title FROM Memo ORDER BY RecordID", 1);

    ScriptedPrompt prompt;
    ProgressMaker maker;
    EXPECT_EQ(UpgradeDatabaseIfOld(work, home.path(), prompt, maker.factory()), UpgradeResult::Upgraded);
    EXPECT_EQ(prompt.messageTexts(), (QStringList{kNotice, kDone}));
    for (const ScriptedPrompt::Shown& shown : prompt.shown) {
        EXPECT_EQ(shown.buttons, PromptButtons::Ok);
        EXPECT_EQ(shown.icon, PromptIcon::None);
        EXPECT_EQ(shown.title, QStringLiteral("Quillet"));
    }
    ASSERT_EQ(maker.made, 1);

    const QString backup = home.file(QStringLiteral("diarymdb.bak"));
    EXPECT_EQ(ReadVersionInfo(backup), 240);
    EXPECT_EQ(rows(backup, "SELECT Title FROM Memo ORDER BY RecordID", 1), oldMemos);
    EXPECT_FALSE(QFile::exists(folder + QStringLiteral("diarymdb.bak")));
    EXPECT_EQ(ReadVersionInfo(work), 250);
    EXPECT_EQ(rows(work, "SELECT Title FROM Memo ORDER BY RecordID", 1), oldMemos);
}

TEST_F(DatabaseRebuildTest, CancelledUpgradeIsReportedAndTheOldFileIsNotUsed)
{
    createOldLayout(dbPath, 240);
    const QByteArray before = MemoFixtures::readBytes(dbPath);
    ScriptedPrompt prompt;
    ProgressMaker maker;
    maker.cancelAt = QStringLiteral("日記の内容のコピーを開始。");
    EXPECT_EQ(UpgradeDatabaseIfOld(dbPath, home.path(), prompt, maker.factory()), UpgradeResult::Cancelled);
    EXPECT_EQ(prompt.messageTexts(), (QStringList{kNotice, kCancelled}));
    EXPECT_EQ(prompt.shown.last().icon, PromptIcon::Critical);
    EXPECT_EQ(MemoFixtures::readBytes(dbPath), before);
}

TEST_F(DatabaseRebuildTest, StartupUpgradesAnOldDatabaseOrEndsWhenTheUpgradeIsCancelled)
{
    const QString folder = home.file(QStringLiteral("memos/"));
    QDir().mkpath(folder);
    for (bool cancel : {true, false}) {
        SCOPED_TRACE(cancel);
        for (int version : {0, 140, 240}) {
            SCOPED_TRACE(version);
            const QString path = folder + QStringLiteral("v%1.mdb").arg(version);
            QFile::remove(path);
            createOldLayout(path, version);
            if (version >= 220)
                MemoFixtures::execute(path, "UPDATE DBInfo SET IsMemoPass = 0");
            const QByteArray before = MemoFixtures::readBytes(path);
            ScriptedPrompt prompt;
            ProgressMaker maker;
            if (cancel)
                maker.cancelAt = QStringLiteral("ファイル登録データベースのコピーを開始。");
            StartupResult result = Startup(prompt, home.path(), maker.factory()).run({path});
            if (cancel) {
                EXPECT_FALSE(result.proceed);
                EXPECT_FALSE(result.store);
                EXPECT_EQ(prompt.messageTexts(), (QStringList{kNotice, kCancelled}));
                EXPECT_EQ(MemoFixtures::readBytes(path), before);
                EXPECT_FALSE(QFile::exists(home.file(QStringLiteral("quillet_v%1.mdb").arg(version))));
            } else {
                ASSERT_TRUE(result.proceed);
                ASSERT_TRUE(result.store);
                EXPECT_EQ(prompt.messageTexts(), (QStringList{kNotice, kDone}));
                EXPECT_EQ(result.store->countMemos(), version >= 220 ? 3 : 0);
                EXPECT_EQ(ReadVersionInfo(path), 250);
            }
        }
    }
}

// Layouts before 250 carry the flag IsMemoPass but no password: the file is
// upgraded before anything is asked, and a file without a stored password is
// not protected, then or at any later start or merge.
TEST_F(DatabaseRebuildTest, AnOldFileMarkedAsProtectedAsksForNoPasswordItNeverStored)
{
    const QString folder = home.file(QStringLiteral("memos/"));
    QDir().mkpath(folder);
    const QString openPath = home.file(QStringLiteral("open.mdb"));
    MemoFixtures::createDatabase(home.path(), openPath);
    struct Case
    {
        QString path;
        int version;
        QStringList arguments; // the first start
    };
    const std::vector<Case> cases = {
        {dbPath, 240, {}}, // the default form
        {folder + QStringLiteral("v220.mdb"), 220, {folder + QStringLiteral("v220.mdb")}},
        {folder + QStringLiteral("v240.mdb"), 240, {folder + QStringLiteral("v240.mdb")}},
        {folder + QStringLiteral("v249.mdb"), 249, {folder + QStringLiteral("v249.mdb")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        createOldLayout(c.path, c.version);
        ASSERT_TRUE(rows(c.path, "SELECT IsMemoPass FROM DBInfo", 1) == QStringList{QStringLiteral("-1")});
        // No password is scripted: a question would fail the test.
        ScriptedPrompt prompt;
        {
            StartupResult result = Startup(prompt, home.path()).run(c.arguments);
            ASSERT_TRUE(result.proceed);
            ASSERT_TRUE(result.store);
            EXPECT_EQ(result.store->countMemos(), 3);
        }
        EXPECT_EQ(prompt.messageTexts(), (QStringList{kNotice, kDone}));
        EXPECT_EQ(ReadVersionInfo(c.path), 250);
        EXPECT_FALSE(ReadIsMemoPass(c.path));
        prompt.shown.clear();
        {
            StartupResult again = Startup(prompt, home.path()).run({c.path});
            EXPECT_TRUE(again.proceed);
        }
        EXPECT_TRUE(CheckMergeSource(prompt, openPath, c.path));
        EXPECT_TRUE(prompt.shown.isEmpty());
    }
}

// A file of the current layout whose version number is blank is checked by
// the same version as the upgrade sees: its database password is asked.
TEST_F(DatabaseRebuildTest, ACurrentFileWithABlankVersionNumberAsksForItsPassword)
{
    const QString path = home.file(QStringLiteral("blank.mdb"));
    const QString wrong = QStringLiteral("パスワードが間違っています。\nQuilletを終了します。");
    // The template's column refuses Null; a file written elsewhere may not.
    const char* blanks[] = {"UPDATE DBInfo SET VersionInfo = ''",
                            "CREATE TABLE Info AS SELECT * FROM DBInfo; DROP TABLE DBInfo; "
                            "ALTER TABLE Info RENAME TO DBInfo; UPDATE DBInfo SET VersionInfo = NULL;"};
    for (const char* blank : blanks) {
        SCOPED_TRACE(blank);
        QFile::remove(path);
        MemoFixtures::createDatabase(home.path(), path);
        MemoFixtures::setDatabasePassword(path, QStringLiteral("Pass"));
        MemoFixtures::execute(path, blank);
        ASSERT_EQ(ReadVersionInfo(path), 0);

        ScriptedPrompt prompt;
        prompt.passwords = {QStringLiteral("pass"), QStringLiteral("Pass")};
        EXPECT_FALSE(Startup(prompt, home.path()).run({path}).proceed);
        EXPECT_EQ(prompt.messageTexts(), QStringList{wrong});
        EXPECT_TRUE(Startup(prompt, home.path()).run({path}).proceed);
        EXPECT_EQ(prompt.messageTexts(), QStringList{wrong}) << "no upgrade either";
        EXPECT_TRUE(prompt.allAnswersUsed());
    }
}

// --- A rebuild killed at random moments ---

TEST_F(DatabaseRebuildTest, KilledRebuildLeavesTheOldOrTheNewDatabaseWhole)
{
    // A version-240 database big enough for the rebuild to take a while.
    const QString master = home.file(QStringLiteral("master.mdb"));
    MemoFixtures::createDatabase(home.path(), master);
    const int memos = 4000;
    {
        MemoStore store(master);
        const QString body = QStringLiteral("本文の行です。\r\n").repeated(60);
        auto transaction = store.transaction();
        for (int i = 0; i < memos; ++i)
            store.insertMemo(QStringLiteral("memo %1").arg(i), body, QStringLiteral("tag"),
                             QStringLiteral("2026/01/01 00:00:00"));
        transaction.commit();
    }
    MemoFixtures::execute(master, "UPDATE DBInfo SET VersionInfo = 240; PRAGMA journal_mode=DELETE;");
    std::set<QString> titles;
    for (const QString& title : rows(master, "SELECT Title FROM Memo", 1))
        titles.insert(title);
    ASSERT_EQ(int(titles.size()), memos);

    const auto freshCopy = [&] {
        for (const char* suffix : {"", "-journal", "-wal", "-shm"})
            QFile::remove(dbPath + QLatin1String(suffix));
        ASSERT_TRUE(QFile::copy(master, dbPath));
    };
    const auto startRebuild = [&](QProcess& child) {
        child.start(QStringLiteral(QUILLET_REBUILD_PROCESS), {home.path(), dbPath, QStringLiteral("240")});
        ASSERT_TRUE(child.waitForStarted());
    };

    // One whole run first, for the span of time to kill in.
    freshCopy();
    QElapsedTimer clock;
    clock.start();
    {
        QProcess child;
        startRebuild(child);
        ASSERT_TRUE(child.waitForFinished(60000));
        ASSERT_EQ(child.exitCode(), 0) << child.readAllStandardError().toStdString();
    }
    const qint64 span = clock.elapsed();
    ASSERT_EQ(ReadVersionInfo(dbPath), 250);

    std::mt19937 random(20261210);
    int oldKept = 0;
    int newKept = 0;
    for (int run = 0; run < 16; ++run) {
        SCOPED_TRACE(run);
        freshCopy();
        {
            QProcess child;
            startRebuild(child);
            if (run % 2 == 0) {
                // Anywhere in the whole run.
                QThread::msleep(int(random() % (span * 11 / 10 + 1)));
            } else {
                // Within a few milliseconds of the moment the database is replaced.
                QByteArray shown;
                while (!shown.contains("復元中。") && child.waitForReadyRead(30000))
                    shown += child.readAllStandardOutput();
                QThread::msleep(int(random() % 40));
            }
            child.kill();
            child.waitForFinished(10000);
        }
        ASSERT_TRUE(QFile::exists(dbPath));
        EXPECT_EQ(integrity(dbPath), QStringLiteral("ok"));
        const int version = ReadVersionInfo(dbPath);
        ASSERT_TRUE(version == 240 || version == 250) << version;
        std::set<QString> found;
        for (const QString& title : rows(dbPath, "SELECT Title FROM Memo", 1))
            found.insert(title);
        EXPECT_EQ(found, titles);
        if (version == 250) {
            ++newKept;
            EXPECT_EQ(
                rows(dbPath, "SELECT count(*) FROM Memo WHERE Icon = -1 AND UpdateTime = PublishTime", 1),
                QStringList{QString::number(memos)});
        } else {
            ++oldKept;
            // What the killed run left behind does not stand in the way of the next one.
            RecordingProgress progress;
            ASSERT_TRUE(RebuildDatabase(request(240), progress));
            EXPECT_EQ(int(rows(dbPath, "SELECT Title FROM Memo", 1).size()), memos);
        }
        EXPECT_NO_THROW(MemoStore store(dbPath));
    }
    std::printf("killed rebuilds (whole run %lld ms): %d left the old database, %d the new one\n",
                static_cast<long long>(span), oldKept, newKept);
}

} // namespace
