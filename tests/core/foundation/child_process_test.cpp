#include "foundation/child_process.h"

#include <QFile>
#include <QTemporaryDir>

#include <atomic>
#include <thread>

#include <gtest/gtest.h>

TEST(ChildProcess, ReturnsOutputOfASuccessfulRun)
{
    const auto result = ChildProcess::run(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("printf 'a;b'")});
    ASSERT_TRUE(ChildProcess::output(result).has_value());
    EXPECT_EQ(*ChildProcess::output(result), QByteArray("a;b"));
}

TEST(ChildProcess, ArgumentsAreNotInterpretedByAShell)
{
    const auto result = ChildProcess::run(QStringLiteral("/bin/echo"), {QStringLiteral("$HOME; rm -rf x")});
    EXPECT_EQ(ChildProcess::output(result).value_or(QByteArray()), QByteArray("$HOME; rm -rf x\n"));
}

TEST(ChildProcess, FailuresYieldNothing)
{
    EXPECT_FALSE(ChildProcess::output(ChildProcess::run(QStringLiteral("/nonexistent/tool"), {})).has_value());
    EXPECT_FALSE(ChildProcess::output(ChildProcess::run(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("exit 3")})).has_value());
}

TEST(ChildProcess, LargeStandardErrorDoesNotBlockAndSlowChildIsKilled)
{
    const auto noisy = ChildProcess::run(QStringLiteral("/bin/sh"),
                                         {QStringLiteral("-c"), QStringLiteral("head -c 2000000 /dev/zero >&2; echo done")});
    EXPECT_EQ(ChildProcess::output(noisy).value_or(QByteArray()), QByteArray("done\n"));

    const auto slow = ChildProcess::run(QStringLiteral("/bin/sleep"), {QStringLiteral("30")}, 200);
    EXPECT_TRUE(slow.started);
    EXPECT_FALSE(slow.finished);
    EXPECT_FALSE(ChildProcess::output(slow).has_value());
}

// A stop request (as the SIGTERM handler makes) ends a child the caller
// waits on at once, not at its time limit, and starts no further one.
TEST(ChildProcess, StopRequestEndsTheWaitAndStartsNothingMore)
{
    QTemporaryDir dir;
    const QString marker = dir.filePath(QStringLiteral("started"));
    std::atomic<bool> done{false};
    std::thread stopper([&] {
        while (!done && !QFile::exists(marker))
            std::this_thread::yield();
        ChildProcess::requestStop();
    });
    const auto result = ChildProcess::run(
        QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("touch '%1'; exec sleep 60").arg(marker)},
        120000);
    done = true;
    stopper.join();
    EXPECT_TRUE(result.started);
    EXPECT_TRUE(result.stopped);
    EXPECT_FALSE(ChildProcess::output(result).has_value());

    const auto later = ChildProcess::run(QStringLiteral("/bin/true"), {});
    EXPECT_FALSE(later.started);
    EXPECT_TRUE(later.stopped);
    ChildProcess::clearStopRequest();
    EXPECT_TRUE(ChildProcess::output(ChildProcess::run(QStringLiteral("/bin/true"), {})).has_value());
}

TEST(ChildProcess, OutputBeyondTheLimitIsAFailure)
{
    const auto result = ChildProcess::run(QStringLiteral("/bin/sh"),
                                          {QStringLiteral("-c"), QStringLiteral("head -c 100000 /dev/zero")}, 5000, 1000);
    EXPECT_FALSE(ChildProcess::output(result).has_value());
    EXPECT_TRUE(result.errorText.startsWith(QStringLiteral("output larger than"))) << result.errorText.toStdString();
}
