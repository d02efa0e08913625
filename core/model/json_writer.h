#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QVariant>

// Streams JSON text in the exact shape the layout and pinned files have always
// had: pretty output indents by two spaces, separates keys with " : " and writes
// an empty container as its brackets around a blank line; compact output has no
// whitespace at all. Non-ASCII text is written as UTF-8, control characters as
// escapes. QJsonDocument formats differently, so the files are written here.
//
// The writer does not reorder: callers emit object members in the order they
// want, normally sorted with keyLessThan().
class JsonWriter
{
public:
    enum class Style { compact, pretty };
    enum class Slashes { escaped, plain };

    explicit JsonWriter(Style style = Style::compact, Slashes slashes = Slashes::escaped);

    void beginObject();
    void endObject();
    void beginArray();
    void endArray();
    // The next member's key; only inside an object.
    void key(QStringView name);

    void writeString(QStringView text);
    void writeBool(bool value);
    void writeInteger(qint64 value);
    // Shortest text that reads back as the same double; a non-finite number has
    // no JSON form and is written as null.
    void writeDouble(double value);
    void writeNull();
    void writeStringArray(const QStringList &items);
    // Booleans, integers, doubles, strings, lists and maps (keys sorted with
    // keyLessThan); anything else is written as null.
    void writeVariant(const QVariant &value);

    void reserve(qsizetype bytes) { m_out.reserve(bytes); }
    // The text written so far; the writer is left empty.
    QByteArray take();

    // Key order of sorted output: case-insensitive, runs of digits compared by
    // their numeric value, ties broken by plain code-unit order so that the
    // order is total.
    static bool keyLessThan(QStringView a, QStringView b);
    static QStringList sortedKeys(QStringList keys);

private:
    struct Level
    {
        bool isObject = false;
        int count = 0;
    };

    void beforeValue();
    void open(char bracket, bool isObject);
    void close(char bracket);
    void newlineAndIndent(qsizetype depth);
    void appendEscaped(QStringView text);

    QByteArray m_out;
    QList<Level> m_levels;
    Style m_style;
    Slashes m_slashes;
    bool m_afterKey = false;
};
