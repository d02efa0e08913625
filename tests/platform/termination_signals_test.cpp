#include "termination_signals.h"

#include "support/temp_env.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>
#include <unistd.h>

namespace {

struct SignalRow
{
    const char *name;
    int signal;
};

class TerminationSignalsTest : public ::testing::TestWithParam<SignalRow>
{
};

// The signal is only noted by the handler; the callback runs from the event
// loop, where the application can save its session.
TEST_P(TerminationSignalsTest, SignalReachesCallbackThroughEventLoop)
{
    LogCapture log;
    TerminationSignals handlers;
    ASSERT_TRUE(handlers.install());
    QEventLoop loop;
    QList<int> received;
    handlers.onTerminate = [&](int signal) {
        received.append(signal);
        loop.quit();
    };

    ASSERT_EQ(::kill(::getpid(), GetParam().signal), 0);
    EXPECT_TRUE(received.isEmpty()) << "nothing may run inside the signal handler";

    QTimer::singleShot(10000, &loop, [&] { loop.exit(1); }); // guard against a hang only
    EXPECT_EQ(loop.exec(), 0);
    EXPECT_EQ(received, QList<int>{GetParam().signal});
    EXPECT_TRUE(log.contains(QStringLiteral("[signals] received signal=%1").arg(GetParam().signal)));
}

INSTANTIATE_TEST_SUITE_P(Signals, TerminationSignalsTest,
                         ::testing::Values(SignalRow{"SIGTERM", SIGTERM}, SignalRow{"SIGINT", SIGINT}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(TerminationSignals, DefaultCallbackQuitsTheApplication)
{
    TerminationSignals handlers;
    ASSERT_TRUE(handlers.install());
    ASSERT_EQ(::kill(::getpid(), SIGTERM), 0);
    QObject guard;
    QTimer::singleShot(10000, &guard, [] { QCoreApplication::exit(7); }); // guard against a hang only
    EXPECT_EQ(QCoreApplication::exec(), 0);
}

TEST(TerminationSignals, OneInstanceAtATimeAndHandlersRestored)
{
    struct sigaction before {};
    ::sigaction(SIGTERM, nullptr, &before);
    {
        LogCapture log;
        TerminationSignals first;
        TerminationSignals second;
        ASSERT_TRUE(first.install());
        EXPECT_FALSE(second.install());
        EXPECT_TRUE(log.contains(QStringLiteral("[signals] install failed reason=already-installed")));
        struct sigaction during {};
        ::sigaction(SIGTERM, nullptr, &during);
        EXPECT_NE(during.sa_handler, before.sa_handler);
    }
    struct sigaction after {};
    ::sigaction(SIGTERM, nullptr, &after);
    EXPECT_EQ(after.sa_handler, before.sa_handler);

    // Installable again once the first is gone.
    TerminationSignals again;
    EXPECT_TRUE(again.install());
}

TEST(TerminationSignals, CallbackMayDestroyTheReceiver)
{
    auto *handlers = new TerminationSignals;
    ASSERT_TRUE(handlers->install());
    QEventLoop loop;
    int calls = 0;
    handlers->onTerminate = [&](int) {
        ++calls;
        delete handlers;
        loop.quit();
    };
    // Two signals arrive before the loop runs: the second must not reach a
    // deleted receiver.
    ASSERT_EQ(::kill(::getpid(), SIGTERM), 0);
    ASSERT_EQ(::kill(::getpid(), SIGINT), 0);
    QTimer::singleShot(10000, &loop, [&] { loop.exit(1); });
    EXPECT_EQ(loop.exec(), 0);
    EXPECT_EQ(calls, 1);
}

} // namespace
