// The commands over many memos on a database of 100,000: moving 10,000
// selected memos to the trash and restoring them, setting an icon on 10,000,
// and renaming a tag that 10,000 memos carry. Each runs as the user starts it,
// through the window's menu action. Alongside the time, "repaints" counts how
// often the progress window was painted while it ran.
#include "BenchHome.h"
#include "tags/CategoryList.h"
#include "tags/ListViews.h"
#include "tags/MemoList.h"
#include "tags/TagTable.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QPaintEvent>

namespace {

constexpr int kMemos = 100'000;
constexpr int kSelected = 10'000;

Home& home()
{
    // Every tenth memo carries "shared": 10,000 in all.
    static Home home(kMemos, kMemos / kSelected);
    return home;
}

void chooseCategory(Form1& window, const QString& name)
{
    const int row = name == TagTable::allName() ? TagTable::AllRowId
                    : name == TagTable::trashName()
                        ? TagTable::TrashRowId
                        : TagTable::rowIdOfIndex(window.categoryList().FindCatIndex(name));
    window.categoryList().selectRowId(row);
    window.FillMemoList();
}

std::unique_ptr<Form1> openQuiet(AnsweringPrompt& prompt)
{
    // No questions or reports around the move: the setting IsTrash = 1.
    return openWindowWithSettings(home(), prompt, "[General]\r\nIsTrash=1\r\n");
}

void BM_MoveToTrash(benchmark::State& state)
{
    AnsweringPrompt prompt;
    auto window = openQuiet(prompt);
    int paints = 0;
    for (auto _ : state) {
        state.PauseTiming();
        chooseCategory(*window, TagTable::allName());
        selectFirstRows(*window, kSelected);
        RepaintCounter counter(RepaintCounter::Count::WindowOnly);
        state.ResumeTiming();
        trigger(*window, "mnuDeleteMemo");
        state.PauseTiming();
        paints = counter.paints;
        state.counters["moved"] = window->categoryList().table().trashCount();
        // Back out of the trash for the next round.
        chooseCategory(*window, TagTable::trashName());
        window->memoList().SelectAllMemos();
        trigger(*window, "mnuRestoreMemo");
        state.ResumeTiming();
    }
    state.counters["repaints"] = paints;
}

void BM_RestoreFromTrash(benchmark::State& state)
{
    AnsweringPrompt prompt;
    auto window = openQuiet(prompt);
    for (auto _ : state) {
        state.PauseTiming();
        chooseCategory(*window, TagTable::allName());
        selectFirstRows(*window, kSelected);
        trigger(*window, "mnuDeleteMemo");
        chooseCategory(*window, TagTable::trashName());
        window->memoList().SelectAllMemos();
        state.ResumeTiming();
        trigger(*window, "mnuRestoreMemo");
    }
}

void BM_SetIcon(benchmark::State& state)
{
    AnsweringPrompt prompt;
    auto window = openQuiet(prompt);
    chooseCategory(*window, TagTable::allName());
    int paints = 0;
    bool red = true;
    for (auto _ : state) {
        state.PauseTiming();
        selectFirstRows(*window, kSelected);
        RepaintCounter counter(RepaintCounter::Count::WindowOnly);
        state.ResumeTiming();
        trigger(*window, red ? "mnuIcon_FlagRed" : "mnuIcon_Delete");
        state.PauseTiming();
        state.counters["selected"] = double(window->memoList().selectedIds().size());
        paints = counter.paints;
        red = !red;
        state.ResumeTiming();
    }
    state.counters["repaints"] = paints;
}

void BM_RenameTag(benchmark::State& state)
{
    AnsweringPrompt prompt;
    prompt.inputs = {QStringLiteral("renamed"), QStringLiteral("shared")};
    auto window = openQuiet(prompt);
    for (auto _ : state) {
        state.PauseTiming();
        chooseCategory(*window,
                       prompt.nextInput % 2 == 0 ? QStringLiteral("shared") : QStringLiteral("renamed"));
        state.ResumeTiming();
        trigger(*window, "pop2RenameCategory");
    }
    state.counters["carriers"] = kSelected;
}

} // namespace

BENCHMARK(BM_MoveToTrash)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_RestoreFromTrash)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SetIcon)->Unit(benchmark::kMillisecond)->Iterations(4);
BENCHMARK(BM_RenameTag)->Unit(benchmark::kMillisecond)->Iterations(4);

QUILLET_BENCHMARK_MAIN()
