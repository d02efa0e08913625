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
};
