#include "fake_input_platform.h"

#include "triggers/input_event_bridge.h"
#include "triggers/input_event_monitor.h"
#include "triggers/input_tap_callback.h"

#include "system_notifications.h"

#include "localization/l10n.h"
#include "model/memory_user_defaults.h"
#include "support/temp_env.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

using Kind = InputTriggerEvent::Kind;
using Origin = InputTriggerEvent::Origin;
using Config = InputTriggerPolicy::Configuration;

constexpr quint64 kOption = InputTriggerPolicy::optionFlag;
constexpr quint64 kShift = InputTriggerPolicy::shiftFlag;
constexpr quint64 kCapsLock = quint64(1) << 16;

// Runs the work the bridge queued for the main thread.
void drainMainQueue()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

class MonitorFixture : public ::testing::Test
{
protected:
    MonitorFixture() : monitor(source, center, timers.factory(), [this] { return uptime; })
    {
        monitor.onTrigger = [this](InputTriggerAction action) { actions.push_back(action); };
        monitor.onPermissionChange = [this](bool trusted) { permissions.push_back(trusted); };
    }
    ~MonitorFixture() override { inputBridge().setHandlers({}, {}); }

    QStringList inputLines() const
    {
        QStringList out;
        for (const QString &line : log.lines()) {
            if (line.startsWith(QLatin1String("[input]")))
                out.append(line);
        }
        return out;
    }

    LogCapture log;
    FakeInputEventSource source;
    NotificationCenter center;
    FakeTimers timers;
    double uptime = 100;
    InputEventMonitor monitor;
    std::vector<InputTriggerAction> actions;
    std::vector<bool> permissions;
};

// ---- Key, gesture and system sequences through the monitor to actions ----

struct Step
{
    InputTriggerEvent event;
    std::optional<InputTriggerAction::Value> expected;
};

struct SequenceCase
{
    const char *name;
    Config configuration;
    std::vector<Step> steps;
};

InputTriggerEvent key(qint64 code, quint64 flags, double time, Origin origin = Origin::eventTap, bool repeat = false)
{
    return InputTriggerEvent(Kind::keyDown, origin, code, flags, repeat, 0, 0, time);
}

InputTriggerEvent plain(Kind kind, double time, int fingers = 0)
{
    return InputTriggerEvent(kind, Origin::eventTap, 0, 0, false, fingers, 0, time);
}

Config pinchConfig(PinchGesture pinch, SystemGesturePreference system = SystemGesturePreference::unknown())
{
    return Config(49, 2048, true, true, pinch, system);
}

class TriggerSequenceTest : public MonitorFixture, public ::testing::WithParamInterface<SequenceCase>
{
};

TEST_P(TriggerSequenceTest, YieldsActions)
{
    const SequenceCase &c = GetParam();
    monitor.configure(c.configuration);
    for (size_t i = 0; i < c.steps.size(); ++i) {
        actions.clear();
        monitor.simulate(c.steps[i].event);
        if (c.steps[i].expected) {
            ASSERT_EQ(actions.size(), 1u) << "step " << i;
            EXPECT_EQ(InputTriggerAction::Value(actions[0]), *c.steps[i].expected) << "step " << i;
        } else {
            EXPECT_TRUE(actions.empty()) << "step " << i;
        }
    }
}

const auto toggle = std::optional<InputTriggerAction::Value>(InputTriggerAction::toggle);
const auto hide = std::optional<InputTriggerAction::Value>(InputTriggerAction::hide);
const auto none = std::optional<InputTriggerAction::Value>();

INSTANTIATE_TEST_SUITE_P(
    Sequences, TriggerSequenceTest,
    ::testing::Values(
        SequenceCase{"OptionSpaceWithCapsLockToggles", Config(), {{key(49, kOption | kCapsLock, 0), toggle}}},
        SequenceCase{"SecondPressInsideDebounceIsDropped",
                     Config(),
                     {{key(49, kOption, 1.0), toggle}, {key(49, kOption, 1.27), none}, {key(49, kOption, 1.55), toggle}}},
        SequenceCase{"DroppedPressDoesNotMoveTheClock",
                     Config(),
                     {{key(118, 0, 1.0), toggle}, {key(118, 0, 1.2), none}, {key(118, 0, 1.3), toggle}}},
        SequenceCase{"WrongModifiersAndRepeatsDoNothing",
                     Config(),
                     {{key(49, kOption | kShift, 1), none},
                      {key(49, 0, 2), none},
                      {key(49, kOption, 3, Origin::eventTap, true), none},
                      {plain(Kind::flagsChanged, 4), none}}},
        SequenceCase{"TapKeysIgnoredWithoutEventTapButHotKeyWorks",
                     Config(49, 2048, true, false),
                     {{key(118, 0, 1), none}, {key(49, kOption, 2, Origin::hotKey), toggle}}},
        SequenceCase{"LockHidesAndBlocksKeysUntilUnlock",
                     Config(),
                     {{plain(Kind::screenLocked, 1), hide},
                      {key(118, 0, 2), none},
                      {plain(Kind::screenUnlocked, 3), none},
                      {key(118, 0, 4), toggle}}},
        SequenceCase{"SleepWithoutHidingStillLocks",
                     Config(49, 2048, true, true, PinchGesture::off, SystemGesturePreference::unknown(), false),
                     {{plain(Kind::systemSleep, 1), none},
                      {key(118, 0, 2), none},
                      {plain(Kind::systemWake, 3), none},
                      {key(118, 0, 4), toggle}}},
        SequenceCase{"ShowDesktopHides", Config(), {{plain(Kind::showDesktop, 1), hide}}},
        SequenceCase{"FourFingerPinchToggles",
                     pinchConfig(PinchGesture::four),
                     {{plain(Kind::gestureBegan, 1), none},
                      {plain(Kind::gestureChanged, 1.1), none},
                      {plain(Kind::gestureEnded, 2), toggle}}},
        SequenceCase{"PinchWithWrongFingersOrTooSlowDoesNothing",
                     pinchConfig(PinchGesture::four),
                     {{plain(Kind::gestureBegan, 1), none},
                      {plain(Kind::gestureChanged, 1.1, 3), none},
                      {plain(Kind::gestureEnded, 2), none},
                      {plain(Kind::gestureBegan, 10), none},
                      {plain(Kind::gestureChanged, 10.1), none},
                      {plain(Kind::gestureEnded, 13.5), none}}},
        SequenceCase{"SystemPinchInConflictNeverToggles",
                     pinchConfig(PinchGesture::system, SystemGesturePreference(4, true)),
                     {{plain(Kind::gestureBegan, 1), none},
                      {plain(Kind::gestureChanged, 1.1), none},
                      {plain(Kind::gestureEnded, 2), none}}}),
    [](const ::testing::TestParamInfo<SequenceCase> &info) { return std::string(info.param.name); });

// ---- The tap callback: desktop event fields to trigger events ----

struct TapCase
{
    const char *name;
    quint32 type;
    EventTapEvent fields;
    std::optional<InputTriggerEvent> expected; // time not compared
};

EventTapEvent tapFields(qint64 code, quint64 flags, bool repeat = false, double magnification = 0, int fingers = 0)
{
    EventTapEvent e;
    e.keyCode = code;
    e.flags = flags;
    e.isRepeat = repeat;
    e.magnification = magnification;
    e.fingerCount = fingers;
    return e;
}

class TapCallbackTest : public ::testing::TestWithParam<TapCase>
{
protected:
    ~TapCallbackTest() override { inputBridge().setHandlers({}, {}); }
};

TEST_P(TapCallbackTest, DeliversTheEventOfItsType)
{
    const TapCase &c = GetParam();
    std::vector<InputTriggerEvent> delivered;
    int rebuilds = 0;
    inputBridge().setHandlers([&](const InputTriggerEvent &e) { delivered.push_back(e); }, [&] { ++rebuilds; });
    inputTapCallback(c.type, c.fields);
    EXPECT_EQ(rebuilds, 0);
    if (!c.expected) {
        EXPECT_TRUE(delivered.empty());
        return;
    }
    ASSERT_EQ(delivered.size(), 1u);
    InputTriggerEvent got = delivered[0];
    EXPECT_GT(got.time, 0.0);
    got.time = 0;
    EXPECT_EQ(got, *c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Types, TapCallbackTest,
    ::testing::Values(
        TapCase{"KeyDown", 10, tapFields(118, kOption, false), InputTriggerEvent(Kind::keyDown, Origin::eventTap, 118, kOption)},
        TapCase{"RepeatedKeyDown", 10, tapFields(49, kOption, true),
                InputTriggerEvent(Kind::keyDown, Origin::eventTap, 49, kOption, true)},
        TapCase{"FlagsChangedCarriesNoKeyCode", 12, tapFields(58, kOption),
                InputTriggerEvent(Kind::flagsChanged, Origin::eventTap, 0, kOption)},
        TapCase{"GestureBegan", 19, tapFields(0, kOption, false, 0, 4), InputTriggerEvent(Kind::gestureBegan)},
        TapCase{"GestureEnded", 20, tapFields(0, 0, false, 0, 4), InputTriggerEvent(Kind::gestureEnded)},
        TapCase{"MagnifyCarriesMagnificationNotFingers", 30, tapFields(0, 0, false, 0.25, 4),
                InputTriggerEvent(Kind::gestureChanged, Origin::eventTap, 0, 0, false, 0, 0.25)},
        TapCase{"Gesture", 29, tapFields(0, 0, false, 0.5), InputTriggerEvent(Kind::gestureChanged, Origin::eventTap, 0, 0, false, 0, 0.5)},
        TapCase{"SmartMagnify", 32, tapFields(0, 0), InputTriggerEvent(Kind::gestureChanged)},
        TapCase{"SwipeDeliversNothing", 31, tapFields(0, 0), std::nullopt},
        TapCase{"KeyUpDeliversNothing", 11, tapFields(49, 0), std::nullopt}),
    [](const ::testing::TestParamInfo<TapCase> &info) { return std::string(info.param.name); });

TEST(TapCallback, DisabledTapAsksForOneRebuildAndDeliversNothing)
{
    std::vector<InputTriggerEvent> delivered;
    int rebuilds = 0;
    inputBridge().setHandlers([&](const InputTriggerEvent &e) { delivered.push_back(e); }, [&] { ++rebuilds; });
    inputTapCallback(EventTapTypes::tapDisabledByTimeout, {});
    inputTapCallback(EventTapTypes::tapDisabledByUserInput, {});
    EXPECT_EQ(rebuilds, 2);
    EXPECT_TRUE(delivered.empty());
    inputBridge().setHandlers({}, {});
    inputTapCallback(EventTapTypes::tapDisabledByTimeout, {});
    EXPECT_EQ(rebuilds, 2);
}

TEST(InputBridge, HandlerMayReplaceTheHandlersWhileRunning)
{
    int calls = 0;
    inputBridge().setHandlers(
        [&](const InputTriggerEvent &) {
            ++calls;
            inputBridge().setHandlers({}, {});
        },
        {});
    inputBridge().deliver(InputTriggerEvent(Kind::keyDown));
    inputBridge().deliver(InputTriggerEvent(Kind::keyDown));
    EXPECT_EQ(calls, 1);
}

// ---- Taps, permission and lifecycle ----

TEST_F(MonitorFixture, StartBuildsBothTapsAndReportsTrust)
{
    monitor.start();
    EXPECT_TRUE(monitor.keyTapReady);
    EXPECT_TRUE(monitor.gestureTapReady);
    ASSERT_EQ(source.liveTaps.size(), 2u);
    EXPECT_EQ(source.liveTaps[0]->mask, InputEventMonitor::keyMask);
    EXPECT_EQ(source.liveTaps[1]->mask, InputEventMonitor::gestureMask);
    EXPECT_EQ(source.createCalls[0].second, InputEventSource::TapOption::listenOnly);
    EXPECT_TRUE(source.liveTaps[0]->enabled && source.liveTaps[0]->inMainLoop);
    EXPECT_EQ(permissions, std::vector<bool>{true});
    EXPECT_EQ(inputLines(), QStringList{"[input] trusted=1 keytap=1 gesturetap=1 pinch=off f4=1 reason=start"});
    ASSERT_EQ(timers.live.size(), 1u);
    EXPECT_DOUBLE_EQ(timers.live[0]->interval, 1.0);
}

TEST_F(MonitorFixture, EventTapOffBuildsNoTapAndLogsOnlyTheStatus)
{
    Config config;
    config.useEventTap = false;
    config.pinch = PinchGesture::three;
    config.enableF4 = false;
    monitor.configure(config);
    monitor.start();
    EXPECT_TRUE(source.createCalls.isEmpty());
    EXPECT_FALSE(monitor.keyTapReady);
    EXPECT_FALSE(monitor.gestureTapReady);
    EXPECT_EQ(inputLines(), QStringList{"[input] trusted=1 keytap=0 gesturetap=0 pinch=three f4=0 eventTap=off"});
}

// The settings window shows the state of the channels in words, not the log's
// key=value line.
TEST_F(MonitorFixture, StatusTextSaysWhatTheXServerGave)
{
    L10n::setForTesting(AppLanguage::en);
    EXPECT_EQ(monitor.statusText(), QStringLiteral("Input channels not running"));
    monitor.start();
    EXPECT_EQ(monitor.statusText(), QStringLiteral("keys and gestures ready"));

    source.refuseAll = true;
    monitor.requestAccessibility();
    EXPECT_EQ(monitor.statusText(), QStringLiteral("refused by the X server"));

    Config off;
    off.useEventTap = false;
    monitor.configure(off);
    EXPECT_EQ(monitor.statusText(), QStringLiteral("Off"));
    L10n::setForTesting(AppLanguage::zhHans);
}

TEST_F(MonitorFixture, ConfigureRebuildsOnlyOnceStarted)
{
    monitor.configure(Config());
    EXPECT_TRUE(source.createCalls.isEmpty());
    monitor.start();
    monitor.configure(pinchConfig(PinchGesture::five));
    EXPECT_EQ(inputLines().last(), "[input] trusted=1 keytap=1 gesturetap=1 pinch=five f4=1 reason=config");
}

// The taps of every rebuild were kept alive (disabled, but holding their
// desktop connections) and a settings change rebuilds: they must be released.
TEST_F(MonitorFixture, RebuildingReleasesTheOldTaps)
{
    monitor.start();
    for (int i = 0; i < 50; ++i)
        monitor.configure(Config());
    EXPECT_EQ(source.tapsCreated, 102);
    EXPECT_EQ(source.liveTaps.size(), 2u);
    monitor.stop();
    EXPECT_TRUE(source.liveTaps.empty());
}

TEST_F(MonitorFixture, RefusedListenOnlyTapFallsBackToFilteringTap)
{
    source.refuseListenOnly = true;
    monitor.start();
    EXPECT_TRUE(monitor.keyTapReady);
    ASSERT_GE(source.createCalls.size(), 2);
    EXPECT_EQ(source.createCalls[1].second, InputEventSource::TapOption::defaultFilter);
}

TEST_F(MonitorFixture, RefusedTapsShowAsZeroInTheStatus)
{
    source.refuseAll = true;
    source.trusted = false;
    monitor.start();
    EXPECT_EQ(source.createCalls.size(), 4); // two tries for each tap
    EXPECT_EQ(monitor.statusLine(), "trusted=0 keytap=0 gesturetap=0 pinch=off f4=1");
    EXPECT_EQ(permissions, std::vector<bool>{false});
}

TEST_F(MonitorFixture, TapThatCannotJoinTheLoopIsNotReady)
{
    source.refuseMainLoop = true;
    monitor.start();
    EXPECT_FALSE(monitor.keyTapReady);
    EXPECT_FALSE(monitor.gestureTapReady);
}

TEST_F(MonitorFixture, PermissionPollRebuildsOnlyOnChange)
{
    monitor.start();
    const int created = source.tapsCreated;
    timers.fireAll();
    timers.fireAll();
    EXPECT_EQ(source.tapsCreated, created);
    EXPECT_EQ(permissions.size(), 1u);

    source.trusted = false;
    timers.fireAll();
    EXPECT_EQ(permissions, (std::vector<bool>{true, false}));
    EXPECT_EQ(inputLines().last(), "[input] trusted=0 keytap=1 gesturetap=1 pinch=off f4=1 reason=poll");
    timers.fireAll();
    EXPECT_EQ(permissions.size(), 2u);
}

// Where the desktop's answer holds for the life of the process (X11), nothing
// wakes the process to ask again, also after a restart of the monitor; the
// user's own request still checks.
TEST_F(MonitorFixture, PermissionThatCannotChangeIsNeverPolled)
{
    source.trustChanges = false;
    monitor.start();
    EXPECT_TRUE(monitor.keyTapReady);
    EXPECT_EQ(timers.made, 0);
    monitor.stop();
    monitor.start();
    EXPECT_EQ(timers.made, 0);

    source.trusted = false;
    monitor.requestAccessibility();
    EXPECT_EQ(inputLines().last(), "[input] trusted=0 keytap=1 gesturetap=1 pinch=off f4=1 reason=prompt");
    EXPECT_EQ(permissions.back(), false);
}

TEST_F(MonitorFixture, RequestAccessibilityOpensSettingsAndRebuildsEvenWhenTrusted)
{
    monitor.start();
    monitor.requestAccessibility();
    EXPECT_EQ(source.requestTrustCalls, 1);
    EXPECT_EQ(source.privacySettingsOpened, 1);
    EXPECT_EQ(inputLines().last(), "[input] trusted=1 keytap=1 gesturetap=1 pinch=off f4=1 reason=prompt");
    EXPECT_EQ(permissions, (std::vector<bool>{true, true}));
}

TEST_F(MonitorFixture, TapEventReachesTheTriggerOnTheMainQueue)
{
    monitor.start();
    EventTapEvent f4;
    f4.keyCode = 118;
    source.tapFor(EventTapTypes::keyDown)->fire(EventTapTypes::keyDown, f4);
    EXPECT_TRUE(actions.empty()); // decided later, never inside the callback
    drainMainQueue();
    ASSERT_EQ(actions.size(), 1u);
    EXPECT_EQ(actions[0], InputTriggerAction::toggle);
}

TEST_F(MonitorFixture, DisabledTapIsRebuiltOncePerNotice)
{
    monitor.start();
    FakeEventTap *keyTap = source.tapFor(EventTapTypes::keyDown);
    keyTap->disable();
    drainMainQueue();
    EXPECT_EQ(inputLines().last(), "[input] trusted=1 keytap=1 gesturetap=1 pinch=off f4=1 reason=tap-disabled");
    EXPECT_EQ(inputLines().size(), 2);
    EXPECT_EQ(source.liveTaps.size(), 2u);
}

TEST_F(MonitorFixture, SecondStartRegistersNothingTwice)
{
    monitor.start();
    monitor.start();
    EXPECT_EQ(timers.made, 1);
    center.post(SystemNotifications::screenIsLocked);
    EXPECT_EQ(actions.size(), 1u);
}

TEST_F(MonitorFixture, StopDetachesEverything)
{
    monitor.stop(); // before start: nothing
    monitor.start();
    FakeEventTap *keyTap = source.tapFor(EventTapTypes::keyDown);
    EventTapEvent f4;
    f4.keyCode = 118;
    keyTap->fire(EventTapTypes::keyDown, f4); // queued before the stop: still decided
    monitor.stop();
    monitor.stop();
    EXPECT_TRUE(source.liveTaps.empty());
    EXPECT_TRUE(timers.live.empty());
    drainMainQueue();
    EXPECT_EQ(actions.size(), 1u);

    center.post(SystemNotifications::screenIsLocked);
    inputTapCallback(EventTapTypes::keyDown, f4);
    drainMainQueue();
    EXPECT_EQ(actions.size(), 1u);

    // Hot-key presses and simulated triggers still work while stopped.
    monitor.simulate(InputTriggerEvent(Kind::keyDown, Origin::hotKey, 49, kOption, false, 0, 0, 1e9));
    EXPECT_EQ(actions.size(), 2u);
}

TEST_F(MonitorFixture, RestartAfterStopWorksAgain)
{
    monitor.start();
    monitor.stop();
    monitor.start();
    EXPECT_EQ(source.liveTaps.size(), 2u);
    center.post(SystemNotifications::showDesktopSet);
    EXPECT_EQ(actions.size(), 1u);
}

TEST(InputEventMonitorLifetime, QueuedEventForAGoneMonitorIsDropped)
{
    FakeInputEventSource source;
    NotificationCenter center;
    FakeTimers timers;
    int fired = 0;
    {
        InputEventMonitor monitor(source, center, timers.factory());
        monitor.onTrigger = [&](InputTriggerAction) { ++fired; };
        monitor.start();
        EventTapEvent f4;
        f4.keyCode = 118;
        source.tapFor(EventTapTypes::keyDown)->fire(EventTapTypes::keyDown, f4);
    }
    EXPECT_TRUE(source.liveTaps.empty());
    drainMainQueue();
    EXPECT_EQ(fired, 0);
    center.post(SystemNotifications::screenIsLocked);
    EXPECT_EQ(fired, 0);
}

// ---- System events to actions ----

struct SystemCase
{
    const char *name;
    QString notification;
    bool hideOnSystemEvents;
    std::optional<InputTriggerAction::Value> expected;
    bool rebuilds;
};

class SystemEventTest : public MonitorFixture, public ::testing::WithParamInterface<SystemCase>
{
};

TEST_P(SystemEventTest, MapsToAction)
{
    const SystemCase &c = GetParam();
    Config config;
    config.hideOnSystemEvents = c.hideOnSystemEvents;
    monitor.configure(config);
    monitor.start();
    const int created = source.tapsCreated;
    center.post(c.notification);
    if (c.expected) {
        ASSERT_EQ(actions.size(), 1u);
        EXPECT_EQ(InputTriggerAction::Value(actions[0]), *c.expected);
    } else {
        EXPECT_TRUE(actions.empty());
    }
    EXPECT_EQ(source.tapsCreated > created, c.rebuilds);
    if (c.rebuilds) {
        EXPECT_TRUE(inputLines().last().endsWith(" reason=system"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Notifications, SystemEventTest,
    ::testing::Values(SystemCase{"Lock", SystemNotifications::screenIsLocked, true, hide, false},
                      SystemCase{"LockWithoutHiding", SystemNotifications::screenIsLocked, false, none, false},
                      SystemCase{"Unlock", SystemNotifications::screenIsUnlocked, true, none, false},
                      SystemCase{"ShowDesktop", SystemNotifications::showDesktopSet, true, hide, false},
                      SystemCase{"Sleep", SystemNotifications::willSleep, true, hide, false},
                      SystemCase{"Wake", SystemNotifications::didWake, true, none, false},
                      SystemCase{"SessionLeftIsShowDesktop", SystemNotifications::sessionDidResignActive, true, hide, false},
                      SystemCase{"SessionBackIsWake", SystemNotifications::sessionDidBecomeActive, true, none, false},
                      SystemCase{"PermissionNoticeRebuilds", SystemNotifications::accessibilityChanged, true, none, true},
                      SystemCase{"ShowDesktopEndRebuilds", SystemNotifications::showDesktopAwake, true, none, true}),
    [](const ::testing::TestParamInfo<SystemCase> &info) { return std::string(info.param.name); });

TEST_F(MonitorFixture, SessionSwitchLocksKeysUntilTheUserReturns)
{
    monitor.start();
    center.post(SystemNotifications::willSleep);
    monitor.simulate(key(118, 0, 1000));
    EXPECT_EQ(actions.size(), 1u); // only the hide
    center.post(SystemNotifications::sessionDidBecomeActive);
    monitor.simulate(key(118, 0, 1001));
    ASSERT_EQ(actions.size(), 2u);
    EXPECT_EQ(actions[1], InputTriggerAction::toggle);
}

// ---- The system's pinch preference ----

TEST(SystemGesturePreferenceReading, DomainValuesAreParsed)
{
    MemoryUserDefaults defaults;
    EXPECT_EQ(InputEventMonitor::systemGesturePreference(defaults), SystemGesturePreference::unknown());
    defaults.setPersistentDomain("com.apple.AppleMultitouchTrackpad",
                                 {{"TrackpadThreeFingerPinchGesture", QString("1")},
                                  {"TrackpadFiveFingerPinchGesture", 0},
                                  {"Unrelated", 7}});
    EXPECT_EQ(InputEventMonitor::systemGesturePreference(defaults), SystemGesturePreference(3, true));
    defaults.setPersistentDomain("com.apple.AppleMultitouchTrackpad",
                                 {{"TrackpadFourFingerPinchGesture", true}, {"TrackpadFiveFingerPinchGesture", 2}});
    EXPECT_EQ(InputEventMonitor::systemGesturePreference(defaults), SystemGesturePreference(5, true));
}

} // namespace
