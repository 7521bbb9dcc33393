// The main window's lists on a large database: start-up, the tag counts, list
// fills, sorts and saving one memo. Generates its own databases (100,000 memos
// of about 1 KB with about 200 tags, and 1,000 memos for the save comparison)
// and prints figures, each beside what SQLite alone needs for the same rows.
#include "app/Clock.h"
#include "app/Prompt.h"
#include "app/Startup.h"
#include "editing/MemoEditor.h"
#include "store/MemoStore.h"
#include "store/StatementCatalogue.h"
#include "store/TemplateDatabase.h"
#include "tags/CategoryList.h"
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
#include <sqlite3.h>

namespace {

// Answers nothing: the benchmarks never ask the user anything.
class SilentPrompt final : public Prompt
{
public:
    PromptAnswer message(const PromptMessage&) override { return PromptAnswer::Ok; }
    std::optional<QString> inputText(const QString&, const QString&, const QString&) override { return {}; }
    QString password(const QString&, const QString&) override { return {}; }
    QString openFile(const FileDialogRequest&) override { return {}; }
    QStringList openFiles(const FileDialogRequest&) override { return {}; }
    QString saveFile(const FileDialogRequest&) override { return {}; }
    QString chooseFolder(const FileDialogRequest&) override { return {}; }
    std::optional<quint32> chooseColour(quint32) override { return {}; }
};

// A home folder with a default database of `memos` memos.
struct Home
{
    QTemporaryDir dir;
    QString path() const { return dir.path() + QLatin1Char('/'); }
    QString db() const { return path() + QStringLiteral("diary.mdb"); }

    explicit Home(int memos)
    {
        TemplateDatabase::copyTo(path(), db());
        MemoStore store(db());
        std::mt19937 random(7);
        QStringList names;
        for (int i = 0; i < 200; ++i)
            names.append(QStringLiteral("タグ%1").arg(i));
        const QString filler = QStringLiteral("メモの本文です。The body of a memo, long enough to matter. ").repeated(20);
        auto transaction = store.transaction();
        for (int i = 0; i < memos; ++i) {
            QStringList tags;
            const int count = 2 + int(random() % 3);
            for (int t = 0; t < count; ++t)
                tags.append(names[int(random() % names.size())]);
            const QString time = QStringLiteral("2026/%1/%2 %3:00:00")
                                     .arg(1 + i % 12, 2, 10, QLatin1Char('0'))
                                     .arg(1 + i % 28, 2, 10, QLatin1Char('0'))
                                     .arg(i % 24, 2, 10, QLatin1Char('0'));
            store.insertMemo(QStringLiteral("Memo %1 %2").arg(random() % 100000).arg(i), filler.left(1000),
                             tags.join(QLatin1Char(' ')), time);
        }
        transaction.commit();
    }
};

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
SystemClock g_clock;

std::unique_ptr<Form1> openWindow(Home& home)
{
    StartupResult startup = Startup(g_prompt, home.path()).run({});
    auto window = std::make_unique<Form1>(std::move(startup), g_prompt, g_clock);
    window->show();
    QApplication::processEvents();
    return window;
}

// What SQLite alone needs to step through a statement and touch its text columns.
void stepStatement(const QString& db, const char* sql, int bind, int columns)
{
    sqlite3* handle = nullptr;
    sqlite3_open_v2(QFile::encodeName(db).constData(), &handle, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(handle, sql, -1, &statement, nullptr);
    if (bind >= 0)
        sqlite3_bind_int(statement, 1, bind);
    size_t bytes = 0;
    while (sqlite3_step(statement) == SQLITE_ROW)
        for (int column = 0; column < columns; ++column)
            bytes += size_t(sqlite3_column_bytes(statement, column)) + size_t(sqlite3_column_text(statement, column) != nullptr);
    benchmark::DoNotOptimize(bytes);
    sqlite3_finalize(statement);
    sqlite3_close(handle);
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
        stepStatement(db, sql::CountMemosPerCategory, -1, 2);
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
        stepStatement(db, sql::ListMemos, 0, 7);
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

} // namespace

BENCHMARK(BM_Startup)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SqliteGroupedCount)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadCategoryCounts)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SqliteListColumns)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillAll)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillOneTag)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortMemoList)->Arg(MemoListModel::ColumnTitle)->Arg(MemoListModel::ColumnId)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveOneMemo)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
