#include "residue_rules.h"

namespace {

QSet<QString> setOf(std::initializer_list<const char *> words)
{
    QSet<QString> set;
    for (const char *word : words)
        set.insert(QString::fromUtf8(word));
    return set;
}

bool isCompactedAway(QChar c)
{
    return c.isSpace() || c == QLatin1Char('-') || c == QLatin1Char('_');
}

} // namespace

const QList<ResidueRules::Rule> &ResidueRules::rules()
{
    using Kind = UninstallResidue::Kind;
    static const QList<Rule> table = {
        {QStringLiteral("Preferences"), Kind::preferences, true, false, false},
        {QStringLiteral("Preferences/ByHost"), Kind::preferences, false, false, false},
        {QStringLiteral("SyncedPreferences"), Kind::preferences, false, false, false},
        {QStringLiteral("Application Support"), Kind::applicationSupport, true, true, false},
        {QStringLiteral("Caches"), Kind::caches, true, true, false},
        {QStringLiteral("Logs"), Kind::logs, true, true, false},
        {QStringLiteral("Containers"), Kind::containers, false, false, true},
        {QStringLiteral("Group Containers"), Kind::groupContainers, false, false, true},
        {QStringLiteral("Application Scripts"), Kind::containers, false, false, true},
        {QStringLiteral("Saved Application State"), Kind::savedState, false, false, false},
        {QStringLiteral("WebKit"), Kind::webData, false, false, false},
        {QStringLiteral("HTTPStorages"), Kind::webData, false, false, false},
        {QStringLiteral("LaunchAgents"), Kind::launchAgent, false, false, false},
        {QStringLiteral("Receipts"), Kind::receipts, false, false, false},
        {QStringLiteral("Autosave Information"), Kind::other, true, false, false},
    };
    return table;
}

const QSet<QString> &ResidueRules::privacyProtectedNames()
{
    static const QSet<QString> names = setOf({
        "addressbook", "contacts", "contact", "callhistorydb", "callhistorytransactions", "calendars",
        "calendar", "reminders", "notes", "mail", "messages", "message", "photos", "homekit", "safari",
        "cookies", "com.apple.tcc", "keychains",
    });
    return names;
}

const QSet<QString> &ResidueRules::privacyKeywords()
{
    static const QSet<QString> words = setOf({
        "addressbook", "contacts", "contact", "callhistory", "calendar", "reminders", "notes", "mail",
        "messages", "photos", "homekit", "safari", "cookies", "tcc", "keychain",
    });
    return words;
}

const QSet<QString> &ResidueRules::genericNames()
{
    static const QSet<QString> names = setOf({
        "app", "apps", "application", "applications", "support", "library", "preferences", "caches",
        "cache", "containers", "data", "default", "system", "user", "users", "helper", "helpers", "agent",
        "service", "launcher", "tessellon", "macos", "apple", "global", "shared", "common", "temp", "tmp",
        "test", "file", "files", "documents", "desktop", "info", "resources", "contents", "plugin",
        "plugins", "framework", "update", "updater", "installer", "uninstall", "log", "logs", "saved",
        "state", "webkit", "cookies", "httpstorages",
        "应用", "程序", "系统", "文件", "缓存", "配置", "数据", "其他", "其它",
    });
    return names;
}

const QStringList &ResidueRules::knownExtensions()
{
    static const QStringList endings = {
        QStringLiteral(".plist"), QStringLiteral(".savedstate"), QStringLiteral(".binarycookies"),
        QStringLiteral(".log"), QStringLiteral(".db"), QStringLiteral(".sqlite"),
        QStringLiteral(".json"), QStringLiteral(".txt"), QStringLiteral(".xml"),
    };
    return endings;
}

const QSet<QString> &ResidueRules::childNamespaces()
{
    static const QSet<QString> words = setOf({
        "app", "apps", "group", "groups", "extension", "extensions", "plugin", "plugins", "helper",
        "helpers", "service", "services", "agent", "login", "launch", "xpc", "daemon", "shared",
    });
    return words;
}

bool ResidueRules::isPrivacyProtected(const QString &name)
{
    const QString lower = name.normalized(QString::NormalizationForm_C).toLower();
    QString compact;
    compact.reserve(lower.size());
    for (QChar c : lower) {
        if (!isCompactedAway(c))
            compact.append(c);
    }
    const QSet<QString> &names = privacyProtectedNames();
    if (names.contains(lower) || names.contains(compact))
        return true;
    if (lower.startsWith(QLatin1String("com.apple.")) || lower.startsWith(QLatin1String("group.com.apple."))) {
        for (const QString &keyword : privacyKeywords()) {
            if (lower.contains(keyword))
                return true;
        }
    }
    return false;
}

QString ResidueRules::stem(const QString &lowerName)
{
    for (const QString &ending : knownExtensions()) {
        if (lowerName.endsWith(ending))
            return lowerName.left(lowerName.size() - ending.size());
    }
    return lowerName;
}
