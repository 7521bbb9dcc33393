#include <QApplication>
#include <gtest/gtest.h>

// Every test binary runs inside a QApplication so that widget tests and core
// tests share one main(); ctest sets QT_QPA_PLATFORM=offscreen.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quillet"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
