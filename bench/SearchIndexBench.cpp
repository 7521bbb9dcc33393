// The tag search through the search index, on the generated memo databases of
// 1,000, 100,000 and 1,000,000 memos (MemoCorpus.h). Each database is copied
// into a scratch folder and its index built once in the set-up; that build is
// timed and reported apart ("index_build" lines: making the empty index, as
// the first search does, filing every memo, and the file's growth).
//
// Each round of a case runs the plain scan of today (every memo outside the
// trash read and matched, the floor the index is measured against) and then
// the indexed search; the round's time is the indexed search, "scan_ms" the
// scan beside it. "found" is what both find ("same" is 1 when their lists are
// identical), "candidates" the memos the index named or left pending,
// "certain" those it decided alone, "scanned" 1 when the indexed search read
// every memo anyway (a word in most memos), "index_ms" the part of the time
// spent asking the index.
//
//   QUILLET_BENCH_DATA=/work/bench-data build/bench/quillet_bench_search_index
#include "MemoCorpus.h"
#include "search/TagSearch.h"
#include "store/MemoStore.h"
#include "store/SearchIndex.h"
#include "store/StatementCatalogue.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <map>
#include <memory>

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

qint64 fileBytes(const QString& path)
{
    return QFileInfo(path + QStringLiteral("-wal")).size() + QFileInfo(path).size();
}

// A copy of the corpus of `count` memos with its index built.
struct IndexedCopy
{
    QTemporaryDir dir;
    QString path;
    std::unique_ptr<MemoStore> store;

    explicit IndexedCopy(int count)
    {
        path = dir.path() + QStringLiteral("/memos.mdb");
        QFile::copy(corpus::corpusFile(count), path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        const qint64 before = fileBytes(path);
        store = std::make_unique<MemoStore>(path);
        SearchIndex index(store->database());
        auto start = Clock::now();
        index.prepare(); // as the first search does: the index made, every memo pending
        const double createMs = msSince(start);
        const int pending = index.pendingCount();
        start = Clock::now();
        index.catchUp(nullptr);
        const double buildMs = msSince(start);
        store->database().execute(sql::CheckpointWal);
        const qint64 after = fileBytes(path);
        std::printf("index_build memos=%d create_ms=%.0f pending=%d file_ms=%.0f (%.1f us/memo) "
                    "file_MB=%.1f -> %.1f (+%.1f MB, +%.0f%%)\n",
                    count, createMs, pending, buildMs, pending ? buildMs * 1000.0 / pending : 0.0,
                    before / 1e6, after / 1e6, (after - before) / 1e6, 100.0 * (after - before) / before);
        std::fflush(stdout);
    }
};

// One copy at a time: the million-memo copy takes nearly 2 GB of disk.
MemoStore& storeFor(int count)
{
    static std::unique_ptr<IndexedCopy> copy;
    static int copied = -1;
    if (copied != count) {
        copy.reset();
        copy = std::make_unique<IndexedCopy>(count);
        copied = count;
    }
    return *copy->store;
}

struct Case
{
    const char* label;
    SearchRequest request;
};

SearchRequest words(const char16_t* text, SearchJoin join = SearchJoin::And)
{
    SearchRequest request;
    request.words = QString::fromUtf16(text);
    request.wordJoin = join;
    return request;
}

SearchRequest tagged(const char16_t* text)
{
    SearchRequest request = words(text);
    request.tags = {QStringLiteral("タグ7")};
    return request;
}

const std::vector<Case>& cases()
{
    static const std::vector<Case> all{
        {"rare word 語12345", words(u"語12345")},
        {"rare word term123", words(u"term123")},
        {"Japanese word データベース (a tenth of the memos)", words(u"データベース")},
        {"Japanese word 打ち合わせ (a third)", words(u"打ち合わせ")},
        {"two characters 東京 (half)", words(u"東京")},
        {"two characters 会議 (nine tenths)", words(u"会議")},
        {"one character 雨 (two fifths)", words(u"雨")},
        {"one character ｶﾞ (as in ひらがな)", words(u"ｶﾞ")},
        {"AND データベース 東京", words(u"データベース 東京")},
        {"OR 語12345 term4567", words(u"語12345 term4567", SearchJoin::Or)},
        {"English word meeting (two thirds)", words(u"meeting")},
        {"tag タグ7 and word データベース", tagged(u"データベース")},
        {"tag タグ7 and word 語12345", tagged(u"語12345")},
        {"tag タグ7 only", tagged(u"")},
    };
    return all;
}

void BM_IndexedSearch(benchmark::State& state)
{
    const int count = int(state.range(0));
    const Case& c = cases()[size_t(state.range(1))];
    state.SetLabel(c.label);
    MemoStore& store = storeFor(count);
    ScanTagSearch(store, c.request); // the file into the cache before the first round
    double scanTotal = 0;
    QList<qint64> scanned;
    QList<qint64> found;
    TagSearchStats stats;
    for (auto _ : state) {
        auto start = Clock::now();
        scanned = ScanTagSearch(store, c.request);
        scanTotal += msSince(start);
        start = Clock::now();
        found = RunTagSearch(store, c.request, {}, &stats);
        state.SetIterationTime(msSince(start) / 1000.0);
    }
    state.counters["scan_ms"] = scanTotal / double(state.iterations());
    state.counters["found"] = double(found.size());
    state.counters["same"] = found == scanned ? 1 : 0;
    state.counters["candidates"] = double(stats.candidates);
    state.counters["certain"] = double(stats.certain);
    state.counters["scanned"] = stats.scanned ? 1 : 0;
    state.counters["index_ms"] = stats.indexMs;
}

void allCases(benchmark::internal::Benchmark* bench)
{
    for (const int count : {1'000, 100'000, 1'000'000})
        for (int c = 0; c < int(cases().size()); ++c)
            bench->Args({count, c});
}

} // namespace

BENCHMARK(BM_IndexedSearch)->Apply(allCases)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
