#include "foundation/child_process.h"

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
