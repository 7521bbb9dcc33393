// The memo list and the tag counts on the generated memo databases of 1,000,
// 100,000 and 1,000,000 memos (bench/MemoCorpus.h, copied to a scratch home):
// the fill of "[ALL]", the fill of one tag and the recount of the tags, each
// beside its floor, what SQLite alone needs to step through the statements
// behind it in the same run.
//
//   QUILLET_BENCH_DATA=/work/bench-data build/bench/quillet_bench_corpus_lists
//
// The fills read a long list in two parts at once, on two connections; the
// floors are the statements stepped once on one connection.
#include "BenchHome.h"
#include "MemoCorpus.h"
#include "store/StatementCatalogue.h"
#include "tags/CategoryList.h"
#include "tags/MemoListModel.h"

#include <map>

namespace {

SilentPrompt g_prompt;

// One home and one window per size, opened once for every benchmark.
struct Opened
{
    std::unique_ptr<CorpusHome> home;
    std::unique_ptr<Form1> window;
};

Opened& opened(int memos)
{
    static std::map<int, Opened> homes;
    if (homes.empty())
        benchEndings().push_back([] { homes.clear(); });
    Opened& entry = homes[memos];
    if (!entry.window) {
        entry.home = std::make_unique<CorpusHome>(memos);
        entry.window = openWindowIn(*entry.home, g_prompt);
    }
    return entry;
}

const std::vector<qint64> kWholeList = {0, std::numeric_limits<qint64>::min(),
                                        std::numeric_limits<qint64>::max()};

void BM_FillAll(benchmark::State& state)
{
    Form1& window = *opened(int(state.range(0))).window;
    for (auto _ : state)
        window.memoList().FillMemoList(QStringLiteral("[ALL]"), window.categoryList().table());
    state.counters["rows"] = double(window.memoList().model()->rowCount());
}

void BM_FillAll_SqliteFloor(benchmark::State& state)
{
    const QString db = opened(int(state.range(0))).home->db();
    for (auto _ : state)
        stepStatement(db, sql::ListShownMemosInRange, kWholeList);
}

void BM_FillOneTag(benchmark::State& state)
{
    Form1& window = *opened(int(state.range(0))).window;
    for (auto _ : state)
        window.memoList().FillMemoList(QStringLiteral("タグ17"), window.categoryList().table());
    state.counters["rows"] = double(window.memoList().model()->rowCount());
}

void BM_FillOneTag_SqliteFloor(benchmark::State& state)
{
    const QString db = opened(int(state.range(0))).home->db();
    for (auto _ : state)
        stepStatement(db, sql::ListMemosInRange, kWholeList);
}

void BM_LoadCategoryCounts(benchmark::State& state)
{
    Form1& window = *opened(int(state.range(0))).window;
    for (auto _ : state)
        window.categoryList().LoadCategoryCounts();
    state.counters["tags"] = double(window.categoryList().table().names().size());
}

void BM_LoadCategoryCounts_SqliteFloor(benchmark::State& state)
{
    const QString db = opened(int(state.range(0))).home->db();
    for (auto _ : state) {
        stepStatement(db, sql::ListTagStringsInOrder, {});
        stepStatement(db, sql::CountTrashedMemos, {});
    }
}

// A click on a column header of the "[ALL]" list: the text sort by titles or
// update times, each click the other direction, or the numeric ID sort.
void BM_SortAll(benchmark::State& state)
{
    Form1& window = *opened(int(state.range(0))).window;
    window.memoList().FillMemoList(QStringLiteral("[ALL]"), window.categoryList().table());
    MemoListModel* model = window.memoList().model();
    const int column = int(state.range(1));
    bool toggle = false;
    for (auto _ : state) {
        if (column == MemoListModel::ColumnId)
            model->sortByIdNumber(toggle);
        else
            model->setTextSort(column, model->sortOrder() == Qt::AscendingOrder ? Qt::DescendingOrder
                                                                                : Qt::AscendingOrder);
    }
    state.SetLabel(column == MemoListModel::ColumnId       ? "ID (numeric)"
                   : column == MemoListModel::ColumnUpdate ? "Update (text)"
                                                           : "Title (text)");
}

// The grouped count that the recount used before, for comparison.
void BM_GroupedCount_Sqlite(benchmark::State& state)
{
    const QString db = opened(int(state.range(0))).home->db();
    for (auto _ : state)
        stepStatement(db, sql::CountMemosPerCategory, {});
}

} // namespace

// Each measurement beside its floor, size by size.
#define QUILLET_CORPUS_BENCH(memos)                                                                          \
    BENCHMARK(BM_FillAll)->Arg(memos)->Unit(benchmark::kMillisecond);                                        \
    BENCHMARK(BM_FillAll_SqliteFloor)->Arg(memos)->Unit(benchmark::kMillisecond);                            \
    BENCHMARK(BM_FillOneTag)->Arg(memos)->Unit(benchmark::kMillisecond);                                     \
    BENCHMARK(BM_FillOneTag_SqliteFloor)->Arg(memos)->Unit(benchmark::kMillisecond);                         \
    BENCHMARK(BM_LoadCategoryCounts)->Arg(memos)->Unit(benchmark::kMillisecond);                             \
    BENCHMARK(BM_LoadCategoryCounts_SqliteFloor)->Arg(memos)->Unit(benchmark::kMillisecond);                 \
    BENCHMARK(BM_GroupedCount_Sqlite)->Arg(memos)->Unit(benchmark::kMillisecond);                            \
    BENCHMARK(BM_SortAll)                                                                                    \
        ->Args({memos, MemoListModel::ColumnTitle})                                                          \
        ->Args({memos, MemoListModel::ColumnUpdate})                                                         \
        ->Args({memos, MemoListModel::ColumnId})                                                             \
        ->Unit(benchmark::kMillisecond)

QUILLET_CORPUS_BENCH(1'000);
QUILLET_CORPUS_BENCH(100'000);
QUILLET_CORPUS_BENCH(1'000'000);

QUILLET_BENCHMARK_MAIN()
