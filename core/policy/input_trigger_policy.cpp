#include "input_trigger_policy.h"

#include <algorithm>
#include <cmath>

namespace {

// A pinch that takes longer than this from began to ended is not a summons.
constexpr double kMaximumPinchDuration = 3.0;

} // namespace

InputTriggerPolicy::Configuration::Configuration(quint32 hotKeyCode, quint32 hotKeyModifiers, bool enableF4,
                                                 bool useEventTap, PinchGesture pinch,
                                                 SystemGesturePreference systemGesture, bool hideOnSystemEvents,
                                                 double debounce)
    : hotKeyCode(hotKeyCode), hotKeyModifiers(hotKeyModifiers), enableF4(enableF4), useEventTap(useEventTap),
      pinch(pinch), systemGesture(systemGesture), hideOnSystemEvents(hideOnSystemEvents),
      debounce(std::isnan(debounce) ? 0.0 : std::max(0.0, debounce))
{
}

quint64 InputTriggerPolicy::cgFlags(quint32 presetModifiers)
{
    quint64 flags = 0;
    if (presetModifiers & (1u << 8))
        flags |= commandFlag;
    if (presetModifiers & (1u << 9))
        flags |= shiftFlag;
    if (presetModifiers & (1u << 11))
        flags |= optionFlag;
    if (presetModifiers & (1u << 12))
        flags |= controlFlag;
    return flags;
}

InputTriggerPolicy::InputTriggerPolicy() : InputTriggerPolicy(Configuration::defaultConfiguration()) {}

InputTriggerPolicy::InputTriggerPolicy(const Configuration &configuration) : m_configuration(configuration) {}

void InputTriggerPolicy::update(const Configuration &configuration)
{
    m_configuration = configuration;
    resetGesture();
}

bool InputTriggerPolicy::hasSystemGestureConflict() const
{
    return m_configuration.systemGesture.occupied && m_configuration.pinch != PinchGesture::off;
}

std::optional<int> InputTriggerPolicy::resolvedFingers() const
{
    if (const std::optional<int> fingers = m_configuration.pinch.fingerCount())
        return fingers;
    if (m_configuration.pinch == PinchGesture::system && m_configuration.systemGesture.expectedFingers >= 1)
        return m_configuration.systemGesture.expectedFingers;
    return std::nullopt;
}

std::optional<InputTriggerAction> InputTriggerPolicy::consume(const InputTriggerEvent &event)
{
    const bool honoured = event.origin != InputTriggerEvent::Origin::eventTap || m_configuration.useEventTap;

    switch (event.kind) {
    case InputTriggerEvent::Kind::keyDown:
        return consumeKeyDown(event, honoured);
    case InputTriggerEvent::Kind::flagsChanged:
        return std::nullopt;
    case InputTriggerEvent::Kind::gestureBegan:
        // A began without a usable time could never be measured against its end.
        if (honoured && m_configuration.pinch != PinchGesture::off && std::isfinite(event.time)) {
            m_gestureStart = event.time;
            m_gestureSawPinch = false;
            m_gestureFingers.clear();
        }
        return std::nullopt;
    case InputTriggerEvent::Kind::gestureChanged:
        if (m_gestureStart) {
            m_gestureSawPinch = true;
            if (event.fingerCount > 0)
                m_gestureFingers.append(event.fingerCount);
        }
        return std::nullopt;
    case InputTriggerEvent::Kind::gestureEnded: {
        const std::optional<InputTriggerAction> action = consumeGestureEnded(event, honoured);
        resetGesture();
        return action;
    }
    case InputTriggerEvent::Kind::screenLocked:
    case InputTriggerEvent::Kind::systemSleep:
        m_locked = true;
        resetGesture();
        return m_configuration.hideOnSystemEvents ? std::optional<InputTriggerAction>(InputTriggerAction::hide)
                                                  : std::nullopt;
    case InputTriggerEvent::Kind::screenUnlocked:
    case InputTriggerEvent::Kind::systemWake:
        m_locked = false;
        resetGesture();
        return std::nullopt;
    case InputTriggerEvent::Kind::showDesktop:
        resetGesture();
        return m_configuration.hideOnSystemEvents ? std::optional<InputTriggerAction>(InputTriggerAction::hide)
                                                  : std::nullopt;
    }
    return std::nullopt;
}

std::optional<InputTriggerAction> InputTriggerPolicy::consumeKeyDown(const InputTriggerEvent &event, bool honoured)
{
    if (!honoured || m_locked || event.isRepeat)
        return std::nullopt;
    const bool isF4 = m_configuration.enableF4 && event.keyCode == f4KeyCode;
    const bool isHotKey = m_configuration.hotKeyCode != 0 && event.keyCode == qint64(m_configuration.hotKeyCode) &&
                          normalizedFlags(event.flags) == cgFlags(m_configuration.hotKeyModifiers);
    if (!isF4 && !isHotKey)
        return std::nullopt;
    return fire(InputTriggerAction::toggle, event.time);
}

std::optional<InputTriggerAction> InputTriggerPolicy::consumeGestureEnded(const InputTriggerEvent &event,
                                                                          bool honoured)
{
    if (!honoured || m_configuration.pinch == PinchGesture::off || m_locked || !m_gestureStart || !m_gestureSawPinch)
        return std::nullopt;
    // NaN fails this comparison, so an end without a usable time never toggles.
    if (!(event.time - *m_gestureStart <= kMaximumPinchDuration))
        return std::nullopt;
    if (m_configuration.pinch == PinchGesture::system && m_configuration.systemGesture.occupied)
        return std::nullopt;
    if (const std::optional<int> fingers = resolvedFingers()) {
        if (!m_gestureFingers.isEmpty() && !m_gestureFingers.contains(*fingers))
            return std::nullopt;
    }
    return fire(InputTriggerAction::toggle, event.time);
}

std::optional<InputTriggerAction> InputTriggerPolicy::fire(InputTriggerAction action, double time)
{
    // A NaN or infinite time cannot be debounced, and storing it would wedge
    // the debounce for good (every later difference NaN or -inf): drop it.
    if (!std::isfinite(time))
        return std::nullopt;
    if (time - m_lastFireTime < m_configuration.debounce)
        return std::nullopt;
    m_lastFireTime = time;
    return action;
}

void InputTriggerPolicy::resetGesture()
{
    m_gestureStart.reset();
    m_gestureSawPinch = false;
    m_gestureFingers.clear();
}
