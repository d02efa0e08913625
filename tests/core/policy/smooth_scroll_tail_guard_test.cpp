#include "policy/smooth_scroll_tail_guard.h"

#include <gtest/gtest.h>

#include <ostream>

#include <limits>
#include <string>
#include <vector>

namespace {

using Verdict = SmoothScrollTailGuard::Verdict;

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

struct Judged
{
    double magnitude;
    double timestamp;
    Verdict::Value expected;
};

struct BurstCase
{
    const char *name;
    double startMagnitude;
    double startTime;
    std::vector<Judged> events;
};

void PrintTo(const BurstCase &c, std::ostream *os)
{
    *os << c.name;
}

class TailGuardBurstTest : public ::testing::TestWithParam<BurstCase>
{
};

TEST_P(TailGuardBurstTest, JudgesEachEvent)
{
    const BurstCase &c = GetParam();
    SmoothScrollTailGuard guard;
    guard.start(c.startMagnitude, c.startTime);
    ASSERT_TRUE(guard.isActive());
    for (size_t i = 0; i < c.events.size(); ++i) {
        const Judged &e = c.events[i];
        const Verdict verdict = guard.consume(e.magnitude, e.timestamp);
        EXPECT_EQ(verdict.rawValue(), Verdict(e.expected).rawValue()) << "event " << i << " at t=" << e.timestamp;
        // A new intent always ends the watch; a tail keeps it.
        EXPECT_EQ(guard.isActive(), verdict == Verdict::tail) << "event " << i;
    }
}

const auto tail = Verdict::tail;
const auto fresh = Verdict::newIntent;

INSTANTIATE_TEST_SUITE_P(
    Bursts, TailGuardBurstTest,
    ::testing::Values(
        BurstCase{"RiseAfterDecayAndDelayIsNewIntent", 10, 0, {{4, 0.1, tail}, {7, 0.35, fresh}}},
        BurstCase{"SameRiseTooEarlyIsTail", 10, 0, {{4, 0.1, tail}, {7, 0.3, tail}}},
        BurstCase{"RiseBelowSeventyPercentIsTail", 10, 0, {{4, 0.2, tail}, {6.9, 0.4, tail}}},
        BurstCase{"RiseFromUndecayedPreviousIsTail", 10, 0, {{4, 0.1, tail}, {5, 0.2, tail}, {8, 0.4, tail}}},
        BurstCase{"PauseLongerThanIdleGapEndsBurst", 10, 0, {{4, 0.26, fresh}}},
        BurstCase{"PauseOfExactlyIdleGapKeepsBurst", 10, 0, {{4, 0.25, tail}}},
        BurstCase{"NothingOutlivesMaxTail", 10, 0,
                  {{1, 0.2, tail}, {1, 0.4, tail}, {1, 0.6, tail}, {1, 0.8, tail}, {1, 1.0, tail}, {1, 1.2, tail},
                   {1, 1.4, tail}, {1, 1.6, tail}, {1, 1.8, tail}, {1, 2.0, tail}, {1, 2.2, tail}, {1, 2.4, tail},
                   {1, 2.6, fresh}}},
        BurstCase{"UndecayedInputIsTailUntilContinuousWindow", 10, 0,
                  {{9, 0.2, tail}, {9, 0.4, tail}, {9, 0.6, tail}, {9, 0.8, tail}, {9, 1.0, tail}, {9, 1.2, tail},
                   {9, 1.4, tail}, {9, 1.6, fresh}}},
        BurstCase{"EarlierTimestampEndsBurst", 10, 1.0, {{5, 0.9, fresh}}},
        // |-7| would be a new intent; a negative magnitude counts as 0.
        BurstCase{"NegativeMagnitudeCountsAsZero", 10, 0, {{4, 0.1, tail}, {-7, 0.35, tail}}},
        // A time that is no number must not freeze the guard in "tail".
        BurstCase{"NaNTimestampEndsBurst", 10, 0, {{4, kNaN, fresh}}},
        BurstCase{"InfiniteTimestampEndsBurst", 10, 0, {{4, kInf, fresh}}},
        BurstCase{"NaNMagnitudeCountsAsZero", 10, 0, {{4, 0.1, tail}, {kNaN, 0.3, tail}, {7, 0.5, fresh}}},
        BurstCase{"InfiniteStartMagnitudeCountsAsZero", kInf, 0, {{0, 0.2, tail}, {0.3, 0.4, fresh}}}),
    [](const ::testing::TestParamInfo<BurstCase> &info) { return std::string(info.param.name); });

TEST(SmoothScrollTailGuardTest, InactiveGuardCallsEverythingNewIntent)
{
    SmoothScrollTailGuard guard;
    EXPECT_FALSE(guard.isActive());
    EXPECT_EQ(guard.consume(0.1, 0.0), Verdict::newIntent);
    EXPECT_FALSE(guard.isActive());

    guard.start(10, 0);
    guard.reset();
    EXPECT_EQ(guard.consume(0.1, 0.01), Verdict::newIntent);
}

TEST(SmoothScrollTailGuardTest, StartWithoutUsableTimeStaysInactive)
{
    SmoothScrollTailGuard guard;
    guard.start(10, kNaN);
    EXPECT_FALSE(guard.isActive());
    guard.start(10, 0);
    guard.start(10, -kInf);
    EXPECT_FALSE(guard.isActive());
}

TEST(SmoothScrollTailGuardTest, VerdictRawValues)
{
    EXPECT_EQ(Verdict(Verdict::tail).rawValue(), "tail");
    EXPECT_EQ(Verdict(Verdict::newIntent).rawValue(), "newIntent");
    EXPECT_EQ(Verdict::fromRawValue("newIntent"), Verdict::newIntent);
    EXPECT_FALSE(Verdict::fromRawValue("new").has_value());
}

TEST(SmoothScrollTailGuardConfigurationTest, DefaultsAndClamps)
{
    const SmoothScrollTailGuard::Configuration defaults;
    EXPECT_EQ(defaults.idleGap, 0.25);
    EXPECT_EQ(defaults.decayRatio, 0.45);
    EXPECT_EQ(defaults.newIntentRatio, 0.7);
    EXPECT_EQ(defaults.newIntentDelay, 0.35);
    EXPECT_EQ(defaults.minimumMagnitude, 0.25);
    EXPECT_EQ(defaults.continuousWindow, 1.6);
    EXPECT_EQ(defaults.maxTail, 2.6);

    const SmoothScrollTailGuard::Configuration high(1, 2, 3, 1, 1, 2, 1);
    EXPECT_EQ(high.decayRatio, 1);
    EXPECT_EQ(high.newIntentRatio, 2);
    EXPECT_EQ(high.maxTail, 2); // never shorter than the continuous window

    const SmoothScrollTailGuard::Configuration low(-1, -1, -1, -1, -1, -3, -1);
    EXPECT_EQ(low.idleGap, 0);
    EXPECT_EQ(low.decayRatio, 0);
    EXPECT_EQ(low.newIntentRatio, 0);
    EXPECT_EQ(low.newIntentDelay, 0);
    EXPECT_EQ(low.minimumMagnitude, 0);
    EXPECT_EQ(low.continuousWindow, 0);
    EXPECT_EQ(low.maxTail, 0);

    const SmoothScrollTailGuard::Configuration garbage(kNaN, kNaN, kInf, kNaN, kNaN, kInf, kNaN);
    EXPECT_EQ(garbage, defaults);
}

} // namespace
