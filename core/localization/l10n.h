#pragma once

#include "app_language.h"
#include "foundation/format.h"

#include <QHash>
#include <QString>
#include <QStringList>

// The process-wide interface language. It starts as Simplified Chinese and
// changes only through configure(); a real change is announced by posting
// kLanguageDidChangeNotification on NotificationCenter::defaultCenter().
class L10n
{
public:
    static inline const QString kLanguageDidChangeNotification = QStringLiteral("Tessellon.languageDidChange");

    static AppLanguage current();
    static void configure(AppLanguage preference);
    // Stores `language` as is (even `system`) and posts nothing.
    static void setForTesting(AppLanguage language);

    // The unformatted template for `key` in `language`; the key itself when no
    // translation applies.
    static QString templateFor(const QString &key, AppLanguage language);
    static QString templateFor(const QString &key) { return templateFor(key, current()); }
    static const QHash<QString, QString> &table(AppLanguage language);
    static QStringList allKeys();

    L10n() = delete;

private:
    static bool set(AppLanguage language);
};

// The text to show for `key` (its Simplified Chinese wording) in the current
// language. Without arguments the template is returned as is; with arguments
// %@ and %d are expanded by our own formatter.
QString L(const QString &key);

template <typename... Args>
QString L(const QString &key, const Args &...args)
{
    return formatString(QStringView(L10n::templateFor(key)), args...);
}
