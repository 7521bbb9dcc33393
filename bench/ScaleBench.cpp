// Commands at 1,000, 100,000 and 1,000,000 memos of the generated corpus:
// what one memo costs (saving, moving to the trash, restoring, setting an
// icon), which should not grow with the database, and the commands over many
// selected memos (10,000 moved to the trash, restored, given an icon; up to
// 100,000 copied to the clipboard). Each runs through the window's own
// command. The copy also prints "floor_ms": the bare read of the same bodies
// by SQLite in the same run, without any conversion.
#include "BenchHome.h"
#include "editing/MemoEditor.h"
#include "tags/CategoryList.h"
#include "tags/MemoListModel.h"
#include "tags/TagTable.h"

#include <QClipboard>
#include <QItemSelectionModel>
#include <QPlainTextEdit>

#include <algorithm>
#include <chrono>
#include <map>

namespace {

CorpusHome& home(int memos)
{
    static std::map<int, std::unique_ptr<CorpusHome>> homes;
    auto& slot = homes[memos];
    if (!slot) {
        slot = std::make_unique<CorpusHome>(memos);
        // No question before selected memos go to the trash.
        QFile ini(slot->path() + QStringLiteral("quillet_default.ini"));
        if (ini.open(QIODevice::WriteOnly | QIODevice::Truncate))
            ini.write("[General]\r\nIsTrash=1\r\n");
    }
    return *slot;
}

void choose(Form1& window, int rowId)
{
    window.categoryList().selectRowId(rowId);
    window.FillMemoList();
}

// The first memo of "[ALL]" shown in the editor, then saved with one more
// character each round.
void BM_SaveOneMemo(benchmark::State& state)
{
    AnsweringPrompt prompt;
    auto window = openWindowIn(home(int(state.range(0))), prompt);
    choose(*window, TagTable::AllRowId);
    window->editor().LoadSelectedMemo(window->memoList().model()->row(0).id);
    for (auto _ : state) {
        state.PauseTiming();
        window->editor().txtContents()->insertPlainText(QStringLiteral("x"));
        state.ResumeTiming();
        window->SaveCurrentMemo();
    }
}

// The first memo of the list `from` moved by the command `move` (timed),
// then moved back from the list `back` by `moveBack` between rounds.
void moveOneMemo(benchmark::State& state, int from, const char* move, int back, const char* moveBack)
{
    AnsweringPrompt prompt;
    auto window = openWindowIn(home(int(state.range(0))), prompt);
    for (auto _ : state) {
        state.PauseTiming();
        choose(*window, from);
        selectFirstRows(*window, 1);
        state.ResumeTiming();
        trigger(*window, move);
        state.PauseTiming();
        choose(*window, back);
        selectFirstRows(*window, 1);
        trigger(*window, moveBack);
        state.ResumeTiming();
    }
}

void BM_TrashOneMemo(benchmark::State& state)
{
    moveOneMemo(state, TagTable::AllRowId, "mnuDeleteMemo", TagTable::TrashRowId, "mnuRestoreMemo");
}

void BM_RestoreOneMemo(benchmark::State& state)
{
    moveOneMemo(state, TagTable::TrashRowId, "mnuRestoreMemo", TagTable::AllRowId, "mnuDeleteMemo");
}

// An icon set on, then taken off, `selected` memos of "[ALL]".
void setIcons(benchmark::State& state, int selected)
{
    AnsweringPrompt prompt;
    auto window = openWindowIn(home(int(state.range(0))), prompt);
    choose(*window, TagTable::AllRowId);
    bool red = true;
    for (auto _ : state) {
        state.PauseTiming();
        selectFirstRows(*window, selected);
        state.ResumeTiming();
        trigger(*window, red ? "mnuIcon_FlagRed" : "mnuIcon_Delete");
        red = !red;
    }
    state.counters["selected"] = selected;
}

void BM_SetIconOnOne(benchmark::State& state)
{
    setIcons(state, 1);
}

void BM_SetIconOn10k(benchmark::State& state)
{
    setIcons(state, 10'000);
}

// Selects the rows of these memos in the memo list.
void selectIds(Form1& window, const QList<qint64>& ids)
{
    const MemoListModel& model = *window.memoList().model();
    std::vector<int> rows;
    for (qint64 id : ids)
        rows.push_back(model.rowOfId(id));
    std::sort(rows.begin(), rows.end());
    QItemSelection selection;
    for (size_t i = 0; i < rows.size();) {
        size_t j = i;
        while (j + 1 < rows.size() && rows[j + 1] == rows[j] + 1)
            ++j;
        selection.select(model.index(rows[i], 0), model.index(rows[j], 0));
        i = j + 1;
    }
    window.memoList().view()->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect |
                                                                      QItemSelectionModel::Rows);
}

// 10,000 selected memos of "[ALL]" moved to the trash ("trash_ms") and
// restored ("restore_ms"); the round's time is both.
void BM_TrashAndRestore10k(benchmark::State& state)
{
    AnsweringPrompt prompt;
    auto window = openWindowIn(home(int(state.range(0))), prompt);
    double trashMs = 0;
    double restoreMs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        choose(*window, TagTable::AllRowId);
        selectFirstRows(*window, 10'000);
        const QList<qint64> moved = window->memoList().selectedIds();
        state.ResumeTiming();
        auto start = std::chrono::steady_clock::now();
        trigger(*window, "mnuDeleteMemo");
        trashMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        state.PauseTiming();
        choose(*window, TagTable::TrashRowId);
        selectIds(*window, moved);
        state.ResumeTiming();
        start = std::chrono::steady_clock::now();
        trigger(*window, "mnuRestoreMemo");
        restoreMs =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    }
    state.counters["trash_ms"] = trashMs;
    state.counters["restore_ms"] = restoreMs;
}

// Up to 100,000 selected memos of "[ALL]" copied to the clipboard.
void BM_CopyToClipboard(benchmark::State& state)
{
    AnsweringPrompt prompt;
    auto window = openWindowIn(home(int(state.range(0))), prompt);
    choose(*window, TagTable::AllRowId);
    const int selected = std::min(100'000, window->memoList().model()->rowCount());
    selectFirstRows(*window, selected);
    const QList<qint64> ids = window->memoList().selectedIds();
    double floorMs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QApplication::clipboard()->clear();
        qint64 bytes = 0;
        const auto start = std::chrono::steady_clock::now();
        window->store().forEachMemoBody(ids, [&bytes](QByteArrayView body, bool) { bytes += body.size(); });
        floorMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        benchmark::DoNotOptimize(bytes);
        state.ResumeTiming();
        trigger(*window, "mnuCopyMemo2Clipboard");
    }
    state.counters["memos"] = selected;
    state.counters["floor_ms"] = floorMs;
    state.counters["chars"] = double(QApplication::clipboard()->text().size());
}

void sizes(benchmark::internal::Benchmark* bench)
{
    bench->Arg(1'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
}

} // namespace

BENCHMARK(BM_SaveOneMemo)->Apply(sizes)->Iterations(20);
BENCHMARK(BM_TrashOneMemo)->Apply(sizes)->Iterations(10);
BENCHMARK(BM_RestoreOneMemo)->Apply(sizes)->Iterations(10);
BENCHMARK(BM_SetIconOnOne)->Apply(sizes)->Iterations(20);
BENCHMARK(BM_SetIconOn10k)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_TrashAndRestore10k)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_CopyToClipboard)->Apply(sizes)->Iterations(3);

QUILLET_BENCHMARK_MAIN()
