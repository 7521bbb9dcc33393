// The main window's lists on a large database: start-up, the tag counts, list
// fills, sorts and saving one memo. Generates its own databases (100,000 memos
// of about 1 KB with about 200 tags, and 1,000 memos for the save comparison)
// and prints figures, each beside what SQLite alone needs for the same rows.
// The saves and the memo list's own row changes run at 1,000 and 100,000 rows:
// their cost should not grow with the list.
#include "BenchHome.h"
#include "app/Clock.h"
#include "app/Prompt.h"
#include "app/Startup.h"
#include "editing/MemoEditor.h"
#include "store/MemoStore.h"
#include "store/StatementCatalogue.h"
#include "store/TemplateDatabase.h"
#include "tags/CategoryList.h"
#include "tags/ListViews.h"
#include "tags/MemoList.h"
#include "tags/MemoListModel.h"
#include "ui/Form1.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSet>
#include <QTemporaryDir>
#include <random>

namespace {

Home& largeHome()
{
    static Home home(100'000);
    return home;
}

Home& smallHome()
{
    static Home home(1'000);
    return home;
}

SilentPrompt g_prompt;

std::unique_ptr<Form1> openWindow(Home& home)
{
    return ::openWindow(home, g_prompt);
}

void BM_Startup(benchmark::State& state)
{
    Home& home = largeHome();
    for (auto _ : state) {
        auto window = openWindow(home);
        benchmark::DoNotOptimize(window.get());
        state.PauseTiming();
        window->close();
        window.reset();
        state.ResumeTiming();
    }
}

void BM_SqliteGroupedCount(benchmark::State& state)
{
    const QString db = largeHome().db();
    for (auto _ : state)
        stepStatement(db, sql::CountMemosPerCategory, {});
}

void BM_LoadCategoryCounts(benchmark::State& state)
{
    auto window = openWindow(largeHome());
    for (auto _ : state)
        window->LoadCategoryCounts();
    state.counters["groups"] = double(window->store().readCategoryGroups().size());
    state.counters["tags"] = double(window->categoryList().table().names().size());
}

void BM_SqliteListColumns(benchmark::State& state)
{
    const QString db = largeHome().db();
    for (auto _ : state)
        stepStatement(db, sql::ListMemos, {0});
}

void BM_FillAll(benchmark::State& state)
{
    auto window = openWindow(largeHome());
    for (auto _ : state)
        window->memoList().FillMemoList(QStringLiteral("[ALL]"), window->categoryList().table());
    state.counters["rows"] = double(window->memoList().model()->rowCount());
}

void BM_FillOneTag(benchmark::State& state)
{
    auto window = openWindow(largeHome());
    for (auto _ : state)
        window->memoList().FillMemoList(QStringLiteral("タグ17"), window->categoryList().table());
    state.counters["rows"] = double(window->memoList().model()->rowCount());
}

void BM_SortMemoList(benchmark::State& state)
{
    auto window = openWindow(largeHome());
    window->memoList().FillMemoList(QStringLiteral("[ALL]"), window->categoryList().table());
    MemoListModel* model = window->memoList().model();
    const int column = int(state.range(0));
    bool toggle = false;
    for (auto _ : state) {
        if (column == MemoListModel::ColumnId)
            model->sortByIdNumber(toggle); // the "ID" header sorts by number
        else
            model->setTextSort(column, model->sortOrder() == Qt::AscendingOrder ? Qt::DescendingOrder
                                                                                : Qt::AscendingOrder);
    }
    state.SetLabel(column == MemoListModel::ColumnId ? "ID (numeric)" : "Title (text)");
}

void BM_SaveOneMemo(benchmark::State& state)
{
    Home& home = state.range(0) == 1000 ? smallHome() : largeHome();
    auto window = openWindow(home);
    MemoEditor& editor = window->editor();
    editor.LoadSelectedMemo(42);
    int round = 0;
    for (auto _ : state) {
        editor.txtTitle()->setText(QStringLiteral("Saved %1").arg(++round));
        editor.txtCategory()->setText(QStringLiteral("タグ1 タグ2 新しいタグ%1").arg(round % 3));
        window->SaveCurrentMemo();
    }
    state.counters["memos"] = double(state.range(0));
}

// The list of every memo sorted by update time, newest first: each save moves
// its memo to the top.
std::unique_ptr<Form1> openSortedByUpdate(Home& home)
{
    auto window = openWindow(home);
    window->memoList().model()->setTextSort(MemoListModel::ColumnUpdate, Qt::DescendingOrder);
    return window;
}

// Saving a new memo: its row is added at its place in the sorted list.
void BM_SaveNewMemo(benchmark::State& state)
{
    auto window = openSortedByUpdate(state.range(0) == 1000 ? smallHome() : largeHome());
    MemoEditor& editor = window->editor();
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        editor.clearForNewMemo(QString());
        editor.txtTitle()->setText(QStringLiteral("New %1").arg(++round));
        state.ResumeTiming();
        window->SaveCurrentMemo();
    }
    state.counters["rows"] = double(window->memoList().model()->rowCount());
}

// Saving a memo from far down the list: its row moves to the top.
void BM_SaveMovingMemo(benchmark::State& state)
{
    const int memos = int(state.range(0));
    auto window = openSortedByUpdate(memos == 1000 ? smallHome() : largeHome());
    MemoEditor& editor = window->editor();
    MemoListModel* model = window->memoList().model();
    int round = 0;
    qint64 moved = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const qint64 id = 1 + (qint64(++round) * 7919) % memos; // a different memo each round
        editor.LoadSelectedMemo(id);
        editor.txtTitle()->setText(QStringLiteral("Moved %1").arg(round));
        const int before = model->rowOfId(id);
        state.ResumeTiming();
        window->SaveCurrentMemo();
        state.PauseTiming();
        moved += before - model->rowOfId(id);
        state.ResumeTiming();
    }
    state.counters["rows"] = double(model->rowCount());
    state.counters["rows moved up"] = benchmark::Counter(double(moved), benchmark::Counter::kAvgIterations);
}

// The memo list alone, shown in its view, without the database: `memos` rows
// sorted by update time, newest first.
struct ShownList
{
    ReportListView view;
    MemoListModel model;
    std::vector<MemoListModel::Row> rows;

    explicit ShownList(int memos)
    {
        for (int i = 0; i < memos; ++i)
            rows.push_back({i + 1, QStringLiteral("2026/01/01 00:00:00"),
                            QStringLiteral("2026/%1/%2 00:00:00")
                                .arg(1 + i % 12, 2, 10, QLatin1Char('0'))
                                .arg(1 + i % 28, 2, 10, QLatin1Char('0')),
                            QStringLiteral("Memo %1").arg(i)});
        model.setTextSort(MemoListModel::ColumnUpdate, Qt::DescendingOrder);
        model.setRows(rows);
        view.setModel(&model);
        view.resize(600, 400);
        view.show();
        view.selectionModel()->setCurrentIndex(
            model.index(memos / 2, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        QApplication::processEvents();
    }
    static QString newest(int round) { return QStringLiteral("2027/%1").arg(round, 9, 10, QLatin1Char('0')); }
};

// A new row that goes to the top; every 100 rows the list is filled afresh
// (untimed) so that it keeps its size.
void BM_ListAddRow(benchmark::State& state)
{
    ShownList list(int(state.range(0)));
    int round = 0;
    for (auto _ : state) {
        if (round % 100 == 99) {
            state.PauseTiming();
            list.model.setRows(list.rows);
            state.ResumeTiming();
        }
        ++round;
        list.model.addRow(
            {1'000'000 + round, ShownList::newest(round), ShownList::newest(round), QStringLiteral("new")});
        if (state.range(1))
            QApplication::processEvents(); // the view lays its rows out and paints
    }
    state.SetLabel(state.range(1) ? "with the view's layout" : "model");
}

// A saved row from anywhere in the list that moves to the top.
void BM_ListUpdateMovesRow(benchmark::State& state)
{
    const int memos = int(state.range(0));
    ShownList list(memos);
    int round = 0;
    for (auto _ : state) {
        ++round;
        const qint64 id = 1 + (qint64(round) * 7919) % memos;
        list.model.updateRow(list.model.rowOfId(id), ShownList::newest(round), QStringLiteral("saved"));
        if (state.range(1))
            QApplication::processEvents(); // the view lays its rows out and paints
    }
    state.SetLabel(state.range(1) ? "with the view's layout" : "model");
}

} // namespace

BENCHMARK(BM_Startup)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SqliteGroupedCount)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadCategoryCounts)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SqliteListColumns)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillAll)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillOneTag)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortMemoList)
    ->Arg(MemoListModel::ColumnTitle)
    ->Arg(MemoListModel::ColumnId)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveOneMemo)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ListAddRow)->ArgsProduct({{1000, 100000}, {0, 1}})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ListUpdateMovesRow)->ArgsProduct({{1000, 100000}, {0, 1}})->Unit(benchmark::kMicrosecond);
// Fixed rounds: every new memo stays in the database the later benchmarks use.
BENCHMARK(BM_SaveMovingMemo)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond)->Iterations(300);
BENCHMARK(BM_SaveNewMemo)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond)->Iterations(300);

QUILLET_BENCHMARK_MAIN()
