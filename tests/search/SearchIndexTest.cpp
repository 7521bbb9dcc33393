// The search through the search index finds exactly what the scan of every
// memo finds: on random memos made of the characters the folding joins and
// splits, while the index is new, half caught up, behind the writes of a
// program that knows nothing of it, and after the commands that make or copy
// database files; an index missing a part or of another scheme is made
// again; a kill in the middle of catching up leaves it usable; many memos
// waiting are filed with a progress window that can be cancelled.
#include "store/SearchIndex.h"
#include "MemoFixtures.h"
#include "ScriptedPrompt.h"
#include "StoreFixture.h"
#include "search/TagSearch.h"
#include "store/DatabaseMerge.h"
#include "store/DatabaseRebuild.h"
#include "store/DatabaseUpgrade.h"

#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <random>

namespace {

using namespace Qt::Literals::StringLiterals;

// What memo texts and search words are made of: half-width kana and the
// marks that join them (every form of the voiced and semi-voiced marks),
// their full-width and hiragana forms, letters that fold to several (ß, ﬁ,
// İ), full-width ASCII, characters beyond the BMP (an emoji, a letter with
// case), the ideographic space and line breaks.
const QStringList kPieces = {u"ｶ"_s,      u"ﾞ"_s,  u"ﾟ"_s,  u"ｶﾞ"_s, u"ガ"_s, u"が"_s,  u"か"_s, u"\u3099"_s,
                             u"\u309A"_s, u"゛"_s, u"゜"_s, u"ﾊ"_s,  u"ﾊﾟ"_s, u"パ"_s,  u"ほ"_s, u"ß"_s,
                             u"ss"_s,     u"SS"_s, u"ẞ"_s,  u"Ａ"_s, u"a"_s,  u"b"_s,   u"ｂ"_s, u"😀"_s,
                             u"𐐀"_s,      u"𐐨"_s,  u"ﬁ"_s,  u"fi"_s, u"İ"_s,  u"i"_s,   u"　"_s, u" "_s,
                             u"東"_s,     u"京"_s, u"語"_s, u"1"_s,  u"2"_s,  u"\r\n"_s};
const QStringList kCategories = {QString(), u""_s, u"a"_s, u"b c"_s, u"A B"_s, u"c"_s};
const QStringList kTagNames = {u"a"_s, u"b"_s, u"B"_s, u"c"_s, u"x"_s};

class Maker
{
public:
    explicit Maker(unsigned seed) : m_random(seed) {}

    int pick(int below) { return int(m_random() % unsigned(below)); }
    bool chance(int percent) { return pick(100) < percent; }

    QString text(int maxPieces = 10)
    {
        QString text;
        for (int i = pick(maxPieces + 1); i > 0; --i)
            text += kPieces[pick(int(kPieces.size()))];
        return text;
    }
    // A title or body: now and then Null or empty.
    QString memoText()
    {
        if (chance(8))
            return QString();
        if (chance(5))
            return u""_s;
        return text();
    }
    QString category() { return kCategories[pick(int(kCategories.size()))]; }

    // A word: pieces, or a few units cut out of a memo's text (which may cut
    // a character beyond the BMP in half), or nothing (two blanks in a row).
    QString word(const QStringList& texts)
    {
        const int kind = pick(10);
        if (kind == 0)
            return QString();
        if (kind < 4 && !texts.isEmpty()) {
            const QString& from = texts[pick(int(texts.size()))];
            if (!from.isEmpty()) {
                const int start = pick(int(from.size()));
                return from.mid(start, 1 + pick(4));
            }
        }
        return text(3).remove(u' ');
    }

    SearchRequest request(const QStringList& texts)
    {
        SearchRequest request;
        QStringList words;
        for (int i = pick(4); i > 0; --i)
            words.append(word(texts));
        request.words = words.join(u' ');
        request.wordJoin = chance(50) ? SearchJoin::And : SearchJoin::Or;
        request.searchTitles = chance(70);
        for (int i = chance(70) ? 0 : 1 + pick(2); i > 0; --i)
            request.tags.append(kTagNames[pick(int(kTagNames.size()))]);
        request.tagJoin = chance(50) ? SearchJoin::And : SearchJoin::Or;
        return request;
    }

private:
    std::mt19937 m_random;
};

std::string describe(const SearchRequest& request)
{
    return QString(u"words \""_s + request.words +
                   (request.wordJoin == SearchJoin::And ? u"\" AND"_s : u"\" OR"_s) +
                   (request.searchTitles ? u" titles"_s : u""_s) + u", tags "_s + request.tags.join(u'+') +
                   (request.tagJoin == SearchJoin::And ? u" AND"_s : u" OR"_s))
        .toStdString();
}

class SearchIndexTest : public StoreFixture
{
protected:
    Maker maker{20261211};

    // Every title and body of the database, for words cut out of them.
    QStringList texts()
    {
        QStringList all;
        store->forEachMemo(true, true, [&](const Memo& memo) {
            all << memo.title << memo.body;
            return true;
        });
        return all;
    }

    int pending() { return SearchIndex(store->database()).pendingCount(); }

    void addMemos(int count)
    {
        auto transaction = store->transaction();
        for (int i = 0; i < count; ++i) {
            Memo memo;
            memo.title = maker.memoText();
            memo.body = maker.memoText();
            memo.category = maker.category();
            memo.isTrash = maker.chance(10);
            store->insertWholeMemo(memo);
        }
        transaction.commit();
    }

    // The indexed search and the scan agree on `rounds` random requests; the
    // index is used for every request that has words to look for. Every other
    // search files nothing first, so that memos waiting with stale tokens
    // are searched as well.
    void expectSameAsScan(int rounds)
    {
        const QStringList from = texts();
        for (int round = 0; round < rounds; ++round) {
            const SearchRequest request = maker.request(from);
            TagSearchStats stats;
            const QList<qint64> indexed = round % 2 == 0 ? RunTagSearchAsIs(*store, request, &stats)
                                                         : RunTagSearch(*store, request, {}, &stats);
            const QList<qint64> scanned = ScanTagSearch(*store, request);
            ASSERT_EQ(indexed, scanned) << describe(request);
            if (!TagSearch(request).wordsAlwaysHold()) {
                ASSERT_TRUE(stats.usedIndex) << describe(request);
            }
        }
    }

    std::vector<qint64> ids()
    {
        std::vector<qint64> all;
        store->forEachMemo(true, true, [&](const Memo& memo) {
            all.push_back(memo.recordId);
            return true;
        });
        return all;
    }
    qint64 anyId() { return ids()[size_t(maker.pick(int(ids().size())))]; }

    // Edits as Quillet makes them.
    void editThroughStore(int count)
    {
        for (int i = 0; i < count; ++i) {
            const qint64 id = anyId();
            switch (maker.pick(7)) {
            case 0:
                store->updateMemo(id, maker.memoText(), maker.memoText(), maker.category(), u"2026/01/02"_s);
                break;
            case 1:
                store->updateMemoBody(id, maker.memoText(), u"2026/01/02"_s);
                break;
            case 2:
                store->writeMemoTrash(id, maker.chance(50));
                break;
            case 3:
                store->writeMemoCategory(id, maker.category());
                break;
            case 4:
                store->insertMemo(maker.memoText(), maker.memoText(), maker.category(), u"2026/01/02"_s);
                break;
            case 5: {
                Memo memo;
                memo.title = maker.memoText();
                memo.body = maker.memoText();
                memo.category = maker.category();
                store->overwriteMemo(id, memo);
                break;
            }
            default:
                if (maker.chance(30))
                    store->deleteTrashedMemos();
                break;
            }
        }
    }

    // Edits by a program that knows nothing of the index, on a connection of
    // its own: text that is no valid UTF-8, deletes, replaces over an
    // existing RecordID, RecordIDs moved (also onto another memo's).
    void editAsAnotherProgram(int count)
    {
        SqliteDatabase other(dbPath, SqliteDatabase::Access::ReadWrite);
        for (int i = 0; i < count; ++i) {
            const qint64 id = anyId();
            switch (maker.pick(8)) {
            case 0:
                Statement(other, "UPDATE Memo SET Title = ?2 WHERE RecordID = ?1")
                    .bind(1, id)
                    .bind(2, maker.text())
                    .run();
                break;
            case 1:
                Statement(other, "UPDATE Memo SET Memo = ?2 || CAST(X'FF' AS TEXT) || ?3 WHERE RecordID = ?1")
                    .bind(1, id)
                    .bind(2, maker.text())
                    .bind(3, maker.text())
                    .run();
                break;
            case 2:
                Statement(other, "DELETE FROM Memo WHERE RecordID = ?1").bind(1, id).run();
                break;
            case 3:
                Statement(other, "INSERT INTO Memo (Title, Memo, Category) VALUES (?1, ?2, ?3)")
                    .bind(1, maker.memoText())
                    .bind(2, maker.memoText())
                    .bind(3, maker.category())
                    .run();
                break;
            case 4:
                Statement(
                    other,
                    "INSERT OR REPLACE INTO Memo (RecordID, Title, Memo, Category) VALUES (?1, ?2, ?3, 'a')")
                    .bind(1, id)
                    .bind(2, maker.text())
                    .bind(3, maker.text())
                    .run();
                break;
            case 5:
                Statement(
                    other,
                    "UPDATE Memo SET RecordID = (SELECT max(RecordID) + 1 FROM Memo) WHERE RecordID = ?1")
                    .bind(1, id)
                    .run();
                break;
            case 6:
                Statement(other, "UPDATE OR REPLACE Memo SET RecordID = ?2 WHERE RecordID = ?1")
                    .bind(1, id)
                    .bind(2, anyId())
                    .run();
                break;
            default:
                Statement(other, "UPDATE Memo SET IsTrash = ?2 WHERE RecordID = ?1")
                    .bind(1, id)
                    .bind(2, maker.pick(2))
                    .run();
                break;
            }
        }
    }

    // Every token of the index with the number of memos filed under it.
    QStringList vocabulary()
    {
        SqliteDatabase db(dbPath, SqliteDatabase::Access::ReadWrite);
        db.execute("CREATE VIRTUAL TABLE temp.Vocabulary USING fts5vocab(main, MemoSearchIndex, 'row')");
        Statement query(db, "SELECT term, doc FROM temp.Vocabulary ORDER BY term");
        QStringList terms;
        while (query.step())
            terms << query.text(0) + u' ' + QString::number(query.int64(1));
        return terms;
    }

    bool indexed() { return SearchIndex(store->database()).isUsable(); }
    void catchUpAll()
    {
        SearchIndex index(store->database());
        index.prepare();
        ASSERT_TRUE(index.catchUp(nullptr));
    }
};

TEST_F(SearchIndexTest, FindsWhatTheScanFindsOnRandomMemosThroughEveryStateOfTheIndex)
{
    // No index until the first search for words, which makes it with every
    // memo waiting and files QuietCatchUp of them: the searches after it run
    // on a half-built index.
    addMemos(600);
    ASSERT_FALSE(indexed());
    SearchRequest first;
    first.words = u"ガ"_s;
    EXPECT_EQ(RunTagSearch(*store, first), ScanTagSearch(*store, first));
    ASSERT_EQ(pending(), 600 - QuietCatchUp);
    expectSameAsScan(40);
    ASSERT_GT(600, pending());
    catchUpAll();
    ASSERT_EQ(pending(), 0);
    expectSameAsScan(80);

    for (int round = 0; round < 6; ++round) {
        SCOPED_TRACE(round);
        editThroughStore(40);
        expectSameAsScan(20);
        editAsAnotherProgram(40);
        expectSameAsScan(20);
        // Some of the changes filed, the rest pending.
        SearchIndex(store->database()).catchUp(nullptr, 13);
        expectSameAsScan(20);
    }

    // More memos waiting than a search reads one by one: it reads the tag
    // strings first, or every memo.
    addMemos(2500);
    editAsAnotherProgram(40);
    expectSameAsScan(40);

    // Filed after all those changes, the index holds just what an index made
    // afresh holds: nothing of a text that changed stays behind.
    catchUpAll();
    SqliteDatabase(dbPath, SqliteDatabase::Access::ReadWrite)
        .execute("INSERT INTO MemoSearchIndex (MemoSearchIndex) VALUES ('integrity-check')");
    const QStringList kept = vocabulary();
    ASSERT_FALSE(kept.isEmpty());
    store.reset();
    MemoFixtures::execute(dbPath, "UPDATE MemoSearchScheme SET Scheme = 'an older scheme'");
    store = std::make_unique<MemoStore>(dbPath);
    SearchIndex(store->database()).prepare();
    EXPECT_EQ(pending(), int(ids().size())) << "an index of another scheme is made again";
    catchUpAll();
    EXPECT_EQ(vocabulary(), kept);
}

TEST_F(SearchIndexTest, AnIndexIsMadeAgainWhereOneIsMissingOrIncomplete)
{
    const qint64 first = store->insertMemo(u"東京"_s, u"ｶﾞｲﾄﾞ"_s, u"a"_s, u"2026/01/01"_s);
    const qint64 second = store->insertMemo(u"京都"_s, u"ガイド"_s, u"a"_s, u"2026/01/01"_s);
    catchUpAll();
    SearchRequest guide;
    guide.words = u"がいど"_s;
    const QList<qint64> both{first, second};

    const struct
    {
        const char* label;
        const char* change; // made by another program while the store is closed
    } cases[] = {
        // A file written without the index (the template, an older Quillet's copy).
        {"no index", "DROP TRIGGER MemoSearchBeforeInsert; DROP TRIGGER MemoSearchAfterInsert; "
                     "DROP TRIGGER MemoSearchBeforeNewId; DROP TRIGGER MemoSearchAfterUpdate; "
                     "DROP TRIGGER MemoSearchAfterDelete; DROP TABLE MemoSearchIndex; "
                     "DROP TABLE MemoSearchPending; DROP TABLE MemoSearchScheme"},
        // Writes without a trigger would leave the index stale unnoticed.
        {"a trigger missing", "DROP TRIGGER MemoSearchAfterUpdate; UPDATE Memo SET Memo = 'x'"},
        {"another scheme", "UPDATE MemoSearchScheme SET Scheme = 'trigrams 0'"},
        {"no scheme", "DELETE FROM MemoSearchScheme"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        store.reset();
        MemoFixtures::execute(dbPath, c.change);
        store = std::make_unique<MemoStore>(dbPath);
        EXPECT_FALSE(indexed());
        SearchIndex(store->database()).prepare();
        EXPECT_TRUE(indexed());
        EXPECT_EQ(pending(), 2) << "every memo waits to be filed";
        TagSearchStats stats;
        const QList<qint64> expected = ScanTagSearch(*store, guide);
        EXPECT_EQ(RunTagSearch(*store, guide, {}, &stats), expected);
        EXPECT_TRUE(stats.usedIndex);
        EXPECT_EQ(pending(), 0) << "a few memos are filed by the search itself";
        // Restore the memos for the next case.
        store->updateMemoBody(first, u"ｶﾞｲﾄﾞ"_s, u"2026/01/01"_s);
        store->updateMemoBody(second, u"ガイド"_s, u"2026/01/01"_s);
        catchUpAll();
        EXPECT_EQ(RunTagSearch(*store, guide), both);
    }

    // Without a whole index, and none made (a database opened read-only), the
    // search scans.
    store->database().execute("DROP TABLE MemoSearchScheme");
    TagSearchStats stats;
    EXPECT_EQ(RunTagSearchAsIs(*store, guide, &stats), both);
    EXPECT_FALSE(stats.usedIndex);
    EXPECT_TRUE(stats.scanned);
}

TEST_F(SearchIndexTest, MergedRebuiltUpgradedAndCopiedDatabasesSearchExactly)
{
    addMemos(300);
    catchUpAll();
    const QStringList from = texts();
    std::vector<SearchRequest> requests;
    for (int i = 0; i < 40; ++i)
        requests.push_back(maker.request(from));
    const auto expectExact = [&](MemoStore& on) {
        for (const SearchRequest& request : requests) {
            TagSearchStats stats;
            ASSERT_EQ(RunTagSearch(on, request, {}, &stats), ScanTagSearch(on, request)) << describe(request);
            if (!TagSearch(request).wordsAlwaysHold()) {
                ASSERT_TRUE(stats.usedIndex);
            }
        }
    };

    // Merge: the other file's memos come in through the triggers.
    const QString otherPath = home.file(u"other.mdb"_s);
    MemoFixtures::createDatabase(home.path(), otherPath);
    {
        MemoStore other(otherPath);
        Maker otherMaker(7);
        for (int i = 0; i < 150; ++i)
            other.insertMemo(otherMaker.memoText(), otherMaker.memoText(), otherMaker.category(), u"2027"_s);
    }
    QuietProgress quiet;
    ASSERT_EQ(MergeMemoDatabase(*store, otherPath, false, MatchByTitle, quiet).added, 150);
    EXPECT_EQ(pending(), 150);
    expectExact(*store);

    // Save under another name: the copy carries the index and what waits.
    const QString copyPath = home.file(u"copy.mdb"_s);
    store->database().backupTo(copyPath);
    {
        MemoStore copy(copyPath);
        EXPECT_TRUE(SearchIndex(copy.database()).isUsable());
        expectExact(copy);
    }

    // Refresh: the rebuilt file numbers the memos afresh and has no index
    // until it is opened again.
    catchUpAll();
    ASSERT_TRUE(RebuildDatabase(
        {250, dbPath, QString(), home.path()}, quiet, [&] { store->close(); }, [&] { store->reopen(); }));
    EXPECT_FALSE(indexed());
    expectExact(*store);

    // Upgrade: a file of an older layout, rebuilt at start-up.
    const QString oldPath = home.file(u"old.mdb"_s);
    MemoFixtures::execute(oldPath,
                          "CREATE TABLE Contents (Day, Title, Contents, Weather, Genre, Number, PublishTime, "
                          "Private, TrackBack, Extend, Excerpt, ImportMark);"
                          "CREATE TABLE FileDB (FileName, Day, Uploaded, Logged, Number);"
                          "CREATE TABLE LogDB (LogMonth, LogFileName);"
                          "CREATE TABLE DBInfo (VersionInfo, IsMemoPass, IsPass);"
                          "INSERT INTO DBInfo VALUES (240, 0, 0);"
                          "CREATE TABLE Memo (RecordID INTEGER PRIMARY KEY, PublishTime, Title, Memo, No, "
                          "Category, IsPass, IsTrash);");
    {
        SqliteDatabase old(oldPath, SqliteDatabase::Access::ReadWrite);
        for (int i = 0; i < 120; ++i)
            Statement(old, "INSERT INTO Memo (PublishTime, Title, Memo, Category, IsPass, IsTrash) "
                           "VALUES ('2007/01/01', ?1, ?2, ?3, 0, ?4)")
                .bind(1, maker.memoText())
                .bind(2, maker.memoText())
                .bind(3, maker.category())
                .bind(4, maker.pick(2) * -1)
                .run();
    }
    ScriptedPrompt prompt;
    ASSERT_EQ(UpgradeDatabaseIfOld(oldPath, home.path(), prompt, {}), UpgradeResult::Upgraded);
    MemoStore upgraded(oldPath);
    EXPECT_FALSE(SearchIndex(upgraded.database()).isUsable());
    expectExact(upgraded);
}

TEST_F(SearchIndexTest, AKillWhileFilingLeavesWholeBatchesAndAUsableIndex)
{
    const int memos = 3 * SearchIndex::CatchUpBatch + 500;
    {
        auto transaction = store->transaction();
        for (int i = 0; i < memos; ++i)
            store->insertMemo(u"メモ %1"_s.arg(i), u"本文 ｶﾞ%1 ß"_s.arg(i * 7) + maker.text(300), u"a"_s,
                              u"2026"_s);
        transaction.commit();
    }
    store.reset();
    std::vector<SearchRequest> requests(3);
    requests[0].words = u"が1"_s;
    requests[1].words = u"ss 11"_s;
    requests[2].words = u"メモ 12"_s;

    QProcess child;
    child.start(QStringLiteral(QUILLET_SEARCH_INDEX_PROCESS), {dbPath});
    ASSERT_TRUE(child.waitForStarted());
    // Killed while it files the second batch (a batch of these memos takes
    // several tenths of a second).
    QByteArray shown;
    while (!shown.contains("filed") && child.waitForReadyRead(20000))
        shown += child.readAllStandardOutput();
    ASSERT_TRUE(shown.contains(QByteArray("filed " + QByteArray::number(SearchIndex::CatchUpBatch))));
    QThread::msleep(50);
    child.kill();
    ASSERT_TRUE(child.waitForFinished());

    EXPECT_EQ(MemoFixtures::integrityCheck(dbPath), u"ok"_s);
    store = std::make_unique<MemoStore>(dbPath);
    const int left = pending();
    EXPECT_GT(left, 0);
    EXPECT_EQ((memos - left) % SearchIndex::CatchUpBatch, 0) << "only whole batches were filed";
    for (const SearchRequest& request : requests) {
        TagSearchStats stats;
        EXPECT_EQ(RunTagSearch(*store, request, {}, &stats), ScanTagSearch(*store, request));
        EXPECT_TRUE(stats.usedIndex);
    }
    catchUpAll();
    for (const SearchRequest& request : requests)
        EXPECT_EQ(RunTagSearch(*store, request), ScanTagSearch(*store, request));
}

// What a search shows while it files many memos.
struct ProgressLog
{
    QStringList trace;
    int windows = 0;
    int cancelAfterSteps = 0; // 0: never
};

class LoggedProgress final : public Progress
{
public:
    explicit LoggedProgress(ProgressLog& log) : m_log(log) { ++m_log.windows; }
    void SetProgressBar(bool one, bool two) override
    {
        m_log.trace << u"bars %1 %2"_s.arg(int(one)).arg(int(two));
    }
    void SetTitle(const QString& title) override { m_log.trace << u"title "_s + title; }
    void SetExplain(const QString& text) override { m_log.trace << u"explain "_s + text; }
    void SetProgressMax(int bar, int maximum) override { m_log.trace << u"max%1 %2"_s.arg(bar).arg(maximum); }
    void SetProgress(int bar, int value) override
    {
        m_log.trace << u"bar%1 %2"_s.arg(bar).arg(value);
        ++m_steps;
    }
    void SetProgressClear(int) override {}
    bool IsCancel() const override { return m_log.cancelAfterSteps > 0 && m_steps >= m_log.cancelAfterSteps; }

private:
    ProgressLog& m_log;
    int m_steps = 0;
};

TEST_F(SearchIndexTest, ManyWaitingMemosAreFiledWithAProgressWindowThatCanBeCancelled)
{
    const int memos = 4500;
    {
        auto transaction = store->transaction();
        for (int i = 0; i < memos; ++i)
            store->insertMemo(u"メモ"_s, u"本文 %1"_s.arg(i), u"a"_s, u"2026"_s);
        transaction.commit();
    }
    ProgressLog log;
    const ProgressFactory factory = [&log] { return std::make_unique<LoggedProgress>(log); };
    SearchRequest request;
    request.words = u"本文 44"_s;
    const QList<qint64> expected = ScanTagSearch(*store, request);
    ASSERT_EQ(expected.size(), 180);

    // Cancelled after the first batch: the search runs all the same, the
    // rest of the memos wait for the next search.
    log.cancelAfterSteps = 1;
    EXPECT_EQ(RunTagSearch(*store, request, factory), expected);
    EXPECT_EQ(log.trace,
              (QStringList{u"title 検索の準備"_s, u"explain 検索用の索引を作成しています...合計4500件"_s,
                           u"bars 1 0"_s, u"max1 4500"_s, u"bar1 2000"_s}));
    EXPECT_EQ(pending(), memos - SearchIndex::CatchUpBatch);

    log = {};
    EXPECT_EQ(RunTagSearch(*store, request, factory), expected);
    EXPECT_EQ(log.windows, 1);
    EXPECT_EQ(log.trace,
              (QStringList{u"title 検索の準備"_s, u"explain 検索用の索引を作成しています...合計2500件"_s,
                           u"bars 1 0"_s, u"max1 2500"_s, u"bar1 2000"_s, u"bar1 2500"_s}));
    EXPECT_EQ(pending(), 0);

    // A few waiting memos are filed without a window, QuietCatchUp at a time.
    for (int i = 0; i < 300; ++i)
        store->updateMemoBody(i + 1, u"本文 %1 改"_s.arg(i), u"2027"_s);
    log = {};
    EXPECT_EQ(RunTagSearch(*store, request, factory), ScanTagSearch(*store, request));
    EXPECT_EQ(log.windows, 0);
    EXPECT_EQ(pending(), 300 - QuietCatchUp);
}

} // namespace
