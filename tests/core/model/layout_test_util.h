#pragma once

// A compact text form of layouts for the layout tests:
//   "a b [F:x,y] | | c"  three pages; the first holds the applications a and b
//                        and the folder F (named "F") with members x and y,
//                        the second is empty, the third holds c.
//   "?z"                 an entry with neither application nor folder, id "z".
// describe() prints pages in the same form, so expectations read like input.

#include "localization/l10n.h"
#include "model/launcher_layout.h"

#include <QStringList>

#include <ostream>
#include <string>

namespace layout_test {

inline LayoutEntry entryOf(const QString &token)
{
    if (token.startsWith(QLatin1Char('?')))
        return LayoutEntry(token.mid(1));
    if (token.startsWith(QLatin1Char('[')) && token.endsWith(QLatin1Char(']'))) {
        const QString body = token.mid(1, token.size() - 2);
        const QString id = body.section(QLatin1Char(':'), 0, 0);
        const QString members = body.section(QLatin1Char(':'), 1);
        return LayoutEntry::makeFolder(
            LayoutFolder(id, id, members.isEmpty() ? QStringList{} : members.split(QLatin1Char(','))));
    }
    return LayoutEntry::app(token);
}

inline QList<LauncherLayout::Page> pagesOf(const QString &text)
{
    QList<LauncherLayout::Page> pages;
    for (const QString &pageText : text.split(QLatin1Char('|'))) {
        LauncherLayout::Page page;
        for (const QString &token : pageText.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            page.append(entryOf(token));
        pages.append(page);
    }
    return pages;
}

inline LauncherLayout layoutOf(const QString &text)
{
    LauncherLayout layout;
    layout.pages = pagesOf(text);
    return layout;
}

inline QString describe(const LayoutEntry &e)
{
    if (e.folder && !e.appID && e.id == QStringLiteral("folder:") + e.folder->id)
        return QStringLiteral("[%1:%2]").arg(e.folder->id, e.folder->bundleIDs.join(QLatin1Char(',')));
    if (e.appID && !e.folder && e.id == QStringLiteral("app:") + *e.appID)
        return *e.appID;
    if (!e.appID && !e.folder)
        return QStringLiteral("?") + e.id;
    return QStringLiteral("~") + e.id; // an entry whose parts disagree
}

inline QString describe(const QList<LauncherLayout::Page> &pages)
{
    QStringList texts;
    for (const LauncherLayout::Page &page : pages) {
        QStringList tokens;
        for (const LayoutEntry &e : page)
            tokens.append(describe(e));
        texts.append(tokens.join(QLatin1Char(' ')));
    }
    return texts.join(QStringLiteral(" | "));
}

inline std::string str(const QString &text)
{
    return text.toStdString();
}

// Applications by id; the name is the id unless given ("id=Name").
inline QList<AppItem> appsOf(const QString &text)
{
    QList<AppItem> apps;
    for (const QString &token : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString id = token.section(QLatin1Char('='), 0, 0);
        const QString name = token.contains(QLatin1Char('=')) ? token.section(QLatin1Char('='), 1) : id;
        apps.append(AppItem(id, name, QStringLiteral("/Applications/%1.app").arg(name)));
    }
    return apps;
}

// Runs a test body in a given interface language and restores the default.
class ScopedLanguage
{
public:
    explicit ScopedLanguage(AppLanguage language) { L10n::setForTesting(language); }
    ~ScopedLanguage() { L10n::setForTesting(AppLanguage::zhHans); }
    ScopedLanguage(const ScopedLanguage &) = delete;
    ScopedLanguage &operator=(const ScopedLanguage &) = delete;
};

} // namespace layout_test

inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}
