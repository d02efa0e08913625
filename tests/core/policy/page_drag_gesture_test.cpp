#include "policy/page_drag_gesture.h"

#include "policy/page_slide.h"

#include <gtest/gtest.h>

#include <ostream>

#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace {

using Phase = WheelPageNavigator::Phase;
using Event = WheelPageNavigator::Event;
using Signal = PageDragGesture::Signal;

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

Event swipe(double deltaY, double t, Phase phase)
{
    return Event{.deltaY = deltaY, .precise = true, .phase = phase, .timestamp = t};
}

// Scroll input without phases: a smooth wheel or a mouse.
Event wheel(double deltaY, double t)
{
    return Event{.deltaY = deltaY, .precise = true, .timestamp = t};
}

Event momentum(double deltaY, double t, Phase momentumPhase)
{
    return Event{.deltaY = deltaY, .precise = true, .momentumPhase = momentumPhase, .timestamp = t};
}

enum class Action { consume, end, cancel };

struct Step
{
    Action action;
    Event event;
    std::optional<Signal> expected;
    bool allowsNext = true;
    bool allowsPrevious = true;
};

Step feed(Event event, std::optional<Signal> expected, bool allowsNext = true, bool allowsPrevious = true)
{
    return Step{Action::consume, event, expected, allowsNext, allowsPrevious};
}

Step endDrag(std::optional<Signal> expected)
{
    return Step{Action::end, {}, expected};
}

Signal begin(int direction, double points)
{
    return Signal::begin(direction, points / 340);
}

Signal moved(double points)
{
    return Signal::move(points / 340);
}

Signal settle(bool commit, double fromProgress)
{
    return Signal::settle(commit, PageSlide::settleDuration(fromProgress, commit ? 1 : 0));
}

void expectSignal(const std::optional<Signal> &got, const std::optional<Signal> &expected, size_t step)
{
    ASSERT_EQ(got.has_value(), expected.has_value()) << "step " << step;
    if (!got)
        return;
    EXPECT_EQ(int(got->kind), int(expected->kind)) << "step " << step;
    EXPECT_EQ(got->direction, expected->direction) << "step " << step;
    EXPECT_NEAR(got->progress, expected->progress, 1e-9) << "step " << step;
    EXPECT_EQ(got->commit, expected->commit) << "step " << step;
    EXPECT_NEAR(got->duration, expected->duration, 1e-9) << "step " << step;
}

struct DragCase
{
    const char *name;
    std::vector<Step> steps;
};

void PrintTo(const DragCase &c, std::ostream *os)
{
    *os << c.name;
}

class PageDragSequenceTest : public ::testing::TestWithParam<DragCase>
{
};

TEST_P(PageDragSequenceTest, Signals)
{
    PageDragGesture drag;
    const DragCase &c = GetParam();
    for (size_t i = 0; i < c.steps.size(); ++i) {
        const Step &step = c.steps[i];
        std::optional<Signal> got;
        switch (step.action) {
        case Action::consume: got = drag.consume(step.event, step.allowsNext, step.allowsPrevious); break;
        case Action::end: got = drag.end(); break;
        case Action::cancel: got = drag.end(true); break;
        }
        expectSignal(got, step.expected, i);
    }
}

const std::nullopt_t none = std::nullopt;

INSTANTIATE_TEST_SUITE_P(
    Sequences, PageDragSequenceTest,
    ::testing::Values(
        // 96 points of a slow swipe is progress 0.282: past 0.28, commits.
        DragCase{"SlowPhasedSwipeCommitsAt96Points",
                 {feed(swipe(-48, 0, Phase::began), begin(1, 48)),
                  feed(swipe(-48, 1, Phase::changed), moved(96)),
                  feed(swipe(0, 2, Phase::ended), settle(true, 96.0 / 340))}},
        DragCase{"SlowPhasedSwipeOf94PointsSpringsBack",
                 {feed(swipe(-47, 0, Phase::began), begin(1, 47)),
                  feed(swipe(-47, 1, Phase::changed), moved(94)),
                  feed(swipe(0, 2, Phase::ended), settle(false, 94.0 / 340))}},
        // Same 94 points within 50 ms: the smoothed velocity passes 1.1.
        DragCase{"FastPhasedSwipeOf94PointsCommitsByFlick",
                 {feed(swipe(-47, 0, Phase::began), begin(1, 47)),
                  feed(swipe(-47, 0.05, Phase::changed), moved(94)),
                  feed(swipe(0, 0.06, Phase::ended), settle(true, 94.0 / 340))}},
        // 0.09 of a page in 40 ms: smoothed to 0.45 × 2.25 = 1.0125, short of
        // 1.1; the same speed kept up for one more event passes it.
        DragCase{"OneFastEventIsSmoothedBelowFlick",
                 {feed(swipe(-10, 0, Phase::began), begin(1, 10)),
                  feed(swipe(-30.6, 0.04, Phase::changed), moved(40.6)),
                  feed(swipe(0, 0.05, Phase::ended), settle(false, 40.6 / 340))}},
        DragCase{"SustainedSpeedPassesFlick",
                 {feed(swipe(-10, 0, Phase::began), begin(1, 10)),
                  feed(swipe(-30.6, 0.04, Phase::changed), moved(40.6)),
                  feed(swipe(-30.6, 0.08, Phase::changed), moved(71.2)),
                  feed(swipe(0, 0.09, Phase::ended), settle(true, 71.2 / 340))}},
        DragCase{"SwipeRightGoesToPreviousPage",
                 {feed(swipe(0, 0, Phase::began), none),
                  feed(Event{.deltaX = 120, .precise = true, .phase = Phase::changed, .timestamp = 0.01},
                       begin(-1, 120))}},
        DragCase{"CancelledSwipeSpringsBack",
                 {feed(swipe(-200, 0, Phase::began), begin(1, 200)),
                  feed(swipe(0, 0.1, Phase::cancelled), settle(false, 200.0 / 340))}},
        // Without phases 7 points (0.021) pass the discrete threshold 0.02.
        DragCase{"WheelWithoutPhasesCommitsAfter7Points",
                 {feed(wheel(-7, 0), begin(1, 7)), endDrag(settle(true, 7.0 / 340))}},
        DragCase{"WheelWithoutPhasesSpringsBackAfter6Points",
                 {feed(wheel(-6, 0), begin(1, 6)), endDrag(settle(false, 6.0 / 340))}},
        DragCase{"DragTowardMissingPageNeverCommits",
                 {feed(swipe(-340, 0, Phase::began), Signal::begin(1, PageSlide::dragProgress(340, 340, true)), false),
                  feed(swipe(-3400, 0.01, Phase::changed), Signal::move(PageSlide::dragProgress(3740, 340, true)),
                       false),
                  feed(swipe(0, 0.02, Phase::ended),
                       Signal::settle(false, PageSlide::settleDuration(PageSlide::dragProgress(3740, 340, true), 0)),
                       false)}},
        DragCase{"DraggingBackPastStartStopsAtZero",
                 {feed(swipe(-40, 0, Phase::began), begin(1, 40)),
                  feed(swipe(100, 0.1, Phase::changed), moved(0)),
                  feed(swipe(-20, 0.2, Phase::changed), moved(20))}},
        DragCase{"BeganDropsRunningDrag",
                 {feed(swipe(-40, 0, Phase::began), begin(1, 40)),
                  feed(swipe(-40, 0.1, Phase::changed), moved(80)),
                  feed(swipe(40, 0.5, Phase::began), begin(-1, 40))}},
        DragCase{"TailLockLetsOnlyANewTouchThrough",
                 {feed(swipe(-120, 0, Phase::began), begin(1, 120)),
                  feed(swipe(0, 0.1, Phase::ended), settle(true, 120.0 / 340)),
                  feed(swipe(-50, 0.2, Phase::changed), none),
                  feed(momentum(-50, 0.3, Phase::began), none),
                  feed(wheel(-50, 0.4), none),
                  feed(swipe(-50, 0.42, Phase::began), begin(1, 50))}},
        DragCase{"AfterTailLockPhasedInputMayBeginAgain",
                 {feed(swipe(-120, 0, Phase::began), begin(1, 120)),
                  feed(swipe(0, 0.1, Phase::ended), settle(true, 120.0 / 340)),
                  feed(swipe(-50, 0.46, Phase::changed), begin(1, 50))}},
        DragCase{"MomentumContinuesRunningDragAndItsEndSettles",
                 {feed(swipe(-40, 0, Phase::began), begin(1, 40)),
                  feed(swipe(-40, 0.5, Phase::changed), moved(80)),
                  feed(momentum(-40, 1.0, Phase::began), moved(120)),
                  feed(momentum(-20, 1.5, Phase::changed), moved(140)),
                  feed(momentum(0, 2.0, Phase::ended), settle(true, 140.0 / 340))}},
        DragCase{"MomentumAloneNeverBegins",
                 {feed(momentum(-40, 0, Phase::began), none),
                  feed(momentum(-40, 0.01, Phase::changed), none),
                  feed(momentum(0, 0.02, Phase::ended), none)}},
        // The wheel's decaying tail after a settle is swallowed by the guard
        // (armed at the last event + 0.45 s); a clear rise begins a new drag.
        DragCase{"WheelTailSwallowedUntilNewIntent",
                 {feed(wheel(-10, 0), begin(1, 10)),
                  feed(wheel(-10, 0.02), moved(20)),
                  endDrag(settle(true, 20.0 / 340)),
                  feed(wheel(-8, 0.1), none),
                  feed(wheel(-6, 0.3), none),
                  feed(wheel(-4, 0.5), none),
                  feed(wheel(-3, 0.6), none),
                  feed(wheel(-2, 0.7), none),
                  feed(wheel(-1, 0.8), none),
                  feed(wheel(-9, 1.0), begin(1, 9))}},
        // A pause longer than the guard's idle gap ends the tail.
        DragCase{"WheelTailEndsAfterPause",
                 {feed(wheel(-10, 0), begin(1, 10)),
                  endDrag(settle(true, 10.0 / 340)),
                  feed(wheel(-8, 0.5), none),
                  feed(wheel(-2, 0.8), begin(1, 2))}},
        // A wheel drag after a swipe is judged as wheel input: the discrete
        // threshold, and its tail watched after the settle.
        DragCase{"WheelAfterSwipeIsJudgedWithoutPhases",
                 {feed(swipe(-120, 0, Phase::began), begin(1, 120)),
                  feed(swipe(0, 0.1, Phase::ended), settle(true, 120.0 / 340)),
                  feed(wheel(-7, 1.0), begin(1, 7)),
                  endDrag(settle(true, 7.0 / 340)),
                  feed(wheel(-6, 1.5), none)}},
        DragCase{"EndWithoutDragGivesNothing", {endDrag(none), feed(swipe(0, 0, Phase::ended), none)}},
        DragCase{"ZeroDeltaGivesNothing", {feed(wheel(0, 0), none), feed(wheel(-5, 0.1), begin(1, 5))}},
        // Garbage from a driver must neither start a drag nor jam the state.
        DragCase{"NonFiniteInputIsIgnored",
                 {feed(Event{.deltaX = kNaN, .precise = true, .timestamp = 0}, none),
                  feed(wheel(kInf, 0.01), none),
                  feed(wheel(-10, kNaN), none),
                  feed(wheel(-10, kInf), none),
                  feed(wheel(-10, 0.1), begin(1, 10)),
                  feed(wheel(kNaN, 0.2), none),
                  feed(wheel(-10, 0.3), moved(20))}}),
    [](const ::testing::TestParamInfo<DragCase> &info) { return std::string(info.param.name); });

TEST(PageDragGestureTest, ProgressAndResetAndEndKeepState)
{
    PageDragGesture drag;
    ASSERT_TRUE(drag.consume(swipe(-170, 0, Phase::began), true, true));
    EXPECT_TRUE(drag.isActive());
    EXPECT_DOUBLE_EQ(drag.currentProgress(), 0.5);
    const std::optional<Signal> settled = drag.end();
    ASSERT_TRUE(settled);
    EXPECT_TRUE(settled->commit);
    EXPECT_FALSE(drag.isActive());
    // The settle keeps where the drag got to, for the owner's animation.
    EXPECT_DOUBLE_EQ(drag.currentProgress(), 0.5);

    // reset() forgets the settle: no tail lock any more.
    drag.reset();
    EXPECT_EQ(drag.currentProgress(), 0);
    EXPECT_TRUE(drag.consume(wheel(-10, 0.01), true, true));
}

TEST(PageDragGestureConfigurationTest, DefaultsAndClamps)
{
    const PageDragGesture::Configuration defaults;
    EXPECT_EQ(defaults.travelPoints, 340);
    EXPECT_EQ(defaults.commitProgress, 0.28);
    EXPECT_EQ(defaults.discreteCommitProgress, 0.02);
    EXPECT_EQ(defaults.flickVelocity, 1.1);
    EXPECT_EQ(defaults.edgeResistance, 0.22);
    EXPECT_EQ(defaults.settleBase, 0.34);
    EXPECT_EQ(defaults.tailLock, 0.45);
    EXPECT_EQ(defaults.smoothTailMax, 2.6);

    const PageDragGesture::Configuration low(0, -1, -1, -1, 0, 0, -1, -2);
    EXPECT_EQ(low.travelPoints, 1);
    EXPECT_EQ(low.commitProgress, 0);
    EXPECT_EQ(low.discreteCommitProgress, 0);
    EXPECT_EQ(low.flickVelocity, 0);
    EXPECT_EQ(low.edgeResistance, 0.01);
    EXPECT_EQ(low.settleBase, 0.05);
    EXPECT_EQ(low.tailLock, 0);
    EXPECT_EQ(low.smoothTailMax, -1); // the raw tail lock argument

    const PageDragGesture::Configuration high(1000, 2, 2, 5, 0.9, 1, 3, 1);
    EXPECT_EQ(high.commitProgress, 1);
    EXPECT_EQ(high.discreteCommitProgress, 1);
    EXPECT_EQ(high.edgeResistance, 0.5);
    EXPECT_EQ(high.smoothTailMax, 3);

    const PageDragGesture::Configuration garbage(kNaN, kNaN, kInf, kNaN, kNaN, kInf, kNaN, kNaN);
    EXPECT_EQ(garbage, defaults);
}

TEST(PageDragGestureConfigurationTest, LongerTailLockHoldsEvents)
{
    PageDragGesture drag(PageDragGesture::Configuration(340, 0.28, 0.02, 1.1, 0.22, 0.34, 1.0));
    ASSERT_TRUE(drag.consume(swipe(-120, 0, Phase::began), true, true));
    ASSERT_TRUE(drag.consume(swipe(0, 0.1, Phase::ended), true, true));
    EXPECT_FALSE(drag.consume(swipe(-50, 0.9, Phase::changed), true, true));
    EXPECT_TRUE(drag.consume(swipe(-50, 1.0, Phase::changed), true, true));
}

} // namespace
