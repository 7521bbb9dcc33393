// The tag search over 100,000 memos of about 1 KB (mixed Japanese and
// English text, and Japanese text only), with the search index built in the
// set-up. Each round first times a plain scan of the same rows (every memo's
// tag string, title and body read from the database, nothing tested), then
// the search itself; "scan_ms" and the round's time (the search) are printed
// side by side, "ratio" being search / scan. The window's filter command is
// timed whole as well: dialog answer, search, "[Find]" count and list.
// quillet_bench_search_index times the index on the generated corpus at up
// to 1,000,000 memos.
#include "BenchHome.h"
#include "search/TagSearch.h"
#include "store/SearchIndex.h"
#include "tags/CategoryList.h"

#include <QAction>

#include <chrono>

namespace {

constexpr int kMemos = 100'000;

// Files every memo of the database in its search index.
void buildIndex(const QString& path)
{
    MemoStore store(path);
    SearchIndex index(store.database());
    index.prepare();
    index.catchUp(nullptr);
}

Home& home()
{
    static Home home(kMemos);
    static const bool indexed = (buildIndex(home.db()), true);
    Q_UNUSED(indexed);
    return home;
}

// The same number of memos with Japanese bodies of about 1 KB (340
// characters, three bytes each), for the cost of folding kana and kanji.
struct JapaneseHome
{
    QTemporaryDir dir;
    QString db() const { return dir.path() + QStringLiteral("/japanese.mdb"); }

    JapaneseHome()
    {
        TemplateDatabase::copyTo(dir.path() + QLatin1Char('/'), db());
        MemoStore store(db());
        const QString body =
            QStringLiteral("今日は晴れ。明日の会議の資料をまとめて、カタカナとひらがなを混ぜた本文です。")
                .repeated(10)
                .left(340);
        auto transaction = store.transaction();
        for (int i = 0; i < kMemos; ++i)
            store.insertMemo(QStringLiteral("メモ %1").arg(i), body, QStringLiteral("タグ%1").arg(i % 200),
                             QStringLiteral("2026/01/01 00:00:00"));
        transaction.commit();
    }
};

JapaneseHome& japaneseHome()
{
    static JapaneseHome home;
    static const bool indexed = (buildIndex(home.db()), true);
    Q_UNUSED(indexed);
    return home;
}

struct Case
{
    const char* label;
    SearchRequest request;
};

SearchRequest words(const char16_t* text, SearchJoin join = SearchJoin::And, bool titles = true)
{
    SearchRequest request;
    request.words = QString::fromUtf16(text);
    request.wordJoin = join;
    request.searchTitles = titles;
    return request;
}

const std::vector<Case>& cases()
{
    static const std::vector<Case> all = [] {
        SearchRequest tagged = words(u"matter");
        tagged.tags = {QStringLiteral("タグ7")};
        return std::vector<Case>{
            {"no tags, no words (all found)", SearchRequest{}},
            {"one word found nowhere", words(u"zebra")},
            {"one Japanese word found early", words(u"本文")},
            {"two words OR, found nowhere", words(u"zebra ｷﾘﾝ", SearchJoin::Or)},
            {"full-width word found, kana word not (AND)", words(u"ＭＡＴＴＥＲ ぼでぃ")},
            {"a tag and a word", tagged},
            {"Japanese memos: one word found nowhere", words(u"きりん")},
            {"Japanese memos: a hiragana word found as katakana", words(u"かたかな")},
        };
    }();
    return all;
}

double plainScanMs(MemoStore& store)
{
    const auto start = std::chrono::steady_clock::now();
    qsizetype bytes = 0;
    store.forEachSearchRow(
        [&](const MemoSearchRow& row) { bytes += row.category.size() + row.title.size() + row.body.size(); });
    benchmark::DoNotOptimize(bytes);
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

void BM_TagSearch(benchmark::State& state)
{
    const Case& c = cases()[size_t(state.range(0))];
    state.SetLabel(c.label);
    const bool japanese = QString::fromLatin1(c.label).startsWith(QStringLiteral("Japanese"));
    MemoStore store(japanese ? japaneseHome().db() : home().db());
    plainScanMs(store); // the file into the cache before the first round
    double scanTotal = 0;
    double searchTotal = 0;
    qsizetype found = 0;
    for (auto _ : state) {
        scanTotal += plainScanMs(store);
        const auto start = std::chrono::steady_clock::now();
        found = RunTagSearch(store, c.request).size();
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        searchTotal += ms;
        state.SetIterationTime(ms / 1000.0);
    }
    const double rounds = double(state.iterations());
    state.counters["scan_ms"] = scanTotal / rounds;
    state.counters["ratio"] = searchTotal / scanTotal;
    state.counters["found"] = double(found);
}

// For comparison: reading every memo whole into strings, as exports do.
void BM_ReadWholeMemos(benchmark::State& state)
{
    MemoStore store(home().db());
    for (auto _ : state) {
        int count = 0;
        store.forEachMemo(true, true, [&](const Memo& memo) {
            benchmark::DoNotOptimize(memo.body.size());
            ++count;
            return true;
        });
        benchmark::DoNotOptimize(count);
    }
}

// Answers the filter dialog with a fixed request.
class SearchingPrompt final : public SilentPrompt
{
public:
    SearchRequest request;
    std::optional<SearchRequest> chooseSearch(const SearchRequest&, const QStringList&) override
    {
        return request;
    }
};

void BM_FilteringCommand(benchmark::State& state)
{
    SearchingPrompt prompt;
    prompt.request = state.range(0) == 0 ? SearchRequest{} : words(u"zebra");
    state.SetLabel(state.range(0) == 0 ? "all 100,000 found and listed" : "nothing found");
    auto window = openWindow(home(), prompt);
    QAction* filtering = window->commandAction("mnuFiltering");
    for (auto _ : state)
        filtering->trigger();
    state.counters["found"] = window->categoryList().table().findCount();
}

} // namespace

BENCHMARK(BM_TagSearch)->DenseRange(0, 7)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ReadWholeMemos)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FilteringCommand)->DenseRange(0, 1)->Unit(benchmark::kMillisecond)->Iterations(3);

QUILLET_BENCHMARK_MAIN()
