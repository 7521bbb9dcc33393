// Quillet's main window in a process of its own, for the tests of what a kill
// or a termination leaves behind. It starts as Quillet does (QUILLET_HOME from
// the environment, no arguments), types its first argument into the contents
// box as the user would (plain ASCII), prints "typed", and with
// "--editor <id>" then opens memo <id> in external editor 1. A termination
// signal ends it as it ends Quillet: every restore file written, nothing asked.
#include "SilentPrompt.h"
#include "app/AppPaths.h"
#include "app/Clock.h"
#include "app/Startup.h"
#include "app/TerminationSignals.h"
#include "tags/MemoList.h"
#include "ui/Form1.h"

#include <QAction>
#include <QApplication>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList arguments = QApplication::arguments();
    SilentPrompt prompt;
    SystemClock clock;
    StartupResult startup = Startup(prompt, AppPaths::myPath()).run({});
    if (!startup.proceed)
        return 2;

    std::unique_ptr<Form1> window;
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::terminationRequested, [&] {
        window->closeForTermination();
        QCoreApplication::exit(0);
    });
    window = std::make_unique<Form1>(std::move(startup), prompt, clock);
    window->show();
    window->finishStartup();

    auto* contents = window->findChild<QPlainTextEdit*>(QStringLiteral("txtContents"));
    contents->setFocus();
    QTest::keyClicks(contents, arguments.value(1));
    std::puts("typed");
    std::fflush(stdout);
    if (arguments.value(2) == QLatin1String("--editor")) {
        const qint64 id = arguments.value(3).toLongLong();
        QTimer::singleShot(0, window.get(), [&window, id] {
            window->memoList().selectId(id);
            window->commandAction("mnuEditor1")->trigger();
        });
    }
    return QApplication::exec();
}
