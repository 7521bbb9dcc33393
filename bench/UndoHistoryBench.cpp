// Undo history of a large text: memory held after many small changes, and the
// cost of recording one change. Generates its own text; prints figures only.
#include "editing/UndoHistory.h"

#include <benchmark/benchmark.h>

#include <random>

static QString largeText(qsizetype bytes)
{
    // Lines of ordinary words, so that the text is not one repeated character.
    static const char16_t* const words[] = {u"memo ", u"tag ", u"quillet ", u"undo ", u"text ", u"line\n"};
    QString text;
    text.reserve(bytes / qsizetype(sizeof(QChar)) + 16);
    std::mt19937 random(1);
    while (text.size() * qsizetype(sizeof(QChar)) < bytes)
        text += QStringView(words[random() % std::size(words)]);
    return text;
}

static constexpr qsizetype TextBytes = 1 << 20; // 1 MB of UTF-16
static constexpr int Changes = 1000;

// Records 1,000 single-character insertions at spread positions of a 1 MB text
// and reports what the history holds afterwards.
static void BM_UndoHistoryMemoryAfterInsertions(benchmark::State& state)
{
    const QString base = largeText(TextBytes);
    qsizetype bytes = 0;
    for (auto _ : state) {
        QString text = base;
        UndoHistory history;
        history.reset(text, 0);
        std::mt19937 random(2);
        for (int i = 0; i < Changes; ++i) {
            const qsizetype position = random() % (text.size() + 1);
            text.insert(position, QChar(u'x'));
            history.record(text, int(position + 1));
        }
        bytes = history.memoryBytes();
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["history_bytes"] = double(bytes);
    state.counters["text_bytes"] = double(TextBytes);
    state.counters["whole_snapshot_bytes"] = double(TextBytes) * (Changes + 1);
}
BENCHMARK(BM_UndoHistoryMemoryAfterInsertions)->Unit(benchmark::kMillisecond);

// The time of one record() on a 1 MB text; building the changed text is not timed.
static void BM_UndoHistoryRecordOnLargeText(benchmark::State& state)
{
    QString text = largeText(TextBytes);
    UndoHistory history;
    history.reset(text, 0);
    std::mt19937 random(3);
    for (auto _ : state) {
        state.PauseTiming();
        const qsizetype position = random() % (text.size() + 1);
        text.insert(position, QChar(u'y'));
        state.ResumeTiming();
        history.record(text, int(position + 1));
    }
    state.counters["entries"] = double(history.count());
    state.counters["history_bytes"] = double(history.memoryBytes());
}
BENCHMARK(BM_UndoHistoryRecordOnLargeText)->Iterations(Changes)->Unit(benchmark::kMicrosecond);

// Undo all the way back and redo to the end on a 1 MB text with 1,000 entries,
// applying every edit to the text as the edit box would.
static void BM_UndoHistoryWalkBackAndForth(benchmark::State& state)
{
    QString text = largeText(TextBytes);
    UndoHistory history;
    history.reset(text, 0);
    std::mt19937 random(4);
    for (int i = 0; i < Changes; ++i) {
        const qsizetype position = random() % (text.size() + 1);
        text.insert(position, QChar(u'z'));
        history.record(text, int(position + 1));
    }
    for (auto _ : state) {
        while (const auto edit = history.undo())
            text.replace(edit->position, edit->removeLength, edit->insertText);
        while (const auto edit = history.redo())
            text.replace(edit->position, edit->removeLength, edit->insertText);
        benchmark::DoNotOptimize(text.constData());
    }
}
BENCHMARK(BM_UndoHistoryWalkBackAndForth)->Unit(benchmark::kMillisecond);
