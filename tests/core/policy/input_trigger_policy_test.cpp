#include "policy/input_trigger_policy.h"

#include <gtest/gtest.h>

#include <QList>

#include <cmath>
#include <limits>
#include <string>

namespace {

using Kind = InputTriggerEvent::Kind;
using Origin = InputTriggerEvent::Origin;
using Configuration = InputTriggerPolicy::Configuration;

constexpr qint64 kSpace = 49;
constexpr qint64 kF4 = 118;
constexpr quint64 kOption = InputTriggerPolicy::optionFlag;
constexpr quint64 kShift = InputTriggerPolicy::shiftFlag;
constexpr quint64 kCommand = InputTriggerPolicy::commandFlag;
constexpr quint64 kControl = InputTriggerPolicy::controlFlag;
// Bits outside the four modifiers that real events carry.
constexpr quint64 kCapsLock = quint64(1) << 16;
constexpr quint64 kDeviceLeftOption = 0x20;
constexpr quint64 kNumericPad = quint64(1) << 21;
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInfinity = std::numeric_limits<double>::infinity();

InputTriggerEvent key(qint64 code, quint64 flags, double time, Origin origin = Origin::eventTap, bool repeat = false)
{
    return InputTriggerEvent(Kind::keyDown, origin, code, flags, repeat, 0, 0, time);
}

InputTriggerEvent optionSpace(double time, Origin origin = Origin::eventTap)
{
    return key(kSpace, kOption, time, origin);
}

InputTriggerEvent gesture(Kind kind, double time, int fingers = 0, Origin origin = Origin::eventTap)
{
    return InputTriggerEvent(kind, origin, 0, 0, false, fingers, kind == Kind::gestureChanged ? 0.1 : 0, time);
}

InputTriggerEvent system(Kind kind, double time)
{
    return InputTriggerEvent(kind, Origin::notification, 0, 0, false, 0, 0, time);
}

Configuration withPinch(PinchGesture pinch, SystemGesturePreference system = SystemGesturePreference::unknown())
{
    return Configuration(49, 2048, true, true, pinch, system);
}

std::string describe(const std::optional<InputTriggerAction> &action)
{
    return action ? action->rawValue().toStdString() : std::string("-");
}

struct Step
{
    InputTriggerEvent event;
    // "toggle", "hide" or "-" for no action.
    std::string expected;
};

struct SequenceCase
{
    const char *name;
    Configuration configuration;
    QList<Step> steps;
    bool lockedAfter = false;
};

class InputTriggerSequenceTest : public ::testing::TestWithParam<SequenceCase>
{
};

TEST_P(InputTriggerSequenceTest, YieldsActions)
{
    const SequenceCase &c = GetParam();
    InputTriggerPolicy policy(c.configuration);
    for (qsizetype i = 0; i < c.steps.size(); ++i) {
        const Step &step = c.steps[i];
        EXPECT_EQ(describe(policy.consume(step.event)), step.expected)
            << "step " << i << " kind=" << step.event.kind.rawValue().toStdString() << " t=" << step.event.time;
    }
    EXPECT_EQ(policy.isLocked(), c.lockedAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, InputTriggerSequenceTest,
    ::testing::Values(
        SequenceCase{"FirstPressAtTimeZero", Configuration(), {{optionSpace(0), "toggle"}}},
        SequenceCase{"DebounceRejectsACloseSecondPress",
                     Configuration(),
                     {{optionSpace(1.0), "toggle"}, {optionSpace(1.27), "-"}}},
        SequenceCase{"ExactlyTheDebounceApartIsEnough",
                     Configuration(),
                     {{optionSpace(0), "toggle"}, {optionSpace(0.28), "toggle"}}},
        SequenceCase{"RejectedPressDoesNotMoveTheClock",
                     Configuration(),
                     {{optionSpace(1.0), "toggle"}, {optionSpace(1.2), "-"}, {optionSpace(1.3), "toggle"}}},
        SequenceCase{"IrrelevantFlagBitsAreIgnored",
                     Configuration(),
                     {{key(kSpace, kOption | kCapsLock, 1), "toggle"},
                      {key(kSpace, kOption | kDeviceLeftOption | kNumericPad, 2), "toggle"}}},
        SequenceCase{"ModifiersMustMatchExactly",
                     Configuration(),
                     {{key(kSpace, kOption | kShift, 1), "-"},
                      {key(kSpace, 0, 2), "-"},
                      {key(kSpace + 1, kOption, 3), "-"},
                      {key(kSpace, kOption, 4, Origin::eventTap, true), "-"},
                      {key(kSpace, kOption, 5), "toggle"}}},
        SequenceCase{"F4TogglesWithAnyModifiers",
                     Configuration(),
                     {{key(kF4, kCommand | kShift, 1), "toggle"}, {key(kF4, kControl, 2), "toggle"}}},
        SequenceCase{"F4PresetWithoutTheF4Switch",
                     Configuration(118, 0, false),
                     {{key(kF4, kControl, 1), "-"},
                      {key(kF4, kCapsLock, 2), "toggle"},
                      {key(kF4, 0, 3), "toggle"}}},
        SequenceCase{"NoHotKeyNeverMatchesKeyCodeZero",
                     Configuration(0, 0, true),
                     {{key(0, 0, 1), "-"}, {key(kF4, 0, 2), "toggle"}}},
        SequenceCase{"NoHotKeyAndNoF4",
                     Configuration(0, 0, false),
                     {{key(0, 0, 1), "-"}, {key(kF4, 0, 2), "-"}}},
        SequenceCase{"EventTapSwitchedOff",
                     Configuration(49, 2048, true, false),
                     {{optionSpace(1, Origin::eventTap), "-"},
                      {optionSpace(2, Origin::hotKey), "toggle"},
                      {optionSpace(3, Origin::simulated), "toggle"}}},
        SequenceCase{"HotKeyFlagsFromCarbonMask",
                     Configuration(49, 256 | 512),
                     {{key(kSpace, kCommand | kShift, 1), "toggle"}, {key(kSpace, kCommand, 2), "-"}}},
        SequenceCase{"FlagsChangedNeverActs",
                     Configuration(),
                     {{InputTriggerEvent(Kind::flagsChanged, Origin::eventTap, 58, kOption, false, 0, 0, 1), "-"}}}),
    [](const ::testing::TestParamInfo<SequenceCase> &info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Pinch, InputTriggerSequenceTest,
    ::testing::Values(
        SequenceCase{"FourFingersWithoutCountsToggles",
                     withPinch(PinchGesture::four),
                     {{gesture(Kind::gestureBegan, 0), "-"},
                      {gesture(Kind::gestureChanged, 0.5, 0), "-"},
                      {gesture(Kind::gestureEnded, 1.0), "toggle"}}},
        SequenceCase{"WrongFingerCountIsRejected",
                     withPinch(PinchGesture::four),
                     {{gesture(Kind::gestureBegan, 0), "-"},
                      {gesture(Kind::gestureChanged, 0.2, 3), "-"},
                      {gesture(Kind::gestureChanged, 0.4, 3), "-"},
                      {gesture(Kind::gestureEnded, 1.0), "-"}}},
        SequenceCase{"AnyReportOfTheRightCountPasses",
                     withPinch(PinchGesture::four),
                     {{gesture(Kind::gestureBegan, 0), "-"},
                      {gesture(Kind::gestureChanged, 0.2, 3), "-"},
                      {gesture(Kind::gestureChanged, 0.4, 4), "-"},
                      {gesture(Kind::gestureEnded, 0.6), "toggle"}}},
        SequenceCase{"TooSlowAPinchIsNoSummons",
                     withPinch(PinchGesture::four),
                     {{gesture(Kind::gestureBegan, 0), "-"},
                      {gesture(Kind::gestureChanged, 1.0), "-"},
                      {gesture(Kind::gestureEnded, 3.5), "-"}}},
        SequenceCase{"ExactlyThreeSecondsPasses",
                     withPinch(PinchGesture::three),
                     {{gesture(Kind::gestureBegan, 10), "-"},
                      {gesture(Kind::gestureChanged, 11, 3), "-"},
                      {gesture(Kind::gestureEnded, 13), "toggle"}}},
        SequenceCase{"BeganThenEndedWithoutChange",
                     withPinch(PinchGesture::four),
                     {{gesture(Kind::gestureBegan, 0), "-"}, {gesture(Kind::gestureEnded, 0.5), "-"}}},
        SequenceCase{"ChangeWithoutBeganOpensNothing",
                     withPinch(PinchGesture::four),
                     {{gesture(Kind::gestureChanged, 0.1, 4), "-"}, {gesture(Kind::gestureEnded, 0.5), "-"}}},
        SequenceCase{"SecondBeganRestartsTheCandidate",
                     withPinch(PinchGesture::four),
                     {{gesture(Kind::gestureBegan, 0), "-"},
                      {gesture(Kind::gestureChanged, 0.2, 4), "-"},
                      {gesture(Kind::gestureBegan, 5), "-"},
                      {gesture(Kind::gestureEnded, 5.5), "-"}}},
        SequenceCase{"EndedForgetsTheCandidate",
                     withPinch(PinchGesture::four),
                     {{gesture(Kind::gestureBegan, 0), "-"},
                      {gesture(Kind::gestureChanged, 0.2), "-"},
                      {gesture(Kind::gestureEnded, 0.4), "toggle"},
                      {gesture(Kind::gestureEnded, 2.0), "-"}}},
        SequenceCase{"PinchOffIgnoresGestures",
                     withPinch(PinchGesture::off),
                     {{gesture(Kind::gestureBegan, 0), "-"},
                      {gesture(Kind::gestureChanged, 0.2, 4), "-"},
                      {gesture(Kind::gestureEnded, 0.4), "-"}}},
        SequenceCase{"SystemPinchOccupiedNeverToggles",
                     withPinch(PinchGesture::system, SystemGesturePreference(4, true)),
                     {{gesture(Kind::gestureBegan, 0), "-"},
                      {gesture(Kind::gestureChanged, 0.2, 4), "-"},
                      {gesture(Kind::gestureEnded, 0.4), "-"}}},
        SequenceCase{"SystemPinchFreeAcceptsAnyFingers",
                     withPinch(PinchGesture::system),
                     {{gesture(Kind::gestureBegan, 0), "-"},
                      {gesture(Kind::gestureChanged, 0.2, 2), "-"},
                      {gesture(Kind::gestureEnded, 0.4), "toggle"}}},
        SequenceCase{"SystemExpectedFingersAreRequired",
                     withPinch(PinchGesture::system, SystemGesturePreference(4, false)),
                     {{gesture(Kind::gestureBegan, 0), "-"},
                      {gesture(Kind::gestureChanged, 0.2, 3), "-"},
                      {gesture(Kind::gestureEnded, 0.4), "-"}}},
        SequenceCase{"TapSwitchedOffIgnoresTapGestures",
                     Configuration(49, 2048, true, false, PinchGesture::four),
                     {{gesture(Kind::gestureBegan, 0), "-"},
                      {gesture(Kind::gestureChanged, 0.2, 4), "-"},
                      {gesture(Kind::gestureEnded, 0.4), "-"},
                      {gesture(Kind::gestureBegan, 1, 0, Origin::simulated), "-"},
                      {gesture(Kind::gestureChanged, 1.2, 4, Origin::simulated), "-"},
                      {gesture(Kind::gestureEnded, 1.4, 0, Origin::simulated), "toggle"}}},
        SequenceCase{"PinchSharesTheDebounceWithKeys",
                     withPinch(PinchGesture::four),
                     {{gesture(Kind::gestureBegan, 0.9), "-"},
                      {gesture(Kind::gestureChanged, 0.95), "-"},
                      {optionSpace(1.0), "toggle"},
                      {gesture(Kind::gestureEnded, 1.1), "-"}}}),
    [](const ::testing::TestParamInfo<SequenceCase> &info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    SystemEvents, InputTriggerSequenceTest,
    ::testing::Values(
        SequenceCase{"LockWithoutHidingStillLocks",
                     Configuration(49, 2048, true, true, PinchGesture::off, SystemGesturePreference::unknown(), false),
                     {{system(Kind::screenLocked, 1), "-"},
                      {optionSpace(2), "-"},
                      {key(kF4, 0, 3), "-"},
                      {system(Kind::screenUnlocked, 4), "-"},
                      {optionSpace(5), "toggle"}}},
        SequenceCase{"SleepHidesAndWakeReleases",
                     Configuration(),
                     {{system(Kind::systemSleep, 1), "hide"},
                      {optionSpace(2), "-"},
                      {system(Kind::systemWake, 3), "-"},
                      {optionSpace(4), "toggle"}}},
        SequenceCase{"ShowDesktopHidesAndKeepsTheLock",
                     Configuration(),
                     {{system(Kind::showDesktop, 1), "hide"},
                      {system(Kind::screenLocked, 2), "hide"},
                      {system(Kind::showDesktop, 3), "hide"},
                      {optionSpace(4), "-"}},
                     true},
        SequenceCase{"HidingDoesNotTouchTheDebounce",
                     Configuration(),
                     {{optionSpace(1.0), "toggle"},
                      {system(Kind::showDesktop, 1.1), "hide"},
                      {system(Kind::showDesktop, 1.12), "hide"},
                      {optionSpace(1.28), "toggle"}}},
        SequenceCase{"PinchEndWhileLockedIsIgnored",
                     withPinch(PinchGesture::four),
                     {{system(Kind::screenLocked, 0), "hide"},
                      {gesture(Kind::gestureBegan, 1), "-"},
                      {gesture(Kind::gestureChanged, 1.2), "-"},
                      {gesture(Kind::gestureEnded, 1.4), "-"}},
                     true},
        SequenceCase{"UnlockForgetsACandidateOpenedWhileLocked",
                     withPinch(PinchGesture::four),
                     {{system(Kind::screenLocked, 0), "hide"},
                      {gesture(Kind::gestureBegan, 1), "-"},
                      {gesture(Kind::gestureChanged, 1.2), "-"},
                      {system(Kind::screenUnlocked, 1.3), "-"},
                      {gesture(Kind::gestureEnded, 1.4), "-"}}},
        SequenceCase{"ShowDesktopForgetsTheCandidate",
                     withPinch(PinchGesture::four),
                     {{gesture(Kind::gestureBegan, 1), "-"},
                      {gesture(Kind::gestureChanged, 1.2), "-"},
                      {system(Kind::showDesktop, 1.3), "hide"},
                      {gesture(Kind::gestureEnded, 1.4), "-"}}}),
    [](const ::testing::TestParamInfo<SequenceCase> &info) { return std::string(info.param.name); });

// A NaN or infinite time used to be stored as the last toggle, after which
// every difference was NaN or -inf: the debounce either vanished or the hot
// key was dead for good.
INSTANTIATE_TEST_SUITE_P(
    DegenerateTimes, InputTriggerSequenceTest,
    ::testing::Values(
        SequenceCase{"NaNPressIsDroppedAndDebounceSurvives",
                     Configuration(),
                     {{optionSpace(kNaN), "-"},
                      {optionSpace(0.1), "toggle"},
                      {optionSpace(0.2), "-"},
                      {optionSpace(0.5), "toggle"}}},
        SequenceCase{"InfinitePressDoesNotSilenceTheHotKey",
                     Configuration(),
                     {{optionSpace(kInfinity), "-"}, {optionSpace(1), "toggle"}, {optionSpace(2), "toggle"}}},
        SequenceCase{"NegativeInfinityIsDropped",
                     Configuration(),
                     {{optionSpace(-kInfinity), "-"}, {optionSpace(1), "toggle"}}},
        SequenceCase{"NaNPinchBeginOpensNothing",
                     withPinch(PinchGesture::four),
                     {{gesture(Kind::gestureBegan, kNaN), "-"},
                      {gesture(Kind::gestureChanged, 0.2), "-"},
                      {gesture(Kind::gestureEnded, 0.4), "-"}}},
        SequenceCase{"NaNPinchEndDoesNotToggle",
                     withPinch(PinchGesture::four),
                     {{gesture(Kind::gestureBegan, 0), "-"},
                      {gesture(Kind::gestureChanged, 0.2), "-"},
                      {gesture(Kind::gestureEnded, kNaN), "-"},
                      {optionSpace(0.3), "toggle"}}}),
    [](const ::testing::TestParamInfo<SequenceCase> &info) { return std::string(info.param.name); });

TEST(InputTriggerPolicyTest, UpdateForgetsThePinchButKeepsLockAndDebounce)
{
    InputTriggerPolicy policy(withPinch(PinchGesture::four));
    EXPECT_EQ(describe(policy.consume(optionSpace(1.0))), "toggle");
    policy.consume(gesture(Kind::gestureBegan, 1.5));
    policy.consume(gesture(Kind::gestureChanged, 1.6));
    policy.update(withPinch(PinchGesture::four));
    EXPECT_EQ(describe(policy.consume(gesture(Kind::gestureEnded, 1.7))), "-") << "candidate forgotten";

    policy.update(Configuration());
    EXPECT_EQ(describe(policy.consume(optionSpace(1.1))), "-") << "debounce clock kept";

    policy.consume(system(Kind::screenLocked, 2));
    policy.update(Configuration());
    EXPECT_TRUE(policy.isLocked());
    EXPECT_EQ(describe(policy.consume(optionSpace(3))), "-");
    EXPECT_EQ(policy.configuration(), Configuration());
}

struct FingersCase
{
    const char *name;
    PinchGesture pinch;
    SystemGesturePreference system;
    std::optional<int> fingers;
    bool conflict;
};

class InputTriggerFingersTest : public ::testing::TestWithParam<FingersCase>
{
};

TEST_P(InputTriggerFingersTest, ResolvesFingersAndConflict)
{
    const FingersCase &c = GetParam();
    const InputTriggerPolicy policy(withPinch(c.pinch, c.system));
    EXPECT_EQ(policy.resolvedFingers(), c.fingers);
    EXPECT_EQ(policy.hasSystemGestureConflict(), c.conflict);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InputTriggerFingersTest,
    ::testing::Values(FingersCase{"Off", PinchGesture::off, SystemGesturePreference(4, true), std::nullopt, false},
                      FingersCase{"Three", PinchGesture::three, SystemGesturePreference(), 3, false},
                      FingersCase{"FiveWhileSystemBusy", PinchGesture::five, SystemGesturePreference(3, true), 5,
                                  true},
                      FingersCase{"SystemBusy", PinchGesture::system, SystemGesturePreference(4, true), 4, true},
                      FingersCase{"SystemFree", PinchGesture::system, SystemGesturePreference(), std::nullopt,
                                  false}),
    [](const ::testing::TestParamInfo<FingersCase> &info) { return std::string(info.param.name); });

TEST(InputTriggerPolicyTest, CarbonModifiersBecomeTapFlags)
{
    EXPECT_EQ(InputTriggerPolicy::cgFlags(0), 0u);
    EXPECT_EQ(InputTriggerPolicy::cgFlags(2048), InputTriggerPolicy::optionFlag);
    EXPECT_EQ(InputTriggerPolicy::cgFlags(256 | 512), InputTriggerPolicy::commandFlag | InputTriggerPolicy::shiftFlag);
    EXPECT_EQ(InputTriggerPolicy::cgFlags(4096 | 1024 | 128 | 1), InputTriggerPolicy::controlFlag)
        << "Caps Lock, the button bit and unknown bits drop out";
    EXPECT_EQ(InputTriggerPolicy::cgFlags(0xFFFFFFFFu), InputTriggerPolicy::modifierMask);
    EXPECT_EQ(InputTriggerPolicy::modifierMask, 0x1E0000u);
    EXPECT_EQ(InputTriggerPolicy::normalizedFlags(0xFFFFFFFFFFFFFFFFull), 0x1E0000u);
}

TEST(InputTriggerPolicyTest, ConfigurationDefaultsAndDebounceClamp)
{
    const Configuration defaults = Configuration::defaultConfiguration();
    EXPECT_EQ(defaults.hotKeyCode, 49u);
    EXPECT_EQ(defaults.hotKeyModifiers, 2048u);
    EXPECT_TRUE(defaults.enableF4);
    EXPECT_TRUE(defaults.useEventTap);
    EXPECT_EQ(defaults.pinch, PinchGesture::off);
    EXPECT_EQ(defaults.systemGesture, SystemGesturePreference::unknown());
    EXPECT_TRUE(defaults.hideOnSystemEvents);
    EXPECT_DOUBLE_EQ(defaults.debounce, 0.28);

    const auto debounceOf = [](double value) {
        return Configuration(49, 2048, true, true, PinchGesture::off, SystemGesturePreference(), true, value).debounce;
    };
    EXPECT_EQ(debounceOf(-1), 0.0);
    EXPECT_EQ(debounceOf(kNaN), 0.0) << "a NaN debounce would let every toggle through silently";
    EXPECT_EQ(debounceOf(1.5), 1.5);

    // Without a debounce, presses at the same instant both toggle.
    InputTriggerPolicy policy(Configuration(49, 2048, true, true, PinchGesture::off, {}, true, -3));
    EXPECT_EQ(describe(policy.consume(optionSpace(5))), "toggle");
    EXPECT_EQ(describe(policy.consume(optionSpace(5))), "toggle");
}

// Shaped like the settings record, whose hot-key preset answers keyCode() and modifiers().
struct FakeHotKey
{
    quint32 code;
    quint32 mask;
    quint32 keyCode() const { return code; }
    quint32 modifiers() const { return mask; }
};

struct FakeSettings
{
    FakeHotKey hotKey{118, 0};
    bool useEventTap = false;
    bool enableF4Shortcut = false;
    PinchGesture pinchGesture = PinchGesture::five;
    bool hideOnSystemEvents = false;
};

TEST(InputTriggerPolicyTest, ConfigurationFromSettings)
{
    const Configuration made = Configuration::fromSettings(FakeSettings(), SystemGesturePreference(3, true));
    EXPECT_EQ(made, Configuration(118, 0, false, false, PinchGesture::five, SystemGesturePreference(3, true), false,
                                  0.28));
    EXPECT_EQ(Configuration::fromSettings(FakeSettings()).systemGesture, SystemGesturePreference::unknown());
}

TEST(InputTriggerPolicyTest, EventDefaultsAndEquality)
{
    const InputTriggerEvent event(Kind::keyDown);
    EXPECT_EQ(event.origin, Origin::eventTap);
    EXPECT_EQ(event.keyCode, 0);
    EXPECT_EQ(event.flags, 0u);
    EXPECT_FALSE(event.isRepeat);
    EXPECT_EQ(event.fingerCount, 0);
    EXPECT_EQ(event.time, 0.0);
    EXPECT_EQ(event, InputTriggerEvent(Kind::keyDown));
    EXPECT_FALSE(event == InputTriggerEvent(Kind::keyDown, Origin::eventTap, 0, 0, false, 0, 0.5));
}

TEST(InputTriggerPolicyTest, RawValuesRoundTripInOrder)
{
    QStringList kinds;
    for (Kind kind : Kind::allCases()) {
        kinds << kind.rawValue();
        EXPECT_EQ(Kind::fromRawValue(kind.rawValue()), kind);
    }
    EXPECT_EQ(kinds, QStringList({"keyDown", "flagsChanged", "gestureBegan", "gestureChanged", "gestureEnded",
                                  "screenLocked", "screenUnlocked", "systemSleep", "systemWake", "showDesktop"}));

    QStringList origins;
    for (Origin origin : Origin::allCases())
        origins << origin.rawValue();
    EXPECT_EQ(origins, QStringList({"eventTap", "hotKey", "notification", "simulated"}));

    QStringList actions;
    for (InputTriggerAction action : InputTriggerAction::allCases())
        actions << action.rawValue();
    EXPECT_EQ(actions, QStringList({"toggle", "show", "hide"}));

    EXPECT_FALSE(Kind::fromRawValue("KeyDown"));
    EXPECT_FALSE(Origin::fromRawValue("tap"));
    EXPECT_EQ(InputTriggerAction::fromRawValue("hide"), InputTriggerAction::hide);
    EXPECT_FALSE(InputTriggerAction::fromRawValue(""));
}

} // namespace
