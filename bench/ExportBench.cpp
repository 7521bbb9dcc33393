// Exporting 100,000 memos of about 1 KB through a definition file (the shipped
// "テキスト" layout: title, date, tags, a rule and the body; file names
// "[!ID]_[!TITLE]"), one file per memo. Each round first times a plain C++
// loop that reads the same rows and writes the same files with the layout
// written out by hand (std::FILE, no template, no name cleaning), then the
// export itself into another folder; "plain_ms" and the round's time (the
// export) are printed side by side, "ratio" being export / plain.
#include "BenchHome.h"
#include "exchange/ExportDefinition.h"
#include "exchange/ExportMemos.h"
#include "store/SqliteDatabase.h"
#include "store/StatementCatalogue.h"

#include <QDir>

#include <chrono>
#include <cstdio>
#include <string>

namespace {

using namespace Qt::Literals::StringLiterals;

// QUILLET_BENCH_MEMOS may set a smaller number for a quick look.
const int kMemos = qEnvironmentVariableIntValue("QUILLET_BENCH_MEMOS") > 0
                       ? qEnvironmentVariableIntValue("QUILLET_BENCH_MEMOS")
                       : 100'000;

Home& home()
{
    static Home home(kMemos);
    return home;
}

double msSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// The same files as the definition gives, written by hand.
int plainLoop(const QString& dbPath, const QString& folder)
{
    const std::string dir = QFile::encodeName(folder).toStdString();
    const std::string dayLabel = QStringLiteral("日付: ").toStdString();
    const std::string tagLabel = QStringLiteral("タグ: ").toStdString();
    const std::string rule(40, '-');
    SqliteDatabase db(dbPath, SqliteDatabase::Access::ReadOnly);
    Statement query(db, sql::ExportReadMemos);
    query.bind(1, false).bind(2, false);
    std::string contents;
    std::string path;
    int written = 0;
    while (query.step()) {
        const QByteArrayView title = query.utf8(1);
        contents.assign(title.data(), size_t(title.size()));
        contents += "\r\n" + dayLabel;
        contents.append(query.utf8(3).data(), size_t(query.utf8(3).size()));
        contents += "\r\n" + tagLabel;
        contents.append(query.utf8(4).data(), size_t(query.utf8(4).size()));
        contents += "\r\n" + rule + "\r\n";
        contents.append(query.utf8(2).data(), size_t(query.utf8(2).size()));
        contents += "\r\n";
        path = dir + std::to_string(query.int64(0)) + '_';
        path.append(title.data(), size_t(title.size()));
        path += ".txt";
        if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
            written += std::fwrite(contents.data(), 1, contents.size(), file) == contents.size();
            std::fclose(file);
        }
    }
    return written;
}

void BM_ExportThroughDefinition(benchmark::State& state)
{
    Home& h = home();
    ExportDefinition::installShipped(h.path());
    const QString plainDir = h.path() + QStringLiteral("plain/");
    const QString exportDir = h.path() + QStringLiteral("export/");
    QDir().mkpath(plainDir);
    QDir().mkpath(exportDir);

    SilentPrompt prompt;
    SystemClock clock;
    ExportRequest request;
    request.folder = exportDir;
    request.definitionPath = h.path() + QStringLiteral("テキスト.ted");
    request.fileNameTemplate = QString::fromLatin1(DefaultFileNameDef);
    request.dbPath = h.db();
    request.iniFilePath = h.path() + QStringLiteral("quillet_default.ini");
    request.userId = QStringLiteral("default");

    double plainTotal = 0;
    double exportTotal = 0;
    int written = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        const int plainWritten = plainLoop(h.db(), plainDir);
        plainTotal += msSince(start);

        start = std::chrono::steady_clock::now();
        written = ExportMemos(request, prompt, clock).written;
        const double ms = msSince(start);
        exportTotal += ms;
        state.SetIterationTime(ms / 1000.0);
        if (written != kMemos || plainWritten != kMemos)
            state.SkipWithError("not every memo was written");
    }
    // Both wrote the same bytes under the same names.
    for (const QString& name :
         QStringList{u"1_"_s, QString::number(kMemos / 2) + u"_"_s, QString::number(kMemos) + u"_"_s}) {
        const QStringList found = QDir(exportDir).entryList({name + u'*'}, QDir::Files);
        QFile a(exportDir + found.value(0));
        QFile b(plainDir + found.value(0));
        if (found.size() != 1 || !a.open(QIODevice::ReadOnly) || !b.open(QIODevice::ReadOnly) ||
            a.readAll() != b.readAll())
            state.SkipWithError("the export and the plain loop wrote different files");
    }
    const double rounds = double(state.iterations());
    state.counters["plain_ms"] = plainTotal / rounds;
    state.counters["ratio"] = exportTotal / plainTotal;
    state.counters["files"] = written;
}

} // namespace

BENCHMARK(BM_ExportThroughDefinition)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

QUILLET_BENCHMARK_MAIN()
