#include "app/TerminationSignals.h"

#include <QSignalSpy>
#include <csignal>
#include <gtest/gtest.h>

namespace {

volatile std::sig_atomic_t g_previousHandlerCalls = 0;

extern "C" void previousHandler(int)
{
    g_previousHandlerCalls = g_previousHandlerCalls + 1;
}

TEST(TerminationSignalsTest, EachSignalArrivesInTheEventLoopAndTheOldHandlersComeBack)
{
    struct sigaction previous = {};
    previous.sa_handler = &previousHandler;
    sigemptyset(&previous.sa_mask);
    for (int number : {SIGTERM, SIGHUP, SIGINT})
        ASSERT_EQ(::sigaction(number, &previous, nullptr), 0);

    {
        TerminationSignals signals;
        ASSERT_TRUE(signals.isInstalled());
        QSignalSpy spy(&signals, &TerminationSignals::terminationRequested);
        // Two at once arrive as two requests, in order.
        for (int number : {SIGTERM, SIGHUP, SIGINT, SIGTERM})
            ASSERT_EQ(::raise(number), 0);
        while (spy.size() < 4)
            ASSERT_TRUE(spy.wait(5000)) << spy.size();
        QList<int> numbers;
        for (const QList<QVariant>& arguments : spy)
            numbers.append(arguments.at(0).toInt());
        EXPECT_EQ(numbers, (QList<int>{SIGTERM, SIGHUP, SIGINT, SIGTERM}));
        EXPECT_EQ(g_previousHandlerCalls, 0);
    }

    // Gone with the object: the handlers from before answer again.
    ASSERT_EQ(::raise(SIGHUP), 0);
    EXPECT_EQ(g_previousHandlerCalls, 1);
    for (int number : {SIGTERM, SIGHUP, SIGINT})
        std::signal(number, SIG_DFL);
}

} // namespace
