// Reading another memo database of 100,000 memos into the open one, with the
// progress window shown, against SQLite's own copy of the same rows
// (ATTACH and INSERT INTO ... SELECT) timed in the same iteration. Reported:
// the merge's time, "sqlite_ms" for SQLite's copy, "ratio" (merge / SQLite,
// the target being 3 or less) and "repaints" of the progress window.
//
// AddAll: every memo of the other file added to an empty database.
// ByTitle: the open database holds 100,000 memos, the other file 100,000 of
// which half share a title with them (half of those saved later, so
// overwritten, half earlier, so skipped) and half are new.
#include "BenchHome.h"
#include "store/DatabaseMerge.h"
#include "store/StatementCatalogue.h"
#include "ui/frmProgress.h"

#include <QElapsedTimer>
#include <QEvent>

namespace {

constexpr int kMemos = 100'000;

// Memos "Memo <first>" .. "Memo <first + count - 1>" of about 1 KB; the even
// ones saved at `evenTime`, the odd ones at `oddTime`.
void fill(const QString& path, int first, int count, const QString& evenTime, const QString& oddTime)
{
    MemoStore store(path);
    const QString body =
        QStringLiteral("メモの本文です。The body of a memo, long enough to matter. ").repeated(20).left(1000);
    auto transaction = store.transaction();
    for (int i = first; i < first + count; ++i)
        store.insertMemo(QStringLiteral("Memo %1").arg(i), body,
                         QStringLiteral("タグ%1 タグ%2").arg(i % 200).arg(i % 37),
                         i % 2 == 0 ? evenTime : oddTime);
    transaction.commit();
}

struct Files
{
    QTemporaryDir dir;
    QString path(const char* name) const { return dir.path() + QLatin1Char('/') + QLatin1String(name); }
    QString emptyBase = path("empty.mdb");
    QString fullBase = path("full.mdb");
    QString other = path("other.mdb");

    Files()
    {
        TemplateDatabase::copyTo(dir.path() + QLatin1Char('/'), emptyBase);
        TemplateDatabase::copyTo(dir.path() + QLatin1Char('/'), fullBase);
        TemplateDatabase::copyTo(dir.path() + QLatin1Char('/'), other);
        fill(fullBase, 0, kMemos, QStringLiteral("2020/06/01 00:00:00"),
             QStringLiteral("2020/06/01 00:00:00"));
        fill(other, kMemos / 2, kMemos, QStringLiteral("2021/01/01 00:00:00"),
             QStringLiteral("2019/01/01 00:00:00"));
    }
    // A fresh copy of a base file to merge into.
    QString target(const QString& base, const char* name) const
    {
        const QString copy = path(name);
        SqliteDatabase(base, SqliteDatabase::Access::ReadOnly).backupTo(copy);
        return copy;
    }
};

Files& files()
{
    static Files f;
    return f;
}

// SQLite's own copy of every memo of the other file, in one transaction.
double sqliteCopyMs(const QString& targetPath, const QString& otherPath)
{
    MemoStore store(targetPath);
    SqliteDatabase& db = store.database();
    QElapsedTimer timer;
    timer.start();
    {
        Statement attach(db, sql::MergeAttachOther);
        attach.bind(1, otherPath).run();
    }
    {
        auto transaction = store.transaction();
        Statement copy(db, sql::MergeCopyAllFromOther);
        copy.run();
        transaction.commit();
    }
    db.execute(sql::MergeDetachOther);
    return timer.nsecsElapsed() / 1e6;
}

void runMerge(benchmark::State& state, bool overwrite, const QString& base)
{
    double mergeMs = 0;
    double sqliteMs = 0;
    int paints = 0;
    MergeResult result;
    for (auto _ : state) {
        sqliteMs += sqliteCopyMs(files().target(base, "yardstick.mdb"), files().other);
        MemoStore store(files().target(base, "merged.mdb"));
        RepaintCounter counter(RepaintCounter::Count::WithItsWidgets);
        frmProgress progress;
        progress.show();
        QApplication::processEvents();
        QElapsedTimer timer;
        timer.start();
        result = MergeMemoDatabase(store, files().other, overwrite, MatchByTitle, progress);
        const double ms = timer.nsecsElapsed() / 1e6;
        state.SetIterationTime(ms / 1000);
        mergeMs += ms;
        paints += counter.paints;
    }
    const double n = double(state.iterations());
    state.counters["sqlite_ms"] = sqliteMs / n;
    state.counters["merge_ms"] = mergeMs / n;
    state.counters["ratio"] = mergeMs / sqliteMs;
    state.counters["repaints"] = paints / n;
    state.counters["added"] = result.added;
    state.counters["overwritten"] = result.overwritten;
}

void BM_MergeAddAll(benchmark::State& state)
{
    runMerge(state, false, files().emptyBase);
}
BENCHMARK(BM_MergeAddAll)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

void BM_MergeByTitle(benchmark::State& state)
{
    runMerge(state, true, files().fullBase);
}
BENCHMARK(BM_MergeByTitle)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

} // namespace

QUILLET_BENCHMARK_MAIN();
