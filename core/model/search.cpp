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

// The first characters of the display name's words, joined in order; nothing
// when the name has fewer than two words. `lowered` is the display name
// trimmed and lowercased, spaces kept.
std::optional<QString> initialsOf(const QString &lowered)
{
    QString initials;
    int words = 0;
    if (isSimple(lowered)) {
        // Every code unit is a character: a word's first code unit is its
        // initial.
        bool inWord = false;
        for (const QChar c : lowered) {
            const bool word = QChar::isLetterOrNumber(char32_t(c.unicode()));
            if (word && !inWord) {
                ++words;
                initials.append(c);
            }
            inWord = word;
        }
        if (words < 2)
            return std::nullopt;
        return initials;
    }

    // Words are runs of user-perceived characters that are letters or
    // numbers; each word's initial is its first such character.
    const QString text = lowered.normalized(QString::NormalizationForm_C);
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
    if (words < 2)
        return std::nullopt;
    return initials;
}

QString lastComponent(const QString &path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
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

Search::Text::Text(QString text)
    : m_text(std::move(text))
{
    if (!isSimple(m_text))
        m_text = m_text.normalized(QString::NormalizationForm_C);
    if (isSimple(m_text)) {
        m_characters = m_text.size();
        return;
    }
    m_boundaries.fill(false, m_text.size());
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, m_text);
    for (qsizetype at = finder.position(); at != -1 && at < m_text.size(); at = finder.toNextBoundary()) {
        m_boundaries[at] = true;
        ++m_characters;
    }
}

bool Search::Text::isBoundary(qsizetype position) const
{
    if (m_boundaries.isEmpty() || position <= 0 || position >= m_text.size())
        return true;
    return m_boundaries.at(position);
}

bool Search::Text::startsWith(const Text &query) const
{
    return m_text.startsWith(query.m_text) && isBoundary(query.m_text.size());
}

bool Search::Text::contains(const Text &query) const
{
    const qsizetype length = query.m_text.size();
    for (qsizetype at = m_text.indexOf(query.m_text); at != -1; at = m_text.indexOf(query.m_text, at + 1)) {
        if (isBoundary(at) && isBoundary(at + length))
            return true;
    }
    return false;
}

Search::Key Search::key(const AppItem &app, const QString &displayName)
{
    Key key;
    key.displayName = displayName;
    // One lowercasing serves both the name (spaces dropped) and its words.
    const QString lowered = lowercased(displayName.trimmed());
    QString nameText = lowered;
    nameText.remove(QLatin1Char(' '));
    key.name = Text(std::move(nameText));
    // The file name keeps its ".app": typing the bare bundle name is a prefix
    // match, typing it with ".app" an exact one.
    key.file = Text(normalized(lastComponent(app.path)));
    key.bundleID = Text(normalized(app.bundleID));
    if (std::optional<QString> initials = initialsOf(lowered))
        key.initials = Text(std::move(*initials));
    return key;
}

Search::Text Search::query(const QString &typed)
{
    return Text(normalized(typed));
}

std::optional<int> Search::score(const Key &key, const Text &query)
{
    if (query.isEmpty())
        return 0;
    const Text &name = key.name;
    const Text &file = key.file;
    if (name.equals(query) || file.equals(query))
        return kExactScore;
    // The length penalty is always the display name's, wherever the match was.
    if (name.startsWith(query) || file.startsWith(query))
        return kPrefixScore - int(std::min<qsizetype>(kPrefixLengthCap, name.characterCount()));

    if (key.initials && key.initials->startsWith(query))
        return kInitialsScore;

    if (name.contains(query) || file.contains(query))
        return kSubstringScore - int(std::min<qsizetype>(kSubstringLengthCap, name.characterCount()));

    if (key.bundleID.contains(query))
        return kBundleIDScore;
    return std::nullopt;
}

std::optional<int> Search::score(const AppItem &app, const QString &query, const QHash<QString, QString> &overrides)
{
    return score(key(app, displayName(app, overrides)), Search::query(query));
}

bool Search::matches(const AppItem &app, const QString &query, const QHash<QString, QString> &overrides)
{
    return score(app, query, overrides).has_value();
}

QList<AppItem> Search::ranked(const QList<AppItem> &apps, const QString &query,
                              const QHash<QString, QString> &overrides)
{
    const Text q = Search::query(query);
    QList<Key> keys;
    // The empty query matches everything with the same score: no keys needed.
    if (!q.isEmpty()) {
        keys.reserve(apps.size());
        for (const AppItem &app : apps)
            keys.append(key(app, displayName(app, overrides)));
    }
    return ranked(apps, keys, q);
}

QList<int> Search::nameRanks(const QList<AppItem> &apps)
{
    const QCollator collator = nameCollator();
    std::vector<qsizetype> order(size_t(apps.size()));
    for (qsizetype i = 0; i < apps.size(); ++i)
        order[size_t(i)] = i;
    std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        return collator.compare(apps.at(a).name, apps.at(b).name) < 0;
    });
    QList<int> ranks(apps.size(), 0);
    for (size_t position = 0; position < order.size(); ++position)
        ranks[order[position]] = int(position);
    return ranks;
}

QList<AppItem> Search::ranked(const QList<AppItem> &apps, const QList<Key> &keys, const Text &query)
{
    return rankedBy(apps, keys, query, nullptr);
}

QList<AppItem> Search::ranked(const QList<AppItem> &apps, const QList<Key> &keys, const Text &query,
                              const QList<int> &nameRanks)
{
    return rankedBy(apps, keys, query, &nameRanks);
}

QList<AppItem> Search::rankedBy(const QList<AppItem> &apps, const QList<Key> &keys, const Text &query,
                                const QList<int> *nameRanks)
{
    struct Scored
    {
        int score;
        qsizetype index;
    };
    std::vector<Scored> scored;
    scored.reserve(size_t(apps.size()));
    for (qsizetype i = 0; i < apps.size(); ++i) {
        if (query.isEmpty())
            scored.push_back({0, i});
        else if (const std::optional<int> value = score(keys.at(i), query))
            scored.push_back({*value, i});
    }

    if (nameRanks) {
        // Names ranked beforehand: one integer sort, linear in practice.
        std::sort(scored.begin(), scored.end(), [&](const Scored &a, const Scored &b) {
            if (a.score != b.score)
                return a.score > b.score;
            return nameRanks->at(a.index) < nameRanks->at(b.index);
        });
    } else {
        // Integer order first; the collator, the expensive part, only orders
        // runs of equal scores.
        const QCollator collator = nameCollator();
        std::stable_sort(scored.begin(), scored.end(),
                         [](const Scored &a, const Scored &b) { return a.score > b.score; });
        for (auto run = scored.begin(); run != scored.end();) {
            const auto end = std::find_if(run, scored.end(), [&](const Scored &s) { return s.score != run->score; });
            if (end - run > 1) {
                std::stable_sort(run, end, [&](const Scored &a, const Scored &b) {
                    return collator.compare(apps.at(a.index).name, apps.at(b.index).name) < 0;
                });
            }
            run = end;
        }
    }

    QList<AppItem> result;
    result.reserve(qsizetype(scored.size()));
    for (const Scored &s : scored)
        result.append(apps.at(s.index));
    return result;
}
