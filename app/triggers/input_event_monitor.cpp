#include "triggers/input_event_monitor.h"

#include "triggers/input_event_bridge.h"
#include "triggers/input_tap_callback.h"

#include "input_event_source.h"
#include "monotonic_clock.h"
#include "system_notifications.h"

#include "foundation/log.h"
#include "localization/l10n.h"
#include "model/user_defaults.h"

#include <QCoreApplication>
#include <QPointer>
#include <QVariantMap>

namespace {

const QString kTrackpadDomain = QStringLiteral("com.apple.AppleMultitouchTrackpad");

} // namespace

InputEventMonitor::InputEventMonitor(InputEventSource &events, NotificationCenter &systemCenter,
                                     PollTimerFactory timers, std::function<double()> uptime)
    : m_events(events), m_systemCenter(systemCenter), m_timers(std::move(timers)),
      m_uptime(uptime ? std::move(uptime) : std::function<double()>(&MonotonicClock::now)),
      m_policy(InputTriggerPolicy::Configuration::defaultConfiguration()),
      m_configuration(InputTriggerPolicy::Configuration::defaultConfiguration())
{
}

InputEventMonitor::~InputEventMonitor()
{
    // Leave nothing behind that points here: the bridge, the observers, the taps.
    stop();
    teardownTaps();
}

SystemGesturePreference InputEventMonitor::systemGesturePreference(const UserDefaults &defaults)
{
    static const char *const keys[] = {"TrackpadThreeFingerPinchGesture", "TrackpadFourFingerPinchGesture",
                                       "TrackpadFiveFingerPinchGesture"};
    const QVariantMap suite = defaults.persistentDomain(kTrackpadDomain);
    QVariantMap collected;
    for (const char *key : keys) {
        const QString name = QString::fromLatin1(key);
        if (suite.contains(name)) {
            collected.insert(name, suite.value(name));
            continue;
        }
        if (std::optional<QVariant> value = defaults.value(name, kTrackpadDomain))
            collected.insert(name, *value);
    }
    return SystemGesturePreference::parse(collected);
}

void InputEventMonitor::configure(const InputTriggerPolicy::Configuration &configuration)
{
    m_configuration = configuration;
    m_policy.update(configuration);
    if (m_started)
        rebuild(QStringLiteral("config"));
}

QString InputEventMonitor::statusLine() const
{
    return formatString(u"trusted=%d keytap=%d gesturetap=%d pinch=%@ f4=%d", isTrusted ? 1 : 0,
                        keyTapReady ? 1 : 0, gestureTapReady ? 1 : 0, m_configuration.pinch.rawValue(),
                        m_configuration.enableF4 ? 1 : 0);
}

QString InputEventMonitor::statusText() const
{
    if (!m_started)
        return L(QStringLiteral("输入通道未启动"));
    if (!m_configuration.useEventTap)
        return L(QStringLiteral("关闭"));
    if (!isTrusted || (!keyTapReady && !gestureTapReady))
        return L(QStringLiteral("X 服务器未提供输入"));
    if (keyTapReady && gestureTapReady)
        return L(QStringLiteral("键盘与手势就绪"));
    return keyTapReady ? L(QStringLiteral("键盘就绪，无手势")) : L(QStringLiteral("手势就绪，无键盘"));
}

void InputEventMonitor::start()
{
    if (m_started)
        return;
    m_started = true;

    // The bridge may be called from any thread: the handlers only queue the
    // work for the main thread, where the monitor may be gone by then.
    QPointer<InputEventMonitor> weak(this);
    inputBridge().setHandlers(
        [weak](const InputTriggerEvent &event) {
            if (QCoreApplication *app = QCoreApplication::instance()) {
                QMetaObject::invokeMethod(
                    app,
                    [weak, event] {
                        if (weak)
                            weak->handle(event);
                    },
                    Qt::QueuedConnection);
            }
        },
        [weak] {
            if (QCoreApplication *app = QCoreApplication::instance()) {
                QMetaObject::invokeMethod(
                    app,
                    [weak] {
                        if (weak)
                            weak->rebuild(QStringLiteral("tap-disabled"));
                    },
                    Qt::QueuedConnection);
            }
        });

    registerSystemObservers();
    refreshPermission(QStringLiteral("start"));

    // Where the answer is fixed for the life of the process, a poll would only
    // wake the process every second for nothing.
    if (!m_events.trustCanChange())
        return;
    m_permissionTimer = m_timers();
    m_permissionTimer->start(permissionPollInterval, [weak] {
        if (weak)
            weak->refreshPermission(QStringLiteral("poll"));
    });
}

void InputEventMonitor::stop()
{
    if (!m_started)
        return;
    m_started = false;
    // Events already queued for the main thread are still decided.
    inputBridge().setHandlers({}, {});
    if (m_permissionTimer) {
        m_permissionTimer->stop();
        m_permissionTimer.reset();
    }
    for (NotificationCenter::Token token : std::as_const(m_observers))
        m_systemCenter.removeObserver(token);
    m_observers.clear();
    teardownTaps();
}

void InputEventMonitor::simulate(const InputTriggerEvent &event)
{
    handle(event);
}

void InputEventMonitor::handle(const InputTriggerEvent &event)
{
    const std::optional<InputTriggerAction> action = m_policy.consume(event);
    if (action && onTrigger) {
        auto callback = onTrigger;
        callback(*action);
    }
}

void InputEventMonitor::requestAccessibility()
{
    m_events.requestTrust();
    m_events.openPrivacySettings();
    refreshPermission(QStringLiteral("prompt"));
}

void InputEventMonitor::refreshPermission(const QString &reason)
{
    const bool trusted = m_events.isProcessTrusted();
    const bool changed = trusted != isTrusted;
    isTrusted = trusted;
    if (changed || reason == QLatin1String("start") || reason == QLatin1String("prompt")) {
        rebuild(reason);
        if (onPermissionChange) {
            auto callback = onPermissionChange;
            callback(trusted);
        }
    }
}

void InputEventMonitor::rebuild(const QString &reason)
{
    teardownTaps();
    if (!m_configuration.useEventTap) {
        Log::write("[input] %@ eventTap=off", statusLine());
        return;
    }
    m_keyTap = createTap(keyMask);
    m_gestureTap = createTap(gestureMask);
    m_keySource = install(m_keyTap.get());
    m_gestureSource = install(m_gestureTap.get());
    keyTapReady = m_keySource;
    gestureTapReady = m_gestureSource;
    Log::write("[input] %@ reason=%@", statusLine(), reason);
}

std::unique_ptr<EventTap> InputEventMonitor::createTap(quint64 mask)
{
    std::unique_ptr<EventTap> tap = m_events.createTap(mask, InputEventSource::TapOption::listenOnly, &inputTapCallback);
    if (!tap)
        tap = m_events.createTap(mask, InputEventSource::TapOption::defaultFilter, &inputTapCallback);
    return tap;
}

bool InputEventMonitor::install(EventTap *tap)
{
    if (!tap)
        return false;
    if (!tap->addToMainLoop())
        return false;
    tap->setEnabled(true);
    return true;
}

void InputEventMonitor::teardownTaps()
{
    if (m_keySource && m_keyTap)
        m_keyTap->removeFromMainLoop();
    if (m_gestureSource && m_gestureTap)
        m_gestureTap->removeFromMainLoop();
    if (m_keyTap)
        m_keyTap->setEnabled(false);
    if (m_gestureTap)
        m_gestureTap->setEnabled(false);
    // Release the taps themselves, not only their sources: a rebuild runs on
    // every settings change, and a kept tap holds a live desktop connection.
    m_keyTap.reset();
    m_gestureTap.reset();
    m_keySource = false;
    m_gestureSource = false;
    keyTapReady = false;
    gestureTapReady = false;
}

void InputEventMonitor::postEvent(InputTriggerEvent::Kind kind)
{
    handle(InputTriggerEvent(kind, InputTriggerEvent::Origin::eventTap, 0, 0, false, 0, 0, m_uptime()));
}

void InputEventMonitor::registerSystemObservers()
{
    using Kind = InputTriggerEvent::Kind;
    QPointer<InputEventMonitor> weak(this);
    const auto event = [this, weak](const QString &name, Kind kind) {
        m_observers.append(m_systemCenter.addObserver(name, [weak, kind] {
            if (weak)
                weak->postEvent(kind);
        }));
    };
    const auto rebuildOn = [this, weak](const QString &name) {
        m_observers.append(m_systemCenter.addObserver(name, [weak] {
            if (weak)
                weak->rebuild(QStringLiteral("system"));
        }));
    };
    event(SystemNotifications::screenIsLocked, Kind::screenLocked);
    event(SystemNotifications::screenIsUnlocked, Kind::screenUnlocked);
    event(SystemNotifications::showDesktopSet, Kind::showDesktop);
    event(SystemNotifications::willSleep, Kind::systemSleep);
    event(SystemNotifications::didWake, Kind::systemWake);
    // Leaving the user session counts as show-desktop, coming back as a wake.
    event(SystemNotifications::sessionDidResignActive, Kind::showDesktop);
    event(SystemNotifications::sessionDidBecomeActive, Kind::systemWake);
    rebuildOn(SystemNotifications::accessibilityChanged);
    rebuildOn(SystemNotifications::showDesktopAwake);
}
