#include "app_language.h"

#include "l10n.h"

QString AppLanguage::displayName() const
{
    switch (m_value) {
    case system: return L("跟随系统");
    case zhHans: return QStringLiteral("简体中文");
    case en: return QStringLiteral("English");
    case fr: return QStringLiteral("Français");
    case de: return QStringLiteral("Deutsch");
    case ja: return QStringLiteral("日本語");
    case ru: return QStringLiteral("Русский");
    case es: return QStringLiteral("Español");
    }
    return QString();
}

std::optional<AppLanguage> AppLanguage::match(const QString &identifier)
{
    QString id = identifier.toLower();
    id.replace(QLatin1Char('_'), QLatin1Char('-'));
    if (id == QLatin1String("system") || id == QLatin1String("auto"))
        return AppLanguage(system);
    if (id.startsWith(QLatin1String("zh")))
        return AppLanguage(zhHans);
    for (AppLanguage language : {AppLanguage(en), AppLanguage(fr), AppLanguage(de), AppLanguage(ja),
                                 AppLanguage(ru), AppLanguage(es)}) {
        const QString raw = language.rawValue().toLower();
        if (id == raw || id.startsWith(raw + QLatin1Char('-')))
            return language;
    }
    return std::nullopt;
}

std::optional<AppLanguage> AppLanguage::parse(const std::optional<QString> &text)
{
    if (!text || text->isEmpty())
        return std::nullopt;
    return match(text->trimmed());
}

AppLanguage AppLanguage::resolve(const QStringList &preferred)
{
    for (const QString &identifier : preferred) {
        const std::optional<AppLanguage> language = match(identifier);
        if (language && language->isConcrete())
            return *language;
    }
    return en;
}

AppLanguage AppLanguage::systemLanguage()
{
    return resolve(preferredLanguages(QProcessEnvironment::systemEnvironment()));
}

namespace {

// "de_AT.UTF-8@euro" -> "de_AT"
QString stripCodesetAndModifier(QString locale)
{
    const qsizetype at = locale.indexOf(QLatin1Char('@'));
    if (at >= 0)
        locale.truncate(at);
    const qsizetype dot = locale.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        locale.truncate(dot);
    return locale.trimmed();
}

} // namespace

QStringList AppLanguage::preferredLanguages(const QProcessEnvironment &environment)
{
    QString locale;
    for (const char *name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString value = environment.value(QString::fromLatin1(name));
        if (!value.isEmpty()) {
            locale = value;
            break;
        }
    }
    const QString base = stripCodesetAndModifier(locale);
    // As gettext does, the C locale means "untranslated" and LANGUAGE is ignored.
    if (base.isEmpty() || base == QLatin1String("C") || base == QLatin1String("POSIX"))
        return {};

    QStringList result;
    const QStringList languageList = environment.value(QStringLiteral("LANGUAGE")).split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString &entry : languageList) {
        const QString stripped = stripCodesetAndModifier(entry);
        if (!stripped.isEmpty())
            result.append(stripped);
    }
    result.append(base);
    return result;
}
