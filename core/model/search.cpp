#include "search.h"

#include <QChar>
#include <QCollator>
#include <QStringView>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

constexpr int kExactScore = 1000;
constexpr int kPrefixScore = 800;
constexpr int kPrefixLengthCap = 200;
constexpr int kInitialsScore = 600;
constexpr int kSubstringScore = 400;
constexpr int kSubstringLengthCap = 100;
constexpr int kBundleIDScore = 100;

// Below U+0300 every code unit is a character of its own and already in
// composed form; only a CR (which joins a following LF) breaks that. Most
// names are such text and skip the Unicode machinery entirely.
bool isSimple(QStringView text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x300 || c == QLatin1Char('\r'))
            return false;
    }
    return true;
}

// Unicode lowercasing without regard to locale. ASCII text, by far the most
// common, is lowered here directly: the general path converts character by
// character through the Unicode tables and dominates a keystroke's cost.
QString lowercased(QString text)
{
    qsizetype firstUpper = -1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c >= 0x80)
            return std::move(text).toLower();
        if (firstUpper < 0 && c >= u'A' && c <= u'Z')
            firstUpper = i;
    }
    if (firstUpper < 0)
        return text;
    QChar *data = text.data();
    for (qsizetype i = firstUpper; i < text.size(); ++i) {
        const char16_t c = data[i].unicode();
        if (c >= u'A' && c <= u'Z')
            data[i] = QChar(char16_t(c + (u'a' - u'A')));
    }
    return text;
}

// A text compared by user-perceived characters, in composed form so that
// canonically equivalent spellings compare equal.
class CharacterText
{
public:
    explicit CharacterText(QString text)
        : m_text(std::move(text)), m_simple(isSimple(m_text))
    {
        if (!m_simple) {
            m_text = m_text.normalized(QString::NormalizationForm_C);
            m_simple = isSimple(m_text);
        }
    }

    const QString &text() const { return m_text; }
    bool isEmpty() const { return m_text.isEmpty(); }

    qsizetype characterCount() const
    {
        if (m_simple)
            return m_text.size();
        QTextBoundaryFinder &finder = boundaries();
        finder.toStart();
        qsizetype count = 0;
        while (finder.toNextBoundary() != -1)
            ++count;
        return count;
    }

    bool equals(const CharacterText &other) const { return m_text == other.m_text; }

    bool startsWith(const CharacterText &query) const
    {
        return m_text.startsWith(query.m_text) && isBoundary(query.m_text.size());
    }

    bool contains(const CharacterText &query) const
    {
        const qsizetype length = query.m_text.size();
        for (qsizetype at = m_text.indexOf(query.m_text); at != -1; at = m_text.indexOf(query.m_text, at + 1)) {
            if (isBoundary(at) && isBoundary(at + length))
                return true;
        }
        return false;
    }

private:
    bool isBoundary(qsizetype position) const
    {
        if (m_simple || position <= 0 || position >= m_text.size())
            return true;
        QTextBoundaryFinder &finder = boundaries();
        finder.setPosition(position);
        return finder.isAtBoundary();
    }

    QTextBoundaryFinder &boundaries() const
    {
        if (!m_boundaries)
            m_boundaries.emplace(QTextBoundaryFinder::Grapheme, m_text);
        return *m_boundaries;
    }

    QString m_text;
    bool m_simple;
    mutable std::optional<QTextBoundaryFinder> m_boundaries;
};

// A user-perceived character is a letter or number when the code point it
// starts with is one, in any script; its combining marks and variation
// selectors go with it. A lone mark, or one after a symbol, makes no word.
bool isWordCharacter(QStringView character)
{
    if (character.isEmpty())
        return false;
    char32_t codePoint = character.front().unicode();
    if (character.size() > 1 && character.front().isHighSurrogate() && character.at(1).isLowSurrogate())
        codePoint = QChar::surrogateToUcs4(character.front(), character.at(1));
    return QChar::isLetterOrNumber(codePoint);
}

// True when the display name has at least two words and the first characters
// of its words, joined in order, begin with the query. `lowered` is the display
// name trimmed and lowercased, spaces kept.
bool initialsMatch(const QString &lowered, const CharacterText &query)
{
    const QString &q = query.text();
    if (isSimple(lowered)) {
        // Every code unit is a character: compare initials as they are met,
        // without building them.
        qsizetype matched = 0;
        int words = 0;
        bool inWord = false;
        for (const QChar c : lowered) {
            const bool word = QChar::isLetterOrNumber(char32_t(c.unicode()));
            if (word && !inWord) {
                ++words;
                if (matched < q.size()) {
                    if (q.at(matched) != c)
                        return false;
                    ++matched;
                }
                if (matched == q.size() && words >= 2)
                    return true;
            }
            inWord = word;
        }
        return false;
    }

    // Words are runs of user-perceived characters that are letters or
    // numbers; each word's initial is its first such character.
    const QString text = lowered.normalized(QString::NormalizationForm_C);
    QString initials;
    int words = 0;
    bool inWord = false;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    for (qsizetype start = 0; start < text.size();) {
        qsizetype end = finder.toNextBoundary();
        if (end <= start)
            end = text.size();
        const QStringView character = QStringView(text).sliced(start, end - start);
        const bool word = isWordCharacter(character);
        if (word && !inWord) {
            ++words;
            initials.append(character);
        }
        inWord = word;
        start = end;
    }
    return words >= 2 && CharacterText(initials).startsWith(query);
}

QString lastComponent(const QString &path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

std::optional<int> scoreNormalized(const AppItem &app, const CharacterText &query,
                                   const QHash<QString, QString> &overrides)
{
    if (query.isEmpty())
        return 0;
    const QString display = displayName(app, overrides);
    // One lowercasing serves both the name (spaces dropped) and its words.
    const QString lowered = lowercased(display.trimmed());
    QString nameText = lowered;
    nameText.remove(QLatin1Char(' '));
    const CharacterText name(std::move(nameText));
    // The file name keeps its ".app": typing the bare bundle name is a prefix
    // match, typing it with ".app" an exact one.
    const CharacterText file(Search::normalized(lastComponent(app.path)));

    if (name.equals(query) || file.equals(query))
        return kExactScore;
    // The length penalty is always the display name's, wherever the match was.
    if (name.startsWith(query) || file.startsWith(query))
        return kPrefixScore - int(std::min<qsizetype>(kPrefixLengthCap, name.characterCount()));

    if (initialsMatch(lowered, query))
        return kInitialsScore;

    if (name.contains(query) || file.contains(query))
        return kSubstringScore - int(std::min<qsizetype>(kSubstringLengthCap, name.characterCount()));

    if (CharacterText(Search::normalized(app.bundleID)).contains(query))
        return kBundleIDScore;
    return std::nullopt;
}

QCollator nameCollator()
{
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

} // namespace

QString Search::normalized(const QString &text)
{
    QString result = lowercased(text.trimmed());
    result.remove(QLatin1Char(' '));
    return result;
}

std::optional<int> Search::score(const AppItem &app, const QString &query, const QHash<QString, QString> &overrides)
{
    return scoreNormalized(app, CharacterText(normalized(query)), overrides);
}

bool Search::matches(const AppItem &app, const QString &query, const QHash<QString, QString> &overrides)
{
    return score(app, query, overrides).has_value();
}

QList<AppItem> Search::ranked(const QList<AppItem> &apps, const QString &query,
                              const QHash<QString, QString> &overrides)
{
    const QCollator collator = nameCollator();
    const CharacterText q(normalized(query));

    struct Scored
    {
        int score;
        qsizetype index;
    };
    std::vector<Scored> scored;
    scored.reserve(size_t(apps.size()));
    for (qsizetype i = 0; i < apps.size(); ++i) {
        if (const std::optional<int> value = scoreNormalized(apps.at(i), q, overrides))
            scored.push_back({*value, i});
    }

    // Integer order first; the collator, the expensive part, only orders runs
    // of equal scores.
    std::stable_sort(scored.begin(), scored.end(), [](const Scored &a, const Scored &b) { return a.score > b.score; });
    for (auto run = scored.begin(); run != scored.end();) {
        const auto end = std::find_if(run, scored.end(), [&](const Scored &s) { return s.score != run->score; });
        if (end - run > 1) {
            std::stable_sort(run, end, [&](const Scored &a, const Scored &b) {
                return collator.compare(apps.at(a.index).name, apps.at(b.index).name) < 0;
            });
        }
        run = end;
    }

    QList<AppItem> result;
    result.reserve(qsizetype(scored.size()));
    for (const Scored &s : scored)
        result.append(apps.at(s.index));
    return result;
}
