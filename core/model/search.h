#pragma once

#include "app_item.h"

#include <QHash>
#include <QList>
#include <QString>

#include <optional>

// Scores how well an application matches what the user typed. Names are the
// ones the user sees (renames included). Texts are compared as user-perceived
// characters: canonically equivalent spellings match, and a match never ends
// or begins inside a character (a base letter without its accent, half of an
// emoji sequence).
//
// Tiers, the first that applies wins (n = characters in the normalized name):
//   empty query 0; exact name or bundle file name 1000; prefix 800 - min(200, n);
//   initials of two or more words 600; substring 400 - min(100, n);
//   bundle identifier contains the query 100; otherwise no score.
class Search
{
public:
    Search() = delete;

    // A text as it is compared: in composed form, so that canonically
    // equivalent spellings are equal, with where its user-perceived characters
    // begin worked out once.
    class Text
    {
    public:
        Text() = default;
        explicit Text(QString text);

        const QString &text() const { return m_text; }
        bool isEmpty() const { return m_text.isEmpty(); }
        qsizetype characterCount() const { return m_characters; }

        bool equals(const Text &other) const { return m_text == other.m_text; }
        // Matches that begin or end inside a character do not count.
        bool startsWith(const Text &query) const;
        bool contains(const Text &query) const;

    private:
        bool isBoundary(qsizetype position) const;

        QString m_text;
        // Empty when every code unit is a character of its own (most names);
        // else, per code unit, whether a character begins there.
        QList<bool> m_boundaries;
        qsizetype m_characters = 0;
    };

    // What a query is compared with for one application under one display
    // name. Costly to make, cheap to compare: made once per scan or rename.
    struct Key
    {
        QString displayName;
        Text name;     // the display name, normalized
        Text file;     // the bundle file name, ".app" kept, normalized
        Text bundleID; // normalized
        // The first characters of the display name's words, in order; unset
        // when the name has fewer than two words.
        std::optional<Text> initials;
    };
    static Key key(const AppItem &app, const QString &displayName);
    // A typed query ready to compare.
    static Text query(const QString &typed);
    static std::optional<int> score(const Key &key, const Text &query);
    // ranked() over applications whose keys are already made: keys[i] is
    // apps[i]'s.
    static QList<AppItem> ranked(const QList<AppItem> &apps, const QList<Key> &keys, const Text &query);
    // The same with the applications' places in name order made beforehand
    // (nameRanks()), so that equal scores need no collation.
    static QList<AppItem> ranked(const QList<AppItem> &apps, const QList<Key> &keys, const Text &query,
                                 const QList<int> &nameRanks);
    // Each application's place when all are ordered by their own names
    // (localized, case-insensitive; equal names keep their order).
    static QList<int> nameRanks(const QList<AppItem> &apps);

    // Trimmed of whitespace and newlines at both ends, lowercased without
    // regard to locale, and with every U+0020 space removed (other inner
    // whitespace stays).
    static QString normalized(const QString &text);

    // Nothing when the application does not match; 0 for an empty query.
    static std::optional<int> score(const AppItem &app, const QString &query,
                                    const QHash<QString, QString> &overrides = {});
    static bool matches(const AppItem &app, const QString &query, const QHash<QString, QString> &overrides = {});

    // The matching applications, best score first, equal scores by the record's
    // own name (localized, case-insensitive). An empty query returns every
    // application ordered by name.
    static QList<AppItem> ranked(const QList<AppItem> &apps, const QString &query,
                                 const QHash<QString, QString> &overrides = {});

private:
    static QList<AppItem> rankedBy(const QList<AppItem> &apps, const QList<Key> &keys, const Text &query,
                                   const QList<int> *nameRanks);
};
