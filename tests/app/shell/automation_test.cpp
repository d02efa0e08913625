#include "fake_scheduler.h"

#include "shell/automation_hooks.h"
#include "shell/simulated_trigger.h"

#include "localization/l10n.h"
#include "policy/input_trigger_policy.h"
#include "support/temp_env.h"

#include <gtest/gtest.h>

namespace {

using Kind = InputTriggerEvent::Kind;
using Origin = InputTriggerEvent::Origin;

class LanguageScope
{
public:
    LanguageScope() : m_saved(L10n::current()) {}
    ~LanguageScope() { L10n::setForTesting(m_saved); }

private:
    AppLanguage m_saved;
};

// A host whose every call is recorded with the virtual time it happened at.
struct Recorder
{
    FakeScheduler scheduler;
    QStringList calls;
    QList<InputTriggerEvent> events;
    int pendingIcons = 0;
    bool wallpaperReady = true;
    bool visible = true;
    int pendingAsks = 0;
    int wallpaperAsks = 0;
    Settings settings;

    void note(const QString &what) { calls << QStringLiteral("%1@%2").arg(what).arg(scheduler.now()); }

    AutomationHooks::Host host()
    {
        AutomationHooks::Host host;
        host.pendingIcons = [this] {
            ++pendingAsks;
            return pendingIcons;
        };
        host.wallpaperReady = [this] {
            ++wallpaperAsks;
            return wallpaperReady;
        };
        host.appCount = [] { return 26; };
        host.settings = [this] { return settings; };
        host.iconSide = [] { return 96.25; };
        host.launcherVisible = [this] { return visible; };
        host.showLauncher = [this] {
            note(QStringLiteral("show"));
            visible = true;
        };
        host.uptime = [] { return 1000.0; };
        host.simulate = [this](const InputTriggerEvent &event) {
            events.append(event);
            note(QStringLiteral("simulate"));
        };
        host.switchLanguage = [this](AppLanguage language) {
            note(QStringLiteral("switch:") + language.rawValue());
            L10n::setForTesting(language);
        };
        host.simulatePageInput = [this](const QString &spec) { note(QStringLiteral("page:") + spec); };
        host.simulateDrop = [this](const QString &spec) { note(QStringLiteral("drop:") + spec); };
        host.previewUninstall = [this](const QString &text) { note(QStringLiteral("uninstall:") + text); };
        host.enterEditMode = [this] { note(QStringLiteral("longPress")); };
        host.simulateOptionKey = [this] { note(QStringLiteral("viaOption")); };
        host.releaseOption = [this] { note(QStringLiteral("release")); };
        host.previewUninstallFromFirstBadge = [this] { note(QStringLiteral("badge")); };
        return host;
    }
};

// --- Simulated triggers ---------------------------------------------------------------

TEST(SimulatedTriggerTest, F4IsOneKeyDownWithKeyCode118)
{
    const auto events = SimulatedTrigger::events(QStringLiteral("f4"), 5.0, Settings::HotKeyPreset::optionSpace);
    ASSERT_TRUE(events);
    EXPECT_EQ(*events, QList{InputTriggerEvent(Kind::keyDown, Origin::simulated, 118, 0, false, 0, 0, 5.0)});
}

TEST(SimulatedTriggerTest, HotkeyUsesThePresetInForceAsItIs)
{
    const auto option = SimulatedTrigger::events(QStringLiteral("hotkey"), 2.0, Settings::HotKeyPreset::optionSpace);
    ASSERT_TRUE(option);
    EXPECT_EQ(*option, QList{InputTriggerEvent(Kind::keyDown, Origin::simulated, 49, InputTriggerPolicy::optionFlag,
                                               false, 0, 0, 2.0)});
    const auto off = SimulatedTrigger::events(QStringLiteral("hotkey"), 2.0, Settings::HotKeyPreset::disabled);
    ASSERT_TRUE(off);
    ASSERT_EQ(off->size(), 1);
    EXPECT_EQ(off->at(0).keyCode, 0);
}

TEST(SimulatedTriggerTest, PinchIsThreePhasesSpacedOnlyInTheirTimeStamps)
{
    const auto events = SimulatedTrigger::events(QStringLiteral("pinch"), 10.0, Settings::HotKeyPreset::f4);
    ASSERT_TRUE(events);
    EXPECT_EQ(*events, (QList{InputTriggerEvent(Kind::gestureBegan, Origin::simulated, 0, 0, false, 0, 0, 10.0),
                              InputTriggerEvent(Kind::gestureChanged, Origin::simulated, 0, 0, false, 0, 0.4, 10.08),
                              InputTriggerEvent(Kind::gestureEnded, Origin::simulated, 0, 0, false, 0, 0, 10.16)}));
}

struct NotificationWord
{
    const char *word;
    Kind kind;
};

class SimulatedNotificationTest : public testing::TestWithParam<NotificationWord>
{
};

TEST_P(SimulatedNotificationTest, ComesFromTheNotificationOrigin)
{
    const auto events =
        SimulatedTrigger::events(QString::fromLatin1(GetParam().word), 3.0, Settings::HotKeyPreset::optionSpace);
    ASSERT_TRUE(events);
    EXPECT_EQ(*events, QList{InputTriggerEvent(GetParam().kind, Origin::notification, 0, 0, false, 0, 0, 3.0)});
}

INSTANTIATE_TEST_SUITE_P(Words, SimulatedNotificationTest,
                         testing::Values(NotificationWord{"lock", Kind::screenLocked},
                                         NotificationWord{"wake", Kind::systemWake},
                                         NotificationWord{"desktop", Kind::showDesktop}),
                         [](const testing::TestParamInfo<NotificationWord> &info) {
                             return std::string(info.param.word);
                         });

TEST(AutomationTriggerTest, DeliversTheEventsAfter350MillisecondsThroughSimulate)
{
    Recorder r;
    AutomationHooks hooks(r.host(), r.scheduler.function());
    hooks.scheduleSimulatedTrigger(QStringLiteral("pinch"));
    EXPECT_TRUE(r.events.isEmpty()); // nothing at once
    r.scheduler.advance(349);
    EXPECT_TRUE(r.events.isEmpty());
    r.scheduler.advance(1);
    ASSERT_EQ(r.events.size(), 3);
    EXPECT_EQ(r.events.at(0).time, 1000.0);
    EXPECT_EQ(r.calls, (QStringList{QStringLiteral("simulate@350"), QStringLiteral("simulate@350"),
                                    QStringLiteral("simulate@350")}));
}

class UnknownTriggerTest : public testing::TestWithParam<const char *>
{
};

TEST_P(UnknownTriggerTest, LogsTheSpecAndDeliversNothing)
{
    LogCapture log;
    Recorder r;
    AutomationHooks hooks(r.host(), r.scheduler.function());
    const QString spec = QString::fromUtf8(GetParam());
    hooks.scheduleSimulatedTrigger(spec);
    r.scheduler.runAll();
    EXPECT_TRUE(r.events.isEmpty());
    EXPECT_EQ(log.lines(), QStringList{QStringLiteral("[trigger] unknown spec=") + spec});
}

INSTANTIATE_TEST_SUITE_P(Words, UnknownTriggerTest,
                         testing::Values("F4", "pinches", "", " f4", "f4 ", "hotkey,f4", "%@%d"));

// --- Readiness wait and the ready line ------------------------------------------------

TEST(AutomationReadyTest, ReadyAtOnceLogsWithoutAnyPause)
{
    LogCapture log;
    Recorder r;
    r.settings.columns = 8;
    r.settings.rows = 4;
    r.settings.sideInset = 0.2;
    r.settings.iconScale = 1.1;
    AutomationHooks hooks(r.host(), r.scheduler.function());
    hooks.logReadyWhenIconsLoaded();
    EXPECT_TRUE(log.lines().isEmpty()); // the task runs after start-up returns
    r.scheduler.runAll();
    EXPECT_EQ(r.scheduler.now(), 0);
    EXPECT_EQ(log.lines(), QStringList{QStringLiteral("[ready] icons=0 wallpaper=true apps=26 columns=8 rows=4 "
                                                      "sideInset=0.200 iconScale=1.100 iconSide=96.2")});
}

TEST(AutomationReadyTest, WaitsForIconsThenForTheWallpaperInFiftyMillisecondSteps)
{
    LogCapture log;
    Recorder r;
    r.pendingIcons = 3;
    r.wallpaperReady = false;
    AutomationHooks hooks(r.host(), r.scheduler.function());
    hooks.logReadyWhenIconsLoaded();
    r.scheduler.advance(100); // checks at 0, 50, 100
    EXPECT_EQ(r.wallpaperAsks, 0); // never asked while icons are pending
    r.pendingIcons = 0;
    r.scheduler.advance(100); // 150, 200: wallpaper still rendering
    EXPECT_TRUE(log.lines().isEmpty());
    r.wallpaperReady = true;
    r.scheduler.advance(50);
    EXPECT_EQ(log.lines().size(), 1);
    EXPECT_TRUE(log.lines().value(0).startsWith(QStringLiteral("[ready] icons=0 wallpaper=true ")));
    EXPECT_TRUE(r.scheduler.idle());
}

TEST(AutomationReadyTest, GivesUpAfter120ChecksAndReportsWhatWasMissing)
{
    LogCapture log;
    Recorder r;
    r.pendingIcons = 7;
    AutomationHooks hooks(r.host(), r.scheduler.function());
    hooks.logReadyWhenIconsLoaded();
    r.scheduler.runAll();
    EXPECT_EQ(r.scheduler.now(), 120 * 50);
    ASSERT_EQ(log.lines().size(), 1);
    EXPECT_TRUE(log.lines().at(0).startsWith(QStringLiteral("[ready] icons=7 wallpaper=true apps=26")));
}

TEST(AutomationReadyTest, ReadyLineIsWrittenWholeEvenWithPercentSignsAround)
{
    Settings settings;
    settings.sideInset = 0.16;
    settings.iconScale = 0.75;
    EXPECT_EQ(AutomationHooks::readyLine(2, false, 0, settings, 0.0),
              QStringLiteral("[ready] icons=2 wallpaper=false apps=0 columns=7 rows=5 sideInset=0.160 "
                             "iconScale=0.750 iconSide=0.0"));
}

// --- Page input, drop and uninstall preview -------------------------------------------

TEST(AutomationViewHooksTest, PageInputOnAVisibleLauncherDoesNotShowItAgain)
{
    Recorder r;
    AutomationHooks hooks(r.host(), r.scheduler.function());
    hooks.schedulePageInput(QStringLiteral(" Page:2 "));
    r.scheduler.runAll();
    EXPECT_EQ(r.calls, QStringList{QStringLiteral("page: Page:2 @0")});
}

TEST(AutomationViewHooksTest, DropOnAHiddenLauncherWaitsThenShowsItFirst)
{
    Recorder r;
    r.visible = false;
    r.pendingIcons = 1;
    AutomationHooks hooks(r.host(), r.scheduler.function());
    hooks.scheduleDrop(QStringLiteral("0/1/3"));
    r.scheduler.advance(100);
    EXPECT_TRUE(r.calls.isEmpty());
    r.pendingIcons = 0;
    r.scheduler.runAll();
    EXPECT_EQ(r.calls, (QStringList{QStringLiteral("show@150"), QStringLiteral("drop:0/1/3@150")}));
}

TEST(AutomationViewHooksTest, UninstallPreviewRunsAfter600MillisecondsWithoutWaitingOrShowing)
{
    Recorder r;
    r.visible = false;
    r.pendingIcons = 4;
    AutomationHooks hooks(r.host(), r.scheduler.function());
    hooks.scheduleUninstallPreview(QStringLiteral("Atlas"));
    r.scheduler.runAll();
    EXPECT_EQ(r.calls, QStringList{QStringLiteral("uninstall:Atlas@600")});
    EXPECT_EQ(r.pendingAsks, 0);
}

TEST(AutomationViewHooksTest, MissingViewHooksDoNothing)
{
    Recorder r;
    AutomationHooks::Host host = r.host();
    host.simulatePageInput = nullptr;
    host.previewUninstall = nullptr;
    AutomationHooks hooks(host, r.scheduler.function());
    hooks.schedulePageInput(QStringLiteral("side-next"));
    hooks.scheduleUninstallPreview(QStringLiteral("x"));
    r.scheduler.runAll();
    EXPECT_TRUE(r.calls.isEmpty());
}

// --- Language switch --------------------------------------------------------------------

class UnknownLanguageTest : public testing::TestWithParam<const char *>
{
};

TEST_P(UnknownLanguageTest, LogsAndSchedulesNothing)
{
    LanguageScope scope;
    L10n::setForTesting(AppLanguage::en);
    LogCapture log;
    Recorder r;
    AutomationHooks hooks(r.host(), r.scheduler.function());
    const QString spec = QString::fromUtf8(GetParam());
    hooks.scheduleLanguageSwitch(spec);
    EXPECT_EQ(log.lines(), QStringList{QStringLiteral("[language] unknown spec=") + spec});
    EXPECT_TRUE(r.scheduler.idle());
    EXPECT_EQ(L10n::current(), AppLanguage::en);
}

INSTANTIATE_TEST_SUITE_P(Texts, UnknownLanguageTest, testing::Values("system", "auto", "", "klingon"));

TEST(AutomationLanguageTest, SwitchesAfterOnePointFiveSecondsAndLogsTheLanguageNowInForce)
{
    LanguageScope scope;
    L10n::setForTesting(AppLanguage::zhHans);
    LogCapture log;
    Recorder r;
    AutomationHooks hooks(r.host(), r.scheduler.function());
    hooks.scheduleLanguageSwitch(QStringLiteral("fr"));
    r.scheduler.advance(1499);
    EXPECT_TRUE(r.calls.isEmpty());
    r.scheduler.advance(1);
    EXPECT_EQ(r.calls, QStringList{QStringLiteral("switch:fr@1500")});
    EXPECT_EQ(log.lines(), QStringList{QStringLiteral("[language] switched=fr current=fr")});
}

TEST(AutomationLanguageTest, TheLanguageAlreadyInUseIsSwitchedAndLoggedAllTheSame)
{
    LanguageScope scope;
    L10n::setForTesting(AppLanguage::en);
    LogCapture log;
    Recorder r;
    AutomationHooks hooks(r.host(), r.scheduler.function());
    hooks.scheduleLanguageSwitch(QStringLiteral("en"));
    r.scheduler.runAll();
    EXPECT_EQ(r.calls, QStringList{QStringLiteral("switch:en@1500")});
    EXPECT_EQ(log.lines(), QStringList{QStringLiteral("[language] switched=en current=en")});
}

// --- Edit mode --------------------------------------------------------------------------

struct EditModeRow
{
    const char *name;
    AutomationHooks::EditModeFlags flags;
    QStringList expected;
};

class AutomationEditModeTest : public testing::TestWithParam<EditModeRow>
{
};

TEST_P(AutomationEditModeTest, RunsTheStepsOfItsCombination)
{
    Recorder r;
    r.visible = false;
    AutomationHooks hooks(r.host(), r.scheduler.function());
    hooks.scheduleEditMode(GetParam().flags);
    r.scheduler.runAll();
    EXPECT_EQ(r.calls, GetParam().expected);
}

QStringList steps(std::initializer_list<const char *> list)
{
    QStringList result{QStringLiteral("show@0")};
    for (const char *step : list)
        result << QString::fromLatin1(step);
    return result;
}

INSTANTIATE_TEST_SUITE_P(
    Combinations, AutomationEditModeTest,
    testing::Values(
        EditModeRow{"EditMode", {true, false, false, false}, steps({"longPress@0"})},
        EditModeRow{"EditModeBadge", {true, false, false, true}, steps({"longPress@0", "badge@700"})},
        EditModeRow{"EditModeRelease", {true, false, true, false}, steps({"longPress@0", "release@1500"})},
        EditModeRow{"EditModeReleaseBadge", {true, false, true, true},
                    steps({"longPress@0", "badge@700", "release@2200"})},
        EditModeRow{"ViaOption", {false, true, false, false}, steps({"viaOption@0"})},
        EditModeRow{"EditModeAndViaOption", {true, true, false, false}, steps({"viaOption@0"})},
        EditModeRow{"ViaOptionBadge", {false, true, false, true}, steps({"viaOption@0", "badge@700"})},
        EditModeRow{"ViaOptionRelease", {true, true, true, false}, steps({"viaOption@0", "release@1500"})},
        EditModeRow{"ViaOptionReleaseBadge", {false, true, true, true},
                    steps({"viaOption@0", "badge@700", "release@2200"})},
        EditModeRow{"ReleaseAlone", {false, false, true, false}, steps({"viaOption@0", "release@1500"})},
        EditModeRow{"ReleaseBadge", {false, false, true, true},
                    steps({"viaOption@0", "badge@700", "release@2200"})}),
    [](const testing::TestParamInfo<EditModeRow> &info) { return std::string(info.param.name); });

} // namespace
