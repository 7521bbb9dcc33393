// Unsaved text on disk while the user types: the cost of one restore-file
// write of a 1 MB memo (run a few seconds after typing pauses, off the
// keystroke path), and of one keystroke in that memo, which only records the
// change and restarts the write's timer. Generates its own memo; prints figures.
#include "BenchHome.h"
#include "editing/MemoEditor.h"

#include <QPlainTextEdit>

namespace {

// About 1 MB of UTF-8: lines of mixed Japanese and ASCII text.
QString megabyteBody()
{
    const QString line = QStringLiteral("今日の買い物メモ: milk, bread, 卵 and お茶 for the weekend.\r\n");
    QString body;
    while (body.toUtf8().size() < (1 << 20))
        body += line.repeated(256);
    return body;
}

struct Window
{
    Home home{10};
    SilentPrompt prompt;
    std::unique_ptr<Form1> form = openWindow(home, prompt);
    QPlainTextEdit* contents = form->editor().txtContents();

    Window()
    {
        form->editor().setTexts(QStringLiteral("1 MB"), QString(), megabyteBody());
        contents->moveCursor(QTextCursor::End);
        contents->insertPlainText(QStringLiteral("x"));
    }
};

void BM_RestoreWriteOfA1MBMemo(benchmark::State& state)
{
    Window window;
    for (auto _ : state)
        window.form->writeUnsavedText();
    state.counters["file_bytes"] = double(QFileInfo(window.form->restoreFilePath()).size());
}
BENCHMARK(BM_RestoreWriteOfA1MBMemo)->Unit(benchmark::kMillisecond);

void BM_KeystrokeInA1MBMemo(benchmark::State& state)
{
    Window window;
    for (auto _ : state)
        window.contents->insertPlainText(QStringLiteral("y"));
}
BENCHMARK(BM_KeystrokeInA1MBMemo)->Unit(benchmark::kMicrosecond);

} // namespace

QUILLET_BENCHMARK_MAIN()
