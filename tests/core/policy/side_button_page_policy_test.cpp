#include "policy/side_button_page_policy.h"

#include <gtest/gtest.h>

#include <QList>

#include <limits>
#include <string>

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInfinity = std::numeric_limits<double>::infinity();

struct Press
{
    int button;
    double time;
    // "previous", "next" or "-".
    std::string expected;
};

struct PressCase
{
    const char *name;
    double cooldown;
    QList<Press> presses;
};

class SideButtonPagePolicyTest : public ::testing::TestWithParam<PressCase>
{
};

TEST_P(SideButtonPagePolicyTest, StepsWithCooldown)
{
    const PressCase &c = GetParam();
    SideButtonPagePolicy policy{SideButtonPagePolicy::Configuration(c.cooldown)};
    for (qsizetype i = 0; i < c.presses.size(); ++i) {
        const Press &press = c.presses[i];
        const auto direction = policy.consume(press.button, press.time);
        EXPECT_EQ(direction ? direction->rawValue().toStdString() : std::string("-"), press.expected)
            << "press " << i << " button " << press.button << " at " << press.time;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SideButtonPagePolicyTest,
    ::testing::Values(
        PressCase{"ButtonsAlternateAfterTheCooldown",
                  0.14,
                  {{3, 2.0, "previous"}, {4, 2.14, "next"}, {3, 2.3, "previous"}, {4, 3.0, "next"}}},
        PressCase{"WithinTheCooldownWhicheverButton",
                  0.14,
                  {{4, 1.0, "next"}, {4, 1.1, "-"}, {3, 1.13, "-"}, {3, 1.2, "previous"}}},
        PressCase{"DroppedPressDoesNotExtendTheCooldown",
                  0.14,
                  {{4, 1.0, "next"}, {4, 1.1, "-"}, {4, 1.15, "next"}}},
        PressCase{"OtherButtonsNeitherStepNorTouchTheCooldown",
                  0.14,
                  {{2, 1.0, "-"}, {5, 1.0, "-"}, {0, 1.0, "-"}, {3, 2.0, "previous"}, {5, 2.1, "-"}, {4, 2.14, "next"}}},
        PressCase{"FirstPressAtTimeZero", 0.14, {{3, 0, "previous"}, {3, 0.1, "-"}}},
        PressCase{"ZeroCooldownTakesEveryPress", 0, {{3, 1, "previous"}, {3, 1, "previous"}}},
        PressCase{"NegativeCooldownIsZero", -1, {{4, 1, "next"}, {4, 1, "next"}}},
        PressCase{"NaNCooldownIsZero", kNaN, {{4, 1, "next"}, {4, 1, "next"}}},
        // A stored NaN or infinite time made every later difference NaN or
        // -inf, and the side buttons stopped working for good.
        PressCase{"NaNTimeIsDroppedAndLeavesTheCooldown",
                  0.14,
                  {{4, kNaN, "-"}, {4, 1.0, "next"}, {4, kNaN, "-"}, {3, 1.1, "-"}, {3, 1.2, "previous"}}},
        PressCase{"InfiniteTimeIsDropped", 0.14, {{3, kInfinity, "-"}, {3, 5, "previous"}, {4, 6, "next"}}}),
    [](const ::testing::TestParamInfo<PressCase> &info) { return std::string(info.param.name); });

TEST(SideButtonPagePolicyResetTest, ForgetsTheLastPress)
{
    SideButtonPagePolicy policy;
    EXPECT_EQ(policy.configuration, SideButtonPagePolicy::Configuration(0.14));
    EXPECT_EQ(policy.consume(3, 1.0), SideButtonPagePolicy::Direction::previous);
    EXPECT_FALSE(policy.consume(3, 1.05));
    policy.reset();
    EXPECT_EQ(policy.consume(4, 1.06), SideButtonPagePolicy::Direction::next);
}

TEST(SideButtonPagePolicyDirectionTest, ButtonNumbersAndRawValues)
{
    EXPECT_EQ(SideButtonPagePolicy::direction(3), SideButtonPagePolicy::Direction::previous);
    EXPECT_EQ(SideButtonPagePolicy::direction(4), SideButtonPagePolicy::Direction::next);
    EXPECT_FALSE(SideButtonPagePolicy::direction(1));
    EXPECT_FALSE(SideButtonPagePolicy::direction(-3));
    EXPECT_EQ(SideButtonPagePolicy::Direction::fromRawValue("next"), SideButtonPagePolicy::Direction::next);
    EXPECT_FALSE(SideButtonPagePolicy::Direction::fromRawValue("forward"));
}

} // namespace
