#include "paging/frame_clock.h"

#include <gtest/gtest.h>

#include <QEventLoop>
#include <QTimer>

#include <cmath>
#include <limits>
#include <memory>

namespace {

struct DrivenTime
{
    double now = 10;
    FrameClock::TimeSource source()
    {
        return [this] { return now; };
    }
};

TEST(FrameClockTest, TicksCarryTheTimeSourceAndOnlyReachTheCurrentRun)
{
    DrivenTime time;
    FrameClock clock(time.source());
    EXPECT_FALSE(clock.isRunning());
    clock.fire(); // idle: nothing to call, nothing happens

    QList<double> first;
    QList<double> second;
    clock.start([&](double t) { first.append(t); });
    EXPECT_TRUE(clock.isRunning());
    time.now = 10.25;
    clock.fire();
    clock.start([&](double t) { second.append(t); });
    time.now = 10.5;
    clock.fire();
    clock.fire();

    EXPECT_EQ(first, QList<double>({10.25}));
    EXPECT_EQ(second, QList<double>({10.5, 10.5}));

    clock.stop();
    EXPECT_FALSE(clock.isRunning());
    clock.fire();
    EXPECT_EQ(second.size(), 2);
}

TEST(FrameClockTest, CallbacksMayStopRestartOrDestroyTheClock)
{
    DrivenTime time;
    FrameClock clock(time.source());
    int stops = 0;
    clock.start([&](double) {
        ++stops;
        clock.stop();
    });
    clock.fire();
    clock.fire();
    EXPECT_EQ(stops, 1);

    int restarted = 0;
    clock.start([&](double) { clock.start([&](double) { ++restarted; }); });
    clock.fire(); // replaces its own callback while running it
    clock.fire();
    EXPECT_EQ(restarted, 1);
    EXPECT_TRUE(clock.isRunning());

    // The owner of a clock may go away inside one of its ticks.
    auto owned = std::make_unique<FrameClock>(time.source());
    FrameClock *raw = owned.get();
    int calls = 0;
    owned->start([&](double) {
        ++calls;
        owned.reset();
    });
    raw->fire();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(owned, nullptr);
}

TEST(FrameClockTest, KeepsTickingInsideANestedEventLoop)
{
    // A drag or a menu runs its own event loop; animations must go on there.
    FrameClock clock;
    clock.prepare();
    EXPECT_GT(clock.frameInterval(), 1.0 / 501);
    EXPECT_LE(clock.frameInterval(), 1.0 / 20);

    QEventLoop nested;
    QList<double> ticks;
    clock.start([&](double t) {
        ticks.append(t);
        if (ticks.size() == 3)
            nested.quit();
    });
    bool gaveUp = false;
    QTimer::singleShot(5000, &nested, [&] {
        gaveUp = true;
        nested.quit();
    });
    nested.exec();
    clock.stop();

    ASSERT_FALSE(gaveUp);
    ASSERT_EQ(ticks.size(), 3);
    EXPECT_LE(ticks[0], ticks[1]);
    EXPECT_LE(ticks[1], ticks[2]);
}

struct ProgressRow
{
    const char *name;
    double start;
    double duration;
    double now;
    double expected;
};

class FrameClockProgressTest : public ::testing::TestWithParam<ProgressRow>
{
};

TEST_P(FrameClockProgressTest, ElapsedFraction)
{
    const ProgressRow &row = GetParam();
    EXPECT_DOUBLE_EQ(FrameClock::progress(row.start, row.duration, row.now), row.expected);
}

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Rows, FrameClockProgressTest,
    ::testing::Values(ProgressRow{"halfway", 1, 0.5, 1.25, 0.5}, ProgressRow{"atTheEndDespiteRounding", 100, 0.3, 100.3, 1}, ProgressRow{"beforeStart", 1, 0.3, 0.5, 0},
                      ProgressRow{"pastTheEnd", 1, 0.3, 9, 1},
                      // Durations below 0.05 s last 0.05 s.
                      ProgressRow{"shortDurationRaised", 0, 0.01, 0.025, 0.5},
                      ProgressRow{"zeroDuration", 0, 0, 0.025, 0.5},
                      ProgressRow{"negativeDuration", 0, -4, 0.05, 1},
                      ProgressRow{"nanDurationCountsAsShortest", 0, nan, 0.025, 0.5},
                      ProgressRow{"nanTimeFinishes", 0, 0.3, nan, 1}),
    [](const ::testing::TestParamInfo<ProgressRow> &info) { return std::string(info.param.name); });

} // namespace
