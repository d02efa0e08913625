#include "input_tap_callback.h"

#include "triggers/input_event_bridge.h"

#include "monotonic_clock.h"

#include <optional>

void inputTapCallback(quint32 type, const EventTapEvent &event)
{
    if (type == EventTapTypes::tapDisabledByTimeout || type == EventTapTypes::tapDisabledByUserInput) {
        inputBridge().requestRebuild();
        return;
    }
    const double now = MonotonicClock::now();
    std::optional<InputTriggerEvent> out;
    switch (type) {
    case EventTapTypes::keyDown:
        out = InputTriggerEvent(InputTriggerEvent::Kind::keyDown, InputTriggerEvent::Origin::eventTap, event.keyCode,
                                event.flags, event.isRepeat, 0, 0, now);
        break;
    case EventTapTypes::flagsChanged:
        // The policy does not look at which modifier key moved.
        out = InputTriggerEvent(InputTriggerEvent::Kind::flagsChanged, InputTriggerEvent::Origin::eventTap, 0,
                                event.flags, false, 0, 0, now);
        break;
    case EventTapTypes::gestureBegan:
        out = InputTriggerEvent(InputTriggerEvent::Kind::gestureBegan, InputTriggerEvent::Origin::eventTap, 0, 0,
                                false, 0, 0, now);
        break;
    case EventTapTypes::gestureEnded:
        out = InputTriggerEvent(InputTriggerEvent::Kind::gestureEnded, InputTriggerEvent::Origin::eventTap, 0, 0,
                                false, 0, 0, now);
        break;
    case EventTapTypes::gesture:
    case EventTapTypes::magnify:
    case EventTapTypes::smartMagnify:
        // The finger count stays unknown: a pinch is judged by its phases.
        out = InputTriggerEvent(InputTriggerEvent::Kind::gestureChanged, InputTriggerEvent::Origin::eventTap, 0, 0,
                                false, 0, event.magnification, now);
        break;
    default:
        break;
    }
    if (out)
        inputBridge().deliver(*out);
}
