#include "store/JetWorker.h"

#include <QApplication>
#include <gtest/gtest.h>

// Every test binary runs inside a QApplication so that widget tests and core
// tests share one main(); ctest sets QT_QPA_PLATFORM=offscreen.
int main(int argc, char** argv)
{
    // Jet files are read in a child process of the running program: in a
    // test, the test binary itself.
    if (argc > 1 && qstrcmp(argv[1], JetWorkerArgument) == 0) {
        QStringList arguments;
        for (int i = 2; i < argc; ++i)
            arguments.append(QString::fromLocal8Bit(argv[i]));
        return RunJetWorker(arguments);
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quillet"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
