#pragma once

#include "shell/automation_hooks.h"
#include "session/launch_options.h"
#include "shell/launcher_controller.h"
#include "session/launcher_session.h"
#include "triggers/poll_timer.h"
#include "uninstall/uninstall_flow.h"

#include "foundation/notification_center.h"
#include "model/settings.h"
#include "policy/input_trigger_action.h"
#include "policy/input_trigger_policy.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class GlobalKeyGrabber;
class HotCornerMonitor;
class HotKeyManager;
class IconProvider;
class InputEventMonitor;
class InputEventSource;
class InputPlatform;
class LauncherStepAside;
class LauncherView;
class PointerLocator;
class QAction;
class QMenu;
class QSystemTrayIcon;
class SessionSettingsHost;
class SettingsWindowController;
class TrayWatcher;
class UninstallFlow;
class UserDefaults;

// The root of every long-lived object of the running program: the session,
// the launcher window, the status item and the three global triggers (event
// tap, hot key, hot corner). Start-up wires them to one another; shutdown
// saves the session and disarms the triggers. Main thread only.
class AppDelegate : public QObject
{
    Q_OBJECT

public:
    // Everything the delegate reaches outside the process. system() is the
    // real desktop apart from the input platform, which main() creates and
    // fills in (keyGrabber, eventSource, systemCenter, pointerLocator must be
    // set); tests substitute fakes. Unset functions take the real ones.
    struct Platform
    {
        LauncherSession::Environment sessionEnvironment = LauncherSession::Environment::system();
        LauncherController::Environment launcherEnvironment;
        GlobalKeyGrabber *keyGrabber = nullptr;
        InputEventSource *eventSource = nullptr;
        NotificationCenter *systemCenter = nullptr;
        PointerLocator *pointerLocator = nullptr;
        PollTimerFactory pollTimers;
        // Starts the system events the triggers hear (sleep, lock, show
        // desktop); run once launching has finished. Unset: nothing to start.
        std::function<void()> watchSystemEvents;
        // Takes the triggers' four pointers and the start of the system
        // events from `input`, which outlives the delegate.
        void useInputPlatform(InputPlatform &input);
        // Seconds of system uptime: the clock of every trigger event.
        std::function<double()> uptime;
        // Runs a step later on the main thread (the automation hooks' pauses).
        AutomationHooks::Scheduler scheduler;
        // Whether the desktop shows tray icons.
        std::function<bool()> systemTrayAvailable;
        // Says when a tray comes after start-up; it outlives the delegate.
        // Null: a tray missing at start-up is never looked for again.
        TrayWatcher *trayWatcher = nullptr;
        // A modal one-button information alert.
        std::function<void(const QString &message, const QString &informative)> showInformation;
        std::function<void()> beep;
        // Asks the application to end; termination then runs
        // applicationWillTerminate().
        std::function<void()> terminate;
        // Opens an application (the launcher is already hiding).
        std::function<void(const AppItem &app)> openApplication;
        // Runs the uninstall confirmation modally and returns its response.
        std::function<int(QDialog &alert)> runUninstallAlert;
        // The home, protected folders, Trash and clock of the uninstall;
        // unset: the user's own.
        std::function<UninstallFlow::Environment(const LauncherSession &session)> uninstallEnvironment;

        static Platform system();
    };

    explicit AppDelegate(LaunchOptions options, Platform platform = Platform::system());
    ~AppDelegate() override;

    AppDelegate(const AppDelegate &) = delete;
    AppDelegate &operator=(const AppDelegate &) = delete;

    // Puts the launcher's window up at once, plain (the desktop dimmed), when
    // the launcher shows at start, and finishes launching once that first
    // frame is out (at the latest after firstFrameWait); without a window to
    // show, finishes launching when the event loop turns.
    void applicationWillFinishLaunching();
    // The start-up sequence: session, wiring, hooks, then the launcher is
    // shown; the triggers and the status item follow its first frame.
    void applicationDidFinishLaunching();
    // A click on the Dock icon (here: a second start): always shows the
    // launcher, never toggles it.
    bool applicationShouldHandleReopen(bool hasVisibleWindows);
    // A later start handed its command line over: its import runs here, the
    // launcher comes forward as for a reopen, and "--settings" opens the
    // settings window.
    void handleLaterStart(const LaunchOptions &options);
    // Saves the session and disarms the triggers; runs once.
    void applicationWillTerminate();
    // Built afresh on each call; the caller owns it.
    std::unique_ptr<QMenu> applicationDockMenu();

    // The parts the delegate owns, created on first use.
    LauncherSession &session();
    // The one icon loader and cache; the launcher view and the menus use it.
    IconProvider &icons();
    LauncherController &launcher();
    // The settings window, hidden until asked for.
    SettingsWindowController &settingsWindow();
    InputEventMonitor &inputMonitor() { return *m_inputMonitor; }
    HotKeyManager &hotKeys() { return *m_hotKeys; }
    HotCornerMonitor &hotCorner() { return *m_hotCorner; }
    const LaunchOptions &options() const { return m_options; }

    // The status item's menu (also without a tray to show it) and tooltip.
    QMenu *statusMenu() const { return m_statusMenu.get(); }
    QString statusToolTip() const { return m_statusToolTip; }
    bool hasTrayIcon() const { return m_trayIcon != nullptr; }
    // The tray icon that carries the status menu; null while no tray is there.
    QSystemTrayIcon *trayIcon() const { return m_trayIcon.get(); }

    // How long launching waits for the first frame of the early window, in
    // milliseconds: a window manager may keep a window unmapped.
    static constexpr int firstFrameWait = 250;

    // The start is complete: triggers armed, status item up, system events
    // watched. A plain start gets there after the launcher's first frame.
    bool startFinished() const { return m_startFinished; }

    // What the settings window's input-status line shows.
    QString inputStatusText() const;

    // Re-arms the hot key from the current settings (the settings window
    // calls this after the preset changed).
    void registerHotKey();
    // Re-arms the hot corner from the current settings.
    void setupHotCorner();

private:
    void wireCallbacks();
    void wireUninstall(LauncherView &view);
    // The trigger policy's callbacks and configuration; no device yet.
    void prepareInputMonitor();
    // The desktop's side of the triggers: the event tap.
    void startInputMonitor();
    // Everything that waits on the X server or the tray: the event tap, the
    // status item, the hot key and the hot corner. Once.
    void connectToDesktop();
    InputTriggerPolicy::Configuration inputConfiguration() const;
    void handleTrigger(InputTriggerAction action);
    void fireCarbonHotKey(Settings::HotKeyPreset preset);
    void languageDidChange();
    void setupStatusItem();
    bool systemTrayAvailable() const;
    void installTrayIcon();
    void rebuildStatusMenu();
    QString statusToolTipText();
    void updateStatusToolTip();
    void finishAfterFirstFrame();
    void scheduleAutomationHooks();
    AutomationHooks::Host automationHost();

    // Menu actions.
    void showLauncher();
    void showSettings();
    void importNative();
    void rescan();
    void showAbout();
    void quit();
    void openAppFromMenu(QAction *item);
    void open(const AppItem &app);
    // The launcher view of the launcher window; null only without one.
    LauncherView *launcherView();

    // The settings window's share of the wiring.
    void refreshSettingsInputStatus();
    void selectSettingsTab(int index);

    UserDefaults &userDefaults() const;

    LaunchOptions m_options;
    Platform m_platform;
    // Before everything that steps the launcher aside: destroyed after it.
    std::unique_ptr<LauncherStepAside> m_stepAside;
    std::unique_ptr<LauncherSession> m_session;
    std::unique_ptr<IconProvider> m_icons;
    std::unique_ptr<LauncherController> m_launcher;
    std::unique_ptr<UninstallFlow> m_uninstall;
    // After the session and the launcher: destroyed before both.
    std::unique_ptr<SessionSettingsHost> m_settingsHost;
    std::unique_ptr<SettingsWindowController> m_settingsWindow;
    std::unique_ptr<QMenu> m_statusMenu;
    QString m_statusToolTip;
    std::unique_ptr<QSystemTrayIcon> m_trayIcon;
    // Waits for a tray that was not there at start-up; cut once one is.
    QMetaObject::Connection m_trayArrival;
    std::unique_ptr<HotKeyManager> m_hotKeys;
    std::unique_ptr<HotCornerMonitor> m_hotCorner;
    std::unique_ptr<InputEventMonitor> m_inputMonitor;
    std::unique_ptr<AutomationHooks> m_hooks;
    std::optional<NotificationCenter::Token> m_languageObserver;
    bool m_launched = false;
    // The system events are watched once the first frame is out.
    bool m_startFinished = false;
    // The triggers and the tray are up (after the first frame, or at once).
    bool m_desktopConnected = false;
    // The desktop refused the hot key at its last registration.
    bool m_terminated = false;
};
