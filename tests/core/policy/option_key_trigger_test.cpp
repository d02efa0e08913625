#include "policy/option_key_trigger.h"

#include <gtest/gtest.h>

#include <QList>

#include <optional>
#include <string>

namespace {

using Action = OptionKeyTrigger::Action;

constexpr int kLeftOption = 58;
constexpr int kRightOption = 61;
constexpr int kShift = 56;
constexpr int kCommand = 55;

struct Change
{
    bool optionDown;
    int keyCode;
    Action expected;
};

struct TriggerCase
{
    const char *name;
    std::optional<bool> baseline;
    QList<Change> changes;
    bool wasDownAfter;
};

class OptionKeyTriggerTest : public ::testing::TestWithParam<TriggerCase>
{
};

TEST_P(OptionKeyTriggerTest, ReportsPressesAndReleases)
{
    const TriggerCase &c = GetParam();
    OptionKeyTrigger trigger;
    if (c.baseline)
        trigger.syncBaseline(*c.baseline);
    for (qsizetype i = 0; i < c.changes.size(); ++i) {
        const Change &change = c.changes[i];
        EXPECT_EQ(int(trigger.flagsChanged(change.optionDown, change.keyCode)), int(change.expected)) << "change " << i;
        EXPECT_TRUE(trigger.baselineValid());
    }
    EXPECT_EQ(trigger.wasDown(), c.wasDownAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OptionKeyTriggerTest,
    ::testing::Values(
        TriggerCase{"FirstEventOnlyLearns", std::nullopt, {{true, kLeftOption, Action::none}}, true},
        TriggerCase{"BaselineMakesTheSameEventAPress", false, {{true, kLeftOption, Action::press}}, true},
        TriggerCase{"PressThenRelease",
                    std::nullopt,
                    {{false, kShift, Action::none}, {true, kLeftOption, Action::press}, {false, kLeftOption, Action::release}},
                    false},
        TriggerCase{"RightOptionWorksLikeLeft",
                    false,
                    {{true, kRightOption, Action::press}, {false, kRightOption, Action::release}},
                    false},
        TriggerCase{"OtherModifiersNeverAct",
                    false,
                    {{true, kLeftOption, Action::press},
                     {true, kShift, Action::none},
                     {false, kCommand, Action::none},
                     {false, kLeftOption, Action::release}},
                    false},
        TriggerCase{"OtherKeyDoesNotMoveTheKnownState",
                    false,
                    {{true, kShift, Action::none}, {true, kLeftOption, Action::press}},
                    true},
        TriggerCase{"FirstEventOfAnotherKeyStillLearns",
                    std::nullopt,
                    {{true, kShift, Action::none}, {true, kLeftOption, Action::none}, {false, kLeftOption, Action::release}},
                    false},
        TriggerCase{"RepeatedStateIsNoAction",
                    true,
                    {{true, kLeftOption, Action::none}, {true, kRightOption, Action::none}},
                    true}),
    [](const ::testing::TestParamInfo<TriggerCase> &info) { return std::string(info.param.name); });

TEST(OptionKeyTriggerCodesTest, LeftAndRightOption)
{
    EXPECT_EQ(OptionKeyTrigger::optionKeyCodes(), QSet<int>({58, 61}));
    const OptionKeyTrigger fresh;
    EXPECT_FALSE(fresh.wasDown());
    EXPECT_FALSE(fresh.baselineValid());
}

} // namespace
