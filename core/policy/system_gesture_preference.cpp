#include "system_gesture_preference.h"

#include <QMetaType>
#include <QString>

#include <algorithm>
#include <cmath>

namespace {

// Whether a preference value reads as a non-zero integer. Negative values
// count as on, as the system itself treats any non-zero value.
bool isSwitchedOn(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool();
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return value.toLongLong() != 0 || value.toULongLong() != 0;
    case QMetaType::Double:
    case QMetaType::Float: {
        // The integer value of a real truncates toward zero. A NaN or infinite
        // real has no integer value at all and is never converted: it reads as off.
        const double real = value.toDouble();
        return std::isfinite(real) && std::fabs(real) >= 1.0;
    }
    case QMetaType::QString: {
        bool ok = false;
        const qlonglong parsed = value.toString().trimmed().toLongLong(&ok, 10);
        return ok && parsed != 0;
    }
    default:
        return false;
    }
}

template <typename Dictionary>
SystemGesturePreference parseDictionary(const Dictionary &preferences)
{
    struct Key
    {
        const char *name;
        int fingers;
    };
    static const Key keys[] = {
        {"TrackpadThreeFingerPinchGesture", 3},
        {"TrackpadFourFingerPinchGesture", 4},
        {"TrackpadFiveFingerPinchGesture", 5},
    };

    SystemGesturePreference result;
    for (const Key &key : keys) {
        const auto found = preferences.constFind(QString::fromLatin1(key.name));
        if (found == preferences.constEnd() || !isSwitchedOn(found.value()))
            continue;
        result.occupied = true;
        result.expectedFingers = std::max(result.expectedFingers, key.fingers);
    }
    return result;
}

} // namespace

SystemGesturePreference SystemGesturePreference::parse(const QVariantMap &preferences)
{
    return parseDictionary(preferences);
}

SystemGesturePreference SystemGesturePreference::parse(const QVariantHash &preferences)
{
    return parseDictionary(preferences);
}
