#pragma once

#include "triggers/poll_timer.h"

#include "policy/input_trigger_action.h"
#include "policy/input_trigger_event.h"
#include "policy/input_trigger_policy.h"
#include "policy/system_gesture_preference.h"

#include "foundation/notification_center.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class EventTap;
class InputEventSource;
class UserDefaults;

// The application's window on system-wide input: the key and gesture taps,
// the system's lock, sleep, wake and show-desktop events, the poll of the
// permission to observe input (only where the desktop lets it change), and
// the trigger policy that turns every event into a launcher action. Main
// thread only.
class InputEventMonitor : public QObject
{
    Q_OBJECT

public:
    InputEventMonitor(InputEventSource &events, NotificationCenter &systemCenter,
                      PollTimerFactory timers = QtPollTimer::factory(), std::function<double()> uptime = {});
    ~InputEventMonitor() override;

    // Receives every action the policy returns.
    std::function<void(InputTriggerAction action)> onTrigger;
    // Receives the trust state after a permission check that rebuilt the taps.
    std::function<void(bool trusted)> onPermissionChange;

    bool isTrusted = false;
    bool keyTapReady = false;
    bool gestureTapReady = false;

    static constexpr quint64 keyMask = 0x1400;         // key down, flags changed
    static constexpr quint64 gestureMask = 0x1E0180000; // gesture begin/end, gesture, magnify, swipe, smart magnify
    static constexpr double permissionPollInterval = 1.0;

    // The system's own trackpad pinch settings ("com.apple.AppleMultitouchTrackpad")
    // as `defaults` hold them: the domain's stored values first, then the
    // per-key lookup.
    static SystemGesturePreference systemGesturePreference(const UserDefaults &defaults);

    void configure(const InputTriggerPolicy::Configuration &configuration);
    const InputTriggerPolicy::Configuration &configuration() const { return m_configuration; }
    // "trusted=1 keytap=1 gesturetap=1 pinch=off f4=1": the input channels, for
    // the log and the settings window.
    QString statusLine() const;
    // The same for a person, in the current language and in lower case where
    // the language has it (it also ends a sentence): "keys and gestures
    // ready", "refused by the X server", "Off" while the taps are turned off.
    QString statusText() const;
    bool hasSystemGestureConflict() const { return m_policy.hasSystemGestureConflict(); }

    void start();
    void stop();
    bool isStarted() const { return m_started; }
    // Decides the event exactly as one that came from a tap.
    void simulate(const InputTriggerEvent &event);
    // Asks for the permission to observe input and opens the desktop's
    // privacy settings where it has some; then checks again.
    void requestAccessibility();

private:
    void handle(const InputTriggerEvent &event);
    void rebuild(const QString &reason);
    std::unique_ptr<EventTap> createTap(quint64 mask);
    bool install(EventTap *tap);
    void teardownTaps();
    void refreshPermission(const QString &reason);
    void registerSystemObservers();
    void postEvent(InputTriggerEvent::Kind kind);

    InputEventSource &m_events;
    NotificationCenter &m_systemCenter;
    PollTimerFactory m_timers;
    std::function<double()> m_uptime;

    InputTriggerPolicy m_policy;
    InputTriggerPolicy::Configuration m_configuration;
    std::unique_ptr<EventTap> m_keyTap;
    std::unique_ptr<EventTap> m_gestureTap;
    bool m_keySource = false;
    bool m_gestureSource = false;
    QList<NotificationCenter::Token> m_observers;
    std::unique_ptr<PollTimer> m_permissionTimer;
    bool m_started = false;
};
