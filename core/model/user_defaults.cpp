#include "user_defaults.h"

#include "file_user_defaults.h"

#include <QLocale>
#include <QVariantHash>
#include <QVariantList>

#include <cmath>
#include <limits>

namespace {

std::optional<qint64> integerFromDouble(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    // 2^63 is exactly representable; anything at or beyond it saturates.
    constexpr double kLimit = 9223372036854775808.0;
    if (value >= kLimit)
        return std::numeric_limits<qint64>::max();
    if (value < -kLimit)
        return std::numeric_limits<qint64>::min();
    return static_cast<qint64>(std::trunc(value));
}

std::optional<double> doubleFromText(const QString &text)
{
    bool ok = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<QString> UserDefaults::string(const QString &key) const
{
    const std::optional<QVariant> stored = object(key);
    if (!stored)
        return std::nullopt;
    switch (stored->typeId()) {
    case QMetaType::QString:
        return stored->toString();
    case QMetaType::LongLong:
        return QString::number(stored->toLongLong());
    case QMetaType::Double:
        return QString::number(stored->toDouble(), 'g', QLocale::FloatingPointShortest);
    case QMetaType::Bool:
        return QString::fromLatin1(stored->toBool() ? "1" : "0");
    default:
        return std::nullopt;
    }
}

std::optional<QStringList> UserDefaults::stringList(const QString &key) const
{
    const std::optional<QVariant> stored = object(key);
    if (!stored || stored->typeId() != QMetaType::QVariantList)
        return std::nullopt;
    QStringList result;
    const QVariantList items = stored->toList();
    result.reserve(items.size());
    for (const QVariant &item : items) {
        if (item.typeId() != QMetaType::QString)
            return std::nullopt;
        result.append(item.toString());
    }
    return result;
}

std::optional<qint64> UserDefaults::integer(const QString &key) const
{
    const std::optional<QVariant> stored = object(key);
    if (!stored)
        return std::nullopt;
    switch (stored->typeId()) {
    case QMetaType::LongLong:
        return stored->toLongLong();
    case QMetaType::Double:
        return integerFromDouble(stored->toDouble());
    case QMetaType::Bool:
        return stored->toBool() ? 1 : 0;
    case QMetaType::QString: {
        const QString text = stored->toString().trimmed();
        bool ok = false;
        const qint64 value = text.toLongLong(&ok, 10);
        if (ok)
            return value;
        if (const std::optional<double> number = doubleFromText(text))
            return integerFromDouble(*number);
        return std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

std::optional<double> UserDefaults::doubleValue(const QString &key) const
{
    const std::optional<QVariant> stored = object(key);
    if (!stored)
        return std::nullopt;
    switch (stored->typeId()) {
    case QMetaType::Double:
        return stored->toDouble();
    case QMetaType::LongLong:
        return static_cast<double>(stored->toLongLong());
    case QMetaType::Bool:
        return stored->toBool() ? 1.0 : 0.0;
    case QMetaType::QString:
        return doubleFromText(stored->toString());
    default:
        return std::nullopt;
    }
}

std::optional<bool> UserDefaults::boolValue(const QString &key) const
{
    const std::optional<QVariant> stored = object(key);
    if (!stored)
        return std::nullopt;
    switch (stored->typeId()) {
    case QMetaType::Bool:
        return stored->toBool();
    case QMetaType::LongLong:
        return stored->toLongLong() != 0;
    case QMetaType::Double: {
        const double value = stored->toDouble();
        if (std::isnan(value))
            return std::nullopt;
        return value != 0.0;
    }
    case QMetaType::QString: {
        const QString text = stored->toString().trimmed().toLower();
        if (text == u"true" || text == u"yes")
            return true;
        if (text == u"false" || text == u"no")
            return false;
        const std::optional<double> number = doubleFromText(text);
        if (!number || std::isnan(*number))
            return std::nullopt;
        return *number != 0.0;
    }
    default:
        return std::nullopt;
    }
}

std::optional<QVariantMap> UserDefaults::dictionary(const QString &key) const
{
    const std::optional<QVariant> stored = object(key);
    if (!stored || stored->typeId() != QMetaType::QVariantMap)
        return std::nullopt;
    return stored->toMap();
}

std::optional<QVariant> UserDefaults::normalized(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
        return QVariant(value.toBool());
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return QVariant(value.toLongLong());
    case QMetaType::ULong:
    case QMetaType::ULongLong: {
        const qulonglong number = value.toULongLong();
        if (number <= qulonglong(std::numeric_limits<qint64>::max()))
            return QVariant(qint64(number));
        return QVariant(double(number));
    }
    case QMetaType::Float:
    case QMetaType::Double:
        return QVariant(value.toDouble());
    case QMetaType::QString:
        return value;
    case QMetaType::QStringList: {
        QVariantList items;
        for (const QString &item : value.toStringList())
            items.append(item);
        return QVariant(items);
    }
    case QMetaType::QVariantList: {
        QVariantList items;
        for (const QVariant &item : value.toList()) {
            std::optional<QVariant> stored = normalized(item);
            if (!stored)
                return std::nullopt;
            items.append(*stored);
        }
        return QVariant(items);
    }
    case QMetaType::QVariantMap:
    case QMetaType::QVariantHash: {
        QVariantMap map;
        const QVariantMap source = value.toMap();
        for (auto it = source.cbegin(); it != source.cend(); ++it) {
            std::optional<QVariant> stored = normalized(it.value());
            if (!stored)
                return std::nullopt;
            map.insert(it.key(), *stored);
        }
        return QVariant(map);
    }
    default:
        return std::nullopt;
    }
}

UserDefaults &UserDefaults::standard()
{
    static FileUserDefaults instance;
    return instance;
}
