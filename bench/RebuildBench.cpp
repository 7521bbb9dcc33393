// Rebuilding a 100,000-memo database (the start-up upgrade and the database
// refresh) against SQLite copying the same memos by itself with
// INSERT INTO ... SELECT from an attached file, in the same run. The rebuild
// drives a real progress window, whose bar repaints are counted.
#include "BenchHome.h"
#include "store/DatabaseRebuild.h"
#include "store/SqliteDatabase.h"
#include "store/StatementCatalogue.h"
#include "ui/frmProgress.h"

#include <QElapsedTimer>
#include <QEvent>
#include <cstdio>

namespace {

constexpr int kMemos = 100000;

Home& sharedHome()
{
    static Home home(kMemos);
    return home;
}

// Counts the paint events of one widget.
class PaintCounter : public QObject
{
public:
    int paints = 0;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

// SQLite's own copy: a fresh template, the database attached, all memos in one statement.
double copyBySqlite(Home& home)
{
    const QString target = home.path() + QStringLiteral("yardstick.mdb");
    QFile::remove(target);
    QElapsedTimer timer;
    timer.start();
    TemplateDatabase::copyTo(home.path(), target);
    {
        SqliteDatabase db(target, SqliteDatabase::Access::ReadWrite);
        Statement attach(db, sql::RebuildAttachOld);
        attach.bind(1, home.db()).run();
        auto transaction = SqliteDatabase::Transaction(db);
        Statement copy(db, sql::RebuildBenchCopyMemos);
        copy.run();
        transaction.commit();
    }
    const double seconds = timer.nsecsElapsed() / 1e9;
    QFile::remove(target);
    return seconds;
}

void BM_RebuildVersusInsertSelect(benchmark::State& state)
{
    Home& home = sharedHome();
    double rebuildSeconds = 0;
    double sqliteSeconds = 0;
    int repaints = 0;
    int runs = 0;
    for (auto _ : state) {
        sqliteSeconds += copyBySqlite(home);

        frmProgress window;
        PaintCounter counter;
        window.findChild<QWidget*>(QStringLiteral("picProgressBar2"))->installEventFilter(&counter);
        window.show();
        QApplication::processEvents();
        QElapsedTimer timer;
        timer.start();
        const bool rebuilt = RebuildDatabase({250, home.db(), QString(), home.path()}, window);
        rebuildSeconds += timer.nsecsElapsed() / 1e9;
        if (!rebuilt)
            state.SkipWithError("rebuild cancelled");
        repaints += counter.paints;
        ++runs;
    }
    const double ratio = rebuildSeconds / sqliteSeconds;
    state.counters["rebuild_s"] = rebuildSeconds / runs;
    state.counters["insert_select_s"] = sqliteSeconds / runs;
    state.counters["ratio"] = ratio;
    state.counters["bar_repaints"] = double(repaints) / runs;
    std::printf("rebuild of %d memos: %.3f s, SQLite INSERT ... SELECT: %.3f s, ratio %.2f (target 3), "
                "%d bar repaints per rebuild\n",
                kMemos, rebuildSeconds / runs, sqliteSeconds / runs, ratio, repaints / runs);
}
BENCHMARK(BM_RebuildVersusInsertSelect)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

QUILLET_BENCHMARK_MAIN();
