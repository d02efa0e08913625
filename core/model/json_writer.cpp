#include "json_writer.h"

#include <QLocale>
#include <QVariantHash>
#include <QVariantList>
#include <QVariantMap>

#include <algorithm>
#include <limits>
#include <utility>
#include <cmath>

namespace {

bool isAsciiDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

QStringView withoutLeadingZeros(QStringView digits)
{
    qsizetype start = 0;
    while (start + 1 < digits.size() && digits[start] == u'0')
        ++start;
    return digits.sliced(start);
}

// Case-insensitive comparison in which digit runs count as numbers ("item9"
// before "item10"). Zero means equal under those rules, not identical.
int compareLoosely(QStringView a, QStringView b)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (isAsciiDigit(a[i]) && isAsciiDigit(b[j])) {
            const qsizetype startA = i;
            const qsizetype startB = j;
            while (i < a.size() && isAsciiDigit(a[i]))
                ++i;
            while (j < b.size() && isAsciiDigit(b[j]))
                ++j;
            const QStringView numberA = withoutLeadingZeros(a.sliced(startA, i - startA));
            const QStringView numberB = withoutLeadingZeros(b.sliced(startB, j - startB));
            if (numberA.size() != numberB.size())
                return numberA.size() < numberB.size() ? -1 : 1;
            const int order = numberA.compare(numberB);
            if (order != 0)
                return order;
            continue;
        }
        const char16_t foldedA = a[i].toCaseFolded().unicode();
        const char16_t foldedB = b[j].toCaseFolded().unicode();
        if (foldedA != foldedB)
            return foldedA < foldedB ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size())
        return 1;
    if (j < b.size())
        return -1;
    return 0;
}

const char kHexDigits[] = "0123456789abcdef";

} // namespace

JsonWriter::JsonWriter(Style style, Slashes slashes)
    : m_style(style), m_slashes(slashes)
{
}

void JsonWriter::newlineAndIndent(qsizetype depth)
{
    m_out.append('\n');
    m_out.append(depth * 2, ' ');
}

void JsonWriter::beforeValue()
{
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (m_levels.isEmpty())
        return;
    Level &level = m_levels.last();
    if (level.count > 0)
        m_out.append(',');
    if (m_style == Style::pretty)
        newlineAndIndent(m_levels.size());
    ++level.count;
}

void JsonWriter::key(QStringView name)
{
    Q_ASSERT(!m_levels.isEmpty() && m_levels.last().isObject && !m_afterKey);
    Level &level = m_levels.last();
    if (level.count > 0)
        m_out.append(',');
    if (m_style == Style::pretty)
        newlineAndIndent(m_levels.size());
    ++level.count;
    appendEscaped(name);
    m_out.append(m_style == Style::pretty ? " : " : ":");
    m_afterKey = true;
}

void JsonWriter::open(char bracket, bool isObject)
{
    beforeValue();
    m_out.append(bracket);
    m_levels.append(Level{isObject, 0});
}

void JsonWriter::close(char bracket)
{
    Q_ASSERT(!m_levels.isEmpty());
    const Level level = m_levels.takeLast();
    if (m_style == Style::pretty) {
        // An empty container still gets its opening line break, then the closing one.
        if (level.count == 0)
            m_out.append('\n');
        newlineAndIndent(m_levels.size());
    }
    m_out.append(bracket);
}

void JsonWriter::beginObject()
{
    open('{', true);
}

void JsonWriter::endObject()
{
    close('}');
}

void JsonWriter::beginArray()
{
    open('[', false);
}

void JsonWriter::endArray()
{
    close(']');
}

void JsonWriter::appendEscaped(QStringView text)
{
    // Work on the UTF-8 bytes and copy the runs that need no escape in one go:
    // non-ASCII bytes are written as they are.
    const QByteArray utf8 = text.toUtf8();
    const char *data = utf8.constData();
    const qsizetype size = utf8.size();
    const bool escapeSlashes = m_slashes == Slashes::escaped;
    m_out.append('"');
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const unsigned char c = static_cast<unsigned char>(data[i]);
        const bool special = c < 0x20 || c == '"' || c == '\\' || (c == '/' && escapeSlashes);
        if (!special)
            continue;
        m_out.append(data + runStart, i - runStart);
        runStart = i + 1;
        switch (c) {
        case '"': m_out.append("\\\""); break;
        case '\\': m_out.append("\\\\"); break;
        case '/': m_out.append("\\/"); break;
        case 0x08: m_out.append("\\b"); break;
        case 0x0c: m_out.append("\\f"); break;
        case '\n': m_out.append("\\n"); break;
        case '\r': m_out.append("\\r"); break;
        case '\t': m_out.append("\\t"); break;
        default: {
            const char escape[] = {'\\', 'u', '0', '0', kHexDigits[c >> 4], kHexDigits[c & 0xf]};
            m_out.append(escape, sizeof escape);
        }
        }
    }
    m_out.append(data + runStart, size - runStart);
    m_out.append('"');
}

void JsonWriter::writeString(QStringView text)
{
    beforeValue();
    appendEscaped(text);
}

void JsonWriter::writeBool(bool value)
{
    beforeValue();
    m_out.append(value ? "true" : "false");
}

void JsonWriter::writeInteger(qint64 value)
{
    beforeValue();
    m_out.append(QByteArray::number(value));
}

void JsonWriter::writeDouble(double value)
{
    beforeValue();
    if (!std::isfinite(value)) {
        m_out.append("null");
        return;
    }
    QByteArray text = QByteArray::number(value, 'g', QLocale::FloatingPointShortest);
    if (value == 0.0 && std::signbit(value) && !text.startsWith('-'))
        text.prepend('-');
    // Keep the number visibly a double for anyone reading the file.
    if (!text.contains('.') && !text.contains('e'))
        text.append(".0");
    m_out.append(text);
}

void JsonWriter::writeNull()
{
    beforeValue();
    m_out.append("null");
}

void JsonWriter::writeStringArray(const QStringList &items)
{
    beginArray();
    for (const QString &item : items)
        writeString(item);
    endArray();
}

void JsonWriter::writeVariant(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
        writeBool(value.toBool());
        return;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        writeInteger(value.toLongLong());
        return;
    case QMetaType::ULong:
    case QMetaType::ULongLong: {
        const qulonglong number = value.toULongLong();
        if (number <= qulonglong(std::numeric_limits<qint64>::max()))
            writeInteger(qint64(number));
        else
            writeDouble(double(number));
        return;
    }
    case QMetaType::Double:
    case QMetaType::Float:
        writeDouble(value.toDouble());
        return;
    case QMetaType::QString:
        writeString(value.toString());
        return;
    case QMetaType::QStringList:
        writeStringArray(value.toStringList());
        return;
    case QMetaType::QVariantList: {
        beginArray();
        const QVariantList items = value.toList();
        for (const QVariant &item : items)
            writeVariant(item);
        endArray();
        return;
    }
    case QMetaType::QVariantMap:
    case QMetaType::QVariantHash: {
        const QVariantMap map = value.toMap();
        beginObject();
        for (const QString &name : sortedKeys(map.keys())) {
            key(name);
            writeVariant(map.value(name));
        }
        endObject();
        return;
    }
    default:
        writeNull();
    }
}

QByteArray JsonWriter::take()
{
    m_levels.clear();
    m_afterKey = false;
    return std::exchange(m_out, QByteArray());
}

bool JsonWriter::keyLessThan(QStringView a, QStringView b)
{
    const int order = compareLoosely(a, b);
    if (order != 0)
        return order < 0;
    return a.compare(b) < 0;
}

QStringList JsonWriter::sortedKeys(QStringList keys)
{
    std::sort(keys.begin(), keys.end(),
              [](const QString &a, const QString &b) { return keyLessThan(a, b); });
    return keys;
}
