#include "app/AppPaths.h"
#include "app/Clock.h"
#include "app/PlatformChoice.h"
#include "app/Startup.h"
#include "app/TerminationSignals.h"
#include "store/DatabaseError.h"
#include "store/JetWorker.h"
#include "tags/ListViews.h"
#include "tags/MemoList.h"
#include "ui/Form1.h"
#include "ui/QtPrompt.h"
#include "ui/frmProgress.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QLibraryInfo>
#include <QTimer>
#include <QTranslator>

#include <unistd.h>

namespace {

// Settings written on Japanese Windows name its fonts; use this desktop's
// Japanese fonts in their place.
void substituteWindowsFonts()
{
    const QStringList japanese = {QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAPGothic"),
                                  QStringLiteral("VL PGothic"), QStringLiteral("Sans Serif")};
    for (const char* name : {"ＭＳ Ｐゴシック", "ＭＳ ゴシック", "MS PGothic", "MS Gothic", "MS UI Gothic",
                             "メイリオ", "Meiryo", "ＭＳ Ｐ明朝", "ＭＳ 明朝"})
        QFont::insertSubstitutions(QString::fromUtf8(name), japanese);
}

// For timing the start as a whole process (bench/startup.sh): with
// QUILLET_EXIT_AFTER_FIRST_SCREEN set, the process ends right after the memo
// list has first been painted with rows, or with "listed", painted holding
// every row, without tidying up, so that the process's wall time and peak
// memory are those of the start up to there.
class ExitAfterFirstScreen : public QObject
{
public:
    ExitAfterFirstScreen(MemoList& list, bool whenListed)
        : QObject(list.view()), m_list(list), m_whenListed(whenListed)
    {
        list.view()->viewport()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        // The timer fires once this paint has reached the screen.
        if (event->type() == QEvent::Paint && m_list.view()->model()->rowCount() > 0 &&
            !(m_whenListed && m_list.showsFirstRowsOnly()))
            QTimer::singleShot(0, [] { ::_exit(0); });
        return false;
    }

private:
    MemoList& m_list;
    bool m_whenListed;
};

} // namespace

int main(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    // Quillet started as its own reader of a Windows (Jet) database.
    if (arguments.value(0) == QLatin1String(JetWorkerArgument))
        return RunJetWorker(arguments.mid(1));
    // Chosen before Qt picks its platform plugin.
    const QByteArray platform =
        PlatformChoice::preferred(QProcessEnvironment::systemEnvironment(), arguments);
    if (!platform.isEmpty())
        qputenv("QT_QPA_PLATFORM", platform);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quillet"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/quillet.png")));
    QApplication::setDesktopFileName(QStringLiteral("quillet"));

    QTranslator qtTranslations;
    if (qtTranslations.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslations);
    substituteWindowsFonts();

    QtPrompt prompt;
    SystemClock clock;
    // A database upgrade at start-up shows its progress in a window of its own.
    StartupResult startup =
        Startup(prompt, AppPaths::myPath(), frmProgress::factory()).run(QApplication::arguments().mid(1));
    if (!startup.proceed)
        return 0;

    // From here on the window may hold text that is nowhere else: the end of
    // the session (SIGTERM), a closed terminal (SIGHUP) or Ctrl+C write every
    // restore file and end the program without a question, also while a memo
    // is out in an external editor.
    std::unique_ptr<Form1> window;
    bool terminationPending = false;
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::terminationRequested, [&] {
        // A signal while the window is still being built is acted on once it stands.
        if (!window) {
            terminationPending = true;
            return;
        }
        window->closeForTermination();
        QCoreApplication::exit(0);
    });

    try {
        window = std::make_unique<Form1>(std::move(startup), prompt, clock);
    } catch (const DatabaseError& error) {
        prompt.critical(error.userMessage() + QStringLiteral("\nQuilletを終了します。"));
        return 1;
    }
    prompt.setParent(window.get());
    if (qEnvironmentVariableIsSet("QUILLET_EXIT_AFTER_FIRST_SCREEN"))
        new ExitAfterFirstScreen(window->memoList(),
                                 qgetenv("QUILLET_EXIT_AFTER_FIRST_SCREEN") == QByteArrayLiteral("listed"));
    window->show();
    window->finishStartup();
    if (terminationPending) {
        window->closeForTermination();
        return 0;
    }
    return QApplication::exec();
}
