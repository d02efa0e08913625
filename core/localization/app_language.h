#pragma once

#include <QHashFunctions>
#include <QList>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <optional>

// An interface-language choice. `system` is a preference (follow the user's
// locale), never a language in which text is shown.
class AppLanguage
{
public:
    enum Value { system, zhHans, en, fr, de, ja, ru, es };

    constexpr AppLanguage(Value value) : m_value(value) {}
    constexpr operator Value() const { return m_value; }

    // Exact, case-sensitive raw values only ("zh-Hans", "en", ...).
    static std::optional<AppLanguage> fromRawValue(const QString &rawValue);
    QString rawValue() const;
    static QList<AppLanguage> allCases();
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

inline size_t qHash(AppLanguage language, size_t seed = 0)
{
    return ::qHash(static_cast<int>(AppLanguage::Value(language)), seed);
}
