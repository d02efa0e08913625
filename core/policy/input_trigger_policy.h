#pragma once

#include "input_trigger_action.h"
#include "input_trigger_event.h"
#include "model/pinch_gesture.h"
#include "system_gesture_preference.h"

#include <QList>
#include <QtGlobal>

#include <optional>

// Decides, one event at a time, whether the launcher is to be toggled or
// hidden: the hot key, F4, a trackpad pinch and the system's lock, sleep and
// show-desktop events. Holds no window, reads no clock: the caller stamps every
// event with its own monotonic time.
class InputTriggerPolicy
{
public:
    struct Configuration
    {
        // 0 means no hot key.
        quint32 hotKeyCode;
        // A hot-key preset's modifier mask (Command 256, Shift 512, Option 2048, Control 4096).
        quint32 hotKeyModifiers;
        bool enableF4;
        // Events from the system-wide event tap are honoured.
        bool useEventTap;
        PinchGesture pinch;
        SystemGesturePreference systemGesture;
        bool hideOnSystemEvents;
        // Least time between two toggles, in seconds.
        double debounce;

        // `debounce` is stored as at least 0; NaN counts as 0.
        explicit Configuration(quint32 hotKeyCode = 49, quint32 hotKeyModifiers = 2048, bool enableF4 = true,
                      bool useEventTap = true, PinchGesture pinch = PinchGesture::off,
                      SystemGesturePreference systemGesture = SystemGesturePreference::unknown(),
                      bool hideOnSystemEvents = true, double debounce = 0.28);

        static Configuration defaultConfiguration() { return Configuration(); }

        // Built from the settings record: its hot-key preset (keyCode() and
        // modifiers()), enableF4Shortcut, useEventTap, pinchGesture and
        // hideOnSystemEvents. A template so that the policy does not depend
        // on the settings store, which itself depends on this library.
        template <typename SettingsRecord>
        static Configuration fromSettings(const SettingsRecord &settings,
                                          SystemGesturePreference systemGesture = SystemGesturePreference::unknown())
        {
            return Configuration(settings.hotKey.keyCode(), settings.hotKey.modifiers(), settings.enableF4Shortcut,
                                 settings.useEventTap, settings.pinchGesture, systemGesture,
                                 settings.hideOnSystemEvents, 0.28);
        }

        friend bool operator==(const Configuration &, const Configuration &) = default;
    };

    static constexpr qint64 f4KeyCode = 118;
    static constexpr quint64 commandFlag = quint64(1) << 20;
    static constexpr quint64 shiftFlag = quint64(1) << 17;
    static constexpr quint64 optionFlag = quint64(1) << 19;
    static constexpr quint64 controlFlag = quint64(1) << 18;
    static constexpr quint64 modifierMask = commandFlag | shiftFlag | optionFlag | controlFlag;

    // A hot-key preset's modifier mask (Settings::HotKeyPreset::modifiers())
    // as the event-tap flag word; other bits drop out.
    static quint64 cgFlags(quint32 presetModifiers);
    // Only the Command, Shift, Option and Control bits of a flag word.
    static quint64 normalizedFlags(quint64 flags) { return flags & modifierMask; }

    InputTriggerPolicy();
    explicit InputTriggerPolicy(const Configuration &configuration);

    // Replaces the configuration and forgets a pinch in progress; the lock
    // state and the debounce clock carry over.
    void update(const Configuration &configuration);

    const Configuration &configuration() const { return m_configuration; }
    bool isLocked() const { return m_locked; }
    // A pinch is configured while the system claims a pinch gesture of its own.
    bool hasSystemGestureConflict() const;
    // The finger count a pinch must show, if any.
    std::optional<int> resolvedFingers() const;

    // The action this event asks for, if any.
    std::optional<InputTriggerAction> consume(const InputTriggerEvent &event);

private:
    std::optional<InputTriggerAction> fire(InputTriggerAction action, double time);
    std::optional<InputTriggerAction> consumeKeyDown(const InputTriggerEvent &event, bool honoured);
    std::optional<InputTriggerAction> consumeGestureEnded(const InputTriggerEvent &event, bool honoured);
    void resetGesture();

    Configuration m_configuration;
    bool m_locked = false;
    // Far in the past, so that the very first toggle passes the debounce.
    double m_lastFireTime = -10000;
    std::optional<double> m_gestureStart;
    bool m_gestureSawPinch = false;
    QList<int> m_gestureFingers;
};
