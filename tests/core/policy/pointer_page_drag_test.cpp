#include "policy/pointer_page_drag.h"

#include "policy/page_slide.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>

namespace {

using Signal = PageDragGesture::Signal;

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

void expectSignal(const std::optional<Signal> &got, const Signal &expected)
{
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(int(got->kind), int(expected.kind));
    EXPECT_EQ(got->direction, expected.direction);
    EXPECT_NEAR(got->progress, expected.progress, 1e-9);
    EXPECT_EQ(got->commit, expected.commit);
    EXPECT_NEAR(got->duration, expected.duration, 1e-9);
}

// A view 1000 wide: a whole page is 550 points of pointer travel.
constexpr double kWidth = 1000;
constexpr double kTravel = kWidth * 0.55;

TEST(PointerPageDragTest, SilentUntilActivationDistanceWhichCountsTowardProgress)
{
    PointerPageDrag drag;
    drag.arm(500, 0);
    EXPECT_TRUE(drag.isArmed());
    EXPECT_FALSE(drag.move(495, 0.01, kWidth, true, true));
    EXPECT_FALSE(drag.move(507.9, 0.02, kWidth, true, true));
    EXPECT_FALSE(drag.isActive());
    // Leftward: toward the next page.
    expectSignal(drag.move(492, 0.03, kWidth, true, true), Signal::begin(1, 8 / kTravel));
    EXPECT_TRUE(drag.isActive());
    expectSignal(drag.move(400, 0.5, kWidth, true, true), Signal::move(100 / kTravel));
    // Slow and short: springs back, and the drag is over.
    expectSignal(drag.end(0.6), Signal::settle(false, PageSlide::settleDuration(100 / kTravel, 0)));
    EXPECT_FALSE(drag.isArmed());
    EXPECT_FALSE(drag.isActive());
    EXPECT_FALSE(drag.move(100, 0.7, kWidth, true, true));
}

TEST(PointerPageDragTest, FarEnoughCommits)
{
    PointerPageDrag drag;
    drag.arm(800, 0);
    expectSignal(drag.move(790, 0.1, kWidth, true, true), Signal::begin(1, 10 / kTravel));
    expectSignal(drag.move(600, 1.1, kWidth, true, true), Signal::move(200 / kTravel));
    expectSignal(drag.end(2), Signal::settle(true, PageSlide::settleDuration(200 / kTravel, 1)));
}

TEST(PointerPageDragTest, QuickFlickCommitsByVelocity)
{
    PointerPageDrag drag;
    drag.arm(500, 0);
    expectSignal(drag.move(490, 0.01, kWidth, true, true), Signal::begin(1, 10 / kTravel));
    // (80 - 10) / 550 progress in 40 ms: smoothed velocity 0.45 × 3.18 ≈ 1.43.
    expectSignal(drag.move(420, 0.05, kWidth, true, true), Signal::move(80 / kTravel));
    expectSignal(drag.end(0.06), Signal::settle(true, PageSlide::settleDuration(80 / kTravel, 1)));
}

TEST(PointerPageDragTest, VelocityIsSmoothedOverEvents)
{
    // 0.09 of a page in 40 ms: 0.45 × 2.25 = 1.0125, short of the flick.
    PointerPageDrag once;
    once.arm(500, 0);
    ASSERT_TRUE(once.move(490, 0.01, kWidth, true, true));
    ASSERT_TRUE(once.move(440.5, 0.05, kWidth, true, true));
    expectSignal(once.end(0.06), Signal::settle(false, PageSlide::settleDuration(59.5 / kTravel, 0)));

    // Kept up for one more event: 0.55 × 1.0125 + 0.45 × 2.25 ≈ 1.57.
    PointerPageDrag sustained;
    sustained.arm(500, 0);
    ASSERT_TRUE(sustained.move(490, 0.01, kWidth, true, true));
    ASSERT_TRUE(sustained.move(440.5, 0.05, kWidth, true, true));
    ASSERT_TRUE(sustained.move(391, 0.09, kWidth, true, true));
    expectSignal(sustained.end(0.1), Signal::settle(true, PageSlide::settleDuration(109 / kTravel, 1)));
}

TEST(PointerPageDragTest, RightwardDragTowardMissingPageIsResistedAndNeverCommits)
{
    PointerPageDrag drag;
    drag.arm(100, 0);
    const double resisted = PageSlide::dragProgress(200, kTravel, true);
    expectSignal(drag.move(300, 0.01, kWidth, true, false), Signal::begin(-1, resisted));
    const double far = PageSlide::dragProgress(900, kTravel, true);
    expectSignal(drag.move(1000, 0.02, kWidth, true, false), Signal::move(far));
    EXPECT_LE(far, 0.22);
    expectSignal(drag.end(0.03), Signal::settle(false, PageSlide::settleDuration(far, 0)));
}

TEST(PointerPageDragTest, SilentWithoutArmingOrWidth)
{
    PointerPageDrag drag;
    EXPECT_FALSE(drag.move(0, 0, kWidth, true, true));
    EXPECT_FALSE(drag.end(0));

    drag.arm(500, 0);
    EXPECT_FALSE(drag.move(100, 0.1, 0, true, true));
    EXPECT_FALSE(drag.move(100, 0.1, -10, true, true));
    EXPECT_FALSE(drag.move(100, 0.1, kNaN, true, true));
    EXPECT_FALSE(drag.move(100, 0.1, kInf, true, true));
    EXPECT_FALSE(drag.isActive());
    EXPECT_TRUE(drag.isArmed());

    // A press that never became a drag ends without a signal and disarms.
    EXPECT_FALSE(drag.end(0.2));
    EXPECT_FALSE(drag.isArmed());
}

TEST(PointerPageDragTest, NonFinitePositionsAreIgnored)
{
    PointerPageDrag drag;
    drag.arm(kNaN, 0);
    EXPECT_FALSE(drag.isArmed());

    drag.arm(500, 0);
    EXPECT_FALSE(drag.move(kNaN, 0.01, kWidth, true, true));
    EXPECT_FALSE(drag.move(-kInf, 0.02, kWidth, true, true));
    EXPECT_FALSE(drag.move(400, kNaN, kWidth, true, true));
    EXPECT_FALSE(drag.isActive());
    expectSignal(drag.move(400, 0.03, kWidth, true, true), Signal::begin(1, 100 / kTravel));
    EXPECT_FALSE(drag.move(kNaN, 0.04, kWidth, true, true));
    expectSignal(drag.move(300, 0.05, kWidth, true, true), Signal::move(200 / kTravel));
}

TEST(PointerPageDragTest, ArmWithoutUsableTimeStillDrags)
{
    PointerPageDrag drag;
    drag.arm(500, kNaN);
    expectSignal(drag.move(400, 0.1, kWidth, true, true), Signal::begin(1, 100 / kTravel));
    const std::optional<Signal> settled = drag.end(0.2);
    ASSERT_TRUE(settled);
    EXPECT_TRUE(std::isfinite(settled->duration));
}

TEST(PointerPageDragConfigurationTest, DefaultsAndClamps)
{
    const PointerPageDrag::Configuration defaults;
    EXPECT_EQ(defaults.activationDistance, 8);
    EXPECT_EQ(defaults.travelFraction, 0.55);
    EXPECT_EQ(defaults.commitProgress, 0.28);
    EXPECT_EQ(defaults.flickVelocity, 1.1);
    EXPECT_EQ(defaults.edgeResistance, 0.22);
    EXPECT_EQ(defaults.settleBase, 0.34);

    const PointerPageDrag::Configuration low(-1, 0, -1, -1, 0, 0);
    EXPECT_EQ(low.activationDistance, 0);
    EXPECT_EQ(low.travelFraction, 0.05);
    EXPECT_EQ(low.commitProgress, 0);
    EXPECT_EQ(low.flickVelocity, 0);
    EXPECT_EQ(low.edgeResistance, 0.01);
    EXPECT_EQ(low.settleBase, 0.05);

    const PointerPageDrag::Configuration high(20, 5, 3, 9, 1, 2);
    EXPECT_EQ(high.travelFraction, 2);
    EXPECT_EQ(high.commitProgress, 1);
    EXPECT_EQ(high.edgeResistance, 0.5);

    const PointerPageDrag::Configuration garbage(kNaN, kInf, kNaN, kNaN, kNaN, kNaN);
    EXPECT_EQ(garbage, defaults);
}

} // namespace
