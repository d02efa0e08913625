#include "policy/edit_mode_gate.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

struct HoldCase
{
    const char *name;
    double pressedAt;
    double firedAt;
    bool enters;
};

class EditModeGateHoldTest : public ::testing::TestWithParam<HoldCase>
{
};

TEST_P(EditModeGateHoldTest, EntersOnlyAfterTheHold)
{
    const HoldCase &c = GetParam();
    EditModeGate gate;
    ASSERT_TRUE(gate.press(4, QPointF(100, 100), c.pressedAt));
    const EditModeGate::Action action = gate.holdElapsed(c.firedAt);
    EXPECT_EQ(action == EditModeGate::Action::enterEditing, c.enters);
    EXPECT_EQ(gate.isEditing(), c.enters);
    EXPECT_EQ(gate.enteredDuringPress(), c.enters);
    EXPECT_EQ(gate.pendingIndex().has_value(), !c.enters);
}

INSTANTIATE_TEST_SUITE_P(Cases, EditModeGateHoldTest,
                         ::testing::Values(HoldCase{"ExactlyTheHold", 10, 10.5, true},
                                           HoldCase{"WithinTheTimerSlack", 0, 0.4999995, true},
                                           HoldCase{"TooEarly", 0, 0.49, false},
                                           HoldCase{"Long", 3, 60, true},
                                           HoldCase{"ClockWentBack", 5, 4, false},
                                           HoldCase{"NaNFiring", 0, kNaN, false}),
                         [](const ::testing::TestParamInfo<HoldCase> &info) { return std::string(info.param.name); });

TEST(EditModeGateTest, PressWithoutTileArmsNothingAndDisarms)
{
    EditModeGate gate;
    EXPECT_TRUE(gate.press(2, QPointF(0, 0), 1));
    EXPECT_EQ(gate.pendingIndex(), 2);
    EXPECT_FALSE(gate.press(std::nullopt, QPointF(5, 5), 1.2));
    EXPECT_EQ(gate.pendingIndex(), std::nullopt);
    EXPECT_EQ(gate.holdElapsed(5), EditModeGate::Action::none);
    EXPECT_FALSE(gate.isEditing());
}

TEST(EditModeGateTest, MovementBeyondToleranceCancels)
{
    EditModeGate gate;
    EXPECT_FALSE(gate.moved(QPointF(500, 500))) << "nothing armed";
    gate.press(0, QPointF(10, 10), 0);
    EXPECT_FALSE(gate.moved(QPointF(17, 10))) << "exactly 7 points keeps the press";
    EXPECT_FALSE(gate.moved(QPointF(10 + 4.2, 10 + 5.6))) << "7 points diagonally";
    EXPECT_EQ(gate.pendingIndex(), 0);
    EXPECT_TRUE(gate.moved(QPointF(17.01, 10)));
    EXPECT_EQ(gate.pendingIndex(), std::nullopt);
    EXPECT_FALSE(gate.moved(QPointF(40, 40))) << "already cancelled";
    EXPECT_EQ(gate.holdElapsed(1), EditModeGate::Action::none);
}

TEST(EditModeGateTest, ReleaseReportsTheEnteringPressOnce)
{
    EditModeGate gate;
    gate.press(1, QPointF(), 0);
    EXPECT_EQ(gate.holdElapsed(0.5), EditModeGate::Action::enterEditing);
    EXPECT_EQ(gate.holdElapsed(0.6), EditModeGate::Action::none) << "already editing";
    EXPECT_TRUE(gate.release());
    EXPECT_FALSE(gate.release());
    EXPECT_TRUE(gate.isEditing());

    EXPECT_FALSE(gate.press(3, QPointF(), 1)) << "a press while editing arms nothing";
    EXPECT_FALSE(gate.release());

    gate.exit();
    EXPECT_FALSE(gate.isEditing());
    EXPECT_TRUE(gate.press(3, QPointF(), 2));
}

TEST(EditModeGateTest, ForceEnterDisarmsWithoutClaimingThePress)
{
    EditModeGate gate;
    gate.press(6, QPointF(1, 1), 0);
    gate.forceEnter();
    EXPECT_TRUE(gate.isEditing());
    EXPECT_EQ(gate.pendingIndex(), std::nullopt);
    EXPECT_FALSE(gate.enteredDuringPress());
    EXPECT_FALSE(gate.release());

    // While editing it changes nothing, not even the flag of an entering press.
    EditModeGate held;
    held.press(0, QPointF(), 0);
    held.holdElapsed(1);
    held.forceEnter();
    EXPECT_TRUE(held.enteredDuringPress());
}

TEST(EditModeGateTest, TuningIsTakenAsGiven)
{
    EditModeGate gate(EditModeGate::Tuning{1.0, 2});
    EXPECT_EQ(gate.tuning(), (EditModeGate::Tuning{1.0, 2}));
    EXPECT_EQ(EditModeGate().tuning(), (EditModeGate::Tuning{0.5, 7}));
    gate.press(0, QPointF(), 0);
    EXPECT_FALSE(gate.moved(QPointF(2, 0)));
    EXPECT_EQ(gate.holdElapsed(0.9), EditModeGate::Action::none);
    EXPECT_EQ(gate.holdElapsed(1.0), EditModeGate::Action::enterEditing);
}

// A press at a NaN point would never be cancelled by movement (every distance
// NaN), and one at a NaN time would never complete: neither is armed.
TEST(EditModeGateTest, DegeneratePressArmsNothing)
{
    EditModeGate gate;
    EXPECT_FALSE(gate.press(0, QPointF(kNaN, 0), 0));
    EXPECT_FALSE(gate.press(0, QPointF(0, std::numeric_limits<double>::infinity()), 0));
    EXPECT_FALSE(gate.press(0, QPointF(0, 0), kNaN));
    EXPECT_EQ(gate.pendingIndex(), std::nullopt);

    EXPECT_TRUE(gate.press(0, QPointF(0, 0), 0));
    EXPECT_FALSE(gate.moved(QPointF(kNaN, kNaN))) << "a garbage movement is ignored";
    EXPECT_EQ(gate.pendingIndex(), 0);
    EXPECT_TRUE(gate.moved(QPointF(8, 0)));
}

} // namespace
