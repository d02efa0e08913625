#pragma once

#include <QVariantHash>
#include <QVariantMap>

// What the system's own trackpad settings do with a pinch: the largest finger
// count whose system pinch gesture is on, and whether any is on.
struct SystemGesturePreference
{
    int expectedFingers = 0;
    bool occupied = false;

    SystemGesturePreference() = default;
    explicit SystemGesturePreference(int expectedFingers, bool occupied = false)
        : expectedFingers(expectedFingers), occupied(occupied)
    {
    }

    // What we assume when the preference could not be read.
    static SystemGesturePreference unknown() { return SystemGesturePreference(); }

    // Reads the trackpad preference domain ("TrackpadThreeFingerPinchGesture"
    // and its four- and five-finger siblings). Values may be integers, reals,
    // Booleans or decimal strings; anything else counts as switched off.
    static SystemGesturePreference parse(const QVariantMap &preferences);
    static SystemGesturePreference parse(const QVariantHash &preferences);

    friend bool operator==(const SystemGesturePreference &, const SystemGesturePreference &) = default;
};
