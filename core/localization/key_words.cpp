#include "key_words.h"

namespace {

QString wordFor(QChar glyph)
{
    switch (glyph.unicode()) {
    case 0x2325: return QStringLiteral("Alt");   // ⌥
    case 0x2303: return QStringLiteral("Ctrl");  // ⌃
    case 0x21E7: return QStringLiteral("Shift"); // ⇧
    case 0x2318: return QStringLiteral("Super"); // ⌘
    default: return QString();
    }
}

bool isSpace(QChar c)
{
    return c == QLatin1Char(' ') || c == QChar(0x00A0);
}

} // namespace

QString KeyWords::forDisplay(const QString &text)
{
    QString result;
    result.reserve(text.size() + 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QString word = wordFor(text.at(i));
        if (word.isEmpty()) {
            result.append(text.at(i));
            continue;
        }
        result.append(word);
        // One space between a glyph and what it holds is the glyph style's
        // spacing; the words take "+" instead.
        qsizetype next = i + 1;
        if (next < text.size() && isSpace(text.at(next)))
            ++next;
        if (next < text.size() && !isSpace(text.at(next)) && !text.at(next).isPunct()) {
            result.append(QLatin1Char('+'));
            i = next - 1;
        }
    }
    return result;
}
