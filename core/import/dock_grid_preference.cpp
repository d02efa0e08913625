#include "dock_grid_preference.h"

#include "launchpad_importer.h"

#include <QMetaType>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

std::optional<qint64> integerValue(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::Long:
        return value.toLongLong();
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::UShort:
    case QMetaType::ULong: {
        const qulonglong v = value.toULongLong();
        return v > qulonglong(std::numeric_limits<qint64>::max()) ? std::numeric_limits<qint64>::max() : qint64(v);
    }
    case QMetaType::Double:
    case QMetaType::Float: {
        const double v = value.toDouble();
        // Truncation of NaN is undefined; infinities and huge values only
        // need to land outside the range so that clamping takes over.
        if (std::isnan(v))
            return std::nullopt;
        if (v >= 1e15)
            return qint64(1e15);
        if (v <= -1e15)
            return qint64(-1e15);
        return qint64(std::trunc(v));
    }
    case QMetaType::QString:
        return LaunchpadImporter::parseDecimalInteger(value.toString().trimmed());
    default:
        return std::nullopt;
    }
}

std::optional<int> clamped(const std::optional<qint64> &value, int low, int high)
{
    if (!value)
        return std::nullopt;
    return int(std::clamp<qint64>(*value, low, high));
}

} // namespace

std::optional<QString> DockGridPreference::label() const
{
    if (!isUsable())
        return std::nullopt;
    return QString::number(*columns) + QStringLiteral(" × ") + QString::number(*rows);
}

DockGridPreference DockGridPreference::parse(const QVariantMap &values)
{
    DockGridPreference preference;
    preference.columns = clamped(integerValue(values.value(kColumnsKey)), 4, 10);
    preference.rows = clamped(integerValue(values.value(kRowsKey)), 3, 7);
    return preference;
}

DockGridPreference::Reader DockGridPreference::defaultSuiteReader()
{
    return [](const QString &) { return std::optional<QVariant>(); };
}

DockGridPreference::Reader DockGridPreference::defaultPreferencesReader()
{
    return [](const QString &) { return std::optional<QVariant>(); };
}

DockGridPreference DockGridPreference::systemPreference(const Reader &suite, const Reader &preferences)
{
    QVariantMap values;
    for (const QString &key : {kColumnsKey, kRowsKey}) {
        if (suite) {
            if (const std::optional<QVariant> value = suite(key); value && value->isValid())
                values.insert(key, *value);
        }
        if (!values.contains(key) && preferences) {
            if (const std::optional<QVariant> value = preferences(key); value && value->isValid())
                values.insert(key, *value);
        }
    }
    return parse(values);
}
