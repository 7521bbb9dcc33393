// Kills a process running Quillet's own code with SIGKILL at random moments
// and checks what it leaves behind: the database opens and passes its
// integrity check, every memo committed before the kill is there byte for
// byte, bulk work is whole per committed batch, and the settings and restore
// files parse with their last written values. Covered: a memo save, a bulk
// move to the trash, a tag rename, a settings write, a restore file write, a
// folder import, a database rebuild, a merge and a save under another name.
//
// QUILLET_CRASH_KILLS sets the kills per operation (a few by default; the long
// mode asks for 50 or more:
//   QUILLET_CRASH_KILLS=50 ctest -R CrashHarnessTest --output-on-failure -V
// and each case prints a "[crash]" line with where its kills landed).
#include "CrashWork.h"
#include "MemoFixtures.h"
#include "TestHome.h"
#include "app/IniFile.h"
#include "editing/RestoreFile.h"
#include "exchange/TextImport.h"
#include "store/MemoStore.h"
#include "tags/TagString.h"
#include "tags/TagTable.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>
#include <algorithm>
#include <gtest/gtest.h>
#include <iostream>
#include <signal.h>
#include <sqlite3.h>
#include <vector>

namespace {

int killsPerOperation()
{
    const int fromEnvironment = qEnvironmentVariableIntValue("QUILLET_CRASH_KILLS");
    return fromEnvironment > 0 ? fromEnvironment : 4;
}


// The last round the journal names for each key ("<key> <round>" lines).
QHash<qint64, int> lastRounds(const QString& journal)
{
    QHash<qint64, int> rounds;
    const QList<QByteArray> lines = MemoFixtures::readBytes(journal).split('\n');
    for (const QByteArray& line : lines) {
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() == 2)
            rounds[parts[0].toLongLong()] = parts[1].toInt();
    }
    return rounds;
}

bool journalSaysDone(const QString& journal)
{
    const QByteArray bytes = MemoFixtures::readBytes(journal);
    return bytes.startsWith("done") || bytes.contains("\ndone");
}

// Every memo of the file, trashed and locked ones too, in RecordID order.
std::vector<Memo> readAllMemos(const QString& path)
{
    std::vector<Memo> memos;
    MemoStore store(path);
    store.forEachMemo(true, true, [&memos](const Memo& memo) {
        memos.push_back(memo);
        return true;
    });
    return memos;
}

// The round of a memo of a merge's other file: bodies of every length.
int otherRound(qint64 id)
{
    return 1 + int(id % 7);
}

class CrashHarnessTest : public ::testing::Test
{
protected:
    TestHome home;
    QString journal = home.file(QStringLiteral("journal.txt"));
    QRandomGenerator random{20261210};
    int killedRuns = 0;
    int measuredMs = 0; // the longest unkilled run

    // Starts the child on `target`, lets it run `delayMs` after it said it is
    // ready, then kills it. True when the kill came before the child ended.
    bool runAndKill(const char* operation, const QString& target, int delayMs, const QString& extra = {})
    {
        QFile::remove(journal);
        QProcess child;
        child.start(QStringLiteral(QUILLET_CRASH_CHILD), arguments(operation, target, extra));
        EXPECT_TRUE(child.waitForStarted(10000));
        EXPECT_TRUE(child.waitForReadyRead(60000)) << "the child never became ready";
        QThread::msleep(static_cast<unsigned long>(delayMs));
        const bool stillRunning = child.state() == QProcess::Running;
        if (stillRunning) {
            ::kill(static_cast<pid_t>(child.processId()), SIGKILL);
            ++killedRuns;
        }
        child.waitForFinished(60000);
        if (!stillRunning) {
            EXPECT_EQ(child.exitCode(), 0) << child.readAllStandardError().toStdString();
        }
        return stillRunning;
    }

    // How long the child takes from ready to its end, run once without a kill.
    int measureMs(const char* operation, const QString& target, const QString& extra = {})
    {
        QFile::remove(journal);
        QProcess child;
        child.start(QStringLiteral(QUILLET_CRASH_CHILD), arguments(operation, target, extra));
        EXPECT_TRUE(child.waitForReadyRead(60000));
        QElapsedTimer timer;
        timer.start();
        EXPECT_TRUE(child.waitForFinished(120000));
        EXPECT_EQ(child.exitCode(), 0) << child.readAllStandardError().toStdString();
        const int elapsed = std::max(1, int(timer.elapsed()));
        measuredMs = std::max(measuredMs, elapsed);
        return elapsed;
    }

    QStringList arguments(const char* operation, const QString& target, const QString& extra) const
    {
        QStringList list{QString::fromLatin1(operation), target, journal};
        if (!extra.isEmpty())
            list.append(extra);
        return list;
    }

    // A database of `count` memos with IDs 1..count, each tagged `tags`, memo
    // k holding the texts of round `round(k)`.
    void makeDatabase(const QString& path, int count, const QString& tags, int (*round)(qint64) = nullptr)
    {
        MemoFixtures::createDatabase(home.path(), path);
        MemoStore store(path);
        auto transaction = store.transaction();
        for (int id = 1; id <= count; ++id) {
            const int r = round ? round(id) : 0;
            store.insertMemo(CrashWork::memoTitle(id, r), CrashWork::memoBody(id, r), tags,
                             QStringLiteral("2026/01/%1 00:00:00").arg(1 + id % 28, 2, 10, QLatin1Char('0')));
        }
        transaction.commit();
    }

    // True when the file holds exactly `count` memos numbered from `firstId`
    // on, memo k (from 1) with the texts of round `round(k)` and tags `tags`.
    ::testing::AssertionResult holdsMemos(const QString& path, qint64 firstId, int count, const QString& tags,
                                          int (*round)(qint64) = nullptr)
    {
        const std::vector<Memo> memos = readAllMemos(path);
        if (int(memos.size()) != count)
            return ::testing::AssertionFailure() << memos.size() << " memos instead of " << count;
        for (int k = 1; k <= count; ++k) {
            const Memo& memo = memos[size_t(k - 1)];
            const int r = round ? round(k) : 0;
            if (memo.recordId != firstId + k - 1 || memo.title != CrashWork::memoTitle(k, r) ||
                memo.body != CrashWork::memoBody(k, r) || memo.category != tags)
                return ::testing::AssertionFailure()
                       << "memo " << memo.recordId << " is not memo " << k << " whole";
        }
        return ::testing::AssertionSuccess();
    }

    // How many kills left how much of a bulk operation, to show where they landed.
    static void printOutcomes(const char* operation, const char* unit, const QMap<int, int>& outcomes)
    {
        std::cout << "[crash] " << operation << ": " << unit << " found after a kill (x kills):";
        for (auto it = outcomes.cbegin(); it != outcomes.cend(); ++it)
            std::cout << ' ' << it.key() << 'x' << it.value();
        std::cout << '\n';
    }

    void report(const char* operation, int kills, const QElapsedTimer& timer) const
    {
        std::cout << "[crash] " << operation << ": " << killedRuns << " of " << kills
                  << " kills landed before the end";
        if (measuredMs > 0)
            std::cout << " (the longest unkilled run took " << measuredMs << " ms)";
        std::cout << ", " << timer.elapsed() << " ms in all\n";
    }

    void copyFresh(const QString& from, const QString& to)
    {
        for (const char* suffix : {"", "-wal", "-shm", "-journal"})
            QFile::remove(to + QLatin1String(suffix));
        ASSERT_TRUE(QFile::copy(from, to));
    }
};

TEST_F(CrashHarnessTest, SavedMemosSurviveAKillWhole)
{
    QElapsedTimer timer;
    timer.start();
    const QString database = home.file(QStringLiteral("diary.mdb"));
    makeDatabase(database, CrashWork::MemoCount, QStringLiteral("tag"));
    // Each run goes on from the file the last kill left; its journal tells what
    // it committed.
    for (int kill = 0; kill < killsPerOperation(); ++kill) {
        runAndKill("save", database, 20 + random.bounded(300));
        ASSERT_EQ(MemoFixtures::integrityCheck(database), QStringLiteral("ok"));
        const QHash<qint64, int> thisRun = lastRounds(journal);
        MemoStore store(database);
        for (qint64 id = 1; id <= CrashWork::MemoCount; ++id) {
            const auto memo = store.readMemo(id);
            ASSERT_TRUE(memo) << id;
            const int round = memo->title.section(u' ', 3).toInt();
            ASSERT_EQ(memo->title, CrashWork::memoTitle(id, round)) << "a torn title";
            ASSERT_EQ(memo->body, CrashWork::memoBody(id, round)) << "a torn body, memo " << id;
            if (thisRun.contains(id)) {
                EXPECT_GE(round, thisRun.value(id)) << "memo " << id << " lost a committed save";
            }
        }
    }
    report("save", killsPerOperation(), timer);
}

TEST_F(CrashHarnessTest, AKilledMoveToTheTrashLeavesWholeBatches)
{
    QElapsedTimer timer;
    timer.start();
    const QString prepared = home.file(QStringLiteral("prepared.mdb"));
    const QString database = home.file(QStringLiteral("diary.mdb"));
    makeDatabase(prepared, CrashWork::BulkMemoCount, QStringLiteral("a b"));
    copyFresh(prepared, database);
    const int duration = measureMs("trash", database);
    for (int kill = 0; kill < killsPerOperation(); ++kill) {
        copyFresh(prepared, database);
        runAndKill("trash", database, random.bounded(duration + 1));
        ASSERT_EQ(MemoFixtures::integrityCheck(database), QStringLiteral("ok"));
        MemoStore store(database);
        // The move runs from the last memo to the first and commits in batches:
        // the memos in the trash are always the last ones, in whole batches.
        int trashed = 0;
        qint64 lowestTrashed = CrashWork::BulkMemoCount + 1;
        for (qint64 id = 1; id <= CrashWork::BulkMemoCount; ++id) {
            const auto state = store.readMemoCategoryAndTrash(id);
            ASSERT_TRUE(state);
            ASSERT_EQ(state->previousCategory, u"a b");
            if (state->inTrash) {
                ++trashed;
                lowestTrashed = std::min(lowestTrashed, id);
            }
        }
        EXPECT_EQ(lowestTrashed, CrashWork::BulkMemoCount - trashed + 1)
            << "the trashed memos are not the last ones";
        EXPECT_TRUE(trashed % 256 == 0 || trashed == CrashWork::BulkMemoCount) << trashed;
        if (journalSaysDone(journal)) {
            EXPECT_EQ(trashed, CrashWork::BulkMemoCount);
        }
        EXPECT_EQ(store.countTrashedMemos(), trashed);
    }
    report("trash", killsPerOperation(), timer);
}

TEST_F(CrashHarnessTest, AKilledTagRenameIsWhollyDoneOrUndone)
{
    QElapsedTimer timer;
    timer.start();
    const QString prepared = home.file(QStringLiteral("prepared.mdb"));
    const QString database = home.file(QStringLiteral("diary.mdb"));
    makeDatabase(prepared, CrashWork::BulkMemoCount, QStringLiteral("misc old"));
    copyFresh(prepared, database);
    const int duration = measureMs("rename", database);
    for (int kill = 0; kill < killsPerOperation(); ++kill) {
        copyFresh(prepared, database);
        runAndKill("rename", database, random.bounded(duration + 1));
        ASSERT_EQ(MemoFixtures::integrityCheck(database), QStringLiteral("ok"));
        MemoStore store(database);
        int renamed = 0;
        for (const auto& [id, tags] : store.readAllCategories()) {
            ASSERT_TRUE(tags == u"misc old" || tags == u"misc new") << tags.toStdString();
            renamed += tags == u"misc new";
        }
        EXPECT_TRUE(renamed == 0 || renamed == CrashWork::BulkMemoCount) << renamed;
        if (journalSaysDone(journal)) {
            EXPECT_EQ(renamed, CrashWork::BulkMemoCount);
        }
    }
    report("rename", killsPerOperation(), timer);
}

TEST_F(CrashHarnessTest, AKilledSettingsWriteLeavesAReadableFile)
{
    QElapsedTimer timer;
    timer.start();
    const QString ini = home.file(QStringLiteral("quillet_default.ini"));
    MemoFixtures::writeText(ini, QStringLiteral("[Window]\r\nLeft=120\r\n"));
    for (int kill = 0; kill < killsPerOperation(); ++kill) {
        runAndKill("settings", ini, 5 + random.bounded(200));
        EXPECT_EQ(IniFile::readInt(ini, QStringLiteral("Window"), QStringLiteral("Left"), -1), 120);
        const QHash<qint64, int> thisRun = lastRounds(journal);
        int lastBatch = 0; // even rounds write every key at once: all or none
        QList<int> rounds;
        for (int key = 0; key < CrashWork::SettingKeys; ++key) {
            const QString value =
                IniFile::readText(ini, QStringLiteral("Crash"), QStringLiteral("Key%1").arg(key), QString());
            const int round = value.section(u' ', 3).remove(u'x').toInt();
            rounds.append(round);
            if (round % 2 == 0)
                lastBatch = std::max(lastBatch, round);
            if (!thisRun.contains(key))
                continue;
            EXPECT_EQ(value, CrashWork::settingValue(key, round)) << "a torn value";
            EXPECT_GE(round, thisRun.value(key)) << "key " << key << " lost a written value";
        }
        for (int key = 0; key < CrashWork::SettingKeys; ++key) {
            EXPECT_GE(rounds[key], lastBatch) << "key " << key << " missed part of batch " << lastBatch;
        }
    }
    report("settings", killsPerOperation(), timer);
}

TEST_F(CrashHarnessTest, AKilledRestoreFileWriteLeavesTheLastWholeFile)
{
    QElapsedTimer timer;
    timer.start();
    const QString file = home.file(QStringLiteral("default_restore.txt"));
    for (int kill = 0; kill < killsPerOperation(); ++kill) {
        runAndKill("restore", file, 5 + random.bounded(200));
        const QByteArray lines = MemoFixtures::readBytes(journal);
        if (lines.isEmpty())
            continue;
        const int lastWritten = lines.trimmed().split('\n').last().toInt();
        const auto read = RestoreFile::readMain(file);
        ASSERT_EQ(read.status, RestoreFile::Status::Restorable) << read.problem.toStdString();
        const int round = read.state.memoNumber.toInt();
        EXPECT_GE(round, lastWritten);
        EXPECT_EQ(read.state.title, CrashWork::memoTitle(0, round));
        EXPECT_EQ(read.state.body, CrashWork::memoBody(0, round));
        const auto floating = RestoreFile::readFloating(file + QStringLiteral(".floating"));
        ASSERT_EQ(floating.status, RestoreFile::Status::Restorable) << floating.problem.toStdString();
        EXPECT_GE(floating.state.recordId, lastWritten);
        EXPECT_EQ(floating.state.text, CrashWork::memoBody(1, floating.state.recordId));
    }
    report("restore", killsPerOperation(), timer);
}

// 1,000 small files, imported in batches: what a kill leaves is a prefix of
// the import order in whole batches, each file's text exactly, none twice.
TEST_F(CrashHarnessTest, AKilledFolderImportLeavesWholeFilesInWholeBatches)
{
    QElapsedTimer timer;
    timer.start();
    constexpr int existing = 50;
    constexpr int fileCount = 1000;
    const QString prepared = home.file(QStringLiteral("prepared.mdb"));
    const QString database = home.file(QStringLiteral("diary.mdb"));
    const QString folder = home.file(QStringLiteral("import"));
    makeDatabase(prepared, existing, QStringLiteral("tag"));
    ASSERT_TRUE(QDir().mkpath(folder));
    // Most files UTF-8 with every kind of line break, every 50th in CP932
    // ("本文" and a half-width katakana), one empty.
    QHash<QString, QString> textByTitle;
    for (int k = 0; k < fileCount; ++k) {
        const QString title = QStringLiteral("メモ%1").arg(k, 4, 10, QLatin1Char('0'));
        QByteArray bytes;
        QString text;
        if (k == 7) {
        } else if (k % 50 == 0) {
            bytes = QByteArray("\x96\x7B\x95\xB6 ") + QByteArray::number(k) + "\r\n\xB1";
            text = QStringLiteral("本文 %1\r\nｱ").arg(k);
        } else {
            text = CrashWork::memoBody(k, k);
            bytes = text.toUtf8();
        }
        QFile file(folder + u'/' + title + QStringLiteral(".txt"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        textByTitle.insert(title, text);
    }
    // The order the import takes the files in: the same listing of the same folder.
    QStringList order;
    TextImport::CollectFiles(folder, false, TextImport::acceptedExtensions(), order);
    ASSERT_EQ(order.size(), fileCount);

    copyFresh(prepared, database);
    const int duration = measureMs("import", database, folder);
    QMap<int, int> outcomes; // memos found after a kill -> kills
    ASSERT_TRUE(journalSaysDone(journal));
    for (int kill = 0; kill < killsPerOperation(); ++kill) {
        copyFresh(prepared, database);
        runAndKill("import", database, random.bounded(duration + 1), folder);
        ASSERT_EQ(MemoFixtures::integrityCheck(database), QStringLiteral("ok"));
        const std::vector<Memo> memos = readAllMemos(database);
        ASSERT_GE(memos.size(), size_t(existing));
        for (int k = 1; k <= existing; ++k) {
            ASSERT_EQ(memos[size_t(k - 1)].title, CrashWork::memoTitle(k, 0));
            ASSERT_EQ(memos[size_t(k - 1)].body, CrashWork::memoBody(k, 0));
        }
        const int imported = int(memos.size()) - existing;
        for (int i = 0; i < imported; ++i) {
            const Memo& memo = memos[size_t(existing + i)];
            ASSERT_LT(i, fileCount) << "a file imported twice";
            const QString title = TextImport::titleFromPath(order[i]);
            ASSERT_EQ(memo.title, title) << "not the import order at " << i;
            ASSERT_EQ(memo.body, textByTitle.value(title)) << "a torn text: " << title.toStdString();
            ASSERT_FALSE(memo.body.isNull());
            ASSERT_EQ(memo.category, TagTable::importName());
        }
        EXPECT_TRUE(imported % 256 == 0 || imported == fileCount) << imported << " files: not whole batches";
        ++outcomes[imported];
        if (journalSaysDone(journal)) {
            EXPECT_EQ(imported, fileCount);
        }
        // The tag list's count, rebuilt from the file, is the number of memos found.
        MemoStore store(database);
        int importCount = 0;
        for (const auto& [id, tags] : store.readAllCategories())
            importCount += tags == TagTable::importName();
        EXPECT_EQ(importCount, imported);
    }
    printOutcomes("import", "files", outcomes);
    report("import", killsPerOperation(), timer);
}

// The rebuild writes new.mdb, in a temporary folder of its own, and renames it
// over the database at the end: after a kill the database is the old one (old
// numbering) or the new one (numbered afresh), whole. Leftover temporary files
// of a killed run stay for the next run, which must clear them and still succeed.
TEST_F(CrashHarnessTest, AKilledRebuildLeavesTheOldOrTheNewDatabaseWhole)
{
    QElapsedTimer timer;
    timer.start();
    constexpr int count = CrashWork::BulkMemoCount;
    constexpr qint64 oldFirstId = 50001;
    const QString prepared = home.file(QStringLiteral("prepared.mdb"));
    const QString database = home.file(QStringLiteral("diary.mdb"));
    makeDatabase(prepared, count, QStringLiteral("a b"));
    // Old numbering far from the new one, so that the two can be told apart.
    MemoFixtures::execute(prepared, "UPDATE Memo SET RecordID = RecordID + 50000");
    ASSERT_TRUE(holdsMemos(prepared, oldFirstId, count, QStringLiteral("a b")));

    copyFresh(prepared, database);
    const int duration = measureMs("rebuild", database, home.path());
    ASSERT_TRUE(journalSaysDone(journal));
    ASSERT_TRUE(holdsMemos(database, 1, count, QStringLiteral("a b")));
    int foundNew = 0;
    int leftTemporaryFiles = 0;
    for (int kill = 0; kill < killsPerOperation(); ++kill) {
        copyFresh(prepared, database);
        runAndKill("rebuild", database, random.bounded(duration + 1), home.path());
        ASSERT_TRUE(QFile::exists(database)) << "the database is missing";
        ASSERT_EQ(MemoFixtures::integrityCheck(database), QStringLiteral("ok"));
        const bool isNew = readAllMemos(database).front().recordId == 1;
        foundNew += isNew;
        leftTemporaryFiles +=
            !QDir(home.path())
                 .entryList({QStringLiteral("quillet-rebuild-*")}, QDir::Dirs | QDir::NoDotAndDotDot)
                 .isEmpty();
        ASSERT_TRUE(holdsMemos(database, isNew ? 1 : oldFirstId, count, QStringLiteral("a b")));
        if (journalSaysDone(journal)) {
            EXPECT_TRUE(isNew);
        }
    }
    std::cout << "[crash] rebuild: " << foundNew << " kills left the new database, " << leftTemporaryFiles
              << " left temporary files\n";
    // The next rebuild over whatever the last kill left behind works.
    copyFresh(prepared, database);
    measureMs("rebuild", database, home.path());
    EXPECT_TRUE(journalSaysDone(journal));
    EXPECT_EQ(MemoFixtures::integrityCheck(database), QStringLiteral("ok"));
    EXPECT_TRUE(holdsMemos(database, 1, count, QStringLiteral("a b")));
    report("rebuild", killsPerOperation(), timer);
}

// Adding every memo of a 5,000-memo file commits 1,000 at a time: a kill
// leaves the memos that were there and whole batches of the added ones, each
// byte for byte.
TEST_F(CrashHarnessTest, AKilledMergeAddsWholeBatchesOnly)
{
    QElapsedTimer timer;
    timer.start();
    constexpr int existing = 100;
    constexpr int otherCount = 5000;
    const QString prepared = home.file(QStringLiteral("prepared.mdb"));
    const QString database = home.file(QStringLiteral("diary.mdb"));
    const QString other = home.file(QStringLiteral("other.mdb"));
    makeDatabase(prepared, existing, QStringLiteral("tag"));
    makeDatabase(other, otherCount, QStringLiteral("merged x"), otherRound);
    const std::vector<Memo> otherMemos = readAllMemos(other);

    copyFresh(prepared, database);
    const int duration = measureMs("merge", database, other);
    QMap<int, int> outcomes; // memos found after a kill -> kills
    ASSERT_TRUE(journalSaysDone(journal));
    for (int kill = 0; kill < killsPerOperation(); ++kill) {
        copyFresh(prepared, database);
        runAndKill("merge", database, random.bounded(duration + 1), other);
        ASSERT_EQ(MemoFixtures::integrityCheck(database), QStringLiteral("ok"));
        const std::vector<Memo> memos = readAllMemos(database);
        ASSERT_GE(memos.size(), size_t(existing));
        for (int k = 1; k <= existing; ++k) {
            ASSERT_EQ(memos[size_t(k - 1)].recordId, k);
            ASSERT_EQ(memos[size_t(k - 1)].title, CrashWork::memoTitle(k, 0));
            ASSERT_EQ(memos[size_t(k - 1)].body, CrashWork::memoBody(k, 0));
        }
        const int added = int(memos.size()) - existing;
        ASSERT_LE(added, otherCount);
        for (int i = 0; i < added; ++i) {
            const Memo& memo = memos[size_t(existing + i)];
            const Memo& source = otherMemos[size_t(i)];
            ASSERT_EQ(memo.title, source.title) << "not the other file's order at " << i;
            ASSERT_EQ(memo.body, source.body) << "a torn body at " << i;
            ASSERT_EQ(memo.category, source.category);
            ASSERT_EQ(memo.publishTime, source.publishTime);
            ASSERT_EQ(memo.updateTime, source.updateTime);
        }
        EXPECT_TRUE(added % 1000 == 0 || added == otherCount) << added << " memos: not whole batches";
        ++outcomes[added];
        if (journalSaysDone(journal)) {
            EXPECT_EQ(added, otherCount);
        }
    }
    EXPECT_TRUE(holdsMemos(other, 1, otherCount, QStringLiteral("merged x"), otherRound));
    printOutcomes("merge", "memos", outcomes);
    report("merge", killsPerOperation(), timer);
}

// Save under another name copies the open database over a file that already
// holds an older copy: after a kill that file is the older copy or the whole
// new one, and the open database is untouched.
TEST_F(CrashHarnessTest, AKilledSaveAsLeavesTheOlderCopyOrTheWholeNewOne)
{
    QElapsedTimer timer;
    timer.start();
    constexpr int count = CrashWork::BulkMemoCount;
    constexpr int olderCount = 500;
    const QString database = home.file(QStringLiteral("diary.mdb"));
    const QString older = home.file(QStringLiteral("older.mdb"));
    const QString target = home.file(QStringLiteral("copy.mdb"));
    makeDatabase(database, count, QStringLiteral("a b"));
    makeDatabase(older, olderCount, QStringLiteral("older"), otherRound);

    // The copy is short and its time varies much: the longest of three runs,
    // so that kills also land after the new copy is in place.
    int duration = 0;
    for (int run = 0; run < 3; ++run) {
        copyFresh(older, target);
        duration = std::max(duration, measureMs("saveas", database, target));
        ASSERT_TRUE(journalSaysDone(journal));
    }
    int foundNew = 0;
    for (int kill = 0; kill < killsPerOperation(); ++kill) {
        // A half-written copy of the last kill may stay beside the target.
        copyFresh(older, target);
        runAndKill("saveas", database, random.bounded(duration + 1), target);
        ASSERT_EQ(MemoFixtures::integrityCheck(target), QStringLiteral("ok"));
        const bool isNew = readAllMemos(target).size() == size_t(count);
        foundNew += isNew;
        if (isNew) {
            ASSERT_TRUE(holdsMemos(target, 1, count, QStringLiteral("a b")));
        }
        else
            ASSERT_TRUE(holdsMemos(target, 1, olderCount, QStringLiteral("older"), otherRound));
        if (journalSaysDone(journal)) {
            EXPECT_TRUE(isNew);
        }
        ASSERT_EQ(MemoFixtures::integrityCheck(database), QStringLiteral("ok"));
        ASSERT_TRUE(holdsMemos(database, 1, count, QStringLiteral("a b")));
    }
    std::cout << "[crash] saveas: " << foundNew << " kills left the new copy\n";
    report("saveas", killsPerOperation(), timer);
}

} // namespace
