#pragma once

#include <QString>
#include <QStringView>

#include <span>
#include <variant>

// One argument for a printf-like template. Catalog texts and log templates are
// data: they are expanded by our own small formatter, never by the C library,
// so a stray conversion in a translation or an argument cannot read the stack.
class FormatArg
{
public:
    FormatArg(const QString &text) : m_value(text) {}
    FormatArg(QStringView text) : m_value(text.toString()) {}
    FormatArg(const char *utf8) : m_value(QString::fromUtf8(utf8)) {}
    FormatArg(int value) : m_value(static_cast<qint64>(value)) {}
    FormatArg(long value) : m_value(static_cast<qint64>(value)) {}
    FormatArg(long long value) : m_value(static_cast<qint64>(value)) {}
    FormatArg(unsigned value) : m_value(static_cast<qint64>(value)) {}
    FormatArg(unsigned long value) : m_value(static_cast<qint64>(value)) {}
    FormatArg(unsigned long long value) : m_value(static_cast<qint64>(value)) {}
    FormatArg(double value) : m_value(value) {}
    FormatArg(float value) : m_value(static_cast<double>(value)) {}
    FormatArg(bool value) : m_value(QString::fromLatin1(value ? "true" : "false")) {}

    QString toText() const;
    qint64 toInteger() const;
    double toDouble() const;

private:
    std::variant<QString, qint64, double> m_value;
};

// Expands %@ (text), %d / %ld / %lld / %i (integer), %f and %.Nf (fixed-point number)
// and %% in `pattern`, taking the arguments in order. A conversion without an
// argument left for it, or one we do not know, is copied through unchanged.
QString formatTemplate(QStringView pattern, std::span<const FormatArg> args);

template <typename... Args>
QString formatString(QStringView pattern, const Args &...args)
{
    if constexpr (sizeof...(Args) == 0) {
        return formatTemplate(pattern, {});
    } else {
        const FormatArg list[] = {FormatArg(args)...};
        return formatTemplate(pattern, std::span<const FormatArg>(list));
    }
}
