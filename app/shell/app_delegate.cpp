#include "app_delegate.h"

#include "shell/app_alert.h"
#include "shell/app_opener.h"
#include "shell/dock_menu.h"
#include "triggers/hot_corner_monitor.h"
#include "triggers/hot_key_manager.h"
#include "triggers/input_event_monitor.h"
#include "shell/settings_dialogs.h"
#include "shell/settings_host_adapter.h"
#include "shell/status_menu.h"

#include "launcher/context_menu_actions.h"
#include "launcher/launcher_view.h"
#include "shell/launcher_step_aside.h"
#include "shell/launcher_window.h"
#include "settings/settings_window_controller.h"
#include "tiles/app_tile.h"
#include "tiles/icon_provider.h"
#include "tiles/wallpaper_backdrop.h"
#include "uninstall/uninstall_flow.h"

#include "input_platform.h"

#include "foundation/log.h"
#include "localization/l10n.h"
#include "model/user_defaults.h"

#include "main_thread.h"
#include "monotonic_clock.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>

namespace {

const QString kHasLaunchedKey = QStringLiteral("Tessellon.hasLaunched");

} // namespace

AppDelegate::Platform AppDelegate::Platform::system()
{
    Platform platform;
    platform.systemTrayAvailable = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };
    platform.showInformation = [](const QString &message, const QString &informative) {
        AppAlert::information(message, informative);
    };
    platform.beep = [] { QApplication::beep(); };
    // Queued, so the menu that asked has closed before shutdown runs; exit()
    // rather than quit(), which would first ask the windows to close, and
    // the launcher window refuses to.
    platform.terminate = [] { QMetaObject::invokeMethod(qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection); };
    platform.openApplication = [opener = std::make_shared<AppOpener>()](const AppItem &app) { opener->open(app); };
    return platform;
}

void AppDelegate::Platform::useInputPlatform(InputPlatform &input)
{
    keyGrabber = &input.keyGrabber();
    eventSource = &input.eventSource();
    systemCenter = &input.systemCenter();
    pointerLocator = &input.pointerLocator();
    watchSystemEvents = [&input] { input.watchSystemEvents(); };
}

AppDelegate::AppDelegate(LaunchOptions options, Platform platform)
    : m_options(std::move(options)), m_platform(std::move(platform))
{
    if (!m_platform.uptime)
        m_platform.uptime = &MonotonicClock::now;
    m_stepAside = std::make_unique<LauncherStepAside>([this] { return m_launcher.get(); });
    if (!m_platform.scheduler) {
        m_platform.scheduler = [this](int milliseconds, std::function<void()> step) {
            // Bound to the delegate: a pause never outlives it.
            QTimer::singleShot(milliseconds, this, std::move(step));
        };
    }
    if (m_platform.showInformation) {
        // The import result and the about box come from the tray while the
        // launcher may float over everything; it steps down for the alert,
        // which a window manager would otherwise stack under it.
        m_platform.showInformation = [this, inform = std::move(m_platform.showInformation)](
                                         const QString &message, const QString &informative) {
            m_stepAside->lowering(m_stepAside->shownLauncherWindow(), [&] { inform(message, informative); });
        };
    }
    const PollTimerFactory timers = m_platform.pollTimers ? m_platform.pollTimers : QtPollTimer::factory();
    Q_ASSERT(m_platform.keyGrabber && m_platform.eventSource && m_platform.systemCenter && m_platform.pointerLocator);
    m_hotKeys = std::make_unique<HotKeyManager>(*m_platform.keyGrabber);
    m_hotCorner = std::make_unique<HotCornerMonitor>(*m_platform.pointerLocator, timers);
    m_inputMonitor = std::make_unique<InputEventMonitor>(*m_platform.eventSource, *m_platform.systemCenter, timers,
                                                         m_platform.uptime);
    m_hooks = std::make_unique<AutomationHooks>(automationHost(), m_platform.scheduler);
}

AppDelegate::~AppDelegate()
{
    if (m_languageObserver)
        NotificationCenter::defaultCenter().removeObserver(*m_languageObserver);
    // The tray refers to the menu; let it go first.
    m_trayIcon.reset();
    if (LauncherView *view = m_launcher ? m_launcher->launcherView() : nullptr)
        view->setUninstallRequests(nullptr);
}

LauncherSession &AppDelegate::session()
{
    if (!m_session) {
        LaunchOptions copy = m_options;
        m_session = std::make_unique<LauncherSession>(copy, m_platform.sessionEnvironment);
    }
    return *m_session;
}

IconProvider &AppDelegate::icons()
{
    if (!m_icons)
        m_icons = std::make_unique<IconProvider>(IconProvider::Loader(&IconProvider::loadBundleIcon),
                                                 std::make_shared<IconDiskCache>(IconDiskCache::defaultDirectory()));
    return *m_icons;
}

LauncherController &AppDelegate::launcher()
{
    if (!m_launcher)
        m_launcher = std::make_unique<LauncherController>(m_options, m_platform.launcherEnvironment);
    // The window may have gone up before the launcher view was built.
    if (!m_launcher->hasContent())
        m_launcher->attachLauncherView(session(), icons());
    return *m_launcher;
}

SettingsWindowController &AppDelegate::settingsWindow()
{
    if (!m_settingsWindow) {
        QPointer<AppDelegate> self(this);
        SessionSettingsHost::Delegate share;
        share.hotKeyChanged = [self] {
            if (!self)
                return;
            self->registerHotKey();
            // The tray's tooltip names the hot key.
            self->rebuildStatusMenu();
        };
        share.hotKeyHeldElsewhere = [self] { return self && self->session().hotKeyHeldElsewhere(); };
        share.hotCornerChanged = [self] {
            if (self)
                self->setupHotCorner();
        };
        share.requestAccessibility = [self] {
            if (self)
                self->inputMonitor().requestAccessibility();
        };
        share.inputStatus = [self]() -> std::optional<QString> {
            if (!self)
                return std::nullopt;
            return self->inputStatusText();
        };
        share.launcherWindow = [self]() -> QWidget * {
            return self && self->m_launcher ? self->m_launcher->window() : nullptr;
        };
        m_settingsHost = std::make_unique<SessionSettingsHost>(session(), std::move(share));
        SettingsWindowController::Environment environment = SettingsWindowController::Environment::system();
        ModalStepAside *stepAside = m_stepAside.get();
        environment.chooseFolder = [stepAside](QWidget *window) {
            return SettingsDialogs::chooseFolder(*stepAside, window);
        };
        environment.chooseLayoutSource = [stepAside](QWidget *window, const QStringList &labels) {
            return SettingsDialogs::chooseLayoutSource(*stepAside, window, labels);
        };
        m_settingsWindow = std::make_unique<SettingsWindowController>(*m_settingsHost, std::move(environment));
    }
    return *m_settingsWindow;
}

LauncherView *AppDelegate::launcherView()
{
    return launcher().launcherView();
}

UserDefaults &AppDelegate::userDefaults() const
{
    return m_platform.sessionEnvironment.userDefaults ? *m_platform.sessionEnvironment.userDefaults
                                                      : UserDefaults::standard();
}

// ------------------------------------------------------------------- start-up

void AppDelegate::applicationWillFinishLaunching()
{
    if (m_launched || m_launcher)
        return;
    // With "--dump-windows" the launcher is shown (or not) by the start-up
    // sequence alone, so the window lines it logs are the only ones.
    if (m_options.dumpWindows) {
        QTimer::singleShot(0, this, &AppDelegate::applicationDidFinishLaunching);
        return;
    }
    // Scanning the applications and building the launcher take longer than a
    // frame: the window comes first, dimming the desktop, and the launcher
    // fades in over it once it is built.
    m_launcher = std::make_unique<LauncherController>(m_options, m_platform.launcherEnvironment);
    m_launcher->setPlaceholder(QColor::fromRgbF(0, 0, 0, float(Settings::load(userDefaults()).dim)));
    connect(m_launcher->window(), &LauncherWindow::framePainted, this, &AppDelegate::applicationDidFinishLaunching,
            Qt::ConnectionType(Qt::QueuedConnection | Qt::SingleShotConnection));
    QTimer::singleShot(firstFrameWait, this, &AppDelegate::applicationDidFinishLaunching);
    m_launcher->show();
    // The applications are read on a worker while that first frame is
    // painted and sent.
    session().prefetchScan();
}

void AppDelegate::applicationDidFinishLaunching()
{
    if (m_launched)
        return;
    m_launched = true;

    session().logLanguageChoice();
    session().start();
    wireCallbacks();
    prepareInputMonitor();
    QPointer<AppDelegate> self(this);
    m_languageObserver = NotificationCenter::defaultCenter().addObserver(L10n::kLanguageDidChangeNotification, [self] {
        if (self)
            self->languageDidChange();
    });
    session().logAvailableLayoutSources();
    scheduleAutomationHooks();
    // A settings window or a window dump at start shows what the desktop
    // answered at once; a plain start has the launcher drawn first.
    if (m_options.dumpWindows || m_options.showSettings)
        connectToDesktop();

    if (!m_options.dumpWindows) {
        launcher().show();
        userDefaults().setBool(kHasLaunchedKey, true);
        if (m_options.showSettings)
            showSettings();
    } else {
        if (m_options.show)
            launcher().show();
        if (m_options.showSettings)
            showSettings();
        launcher().dumpWindowInfo();
        if (m_settingsWindow && m_settingsWindow->isVisible())
            Log::writeLine(m_settingsWindow->windowLine());
    }

    finishAfterFirstFrame();
    m_hooks->logReadyWhenIconsLoaded();

    if (m_options.settingsTab && m_options.showSettings)
        selectSettingsTab(*m_options.settingsTab);

    if (m_options.editMode || m_options.editViaOption || m_options.editReleaseOption) {
        AutomationHooks::EditModeFlags flags;
        flags.editMode = m_options.editMode;
        flags.editViaOption = m_options.editViaOption;
        flags.editReleaseOption = m_options.editReleaseOption;
        flags.editTapFirstBadge = m_options.editTapFirstBadge;
        m_hooks->scheduleEditMode(flags);
    }
}

void AppDelegate::finishAfterFirstFrame()
{
    // Joining the system and session buses waits on answers from the bus
    // daemons, tens of milliseconds on a busy desktop, and sleep or lock
    // events are no part of drawing the launcher: watching them starts after
    // its first frame (at the latest after firstFrameWait; at once when
    // nothing is shown). So do the triggers and the tray, each a round trip
    // or more to the X server: nobody presses the hot key in the few
    // milliseconds between.
    auto finish = [self = QPointer<AppDelegate>(this)] {
        if (!self || self->m_startFinished || self->m_terminated)
            return;
        self->m_startFinished = true;
        self->connectToDesktop();
        if (self->m_platform.watchSystemEvents)
            self->m_platform.watchSystemEvents();
    };
    if (!m_launcher || !m_launcher->isVisible()) {
        QTimer::singleShot(0, this, finish);
        return;
    }
    connect(m_launcher->window(), &LauncherWindow::framePainted, this, finish,
            Qt::ConnectionType(Qt::QueuedConnection | Qt::SingleShotConnection));
    QTimer::singleShot(firstFrameWait, this, finish);
}

void AppDelegate::scheduleAutomationHooks()
{
    if (m_options.simulateTrigger)
        m_hooks->scheduleSimulatedTrigger(*m_options.simulateTrigger);
    if (m_options.pageInputSimulation)
        m_hooks->schedulePageInput(*m_options.pageInputSimulation);
    if (m_options.uninstallPreview)
        m_hooks->scheduleUninstallPreview(*m_options.uninstallPreview);
    if (m_options.dropSimulation)
        m_hooks->scheduleDrop(*m_options.dropSimulation);
    if (m_options.switchLanguage)
        m_hooks->scheduleLanguageSwitch(*m_options.switchLanguage);
}

AutomationHooks::Host AppDelegate::automationHost()
{
    // Every reader goes through the delegate at the moment it runs: the
    // session and the launcher are created later than the hooks.
    QPointer<AppDelegate> self(this);
    AutomationHooks::Host host;
    host.pendingIcons = [self] { return self ? self->icons().pendingCount() : 0; };
    host.wallpaperReady = [self] {
        if (!self)
            return true;
        const LauncherView *view = self->launcherView();
        const WallpaperBackdrop *backdrop = view ? view->backdrop() : nullptr;
        return backdrop == nullptr || backdrop->isReady();
    };
    host.startFinished = [self] { return !self || self->m_startFinished; };
    host.appCount = [self] { return self ? int(self->session().apps().size()) : 0; };
    host.settings = [self] { return self ? self->session().settings() : Settings(); };
    host.iconSide = [self] {
        const LauncherView *view = self ? self->launcherView() : nullptr;
        return view ? view->currentIconSide() : 0.0;
    };
    host.launcherVisible = [self] { return self && self->launcher().isVisible(); };
    host.showLauncher = [self] {
        if (self)
            self->launcher().show();
    };
    host.uptime = m_platform.uptime;
    host.simulate = [self](const InputTriggerEvent &event) {
        if (self)
            self->inputMonitor().simulate(event);
    };
    host.switchLanguage = [self](AppLanguage language) {
        if (self)
            self->session().switchLanguageForAutomation(language);
    };
    host.simulatePageInput = [self](const QString &input) {
        if (LauncherView *view = self ? self->launcherView() : nullptr)
            view->simulatePageInputForAutomation(input);
    };
    host.previewUninstall = [self](const QString &text) {
        if (LauncherView *view = self ? self->launcherView() : nullptr)
            view->previewUninstall(text);
    };
    host.previewUninstallFromFirstBadge = [self] {
        if (LauncherView *view = self ? self->launcherView() : nullptr)
            view->previewUninstallFromFirstBadge();
    };
    host.simulateDrop = [self](const QString &drop) {
        if (LauncherView *view = self ? self->launcherView() : nullptr)
            view->simulateDropForAutomation(drop);
    };
    host.enterEditMode = [self] {
        if (LauncherView *view = self ? self->launcherView() : nullptr)
            view->enterEditModeForAutomation();
    };
    host.simulateOptionKey = [self] {
        if (LauncherView *view = self ? self->launcherView() : nullptr)
            view->simulateOptionKeyForAutomation();
    };
    host.releaseOption = [self] {
        if (LauncherView *view = self ? self->launcherView() : nullptr)
            view->releaseOptionForAutomation();
    };
    return host;
}

// --------------------------------------------------------------------- wiring

void AppDelegate::wireUninstall(LauncherView &view)
{
    QPointer<AppDelegate> self(this);
    QPointer<LauncherView> guardedView(&view);
    UninstallFlow::Host host;
    host.exitEditMode = [guardedView] {
        if (guardedView)
            guardedView->exitEditMode();
    };
    host.stepAside = m_stepAside.get();
    host.runAlert = m_platform.runUninstallAlert ? m_platform.runUninstallAlert
                                                 : [](QDialog &alert) { return AppAlert::run(alert); };
    host.showReport = [](const QString &title, const QString &text, bool warning) {
        AppAlert::information(title, text, warning ? AlertBox::Style::warning : AlertBox::Style::informational);
    };
    m_uninstall = std::make_unique<UninstallFlow>(session(), std::move(host),
                                                  m_platform.uninstallEnvironment
                                                      ? m_platform.uninstallEnvironment(session())
                                                      : UninstallFlow::Environment::system());
    view.setUninstallRequests(m_uninstall.get());
}

void AppDelegate::wireCallbacks()
{
    QPointer<AppDelegate> self(this);
    if (LauncherView *view = launcherView()) {
        view->onHide = [self] {
            if (self)
                self->launcher().hide();
        };
        view->onOpenApp = [self](const AppItem &app) {
            if (self)
                self->open(app);
        };
        view->onOpenSettings = [self] {
            if (self)
                self->showSettings();
        };
        wireUninstall(*view);
        // The launcher's prompts run with the alert watchdog, the launcher
        // stepped aside.
        view->runModal = [](QDialog &dialog) { return AppAlert::run(dialog); };
        view->contextMenuActions().setStepAside(m_stepAside.get());
    }
    // The launcher view connected its own settings handler when it was
    // built; this one runs beside it on every settings change.
    connect(&session(), &LauncherSession::settingsChanged, this, [this] {
        inputMonitor().configure(inputConfiguration());
        refreshSettingsInputStatus();
    });
}

void AppDelegate::connectToDesktop()
{
    if (m_desktopConnected)
        return;
    m_desktopConnected = true;
    startInputMonitor();
    setupStatusItem();
    registerHotKey();
    setupHotCorner();
}

void AppDelegate::prepareInputMonitor()
{
    QPointer<AppDelegate> self(this);
    m_inputMonitor->onTrigger = [self](InputTriggerAction action) {
        // Logged even when the delegate is gone: the decision was made.
        Log::write("[trigger] action=%@", action.rawValue());
        if (self)
            self->handleTrigger(action);
    };
    m_inputMonitor->onPermissionChange = [](bool trusted) { Log::write("[input] permission=%d", trusted ? 1 : 0); };
    m_inputMonitor->configure(inputConfiguration());
}

void AppDelegate::startInputMonitor()
{
    if (!m_options.noEventTap)
        m_inputMonitor->start();
    else
        Log::write("[input] eventTap disabled by --no-event-tap · %@", m_inputMonitor->statusLine());
    refreshSettingsInputStatus();
}

InputTriggerPolicy::Configuration AppDelegate::inputConfiguration() const
{
    const Settings settings = m_session ? m_session->settings() : Settings();
    // The store the delegate was given, like every other setting it reads.
    return InputTriggerPolicy::Configuration::fromSettings(settings,
                                                           InputEventMonitor::systemGesturePreference(userDefaults()));
}

void AppDelegate::handleTrigger(InputTriggerAction action)
{
    switch (action) {
    case InputTriggerAction::toggle: launcher().toggle(); break;
    case InputTriggerAction::show: launcher().show(); break;
    case InputTriggerAction::hide: launcher().hide(); break;
    }
}

QString AppDelegate::inputStatusText() const
{
    return m_inputMonitor ? m_inputMonitor->statusText() : L(QStringLiteral("输入通道未启动"));
}

void AppDelegate::registerHotKey()
{
    const Settings::HotKeyPreset preset = session().settings().hotKey;
    QPointer<AppDelegate> self(this);
    const bool registered = m_hotKeys->registerKey(preset.keyCode(), preset.modifiers(), [self, preset] {
        // The preset is fixed at registration; a new one comes with the next
        // registerHotKey().
        MainThread::post(self, [self, preset] {
            if (self)
                self->fireCarbonHotKey(preset);
        });
    });
    // The settings window tells the user; the key would otherwise look set.
    session().setHotKeyHeldElsewhere(!registered);
    if (!registered)
        Log::write("[hotkey] preset=%@ taken=1", preset.rawValue());
    // The tray's tooltip and the hint line name the key only while it is held.
    updateStatusToolTip();
    if (LauncherView *view = launcherView())
        view->applyEditModeHint();
}

void AppDelegate::fireCarbonHotKey(Settings::HotKeyPreset preset)
{
    if (preset == Settings::HotKeyPreset::disabled)
        return;
    // Through the monitor, so a hot-key press meets the same policy and
    // debounce as a key from the event tap.
    m_inputMonitor->simulate(InputTriggerEvent(InputTriggerEvent::Kind::keyDown, InputTriggerEvent::Origin::hotKey,
                                               qint64(preset.keyCode()),
                                               InputTriggerPolicy::cgFlags(preset.modifiers()), false, 0, 0,
                                               m_platform.uptime()));
}

void AppDelegate::setupHotCorner()
{
    QPointer<AppDelegate> self(this);
    m_hotCorner->setCorner(session().settings().hotCorner);
    m_hotCorner->isVisible = [self] { return self && self->launcher().isVisible(); };
    m_hotCorner->action = [self] {
        if (self)
            self->launcher().show();
    };
    m_hotCorner->start();
}

void AppDelegate::languageDidChange()
{
    rebuildStatusMenu();
    if (LauncherView *view = m_launcher ? m_launcher->launcherView() : nullptr)
        view->refreshLocalizedText();
}

// ------------------------------------------------------------------- shutdown

bool AppDelegate::applicationShouldHandleReopen(bool hasVisibleWindows)
{
    (void)hasVisibleWindows; // the launcher comes forward either way
    launcher().show();
    return true;
}

void AppDelegate::handleLaterStart(const LaunchOptions &options)
{
    session().importRequested(options);
    applicationShouldHandleReopen(launcher().isVisible());
    if (options.showSettings) {
        showSettings();
        if (options.settingsTab)
            selectSettingsTab(*options.settingsTab);
    }
}

void AppDelegate::applicationWillTerminate()
{
    if (m_terminated)
        return;
    m_terminated = true;
    if (m_session)
        m_session->save();
    m_hotCorner->stop();
    m_hotKeys->unregisterKey();
    m_inputMonitor->stop();
}

// ------------------------------------------------------------ settings window

void AppDelegate::showSettings()
{
    settingsWindow().showWindow();
}

void AppDelegate::refreshSettingsInputStatus()
{
    if (m_settingsWindow)
        m_settingsWindow->refreshInputStatus();
}

void AppDelegate::selectSettingsTab(int index)
{
    settingsWindow().selectTabForAutomation(index);
}
