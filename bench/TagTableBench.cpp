// Tag table rebuild and lookup on a large database's grouped count, and the
// whole-tag test that the memo list fill runs once per memo. Generates its own
// data; prints figures only.
#include "tags/TagString.h"
#include "tags/TagTable.h"

#include <benchmark/benchmark.h>

#include <QSet>

#include <random>

static constexpr int DistinctTags = 200;
static constexpr int Groups = 90'000;

static QStringList tagNames()
{
    QStringList names;
    for (int i = 0; i < DistinctTags; ++i)
        names.append(QStringLiteral("Tag%1_%2").arg(i).arg(QString(i % 7 + 1, QChar(u'a' + i % 26))));
    return names;
}

// About 90,000 distinct tag strings of 2 to 4 tags each, as the grouped count
// returns them, with a few memos per string.
static std::vector<CategoryGroup> categoryGroups()
{
    const QStringList names = tagNames();
    std::mt19937 random(11);
    std::vector<CategoryGroup> groups;
    QSet<QString> seen;
    groups.reserve(Groups);
    while (int(groups.size()) < Groups) {
        const int tagCount = 2 + int(random() % 3);
        QStringList tags;
        for (int i = 0; i < tagCount; ++i) {
            QString name = names[int(random() % DistinctTags)];
            if (random() % 4 == 0)
                name = name.toUpper(); // the same tag in another letter case
            tags.append(name);
        }
        QString category = tags.join(u' ');
        if (seen.contains(category))
            continue;
        seen.insert(category);
        groups.push_back(CategoryGroup{category, false, 1 + int(random() % 3)});
    }
    return groups;
}

static void BM_TagTableLoad(benchmark::State& state)
{
    const std::vector<CategoryGroup> groups = categoryGroups();
    TagTable table;
    for (auto _ : state) {
        table.load(groups, 10);
        benchmark::DoNotOptimize(table.totalCount());
    }
    state.counters["groups"] = double(groups.size());
    state.counters["names"] = double(table.names().size());
    state.counters["groups_per_second"] =
        benchmark::Counter(double(groups.size()), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_TagTableLoad)->Unit(benchmark::kMillisecond);

static void BM_TagTableFindCatIndex(benchmark::State& state)
{
    TagTable table;
    table.load(categoryGroups(), 0);
    QStringList probes = tagNames();
    for (int i = 0; i < 50; ++i)
        probes.append(QStringLiteral("missing%1").arg(i));
    qsizetype next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(table.findCatIndex(probes[next]));
        next = (next + 1) % probes.size();
    }
}
BENCHMARK(BM_TagTableFindCatIndex);

// The whole-tag test over 100,000 tag strings, as one memo list fill for a tag does.
static void BM_HoldsTagOverMemoList(benchmark::State& state)
{
    const std::vector<CategoryGroup> groups = categoryGroups();
    std::vector<QString> memoTags;
    memoTags.reserve(100'000);
    for (int i = 0; memoTags.size() < 100'000; ++i)
        memoTags.push_back(groups[size_t(i) % groups.size()].category);
    const QString name = tagNames()[42].toLower();
    int matches = 0;
    for (auto _ : state) {
        matches = 0;
        for (const QString& tags : memoTags)
            matches += holdsTag(tags, name) ? 1 : 0;
        benchmark::DoNotOptimize(matches);
    }
    state.counters["memos"] = double(memoTags.size());
    state.counters["matches"] = double(matches);
}
BENCHMARK(BM_HoldsTagOverMemoList)->Unit(benchmark::kMillisecond);
