// Importing a folder tree of 10,000 small text files, against a plain C++
// loop that walks the same tree and reads the same files in the same run.
// Each iteration imports into a fresh database; the counters give both times
// and their ratio.
#include "app/Clock.h"
#include "exchange/ReadFileText.h"
#include "exchange/TextImport.h"
#include "store/MemoStore.h"
#include "store/TemplateDatabase.h"
#include "tags/TagTable.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

namespace {

constexpr int kFolders = 100;
constexpr int kFilesPerFolder = 100;

// 100 folders in two levels, 100 files each of a few hundred bytes, UTF-8
// with CR LF line breaks; every tenth file is no text file.
struct Tree
{
    QTemporaryDir dir;
    QString root() const { return dir.path() + QStringLiteral("/tree"); }

    Tree()
    {
        const QByteArray body =
            QStringLiteral("メモの本文です。\r\nA line of an imported note.\r\n").repeated(4).toUtf8();
        for (int f = 0; f < kFolders; ++f) {
            const QString folder = root() + QStringLiteral("/group%1/folder%2/").arg(f / 10).arg(f);
            QDir().mkpath(folder);
            for (int i = 0; i < kFilesPerFolder; ++i) {
                const bool text = i % 10 != 0;
                QFile file(folder + QStringLiteral("note %1.%2").arg(i).arg(text ? "txt" : "dat"));
                file.open(QIODevice::WriteOnly);
                file.write(body + QByteArray::number(i));
            }
        }
    }
};

Tree& tree()
{
    static Tree generated;
    return generated;
}

// What a plain program does: walk the tree and read every ".txt" file whole.
std::size_t readPlainly(const std::string& root)
{
    std::size_t bytes = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file() || entry.path().extension() != ".txt")
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        bytes += text.size();
    }
    return bytes;
}

// Wall-clock and processor seconds of `work`; the processor time shows the
// cost apart from waiting on a busy machine.
struct Seconds
{
    double wall = 0;
    double cpu = 0;
    Seconds& operator+=(const Seconds& other)
    {
        wall += other.wall;
        cpu += other.cpu;
        return *this;
    }
};

Seconds secondsOf(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t cpuStart = std::clock();
    work();
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
            double(std::clock() - cpuStart) / CLOCKS_PER_SEC};
}

void BM_ImportFolderTree(benchmark::State& state)
{
    const QString root = tree().root();
    const std::string plainRoot = QFile::encodeName(root).toStdString();
    SystemClock clock;
    Seconds plainTotal;
    Seconds importTotal;
    int imported = 0;
    for (auto _ : state) {
        QTemporaryDir home;
        const QString db = home.path() + QStringLiteral("/diary.mdb");
        TemplateDatabase::copyTo(home.path() + u'/', db);
        MemoStore store(db);
        TagTable table;
        table.load(store.readCategoryGroups(), store.countTrashedMemos());

        std::size_t bytes = 0;
        plainTotal += secondsOf([&] { bytes = readPlainly(plainRoot); });
        benchmark::DoNotOptimize(bytes);
        const Seconds import = secondsOf(
            [&] { imported = TextImporter(store, table, clock).ImportFolder(root, true).imported; });
        importTotal += import;
        state.SetIterationTime(import.wall);
    }
    const double n = double(state.iterations());
    state.counters["files"] = imported;
    state.counters["plain_ms"] = plainTotal.wall / n * 1000;
    state.counters["import_ms"] = importTotal.wall / n * 1000;
    state.counters["ratio"] = importTotal.wall / plainTotal.wall;
    state.counters["plain_cpu_ms"] = plainTotal.cpu / n * 1000;
    state.counters["import_cpu_ms"] = importTotal.cpu / n * 1000;
    state.counters["cpu_ratio"] = importTotal.cpu / plainTotal.cpu;
}
BENCHMARK(BM_ImportFolderTree)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// The parts of an import on their own: the walk, the reading, the writing.
void BM_CollectFiles(benchmark::State& state)
{
    for (auto _ : state) {
        QStringList files;
        benchmark::DoNotOptimize(
            TextImport::CollectFiles(tree().root(), true, TextImport::acceptedExtensions(), files));
    }
}
BENCHMARK(BM_CollectFiles)->Unit(benchmark::kMillisecond);

void BM_ReadFileText(benchmark::State& state)
{
    QStringList files;
    TextImport::CollectFiles(tree().root(), true, TextImport::acceptedExtensions(), files);
    for (auto _ : state)
        for (const QString& path : files)
            benchmark::DoNotOptimize(ReadFileText::read(path));
}
BENCHMARK(BM_ReadFileText)->Unit(benchmark::kMillisecond);

void BM_PlainRead(benchmark::State& state)
{
    const std::string root = QFile::encodeName(tree().root()).toStdString();
    for (auto _ : state)
        benchmark::DoNotOptimize(readPlainly(root));
}
BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond);

} // namespace
