#include "format.h"

#include <cmath>
#include <cstdio>
#include <limits>

QString FormatArg::toText() const
{
    if (const auto *text = std::get_if<QString>(&m_value))
        return *text;
    if (const auto *integer = std::get_if<qint64>(&m_value))
        return QString::number(*integer);
    return QString::number(std::get<double>(m_value), 'g', 17);
}

qint64 FormatArg::toInteger() const
{
    if (const auto *integer = std::get_if<qint64>(&m_value))
        return *integer;
    if (const auto *number = std::get_if<double>(&m_value)) {
        // Converting NaN or an out-of-range double to an integer is undefined.
        const double value = *number;
        if (std::isnan(value))
            return 0;
        if (value >= 9.2e18)
            return std::numeric_limits<qint64>::max();
        if (value <= -9.2e18)
            return std::numeric_limits<qint64>::min();
        return static_cast<qint64>(value);
    }
    bool ok = false;
    const qint64 parsed = std::get<QString>(m_value).toLongLong(&ok);
    return ok ? parsed : 0;
}

double FormatArg::toDouble() const
{
    if (const auto *number = std::get_if<double>(&m_value))
        return *number;
    if (const auto *integer = std::get_if<qint64>(&m_value))
        return static_cast<double>(*integer);
    bool ok = false;
    const double parsed = std::get<QString>(m_value).toDouble(&ok);
    return ok ? parsed : 0.0;
}

namespace {

QString fixed(double value, int precision)
{
    if (std::isnan(value))
        return QStringLiteral("nan");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("inf") : QStringLiteral("-inf");
    // The format string here is ours, never data: the precision is a number we parsed.
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, "%.*f", precision, value);
    return QString::fromLatin1(buffer);
}

} // namespace

QString formatTemplate(QStringView pattern, std::span<const FormatArg> args)
{
    QString out;
    out.reserve(pattern.size() + 16 * qsizetype(args.size()));
    size_t next = 0;
    const qsizetype n = pattern.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = pattern[i];
        if (c != u'%' || i + 1 >= n) {
            out.append(c);
            continue;
        }
        const QChar d = pattern[i + 1];
        if (d == u'%') {
            out.append(u'%');
            ++i;
            continue;
        }
        if (d == u'@') {
            if (next < args.size()) {
                out.append(args[next++].toText());
                ++i;
            } else {
                out.append(c);
            }
            continue;
        }
        // Integer conversions with optional length modifiers: %d %i %ld %lld %zd %lu %u.
        qsizetype j = i + 1;
        while (j < n && (pattern[j] == u'l' || pattern[j] == u'z' || pattern[j] == u'q' || pattern[j] == u'h'))
            ++j;
        if (j < n && (pattern[j] == u'd' || pattern[j] == u'i' || pattern[j] == u'u')) {
            if (next < args.size()) {
                out.append(QString::number(args[next++].toInteger()));
                i = j;
            } else {
                out.append(c);
            }
            continue;
        }
        // Fixed-point: %f or %.Nf
        j = i + 1;
        int precision = 6;
        if (j < n && pattern[j] == u'.') {
            ++j;
            int digits = 0;
            int value = 0;
            while (j < n && pattern[j].isDigit() && digits < 2) {
                value = value * 10 + pattern[j].digitValue();
                ++j;
                ++digits;
            }
            precision = value;
        }
        if (j < n && pattern[j] == u'f') {
            if (next < args.size()) {
                out.append(fixed(args[next++].toDouble(), precision));
                i = j;
            } else {
                out.append(c);
            }
            continue;
        }
        out.append(c);
    }
    return out;
}
