#include "app/triggers/fake_input_platform.h"
#include "app/session/launcher_session_test_support.h"
#include "fake_scheduler.h"
#include "support/test_files.h"

#include "shell/app_delegate.h"
#include "triggers/hot_corner_monitor.h"
#include "triggers/hot_key_manager.h"
#include "triggers/input_event_monitor.h"
#include "shell/launcher_controller.h"
#include "shell/launcher_window.h"

#include "launcher/launcher_view.h"
#include "model/layout_backup.h"
#include "support/test_files.h"
#include "settings/popup_button.h"
#include "settings/settings_window_controller.h"
#include "tiles/icon_provider.h"
#include "tiles/wallpaper_backdrop.h"

#include "trash/trash_service.h"
#include "tray_watcher.h"
#include "window_decorator.h"
#include "window_level.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QWindow>

namespace {

// No test here confirms an uninstall: whatever reaches the Trash is a fault.
class RefusingTrash final : public TrashService
{
public:
    QList<TrashOutcome> moveToTrash(const QStringList &paths) override { return refuse(paths); }
    QList<TrashOutcome> moveToTrashWithin(const QString &, const QStringList &paths) override { return refuse(paths); }

private:
    static QList<TrashOutcome> refuse(const QStringList &paths)
    {
        ADD_FAILURE() << "nothing may move: " << paths.join(' ').toStdString();
        return {};
    }
};

// Counts the overlay's window hints, which every show from hidden applies.
class HintCountingDecorator final : public WindowDecorator
{
public:
    void applyOverlayHints(QWidget *) override { ++hints; }
    // As the passive decorator the other tests ran with.
    bool compositing() override { return true; }
    void setBackground(QWidget *, const QColor &) override {}

    int hints = 0;
};

using session_test::NativeFolder;
using session_test::NativePage;

// A desktop whose tray the test brings and takes away.
class FakeTrayWatcher : public TrayWatcher
{
public:
    bool available = false;

    bool isTrayAvailable() const override { return available; }
    void set(bool value)
    {
        available = value;
        emit trayAvailabilityChanged(value);
    }
};

// The delegate on fake desktop services: fake input, hot key, pointer,
// timers and tray watcher, a virtual clock for the automation pauses, no
// tray, and alerts,
// beeps, quitting and opening applications recorded instead of done.
class AppDelegateTest : public session_test::SessionTest
{
protected:
    void SetUp() override
    {
        SessionTest::SetUp();
        for (const char *name : {"Atlas", "beacon", "Canvas"})
            makeApp(QString::fromLatin1(name));
    }

    void TearDown() override
    {
        m_delegate.reset();
        SessionTest::TearDown();
    }

    AppDelegate &start(const QStringList &options = {}, bool launch = true)
    {
        AppDelegate::Platform platform;
        platform.sessionEnvironment = environment();
        platform.launcherEnvironment.screens = [] {
            return QList<LauncherController::Screen>{
                {QRectF(0, 0, 1440, 900), QRectF(0, 0, 1440, 870), true}};
        };
        platform.launcherEnvironment.activateApplication = [] {};
        platform.launcherEnvironment.decorator = decorator;
        platform.keyGrabber = &keys;
        platform.eventSource = &events;
        platform.systemCenter = &systemCenter;
        platform.pointerLocator = &pointer;
        platform.pollTimers = timers.factory();
        platform.watchSystemEvents = [this] { ++systemEventStarts; };
        platform.uptime = [this] { return clock; };
        platform.scheduler = scheduler.function();
        platform.systemTrayAvailable = [this] { return trayAvailable; };
        platform.trayWatcher = &trayWatcher;
        platform.showInformation = [this](const QString &message, const QString &informative) {
            alerts << message + QStringLiteral(" | ") + informative;
            if (m_delegate && m_delegate->launcher().isVisible())
                alertCoverLevels << WindowLevel::of(m_delegate->launcher().window());
        };
        platform.beep = [this] { ++beeps; };
        platform.terminate = [this] { ++terminations; };
        platform.openApplication = [this](const AppItem &app) { opened << app.stableID(); };
        platform.runUninstallAlert = [this](QDialog &) {
            ++uninstallAlerts;
            return 1001; // Cancel
        };
        platform.uninstallEnvironment = [this](const LauncherSession &) {
            UninstallFlow::Environment environment = UninstallFlow::Environment::system();
            environment.home = path(QStringLiteral("home"));
            environment.trash = std::make_shared<RefusingTrash>();
            return environment;
        };
        const QStringList arguments =
            QStringList{QStringLiteral("tessellon"), QStringLiteral("--state-dir"), stateDir()} + options;
        m_delegate = std::make_unique<AppDelegate>(LaunchOptions::parse(arguments), platform);
        if (launch) {
            m_delegate->applicationDidFinishLaunching();
            finishStart();
        }
        return *m_delegate;
    }

    // A shown launcher arms its triggers and puts up its status item after
    // its first frame: the start is complete once that is out.
    void finishStart()
    {
        const QDeadlineTimer deadline(testCeilingMs(5000));
        while (!m_delegate->startFinished() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        ASSERT_TRUE(m_delegate->startFinished());
    }

    AppDelegate &delegate() { return *m_delegate; }
    LauncherController &launcher() { return m_delegate->launcher(); }

    // Runs what was posted to the main thread (relayed tap events, hot-key presses).
    static void processPosted()
    {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
    }

    // Runs every automation step, serving the main thread in between.
    void runHooks()
    {
        do {
            processPosted();
        } while (scheduler.runNext());
    }

    QStringList menuTitles(const QMenu &menu) const
    {
        QStringList titles;
        for (const QAction *action : menu.actions())
            titles << (action->isSeparator() ? QStringLiteral("---") : action->text());
        return titles;
    }

    QAction *statusItem(int index) { return delegate().statusMenu()->actions().at(index); }

    int linesStartingWith(const QString &prefix) const
    {
        int count = 0;
        for (const QString &line : log.lines())
            count += line.startsWith(prefix) ? 1 : 0;
        return count;
    }

    FakeInputEventSource events;
    FakeKeyGrabber keys;
    FakePointerLocator pointer;
    FakeTimers timers;
    NotificationCenter systemCenter;
    FakeScheduler scheduler;
    double clock = 100.0;
    // Whether the desktop shows tray icons right now.
    bool trayAvailable = false;
    FakeTrayWatcher trayWatcher;
    QStringList alerts;
    // The launcher window's level during each alert it was on screen for.
    QList<int> alertCoverLevels;
    int beeps = 0;
    int terminations = 0;
    int uninstallAlerts = 0;
    std::shared_ptr<HintCountingDecorator> decorator = std::make_shared<HintCountingDecorator>();
    int systemEventStarts = 0;
    QStringList opened;
    LogCapture log;

private:
    std::unique_ptr<AppDelegate> m_delegate;
};

// --- Start-up ---------------------------------------------------------------------------

TEST_F(AppDelegateTest, PlainStartArmsEveryTriggerShowsTheLauncherAndMarksTheFirstLaunch)
{
    start();
    // The test environment's locale is "C", which reads as English.
    EXPECT_TRUE(log.contains(QStringLiteral("[language] startup=en preference=system override=none")))
        << log.lines().join('\n').toStdString();
    EXPECT_EQ(linesStartingWith(QStringLiteral("[scan] apps=3 ")), 1);
    EXPECT_TRUE(launcher().isVisible());
    EXPECT_EQ(defaults.boolValue(QStringLiteral("Tessellon.hasLaunched")), std::optional<bool>(true));
    // Option-Space, the default preset.
    EXPECT_EQ(keys.grabbed, (std::optional<QPair<quint32, quint32>>({49, 2048})));
    EXPECT_TRUE(delegate().inputMonitor().isStarted());
    EXPECT_NE(events.tapFor(10), nullptr);
    EXPECT_TRUE(delegate().hotCorner().isRunning());
    EXPECT_TRUE(log.contains(QStringLiteral("[status] tray=unavailable")));
    EXPECT_FALSE(delegate().hasTrayIcon());
    ASSERT_NE(delegate().statusMenu(), nullptr);
    EXPECT_EQ(delegate().statusMenu()->actions().size(), 8);
    EXPECT_EQ(delegate().statusToolTip(), QStringLiteral(u"Tessellon · Alt+Space opens Launchpad"));
    // No source listing unless asked for.
    EXPECT_EQ(linesStartingWith(QStringLiteral("[sources]")), 0);
}

// The launcher's window among the top-level widgets, when one is shown.
LauncherWindow *shownLauncherWindow()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *window = qobject_cast<LauncherWindow *>(widget); window && window->isVisible())
            return window;
    }
    return nullptr;
}

TEST_F(AppDelegateTest, TheWindowGoesUpDimmedBeforeTheScanAndTheLauncherFollowsItsFirstFrame)
{
    start({}, false);
    delegate().applicationWillFinishLaunching();
    LauncherWindow *window = shownLauncherWindow();
    ASSERT_NE(window, nullptr) << "the window is up before anything else starts";
    EXPECT_EQ(window->contentView(), nullptr);
    EXPECT_EQ(window->placeholder().rgb(), QColor(Qt::black).rgb());
    EXPECT_NEAR(window->placeholder().alphaF(), 0.34, 0.01) << "the default dim";
    EXPECT_EQ(linesStartingWith(QStringLiteral("[scan] ")), 0);
    EXPECT_EQ(systemEventStarts, 0);

    // Frames painted with the launcher in the window, and how many of them
    // were out when the system events began to be watched, and when the
    // triggers and the status item came.
    int launcherFrames = 0;
    int framesBeforeSystemEvents = -1;
    int framesBeforeTriggers = -1;
    const int startsBefore = systemEventStarts;
    // What was there at a frame counts the frames before that one.
    QObject::connect(window, &LauncherWindow::framePainted, [&] {
        if (framesBeforeSystemEvents < 0 && systemEventStarts > startsBefore)
            framesBeforeSystemEvents = launcherFrames;
        if (framesBeforeTriggers < 0 && (keys.grabbed || delegate().inputMonitor().isStarted() ||
                                         delegate().hotCorner().isRunning() ||
                                         log.contains(QStringLiteral("[status] tray=unavailable"))))
            framesBeforeTriggers = launcherFrames;
        if (window->contentView() != nullptr)
            ++launcherFrames;
    });

    const QDeadlineTimer deadline(testCeilingMs(5000));
    while (linesStartingWith(QStringLiteral("[scan] ")) == 0 && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(linesStartingWith(QStringLiteral("[scan] apps=3 ")), 1);
    EXPECT_EQ(shownLauncherWindow(), window) << "the same window, now with the launcher in it";
    EXPECT_EQ(window->contentView(), launcher().launcherView());
    // Its fade weighs it against what the window paints under it, the dimmed
    // placeholder here.
    ASSERT_TRUE(launcher().launcherView()->presentationUnderlay());
    EXPECT_EQ(launcher().launcherView()->presentationUnderlay()(), window->underlay());
    EXPECT_TRUE(window->underlay().has_value());
    // The buses are joined, and the triggers and the status item come, once
    // the launcher's first frame is out.
    while (systemEventStarts == 0 && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(systemEventStarts, 1);
    EXPECT_TRUE(delegate().startFinished());
    EXPECT_TRUE(delegate().inputMonitor().isStarted());
    EXPECT_EQ(keys.grabbed, (std::optional<QPair<quint32, quint32>>({49, 2048})));
    EXPECT_TRUE(delegate().hotCorner().isRunning());
    EXPECT_TRUE(log.contains(QStringLiteral("[status] tray=unavailable")));
    EXPECT_GE(launcherFrames, 1);
    window->update();
    while ((framesBeforeSystemEvents < 0 || framesBeforeTriggers < 0) && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_GE(framesBeforeSystemEvents, 1) << "not before the launcher's first frame";
    EXPECT_GE(framesBeforeTriggers, 1) << "not before the launcher's first frame";

    // Later turns of the event loop start nothing twice.
    processPosted();
    EXPECT_EQ(linesStartingWith(QStringLiteral("[scan] ")), 1);
    EXPECT_EQ(systemEventStarts, 1);
}

TEST_F(AppDelegateTest, AWindowDumpStartPutsUpNoEarlyWindow)
{
    start({QStringLiteral("--dump-windows"), QStringLiteral("--show")}, false);
    delegate().applicationWillFinishLaunching();
    EXPECT_EQ(shownLauncherWindow(), nullptr);
    processPosted();
    EXPECT_TRUE(launcher().isVisible());
    EXPECT_EQ(linesStartingWith(QStringLiteral("[windows] launcher ")), 2);
}

TEST_F(AppDelegateTest, TheSettingsWindowIsBuiltWhenFirstAskedFor)
{
    start();
    const QWidgetList before = QApplication::topLevelWidgets();
    QWidget *settings = delegate().settingsWindow().window();
    EXPECT_FALSE(before.contains(settings)) << "start-up builds no settings window";
}

TEST_F(AppDelegateTest, WindowDumpWithoutShowLeavesTheLauncherHiddenAndWritesNoFirstLaunchMark)
{
    start({QStringLiteral("--dump-windows")});
    EXPECT_FALSE(launcher().isVisible());
    EXPECT_EQ(linesStartingWith(QStringLiteral("[windows] launcher x=0 y=0 w=1440 h=900 id=")), 1);
    EXPECT_EQ(linesStartingWith(QStringLiteral("[screens] ")), 1);
    EXPECT_FALSE(defaults.contains(QStringLiteral("Tessellon.hasLaunched")));
    EXPECT_EQ(linesStartingWith(QStringLiteral("[windows] settings")), 0);
}

// Hidden, with the default settings (no hot corner), no tray and an input
// permission that cannot change (X11): nothing is left to wake the process.
TEST_F(AppDelegateTest, AHiddenIdleLauncherWithoutATrayArmsNoPoll)
{
    events.trustChanges = false;
    start({QStringLiteral("--dump-windows")});
    ASSERT_FALSE(launcher().isVisible());
    ASSERT_FALSE(delegate().hasTrayIcon());
    EXPECT_TRUE(delegate().inputMonitor().isStarted());
    const auto active = std::count_if(timers.live.begin(), timers.live.end(),
                                      [](const FakeTimers::Timer *timer) { return timer->active; });
    EXPECT_EQ(active, 0);
}

TEST_F(AppDelegateTest, WindowDumpWithShowShowsAndDumpsOncePerShowPlusTheStartUpDump)
{
    start({QStringLiteral("--dump-windows"), QStringLiteral("--show")});
    EXPECT_TRUE(launcher().isVisible());
    EXPECT_EQ(linesStartingWith(QStringLiteral("[windows] launcher ")), 2);
}

TEST_F(AppDelegateTest, ListSourcesAndLanguageOverrideAreLogged)
{
    start({QStringLiteral("--list-sources"), QStringLiteral("--language"), QStringLiteral("en")});
    EXPECT_TRUE(log.contains(QStringLiteral("[language] startup=en preference=system override=en")));
    EXPECT_TRUE(log.contains(QStringLiteral("[sources] count=")));
    EXPECT_EQ(delegate().statusMenu()->actions().at(0)->text(), QStringLiteral("Show Launchpad"));
}

// --- Triggers ---------------------------------------------------------------------------

TEST_F(AppDelegateTest, WithoutTheEventTapTheHotKeyStillTogglesThroughThePolicy)
{
    start({QStringLiteral("--no-event-tap")});
    EXPECT_FALSE(delegate().inputMonitor().isStarted());
    EXPECT_EQ(events.tapsCreated, 0);
    EXPECT_TRUE(log.contains(QStringLiteral("[input] eventTap disabled by --no-event-tap · trusted=0 keytap=0 "
                                            "gesturetap=0 pinch=off f4=1")))
        << log.lines().join('\n').toStdString();
    ASSERT_TRUE(launcher().isVisible());
    keys.press(49, 2048);
    EXPECT_EQ(linesStartingWith(QStringLiteral("[trigger]")), 0); // handed on, not run inline
    processPosted();
    EXPECT_EQ(log.lines().filter(QStringLiteral("[trigger]")), QStringList{QStringLiteral("[trigger] action=toggle")});
    // The fade runs on the real clock: on a busy machine it may be over already.
    EXPECT_TRUE(launcher().isHiding() || !launcher().isVisible());

    // A second press inside the debounce changes nothing; after it, the launcher comes back.
    keys.press(49, 2048);
    processPosted();
    EXPECT_EQ(linesStartingWith(QStringLiteral("[trigger]")), 1);
    clock += 1.0;
    keys.press(49, 2048);
    processPosted();
    EXPECT_EQ(linesStartingWith(QStringLiteral("[trigger]")), 2);
    EXPECT_FALSE(launcher().isHiding());
    EXPECT_TRUE(launcher().isVisible());
}

TEST_F(AppDelegateTest, AnF4KeyFromTheEventTapTogglesTheLauncher)
{
    start();
    FakeEventTap *tap = events.tapFor(10);
    ASSERT_NE(tap, nullptr);
    EventTapEvent f4;
    f4.keyCode = 118;
    tap->fire(10, f4);
    processPosted();
    EXPECT_TRUE(log.contains(QStringLiteral("[trigger] action=toggle")));
    // The fade runs on the real clock: on a busy machine it may be over already.
    EXPECT_TRUE(launcher().isHiding() || !launcher().isVisible());
}

TEST_F(AppDelegateTest, TheDisabledPresetRegistersNoKey)
{
    defaults.setString(QStringLiteral("Tessellon.hotKey"), QStringLiteral("disabled"));
    start({QStringLiteral("--language"), QStringLiteral("zh-Hans")});
    EXPECT_FALSE(keys.grabbed);
    EXPECT_FALSE(delegate().hotKeys().isRegistered());
    EXPECT_EQ(delegate().statusToolTip(), QStringLiteral(u"Tessellon · 关闭 唤起启动台"));
}

TEST_F(AppDelegateTest, ReRegisteringTheHotKeyFollowsTheNewPreset)
{
    start();
    delegate().session().updateSettings([](Settings &settings) { settings.hotKey = Settings::HotKeyPreset::f4; });
    // Until the settings window asks, the old key stays.
    EXPECT_EQ(keys.grabbed, (std::optional<QPair<quint32, quint32>>({49, 2048})));
    delegate().registerHotKey();
    EXPECT_EQ(keys.grabbed, (std::optional<QPair<quint32, quint32>>({118, 0})));
}

TEST_F(AppDelegateTest, ASettingsChangeReconfiguresTheInputMonitor)
{
    start();
    EXPECT_TRUE(delegate().inputMonitor().configuration().enableF4);
    const int tapsBefore = events.tapsCreated;
    delegate().session().updateSettings([](Settings &settings) { settings.enableF4Shortcut = false; }, false);
    EXPECT_FALSE(delegate().inputMonitor().configuration().enableF4);
    EXPECT_GT(events.tapsCreated, tapsBefore); // rebuilt for the new configuration
    EXPECT_EQ(events.liveTaps.size(), 2u);      // and the old taps released
}

TEST_F(AppDelegateTest, TheSystemPinchPreferenceIsReadFromTheDelegatesOwnStore)
{
    // The store the delegate was given, not the process's own: a test (or a
    // second delegate) must never see the user's real trackpad settings.
    defaults.setPersistentDomain(QStringLiteral("com.apple.AppleMultitouchTrackpad"),
                                 {{QStringLiteral("TrackpadFourFingerPinchGesture"), 2}});
    start();
    EXPECT_EQ(delegate().inputMonitor().configuration().systemGesture, SystemGesturePreference(4, true));
    delegate().session().updateSettings([](Settings &settings) { settings.enableF4Shortcut = false; }, false);
    EXPECT_EQ(delegate().inputMonitor().configuration().systemGesture, SystemGesturePreference(4, true))
        << "and again at every reconfiguration";
}

TEST_F(AppDelegateTest, TheHotCornerShowsAHiddenLauncherAtTheThirdPoll)
{
    defaults.setString(QStringLiteral("Tessellon.hotCorner"), QStringLiteral("topLeft"));
    start({QStringLiteral("--dump-windows")});
    ASSERT_FALSE(launcher().isVisible());
    pointer.pointer = QPointF(2, 898);
    timers.fireAll();
    timers.fireAll();
    EXPECT_FALSE(launcher().isVisible());
    timers.fireAll();
    EXPECT_TRUE(launcher().isVisible());
}

struct TriggerWord
{
    const char *word;
    const char *logged; // nullptr: no action
};

class SimulatedTriggerDelegateTest : public AppDelegateTest, public testing::WithParamInterface<TriggerWord>
{
};

TEST_P(SimulatedTriggerDelegateTest, ReachesTheTriggerCallbackThroughThePolicy)
{
    start({QStringLiteral("--simulate-trigger"), QString::fromLatin1(GetParam().word)});
    EXPECT_EQ(linesStartingWith(QStringLiteral("[trigger]")), 0);
    scheduler.advance(350);
    processPosted();
    const QStringList lines = log.lines().filter(QStringLiteral("[trigger]"));
    if (GetParam().logged)
        EXPECT_EQ(lines, QStringList{QString::fromLatin1(GetParam().logged)});
    else
        EXPECT_TRUE(lines.isEmpty()) << lines.join('\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Words, SimulatedTriggerDelegateTest,
    testing::Values(TriggerWord{"f4", "[trigger] action=toggle"}, TriggerWord{"hotkey", "[trigger] action=toggle"},
                    TriggerWord{"lock", "[trigger] action=hide"}, TriggerWord{"desktop", "[trigger] action=hide"},
                    TriggerWord{"wake", nullptr}, TriggerWord{"pinch", nullptr},
                    TriggerWord{"F4", "[trigger] unknown spec=F4"}),
    [](const testing::TestParamInfo<TriggerWord> &info) {
        std::string name = info.param.word;
        return name == "F4" ? std::string("UpperCaseF4") : name;
    });

// --- Language ---------------------------------------------------------------------------

TEST_F(AppDelegateTest, LanguageSwitchHookRebuildsTheStatusMenuInTheNewLanguage)
{
    start({QStringLiteral("--language"), QStringLiteral("zh-Hans"), QStringLiteral("--switch-language"),
           QStringLiteral("en")});
    EXPECT_EQ(menuTitles(*delegate().statusMenu()).value(0), QStringLiteral("显示启动台"));
    scheduler.advance(1500);
    EXPECT_TRUE(log.contains(QStringLiteral("[language] switched=en current=en")));
    EXPECT_EQ(menuTitles(*delegate().statusMenu()),
              (QStringList{QStringLiteral("Show Launchpad"), QStringLiteral("Settings…"), QStringLiteral("---"),
                           QStringLiteral("Import system Launchpad layout"), QStringLiteral("Rescan apps"),
                           QStringLiteral("---"), QStringLiteral("About Tessellon"), QStringLiteral("Quit Tessellon")}));
    EXPECT_EQ(delegate().statusToolTip(), QStringLiteral(u"Tessellon · Alt+Space opens Launchpad"));
    // For this run only.
    EXPECT_FALSE(defaults.contains(QStringLiteral("Tessellon.language")));
}

TEST_F(AppDelegateTest, UnknownLanguageSwitchChangesNothing)
{
    start({QStringLiteral("--language"), QStringLiteral("en"), QStringLiteral("--switch-language"),
           QStringLiteral("system")});
    EXPECT_TRUE(log.contains(QStringLiteral("[language] unknown spec=system")));
    runHooks();
    EXPECT_EQ(L10n::current(), AppLanguage::en);
    EXPECT_EQ(linesStartingWith(QStringLiteral("[language] switched")), 0);
}

// --- Ready line -------------------------------------------------------------------------

TEST_F(AppDelegateTest, ReadyLineReportsTheModelOnceIconsAndWallpaperAreIn)
{
    start({QStringLiteral("--columns"), QStringLiteral("6")});
    // Icon loads finish on their worker; serve the main thread until they are in.
    QDeadlineTimer deadline(testCeilingMs(10000));
    while (delegate().icons().pendingCount() > 0 && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    runHooks();
    const QStringList ready = log.lines().filter(QStringLiteral("[ready]"));
    ASSERT_EQ(ready.size(), 1);
    EXPECT_TRUE(ready.at(0).startsWith(QStringLiteral("[ready] icons=0 wallpaper=")));
    EXPECT_TRUE(ready.at(0).contains(QStringLiteral(" apps=3 columns=6 rows=5 sideInset=0.160 iconScale=1.000 iconSide=")))
        << ready.at(0).toStdString();
}

TEST_F(AppDelegateTest, PageInputHookReachesTheLauncherViewAfterShowingIt)
{
    start({QStringLiteral("--dump-windows"), QStringLiteral("--simulate-page-input"), QStringLiteral("page:1")});
    ASSERT_FALSE(launcher().isVisible());
    runHooks();
    EXPECT_TRUE(launcher().isVisible());
    // Three applications fill one page: nothing to turn.
    EXPECT_TRUE(log.contains(QStringLiteral("[page-input] skip spec=page:1 pages=1")))
        << log.lines().join('\n').toStdString();
}

// The drop and edit-mode hooks show the launcher and act on its view.
TEST_F(AppDelegateTest, DropAndEditModeHooksShowTheLauncherAndActOnItsView)
{
    start({QStringLiteral("--dump-windows"), QStringLiteral("--simulate-drop"), QStringLiteral("0/0/1"),
           QStringLiteral("--edit-mode")});
    runHooks();
    EXPECT_TRUE(launcher().isVisible());
    EXPECT_EQ(linesStartingWith(QStringLiteral("[drop] sim spec=0/0/1 ")), 1) << log.lines().join('\n').toStdString();
    EXPECT_EQ(linesStartingWith(QStringLiteral("[edit-mode] entered badges=")), 1);
    EXPECT_EQ(linesStartingWith(QStringLiteral("[ready]")), 1);
}

// "--uninstall-preview" opens the confirmation for the app the query names;
// cancelled, it moves nothing and brings the launcher back.
TEST_F(AppDelegateTest, UninstallPreviewOpensTheConfirmationForTheNamedApp)
{
    start({QStringLiteral("--uninstall-preview"), QStringLiteral("ATLAS")});
    ASSERT_TRUE(launcher().isVisible());
    runHooks();
    EXPECT_EQ(uninstallAlerts, 1);
    EXPECT_EQ(linesStartingWith(QStringLiteral("[uninstall-preview] 目标=Atlas bundleID=com.t.atlas")), 1);
    EXPECT_EQ(linesStartingWith(QStringLiteral("[uninstall-preview] 确认框已打开 应用=Atlas loading=1")), 1);
    EXPECT_TRUE(QFileInfo::exists(appsDir() + QStringLiteral("/Atlas.app")));
    EXPECT_TRUE(launcher().isVisible()) << "back after the cancelled dialog";
}

// The launcher's own prompts step aside and come back the way the uninstall
// confirmation does: as a show from hidden, window hints included, with the
// keyboard in the search field.
TEST_F(AppDelegateTest, ARenamePromptStepsTheLauncherAsideAndBackLikeEveryModalWindow)
{
    start();
    ASSERT_TRUE(launcher().isVisible());
    LauncherView *view = launcher().launcherView();
    ASSERT_NE(view, nullptr);
    int hintsBefore = -1;
    bool asideDuringPrompt = false;
    view->runModal = [&](QDialog &) {
        asideDuringPrompt = !launcher().isVisible();
        hintsBefore = decorator->hints;
        return int(QDialog::Rejected);
    };
    view->promptRename(QStringLiteral("Rename"), QStringLiteral("Atlas"), {});
    EXPECT_TRUE(asideDuringPrompt);
    EXPECT_TRUE(launcher().isVisible());
    EXPECT_GT(decorator->hints, hintsBefore) << "back with the overlay's window hints";
    EXPECT_EQ(view->window()->focusWidget(), view->searchField());
}

// --- Status menu commands -----------------------------------------------------------------

TEST_F(AppDelegateTest, StatusMenuCommandsReachTheLauncherTheSessionAndTheApplication)
{
    start({QStringLiteral("--dump-windows"), QStringLiteral("--language"), QStringLiteral("en")});
    ASSERT_FALSE(launcher().isVisible());
    statusItem(0)->trigger(); // Show Launchpad
    EXPECT_TRUE(launcher().isVisible());

    makeApp(QStringLiteral("Dune"));
    statusItem(4)->trigger(); // Rescan apps
    EXPECT_EQ(linesStartingWith(QStringLiteral("[scan] apps=4 ")), 1);

    statusItem(6)->trigger(); // About
    EXPECT_EQ(alerts, QStringList{QStringLiteral("Tessellon | A full-screen app launcher with pages, folders, search "
                                                 "and layout import.\n\nApps: 4 · Pages: 1")});
    // The launcher on screen stepped down for the alert, and back up after it.
    EXPECT_EQ(alertCoverLevels, QList<int>{WindowLevel::normal});
    EXPECT_EQ(WindowLevel::of(launcher().window()), WindowLevel::launcher);

    statusItem(1)->trigger(); // Settings…
    EXPECT_TRUE(delegate().settingsWindow().isVisible());
    statusItem(7)->trigger(); // Quit
    EXPECT_EQ(terminations, 1);
}

TEST_F(AppDelegateTest, ImportWithoutTheSystemDatabaseOnlyBeeps)
{
    start();
    const LauncherLayout before = delegate().session().layout();
    // Nothing is applied, so an earlier backup stays exactly as it was.
    const QString backup = LayoutBackup::pathFor(delegate().session().store().fileURL());
    writeFile(backup, "an earlier arrangement");
    statusItem(3)->trigger();
    EXPECT_EQ(beeps, 1);
    EXPECT_TRUE(alerts.isEmpty());
    EXPECT_EQ(delegate().session().layout(), before);
    EXPECT_EQ(readAll(backup), "an earlier arrangement");
}

TEST_F(AppDelegateTest, ImportOfTheSystemLayoutReportsItsSummary)
{
    makeNativeDatabase({NativePage{id(QStringLiteral("Canvas")),
                                   NativeFolder{QStringLiteral("Work"), {id(QStringLiteral("Atlas")), id(QStringLiteral("beacon"))}}}});
    start({QStringLiteral("--language"), QStringLiteral("en")});
    statusItem(3)->trigger();
    EXPECT_EQ(beeps, 0);
    ASSERT_EQ(alerts.size(), 1);
    ASSERT_TRUE(delegate().session().lastImportSummary());
    EXPECT_EQ(alerts.at(0), QStringLiteral("System Launchpad layout imported | ") +
                                delegate().session().lastImportSummary()->statusText());
}

TEST_F(AppDelegateTest, ImportOfTheSystemLayoutKeepsThePreviousArrangementBeside)
{
    makeNativeDatabase({NativePage{id(QStringLiteral("Canvas")), id(QStringLiteral("Atlas"))}});
    start();
    const QString layoutFile = delegate().session().store().fileURL();
    QFile file(layoutFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    statusItem(3)->trigger();
    QFile kept(LayoutBackup::pathFor(layoutFile));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), before);
}

// --- Settings window ------------------------------------------------------------------------

TEST_F(AppDelegateTest, SettingsOptionsShowTheWindowOnItsTabAndDumpIt)
{
    start({QStringLiteral("--dump-windows"), QStringLiteral("--settings"), QStringLiteral("--settings-tab"),
           QStringLiteral("3")});
    EXPECT_TRUE(delegate().settingsWindow().isVisible());
    EXPECT_EQ(delegate().settingsWindow().selectedTab(), 3);
    EXPECT_TRUE(log.contains(QStringLiteral("[settings] tab=3 pages=5")));
    EXPECT_EQ(linesStartingWith(QStringLiteral("[windows] settings x=")), 1);
    EXPECT_TRUE(log.contains(delegate().settingsWindow().windowLine()));
}

TEST_F(AppDelegateTest, ATabWithoutTheSettingsOptionSelectsNothing)
{
    start({QStringLiteral("--dump-windows"), QStringLiteral("--settings-tab"), QStringLiteral("3")});
    EXPECT_FALSE(delegate().settingsWindow().isVisible());
    EXPECT_EQ(delegate().settingsWindow().selectedTab(), 0);
    EXPECT_EQ(linesStartingWith(QStringLiteral("[settings]")), 0);
}

TEST_F(AppDelegateTest, TheLaunchersSettingsButtonOpensTheWindowAboveIt)
{
    start();
    ASSERT_NE(delegate().launcher().launcherView(), nullptr);
    ASSERT_TRUE(delegate().launcher().launcherView()->onOpenSettings);
    delegate().launcher().launcherView()->onOpenSettings();
    SettingsWindowController &settings = delegate().settingsWindow();
    EXPECT_TRUE(settings.isVisible());
    ASSERT_NE(settings.window()->windowHandle(), nullptr);
    EXPECT_EQ(settings.window()->windowHandle()->transientParent(), launcher().window()->windowHandle());
}

TEST_F(AppDelegateTest, TheSettingsWindowReArmsTheHotKeyAndTheHotCorner)
{
    start({QStringLiteral("--language"), QStringLiteral("en")});
    QWidget *window = delegate().settingsWindow().window();
    auto *hotKey = window->findChild<PopupButton *>(QStringLiteral("hotKeyPopup"));
    auto *corner = window->findChild<PopupButton *>(QStringLiteral("cornerPopup"));
    ASSERT_TRUE(hotKey && corner);

    hotKey->setCurrentIndex(2);
    emit hotKey->activated(2); // Command-Shift-Space
    EXPECT_EQ(keys.grabbed, (std::optional<QPair<quint32, quint32>>({49, 768})));
    EXPECT_EQ(delegate().statusToolTip(), QStringLiteral(u"Tessellon · Super+Shift+Space opens Launchpad"));

    corner->setCurrentIndex(4);
    emit corner->activated(4);
    EXPECT_EQ(delegate().hotCorner().corner(), Settings::HotCorner::bottomRight);
    EXPECT_TRUE(delegate().hotCorner().isRunning());

    // Every settings change refreshes the window's input status line.
    auto *status = window->findChild<QLabel *>(QStringLiteral("inputStatusLabel"));
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->text().toLower(), delegate().inputMonitor().statusText().toLower());
}

// The X server refuses a key grab that another client holds; the start once
// went on as if the key were set.
TEST_F(AppDelegateTest, AHotKeyHeldElsewhereAtStartIsLoggedAndShownOnceInTheSettings)
{
    keys.takenByOthers.append({49, 2048}); // Alt+Space, the default preset
    start({QStringLiteral("--language"), QStringLiteral("en")});
    EXPECT_TRUE(log.contains(QStringLiteral("[hotkey] preset=optionSpace taken=1")));
    EXPECT_FALSE(keys.grabbed);

    SettingsWindowController &settings = delegate().settingsWindow();
    settings.showWindow();
    EXPECT_EQ(settings.statusText(),
              QStringLiteral("The global shortcut Alt+Space is used by another program and was not set"));

    // A free key chosen in the window is held and said to be set.
    auto *hotKey = settings.window()->findChild<PopupButton *>(QStringLiteral("hotKeyPopup"));
    ASSERT_NE(hotKey, nullptr);
    hotKey->setCurrentIndex(3);
    emit hotKey->activated(3); // Ctrl+Space
    EXPECT_EQ(keys.grabbed, (std::optional<QPair<quint32, quint32>>({49, 4096})));
    EXPECT_EQ(settings.statusText(), QStringLiteral("Global shortcut set to Ctrl+Space"));
    hotKey->setCurrentIndex(0);
    emit hotKey->activated(0);
    EXPECT_EQ(settings.statusText(),
              QStringLiteral("The global shortcut Alt+Space is used by another program and was not set"));
    EXPECT_EQ(linesStartingWith(QStringLiteral("[hotkey] preset=optionSpace taken=1")), 2);
}

// The tray's tooltip and the launcher's hint line name the hot key as the way
// in only while the key is really held: a key that another program has opens
// nothing.
TEST_F(AppDelegateTest, TheTooltipAndTheHintNameTheHotKeyOnlyWhileItIsHeld)
{
    trayAvailable = true;
    keys.takenByOthers.append({49, 2048}); // Alt+Space, the default preset
    start({QStringLiteral("--language"), QStringLiteral("en")});
    ASSERT_TRUE(delegate().hasTrayIcon());
    QSystemTrayIcon *tray = delegate().trayIcon();
    EXPECT_EQ(tray->toolTip(),
              QStringLiteral("Tessellon · The global shortcut Alt+Space is used by another program and was not set"));
    ASSERT_NE(launcher().launcherView(), nullptr);
    QLabel *hint = launcher().launcherView()->hintLabel();
    EXPECT_FALSE(hint->text().contains(QStringLiteral("Alt+Space"))) << hint->text().toStdString();

    SettingsWindowController &settings = delegate().settingsWindow();
    auto *hotKey = settings.window()->findChild<PopupButton *>(QStringLiteral("hotKeyPopup"));
    ASSERT_NE(hotKey, nullptr);
    hotKey->setCurrentIndex(3);
    emit hotKey->activated(3); // Ctrl+Space, free
    EXPECT_EQ(tray->toolTip(), QStringLiteral("Tessellon · Ctrl+Space opens Launchpad"));
    EXPECT_TRUE(hint->text().startsWith(QStringLiteral("Ctrl+Space"))) << hint->text().toStdString();
}

// --- Dock menu ----------------------------------------------------------------------------

TEST_F(AppDelegateTest, DockMenuOpensTheChosenAppAfterHidingTheLauncher)
{
    start();
    delegate().session().togglePin(id(QStringLiteral("Canvas")));
    delegate().session().togglePin(id(QStringLiteral("Atlas")));
    const std::unique_ptr<QMenu> menu = delegate().applicationDockMenu();
    QMenu *apps = menu->actions().last()->menu();
    ASSERT_NE(apps, nullptr);
    EXPECT_EQ(menuTitles(*apps), (QStringList{QStringLiteral("Canvas"), QStringLiteral("Atlas")}));
    ASSERT_TRUE(launcher().isVisible());
    apps->actions().at(1)->trigger();
    EXPECT_TRUE(launcher().isHiding());
    EXPECT_EQ(opened, QStringList{id(QStringLiteral("Atlas"))});
}

TEST_F(AppDelegateTest, DockItemOfAnAppGoneSinceTheMenuWasBuiltDoesNothing)
{
    start();
    const std::unique_ptr<QMenu> menu = delegate().applicationDockMenu();
    QMenu *apps = menu->actions().last()->menu();
    ASSERT_EQ(apps->actions().size(), 3);
    EXPECT_EQ(menuTitles(*apps), (QStringList{QStringLiteral("Atlas"), QStringLiteral("beacon"), QStringLiteral("Canvas")}));
    ASSERT_TRUE(QDir(appsDir() + QStringLiteral("/Atlas.app")).removeRecursively());
    delegate().session().rescan();
    apps->actions().at(0)->trigger();
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_FALSE(launcher().isHiding());
}

// --- Tray -------------------------------------------------------------------------------

// The tray carries the status menu: its show command brings back a launcher
// that a trigger hid, and after a change of language the tray carries the
// rebuilt menu, whose commands work as well.
TEST_F(AppDelegateTest, TheTrayMenuShowsTheLauncherThatATriggerHid)
{
    trayAvailable = true;
    start({QStringLiteral("--no-animation"), QStringLiteral("--language"), QStringLiteral("zh-Hans")});
    ASSERT_TRUE(delegate().hasTrayIcon());
    QSystemTrayIcon *tray = delegate().trayIcon();
    EXPECT_EQ(tray->contextMenu(), delegate().statusMenu());
    EXPECT_EQ(tray->toolTip(), QStringLiteral(u"Tessellon · Alt+Space 唤起启动台"));
    EXPECT_FALSE(log.contains(QStringLiteral("[status] tray=unavailable")));
    ASSERT_TRUE(launcher().isVisible());

    keys.press(49, 2048); // the hot key, Option-Space
    processPosted();
    ASSERT_FALSE(launcher().isVisible());
    tray->contextMenu()->actions().at(0)->trigger(); // 显示启动台
    EXPECT_TRUE(launcher().isVisible());
    // Showing a shown launcher keeps it shown: the command never toggles.
    tray->contextMenu()->actions().at(0)->trigger();
    EXPECT_TRUE(launcher().isVisible());

    delegate().session().switchLanguageForAutomation(AppLanguage::en);
    EXPECT_EQ(tray->contextMenu(), delegate().statusMenu());
    EXPECT_EQ(menuTitles(*tray->contextMenu()).value(0), QStringLiteral("Show Launchpad"));
    EXPECT_EQ(tray->toolTip(), QStringLiteral(u"Tessellon · Alt+Space opens Launchpad"));
    clock += 1.0; // past the trigger debounce
    keys.press(49, 2048);
    processPosted();
    ASSERT_FALSE(launcher().isVisible());
    tray->contextMenu()->actions().at(0)->trigger();
    EXPECT_TRUE(launcher().isVisible());
    tray->contextMenu()->actions().at(7)->trigger(); // Quit
    EXPECT_EQ(terminations, 1);
}

// A click on the tray icon opens the same menu as a context click.
TEST_F(AppDelegateTest, AClickOnTheTrayIconOpensTheStatusMenu)
{
    trayAvailable = true;
    start();
    ASSERT_TRUE(delegate().hasTrayIcon());
    emit delegate().trayIcon()->activated(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(delegate().statusMenu()->isVisible());
    delegate().statusMenu()->close();
}

// A panel that comes up after the launcher (both started at login) still gets
// the icon, with the menu as it stands then: the tray watcher says when, and
// nothing polls for it meanwhile. A tray that goes and comes back keeps the
// one icon.
TEST_F(AppDelegateTest, ATrayThatCameJustBeforeTheWatchStartedGetsTheIcon)
{
    // The desktop's first look saw no tray; by the time the watcher starts,
    // one is there, which to the watcher is no change.
    trayWatcher.available = true;
    start({QStringLiteral("--dump-windows")});
    EXPECT_TRUE(log.contains(QStringLiteral("[status] tray=unavailable")));
    EXPECT_TRUE(delegate().hasTrayIcon());
    EXPECT_EQ(linesStartingWith(QStringLiteral("[status] tray=available")), 1);
}

TEST_F(AppDelegateTest, ATrayThatAppearsAfterStartUpGetsTheIconAndTheCurrentMenu)
{
    start({QStringLiteral("--dump-windows"), QStringLiteral("--language"), QStringLiteral("zh-Hans")});
    EXPECT_FALSE(delegate().hasTrayIcon());
    EXPECT_TRUE(log.contains(QStringLiteral("[status] tray=unavailable")));
    trayWatcher.set(false);
    EXPECT_FALSE(delegate().hasTrayIcon());

    delegate().session().switchLanguageForAutomation(AppLanguage::en);
    trayAvailable = true;
    trayWatcher.set(true);
    ASSERT_TRUE(delegate().hasTrayIcon());
    EXPECT_EQ(linesStartingWith(QStringLiteral("[status] tray=available")), 1);
    QSystemTrayIcon *tray = delegate().trayIcon();
    trayWatcher.set(false);
    trayWatcher.set(true);
    EXPECT_EQ(delegate().trayIcon(), tray);
    EXPECT_EQ(linesStartingWith(QStringLiteral("[status] tray=available")), 1);
    EXPECT_EQ(tray->contextMenu(), delegate().statusMenu());
    EXPECT_EQ(menuTitles(*tray->contextMenu()).value(0), QStringLiteral("Show Launchpad"));
    EXPECT_EQ(tray->toolTip(), delegate().statusToolTip());
    ASSERT_FALSE(launcher().isVisible());
    tray->contextMenu()->actions().at(0)->trigger();
    EXPECT_TRUE(launcher().isVisible());
}

// --- Reopen and shutdown --------------------------------------------------------------------

TEST_F(AppDelegateTest, ReopenAlwaysShowsNeverToggles)
{
    start();
    ASSERT_TRUE(launcher().isVisible());
    EXPECT_TRUE(delegate().applicationShouldHandleReopen(true));
    EXPECT_TRUE(launcher().isVisible());
    EXPECT_FALSE(launcher().isHiding());
    launcher().hide();
    EXPECT_TRUE(delegate().applicationShouldHandleReopen(false));
    EXPECT_FALSE(launcher().isHiding());
}

TEST_F(AppDelegateTest, TerminationSavesTheLayoutAndDisarmsAllThreeTriggersOnce)
{
    defaults.setString(QStringLiteral("Tessellon.hotCorner"), QStringLiteral("bottomRight"));
    start();
    const QString layoutFile = QDir(stateDir()).filePath(QStringLiteral("layout.json"));
    ASSERT_TRUE(QFile::remove(layoutFile));
    delegate().applicationWillTerminate();
    EXPECT_TRUE(QFile::exists(layoutFile));
    EXPECT_FALSE(keys.grabbed);
    EXPECT_FALSE(delegate().hotCorner().isRunning());
    EXPECT_FALSE(delegate().inputMonitor().isStarted());
    EXPECT_TRUE(events.liveTaps.empty());
    // A second request (the signal path after the quit path) does nothing more.
    const int ungrabs = keys.ungrabs;
    ASSERT_TRUE(QFile::remove(layoutFile));
    delegate().applicationWillTerminate();
    EXPECT_FALSE(QFile::exists(layoutFile));
    EXPECT_EQ(keys.ungrabs, ungrabs);
}

TEST_F(AppDelegateTest, CallbacksOutliveTheDelegateHarmlessly)
{
    start();
    std::function<void(InputTriggerAction)> trigger = delegate().inputMonitor().onTrigger;
    std::function<void()> press = keys.onPress;
    TearDown(); // destroys the delegate
    ASSERT_TRUE(trigger);
    trigger(InputTriggerAction::hide);
    EXPECT_TRUE(log.contains(QStringLiteral("[trigger] action=hide")));
    if (press)
        press();
    processPosted();
}

} // namespace
