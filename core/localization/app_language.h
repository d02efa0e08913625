#pragma once

#include "foundation/string_enumeration.h"

#include <QHashFunctions>
#include <QList>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <optional>

// An interface-language choice. `system` is a preference (follow the user's
// locale), never a language in which text is shown.
class AppLanguage : public StringEnumeration<AppLanguage>
{
public:
    enum Value { system, zhHans, en, fr, de, ja, ru, es };
    static constexpr EnumerationCase<Value> cases[] = {
        {system, "system"},
        {zhHans, "zh-Hans"},
        {en, "en"},
        {fr, "fr"},
        {de, "de"},
        {ja, "ja"},
        {ru, "ru"},
        {es, "es"},
    };

    constexpr AppLanguage(Value value) : m_value(value) {}
    constexpr operator Value() const { return m_value; }

    // Exact, case-sensitive raw values only ("zh-Hans", "en", ...).
    bool isConcrete() const { return m_value != system; }
    // The language's own name; only `system` follows the interface language.
    QString displayName() const;

    // Lenient reading of a command-line or automation value.
    static std::optional<AppLanguage> parse(const std::optional<QString> &text);
    // First concrete match in `preferred`, else English. Always concrete.
    static AppLanguage resolve(const QStringList &preferred);
    // The user's preferred languages resolved anew on every call.
    static AppLanguage systemLanguage();
    // The preferred language list of a process environment, gettext-style:
    // LANGUAGE (colon-separated) then the first set of LC_ALL, LC_MESSAGES, LANG.
    // A "C" or "POSIX" locale disables LANGUAGE and yields an empty list.
    static QStringList preferredLanguages(const QProcessEnvironment &environment);

private:
    static std::optional<AppLanguage> match(const QString &identifier);

    Value m_value;
};
