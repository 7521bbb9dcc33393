// Kills a process running Quillet's own code with SIGKILL at random moments
// and checks what it leaves behind: the database opens and passes its
// integrity check, every memo committed before the kill is there byte for
// byte, bulk work is whole per committed batch, and the settings and restore
// files parse with their last written values.
//
// QUILLET_CRASH_KILLS sets the kills per operation (a few by default; the long
// mode of scripts/crash.sh asks for 50 or more).
#include "CrashWork.h"
#include "MemoFixtures.h"
#include "TestHome.h"
#include "app/IniFile.h"
#include "editing/RestoreFile.h"
#include "store/MemoStore.h"
#include "tags/TagString.h"

#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>

namespace {

int killsPerOperation()
{
    const int fromEnvironment = qEnvironmentVariableIntValue("QUILLET_CRASH_KILLS");
    return fromEnvironment > 0 ? fromEnvironment : 4;
}

QString integrityCheck(const QString& path)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return QStringLiteral("cannot open");
    }
    sqlite3_stmt* statement = nullptr;
    QString result = QStringLiteral("no result");
    if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW)
        result = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return result;
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
    return MemoFixtures::readBytes(journal).contains("done\n");
}

class CrashHarnessTest : public ::testing::Test
{
protected:
    TestHome home;
    QString journal = home.file(QStringLiteral("journal.txt"));
    QRandomGenerator random{20261210};
    int killedRuns = 0;

    // Starts the child on `target`, lets it run `delayMs` after it said it is
    // ready, then kills it. True when the kill came before the child ended.
    bool runAndKill(const char* operation, const QString& target, int delayMs)
    {
        QFile::remove(journal);
        QProcess child;
        child.start(QStringLiteral(QUILLET_CRASH_CHILD),
                    {QString::fromLatin1(operation), target, journal});
        EXPECT_TRUE(child.waitForStarted(10000));
        EXPECT_TRUE(child.waitForReadyRead(60000)) << "the child never became ready";
        QThread::msleep(static_cast<unsigned long>(delayMs));
        const bool stillRunning = child.state() == QProcess::Running;
        if (stillRunning) {
            ::kill(static_cast<pid_t>(child.processId()), SIGKILL);
            ++killedRuns;
        }
        child.waitForFinished(60000);
        if (!stillRunning)
            EXPECT_EQ(child.exitCode(), 0) << child.readAllStandardError().toStdString();
        return stillRunning;
    }

    // How long the child takes from ready to its end, run once without a kill.
    int measureMs(const char* operation, const QString& target)
    {
        QFile::remove(journal);
        QProcess child;
        child.start(QStringLiteral(QUILLET_CRASH_CHILD), {QString::fromLatin1(operation), target, journal});
        EXPECT_TRUE(child.waitForReadyRead(60000));
        QElapsedTimer timer;
        timer.start();
        EXPECT_TRUE(child.waitForFinished(120000));
        return std::max(1, int(timer.elapsed()));
    }

    // A database of `count` memos with IDs 1..count, each tagged `tags`.
    void makeDatabase(const QString& path, int count, const QString& tags)
    {
        MemoFixtures::createDatabase(home.path(), path);
        MemoStore store(path);
        auto transaction = store.transaction();
        for (int id = 1; id <= count; ++id)
            store.insertMemo(CrashWork::memoTitle(id, 0), CrashWork::memoBody(id, 0), tags,
                             QStringLiteral("2026/01/01 00:00:00"));
        transaction.commit();
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
    const QString database = home.file(QStringLiteral("diary.mdb"));
    makeDatabase(database, CrashWork::MemoCount, QStringLiteral("tag"));
    // Each run goes on from the file the last kill left; its journal tells what
    // it committed.
    for (int kill = 0; kill < killsPerOperation(); ++kill) {
        runAndKill("save", database, 20 + random.bounded(300));
        ASSERT_EQ(integrityCheck(database), u"ok");
        const QHash<qint64, int> thisRun = lastRounds(journal);
        MemoStore store(database);
        for (qint64 id = 1; id <= CrashWork::MemoCount; ++id) {
            const auto memo = store.readMemo(id);
            ASSERT_TRUE(memo) << id;
            const int round = memo->title.section(u' ', 3).toInt();
            ASSERT_EQ(memo->title, CrashWork::memoTitle(id, round)) << "a torn title";
            ASSERT_EQ(memo->body, CrashWork::memoBody(id, round)) << "a torn body, memo " << id;
            if (thisRun.contains(id))
                EXPECT_GE(round, thisRun.value(id)) << "memo " << id << " lost a committed save";
        }
    }
}

TEST_F(CrashHarnessTest, AKilledMoveToTheTrashLeavesWholeBatches)
{
    const QString prepared = home.file(QStringLiteral("prepared.mdb"));
    const QString database = home.file(QStringLiteral("diary.mdb"));
    makeDatabase(prepared, CrashWork::BulkMemoCount, QStringLiteral("a b"));
    copyFresh(prepared, database);
    const int duration = measureMs("trash", database);
    for (int kill = 0; kill < killsPerOperation(); ++kill) {
        copyFresh(prepared, database);
        runAndKill("trash", database, random.bounded(duration + 1));
        ASSERT_EQ(integrityCheck(database), u"ok");
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
        EXPECT_EQ(lowestTrashed, CrashWork::BulkMemoCount - trashed + 1) << "the trashed memos are not the last ones";
        EXPECT_TRUE(trashed % 256 == 0 || trashed == CrashWork::BulkMemoCount) << trashed;
        if (journalSaysDone(journal))
            EXPECT_EQ(trashed, CrashWork::BulkMemoCount);
        EXPECT_EQ(store.countTrashedMemos(), trashed);
    }
}

TEST_F(CrashHarnessTest, AKilledTagRenameIsWhollyDoneOrUndone)
{
    const QString prepared = home.file(QStringLiteral("prepared.mdb"));
    const QString database = home.file(QStringLiteral("diary.mdb"));
    makeDatabase(prepared, CrashWork::BulkMemoCount, QStringLiteral("misc old"));
    copyFresh(prepared, database);
    const int duration = measureMs("rename", database);
    for (int kill = 0; kill < killsPerOperation(); ++kill) {
        copyFresh(prepared, database);
        runAndKill("rename", database, random.bounded(duration + 1));
        ASSERT_EQ(integrityCheck(database), u"ok");
        MemoStore store(database);
        int renamed = 0;
        for (const auto& [id, tags] : store.readAllCategories()) {
            ASSERT_TRUE(tags == u"misc old" || tags == u"misc new") << tags.toStdString();
            renamed += tags == u"misc new";
        }
        EXPECT_TRUE(renamed == 0 || renamed == CrashWork::BulkMemoCount) << renamed;
        if (journalSaysDone(journal))
            EXPECT_EQ(renamed, CrashWork::BulkMemoCount);
    }
}

TEST_F(CrashHarnessTest, AKilledSettingsWriteLeavesAReadableFile)
{
    const QString ini = home.file(QStringLiteral("quillet_default.ini"));
    MemoFixtures::writeText(ini, QStringLiteral("[Window]\r\nLeft=120\r\n"));
    for (int kill = 0; kill < killsPerOperation(); ++kill) {
        runAndKill("settings", ini, 5 + random.bounded(200));
        EXPECT_EQ(IniFile::readInt(ini, QStringLiteral("Window"), QStringLiteral("Left"), -1), 120);
        const QHash<qint64, int> thisRun = lastRounds(journal);
        for (int key = 0; key < CrashWork::SettingKeys; ++key) {
            const QString value =
                IniFile::readText(ini, QStringLiteral("Crash"), QStringLiteral("Key%1").arg(key), QString());
            if (!thisRun.contains(key))
                continue;
            const int round = value.section(u' ', 3).remove(u'x').toInt();
            EXPECT_EQ(value, CrashWork::settingValue(key, round)) << "a torn value";
            EXPECT_GE(round, thisRun.value(key)) << "key " << key << " lost a written value";
        }
    }
}

TEST_F(CrashHarnessTest, AKilledRestoreFileWriteLeavesTheLastWholeFile)
{
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
    }
}

} // namespace
