#include "policy/wheel_page_navigator.h"

#include <gtest/gtest.h>

#include <ostream>

#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace {

using Phase = WheelPageNavigator::Phase;
using Direction = WheelPageNavigator::Direction;
using Event = WheelPageNavigator::Event;

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

// One wheel notch as a mouse delivers it: coarse delta, no phases.
Event notch(double deltaY, double t)
{
    return Event{.deltaY = deltaY, .timestamp = t};
}

// Fine-grained input: a trackpad (with phases) or a smooth wheel (without).
Event precise(double deltaY, double t, Phase phase = Phase::none)
{
    return Event{.deltaY = deltaY, .precise = true, .phase = phase, .timestamp = t};
}

Event momentum(double deltaY, double t, Phase momentumPhase)
{
    return Event{.deltaY = deltaY, .precise = true, .momentumPhase = momentumPhase, .timestamp = t};
}

struct Step
{
    Event event;
    std::optional<Direction::Value> expected;
};

struct SequenceCase
{
    const char *name;
    WheelPageNavigator::Configuration configuration;
    std::vector<Step> steps;
};

void PrintTo(const SequenceCase &c, std::ostream *os)
{
    *os << c.name;
}

class WheelSequenceTest : public ::testing::TestWithParam<SequenceCase>
{
};

TEST_P(WheelSequenceTest, TurnsExactlyWhereExpected)
{
    const SequenceCase &c = GetParam();
    WheelPageNavigator navigator(c.configuration);
    for (size_t i = 0; i < c.steps.size(); ++i) {
        const Step &step = c.steps[i];
        const std::optional<Direction> result = navigator.consume(step.event);
        const std::optional<Direction::Value> got =
            result ? std::optional<Direction::Value>(Direction::Value(*result)) : std::nullopt;
        EXPECT_EQ(got, step.expected) << "step " << i << " at t=" << step.event.timestamp;
    }
}

const auto next = Direction::next;
const auto previous = Direction::previous;
const std::nullopt_t none = std::nullopt;

WheelPageNavigator::Configuration notchesPerPage(int notches)
{
    WheelPageNavigator::Configuration configuration;
    configuration.mouseNotchesPerPage = notches;
    return configuration;
}

WheelPageNavigator::Configuration shortClusterGap()
{
    return WheelPageNavigator::Configuration(55, 1, 0.28, 0.3, 0.22, 0.25, 0.1);
}

WheelPageNavigator::Configuration thresholdOne()
{
    return WheelPageNavigator::Configuration(1);
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, WheelSequenceTest,
    ::testing::Values(
        SequenceCase{"NotchTurnsAtOnceThenCooldown", {},
                     {{notch(-1, 0), next}, {notch(-1, 0.1), none}, {notch(1, 1.0), previous}}},
        SequenceCase{"NegativeDeltaIsNextPositiveIsPrevious", {}, {{notch(3, 0), previous}, {notch(-3, 5), next}}},
        // The spin-down of a fast wheel keeps arriving after the cooldown; the
        // tail guard swallows it until the user clearly turns again.
        SequenceCase{"SpinDownTailSwallowedPastCooldown", {},
                     {{notch(-10, 0.0), next},
                      {notch(-8, 0.1), none},
                      {notch(-6, 0.2), none},
                      {notch(-4, 0.3), none},
                      {notch(-3, 0.4), none},
                      {notch(-2, 0.5), none},
                      {notch(-1, 0.6), none},
                      {notch(-10, 0.8), next}}},
        // Without a cluster the same late notch is an ordinary notch.
        SequenceCase{"NotchAfterClusterGapTurns", {}, {{notch(-10, 0.0), next}, {notch(-10, 0.36), next}}},
        // A slow tail that never rises is cut at smoothTailMax (2.6 s).
        SequenceCase{"EndlessTailCutAtSmoothTailMax", {},
                     {{notch(-10, 0.0), next}, {notch(-1, 0.2), none}, {notch(-1, 0.4), none},
                      {notch(-1, 0.6), none},  {notch(-1, 0.8), none}, {notch(-1, 1.0), none},
                      {notch(-1, 1.2), none},  {notch(-1, 1.4), none}, {notch(-1, 1.6), none},
                      {notch(-1, 1.8), none},  {notch(-1, 2.0), none}, {notch(-1, 2.2), none},
                      {notch(-1, 2.4), none},  {notch(-1, 2.6), next}}},
        // A fresh burst inside the cooldown restarts the guard: what follows
        // it is judged as its tail, not as a new notch.
        SequenceCase{"NewIntentInsideCooldownRestartsGuard", {},
                     {{notch(-10, 0.0), next}, {notch(-10, 0.26), none}, {notch(-10, 0.36), none}}},
        // A cluster closes clusterGap after its last notch even while the
        // guard would still call the next notch a tail.
        SequenceCase{"ShortClusterGapClosesBetweenNotches", shortClusterGap(),
                     {{notch(-10, 0.0), next}, {notch(-8, 0.05), none}, {notch(-6, 0.3), next}}},
        SequenceCase{"ReversalEndsClusterButWaitsForCooldown", {},
                     {{notch(-1, 0.0), next}, {notch(1, 0.1), none}, {notch(1, 0.2), none}, {notch(1, 0.3), previous}}},
        SequenceCase{"NotchBelowMinimumNeverCounts", notchesPerPage(1),
                     {{notch(-0.2, 0), none}, {notch(-0.24, 1), none}, {notch(-0.25, 2), next}}},
        SequenceCase{"SeveralNotchesPerPage", notchesPerPage(3),
                     {{notch(-1, 0), none}, {notch(-1, 0.5), none}, {notch(-1, 1.0), next}}},
        SequenceCase{"ReversalRestartsAccumulation", notchesPerPage(2),
                     {{notch(-1, 0), none}, {notch(1, 0.5), none}, {notch(1, 1.0), previous}}},
        // One phased gesture turns one page, at the event that reaches 55.
        SequenceCase{"TrackpadThresholdThenLockUntilEnded", {},
                     {{precise(-20, 0.00, Phase::began), none},
                      {precise(-20, 0.02, Phase::changed), none},
                      {precise(-14, 0.04, Phase::changed), none},
                      {precise(-1, 0.06, Phase::changed), next},
                      {precise(-80, 0.08, Phase::changed), none},
                      {precise(0, 0.10, Phase::ended), none},
                      {precise(-60, 0.50, Phase::began), next}}},
        SequenceCase{"LockClearedByIdlePauseWithoutTurning", {},
                     {{precise(-60, 0.00, Phase::began), next},
                      {precise(-60, 0.10, Phase::changed), none},
                      {precise(-60, 0.33, Phase::changed), none},
                      {precise(-60, 0.40, Phase::changed), next}}},
        SequenceCase{"LockHoldsWithoutPause", {},
                     {{precise(-60, 0.00, Phase::began), next},
                      {precise(-60, 0.20, Phase::changed), none},
                      {precise(-60, 0.40, Phase::changed), none},
                      {precise(-60, 0.60, Phase::changed), none}}},
        SequenceCase{"MomentumNeverTurnsAndItsEndReleasesLock", {},
                     {{precise(-60, 0.00, Phase::began), next},
                      {momentum(-80, 0.10, Phase::began), none},
                      {momentum(-80, 0.15, Phase::changed), none},
                      {momentum(0, 0.20, Phase::ended), none},
                      {precise(-60, 0.31, Phase::changed), next}}},
        SequenceCase{"MomentumAloneNeverTurns", {},
                     {{momentum(-500, 0.0, Phase::began), none}, {momentum(-500, 0.1, Phase::changed), none}}},
        SequenceCase{"GestureCooldownBlocksSecondGesture", {},
                     {{precise(-60, 0.00, Phase::began), next},
                      {precise(0, 0.05, Phase::ended), none},
                      {precise(-60, 0.10, Phase::began), none},
                      {precise(-60, 0.31, Phase::changed), next}}},
        // A zero event keeps what was gathered.
        SequenceCase{"ZeroDeltaKeepsAccumulation", {},
                     {{precise(-30, 0.0), none}, {precise(0, 0.1), none}, {precise(-30, 0.2), next}}},
        SequenceCase{"TieGoesToVerticalAxis", {},
                     {{Event{.deltaX = -60, .deltaY = 60, .precise = true, .timestamp = 0}, previous}}},
        SequenceCase{"HorizontalSwipeUsesDeltaX", {},
                     {{Event{.deltaX = -60, .deltaY = 10, .precise = true, .timestamp = 0}, next}}},
        SequenceCase{"InvertedDeviceNegatesDeltas", {},
                     {{Event{.deltaY = -60, .precise = true, .inverted = true, .timestamp = 0}, previous}}},
        SequenceCase{"ContinuousInputHasNoMinimum", thresholdOne(),
                     {{precise(-0.125, 0.00), none}, {precise(-0.125, 0.01), none}, {precise(-0.125, 0.02), none},
                      {precise(-0.125, 0.03), none}, {precise(-0.125, 0.04), none}, {precise(-0.125, 0.05), none},
                      {precise(-0.125, 0.06), none}, {precise(-0.125, 0.07), next}}},
        // Garbage from a driver must not turn a page or jam the navigator.
        SequenceCase{"NonFiniteDeltasAreNoMovement", {},
                     {{notch(kNaN, 0.0), none},
                      {Event{.deltaX = kNaN, .timestamp = 0.01}, none},
                      {notch(kInf, 0.02), none},
                      {precise(-kInf, 0.03, Phase::began), none},
                      {precise(kNaN, 0.04, Phase::changed), none},
                      {notch(-1, 0.05), next}}},
        SequenceCase{"NonFiniteTimestampsAreIgnored", {},
                     {{notch(-1, kNaN), none},
                      {notch(-1, 0.0), next},
                      {notch(-1, kInf), none},
                      {notch(-1, -kInf), none},
                      {notch(-1, 0.5), next}}}),
    [](const ::testing::TestParamInfo<SequenceCase> &info) { return std::string(info.param.name); });

TEST(WheelPageNavigatorTest, ResetForgetsCooldownClusterAndLock)
{
    WheelPageNavigator navigator;
    ASSERT_EQ(navigator.consume(notch(-1, 0)), Direction::next);
    navigator.reset();
    EXPECT_EQ(navigator.consume(notch(-1, 0.05)), Direction::next);

    ASSERT_EQ(navigator.consume(precise(-60, 1.0, Phase::began)), Direction::next);
    navigator.reset();
    EXPECT_EQ(navigator.consume(precise(-60, 1.05, Phase::changed)), Direction::next);
}

TEST(WheelPageNavigatorTest, DirectionRawValues)
{
    EXPECT_EQ(Direction(Direction::previous).rawValue(), "previous");
    EXPECT_EQ(Direction(Direction::next).rawValue(), "next");
    EXPECT_EQ(Direction::fromRawValue("next"), Direction::next);
    EXPECT_FALSE(Direction::fromRawValue("Next").has_value());
    EXPECT_EQ(Direction::allCases().size(), 2);
}

TEST(WheelPageNavigatorTest, EventDefaultsAndEquality)
{
    const Event event;
    EXPECT_EQ(event, (Event{0, 0, false, false, Phase::none, Phase::none, 0}));
    EXPECT_NE(event, Event{.timestamp = 1});
}

TEST(WheelPageNavigatorConfigurationTest, DefaultsAndClamps)
{
    const WheelPageNavigator::Configuration defaults;
    EXPECT_EQ(defaults.preciseThreshold, 55);
    EXPECT_EQ(defaults.mouseNotchesPerPage, 1);
    EXPECT_EQ(defaults.mouseCooldown, 0.28);
    EXPECT_EQ(defaults.gestureCooldown, 0.3);
    EXPECT_EQ(defaults.gestureIdleReset, 0.22);
    EXPECT_EQ(defaults.minimumDelta, 0.25);
    EXPECT_EQ(defaults.clusterGap, 0.35);
    EXPECT_EQ(defaults.clusterMax, 1.6);
    EXPECT_EQ(defaults.smoothTailMax, 2.6);

    const WheelPageNavigator::Configuration low(0, 0, -1, -1, -1, -1, -1, -2, -3);
    EXPECT_EQ(low.preciseThreshold, 1);
    EXPECT_EQ(low.mouseNotchesPerPage, 1);
    EXPECT_EQ(low.mouseCooldown, 0);
    EXPECT_EQ(low.gestureCooldown, 0);
    EXPECT_EQ(low.gestureIdleReset, 0);
    EXPECT_EQ(low.minimumDelta, 0);
    EXPECT_EQ(low.clusterGap, 0);
    // The windows compare raw arguments, not the clamped ones.
    EXPECT_EQ(low.clusterMax, -1);
    EXPECT_EQ(low.smoothTailMax, -2);

    const WheelPageNavigator::Configuration windows(55, 1, 0.28, 0.3, 0.22, 0.25, 0.5, 0.2, 0.1);
    EXPECT_EQ(windows.clusterMax, 0.5);
    EXPECT_EQ(windows.smoothTailMax, 0.2);

    const WheelPageNavigator::Configuration garbage(kNaN, 1, kInf, kNaN, kNaN, kNaN, kNaN, kNaN, kInf);
    EXPECT_EQ(garbage, defaults);

    // The folder overlay's configuration.
    const WheelPageNavigator::Configuration folder(40, 1, 0.32, 0.32, 0.22, 0.25, 0.35, 1.6, 2.6);
    EXPECT_EQ(folder.preciseThreshold, 40);
    EXPECT_EQ(folder.mouseCooldown, 0.32);
}

} // namespace
