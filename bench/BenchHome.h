#pragma once

// Shared by the benchmarks: a scratch home with a generated database, a main
// window opened on it, and main().
#include "MemoCorpus.h"
#include "SilentPrompt.h"
#include "app/Clock.h"
#include "app/Startup.h"
#include "store/MemoStore.h"
#include "store/TemplateDatabase.h"
#include "tags/ListViews.h"
#include "tags/MemoList.h"
#include "ui/Form1.h"

#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QItemSelectionModel>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <vector>

#include <sqlite3.h>

// A home folder with a default database of `memos` memos of about 1 KB, each
// with two to four of 200 tags; every `sharedEvery`-th memo (when above 0)
// also carries the tag "shared".
struct Home
{
    QTemporaryDir dir;
    QString path() const { return dir.path() + QLatin1Char('/'); }
    QString db() const { return path() + QStringLiteral("diary.mdb"); }

    explicit Home(int memos, int sharedEvery = 0)
    {
        TemplateDatabase::copyTo(path(), db());
        MemoStore store(db());
        std::mt19937 random(7);
        QStringList names;
        for (int i = 0; i < 200; ++i)
            names.append(QStringLiteral("タグ%1").arg(i));
        const QString filler =
            QStringLiteral("メモの本文です。The body of a memo, long enough to matter. ").repeated(20);
        auto transaction = store.transaction();
        for (int i = 0; i < memos; ++i) {
            QStringList tags;
            const int count = 2 + int(random() % 3);
            for (int t = 0; t < count; ++t)
                tags.append(names[int(random() % names.size())]);
            if (sharedEvery > 0 && i % sharedEvery == 0)
                tags.append(QStringLiteral("shared"));
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

// A home folder whose default database is a copy of the generated corpus of
// `memos` memos (MemoCorpus.h).
struct CorpusHome
{
    QTemporaryDir dir;
    QString path() const { return dir.path() + QLatin1Char('/'); }
    QString db() const { return path() + QStringLiteral("diary.mdb"); }

    explicit CorpusHome(int memos)
    {
        TemplateDatabase::copyTo(path(), db());
        QFile::remove(db());
        QFile::copy(corpus::corpusFile(memos), db());
    }
};

template <typename AnyHome> inline std::unique_ptr<Form1> openWindowIn(AnyHome& home, Prompt& prompt)
{
    static SystemClock clock;
    StartupResult startup = Startup(prompt, home.path()).run({});
    auto window = std::make_unique<Form1>(std::move(startup), prompt, clock);
    window->show();
    QApplication::processEvents();
    return window;
}

inline std::unique_ptr<Form1> openWindow(Home& home, Prompt& prompt)
{
    return openWindowIn(home, prompt);
}

// Opens the window after writing `settings` as the default profile's settings file.
inline std::unique_ptr<Form1> openWindowWithSettings(Home& home, Prompt& prompt, const QByteArray& settings)
{
    QFile ini(home.path() + QStringLiteral("quillet_default.ini"));
    if (ini.open(QIODevice::WriteOnly | QIODevice::Truncate))
        ini.write(settings);
    ini.close();
    return openWindow(home, prompt);
}

// Answers every question Yes, and input boxes from a list in turn.
class AnsweringPrompt final : public SilentPrompt
{
public:
    QStringList inputs;
    int nextInput = 0;
    PromptAnswer message(const PromptMessage& message) override
    {
        return message.buttons == PromptButtons::Ok ? PromptAnswer::Ok : PromptAnswer::Yes;
    }
    std::optional<QString> inputText(const QString&, const QString&, const QString&) override
    {
        if (inputs.isEmpty())
            return std::nullopt;
        return inputs.value(nextInput++ % int(inputs.size()));
    }
};

// Steps through a statement on a read-only connection of its own, touching
// every column, as the cheapest reader of the same rows would.
inline void stepStatement(const QString& db, const char* sql, const std::vector<qint64>& binds)
{
    sqlite3* handle = nullptr;
    sqlite3_open_v2(QFile::encodeName(db).constData(), &handle, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(handle, sql, -1, &statement, nullptr);
    for (size_t i = 0; i < binds.size(); ++i)
        sqlite3_bind_int64(statement, int(i) + 1, binds[i]);
    const int columns = sqlite3_column_count(statement);
    size_t bytes = 0;
    while (sqlite3_step(statement) == SQLITE_ROW)
        for (int column = 0; column < columns; ++column)
            bytes += size_t(sqlite3_column_bytes(statement, column)) +
                     size_t(sqlite3_column_text(statement, column) != nullptr);
    benchmark::DoNotOptimize(bytes);
    sqlite3_finalize(statement);
    sqlite3_close(handle);
}

// Selects the first `count` rows of the memo list.
inline void selectFirstRows(Form1& window, int count)
{
    QAbstractItemView* view = window.memoList().view();
    QAbstractItemModel* model = view->model();
    view->selectionModel()->select(QItemSelection(model->index(0, 0), model->index(count - 1, 0)),
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

// Runs the window's command `action` as its menu item does.
inline void trigger(Form1& window, const char* action)
{
    window.findChild<QAction*>(QString::fromLatin1(action))->trigger();
}

// Counts the paint events of the progress window while it lives: of the
// window alone, or of the window and every widget in it.
class RepaintCounter : public QObject
{
public:
    enum class Count
    {
        WindowOnly,
        WithItsWidgets
    };
    int paints = 0;
    explicit RepaintCounter(Count count) : m_count(count) { qApp->installEventFilter(this); }
    ~RepaintCounter() override { qApp->removeEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Paint || !watched->isWidgetType())
            return false;
        const QWidget* window = static_cast<QWidget*>(watched)->window();
        if (window->objectName() == QStringLiteral("frmProgress") &&
            (m_count == Count::WithItsWidgets || window == watched))
            ++paints;
        return false;
    }

private:
    Count m_count;
};

// What a benchmark keeps for all its runs (windows above all) is let go
// here before the application ends.
inline std::vector<std::function<void()>>& benchEndings()
{
    static std::vector<std::function<void()>> endings;
    return endings;
}

#define QUILLET_BENCHMARK_MAIN()                                                                             \
    int main(int argc, char** argv)                                                                          \
    {                                                                                                        \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                                                  \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                                         \
        QApplication app(argc, argv);                                                                        \
        benchmark::Initialize(&argc, argv);                                                                  \
        benchmark::RunSpecifiedBenchmarks();                                                                 \
        benchmark::Shutdown();                                                                               \
        for (const auto& ending : benchEndings())                                                            \
            ending();                                                                                        \
        return 0;                                                                                            \
    }
