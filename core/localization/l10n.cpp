#include "l10n.h"

#include "foundation/notification_center.h"
#include "localization_catalog.h"

#include <QMutex>
#include <QMutexLocker>

namespace {

QMutex &languageLock()
{
    static QMutex lock;
    return lock;
}

AppLanguage &storedLanguage()
{
    static AppLanguage stored = AppLanguage::zhHans;
    return stored;
}

} // namespace

AppLanguage L10n::current()
{
    QMutexLocker locker(&languageLock());
    return storedLanguage();
}

bool L10n::set(AppLanguage language)
{
    QMutexLocker locker(&languageLock());
    const bool changed = storedLanguage() != language;
    storedLanguage() = language;
    return changed;
}

void L10n::configure(AppLanguage preference)
{
    // Resolving the system language reads the environment: do it outside the lock.
    const AppLanguage chosen = preference.isConcrete() ? preference : AppLanguage::systemLanguage();
    if (set(chosen))
        NotificationCenter::defaultCenter().post(kLanguageDidChangeNotification);
}

void L10n::setForTesting(AppLanguage language)
{
    set(language);
}

QString L10n::templateFor(const QString &key, AppLanguage language)
{
    if (language == AppLanguage::zhHans)
        return key;
    const QHash<QString, QString> &entries = table(language);
    const auto it = entries.constFind(key);
    if (it == entries.constEnd() || it->isEmpty())
        return key;
    return *it;
}

const QHash<QString, QString> &L10n::table(AppLanguage language)
{
    static const QHash<QString, QString> none;
    const auto &tables = LocalizationCatalog::tables();
    const auto it = tables.constFind(language);
    return it == tables.constEnd() ? none : *it;
}

QStringList L10n::allKeys()
{
    QStringList keys;
    const auto &rows = LocalizationCatalog::rows();
    keys.reserve(qsizetype(rows.size()));
    for (const auto &row : rows)
        keys.append(QString::fromUtf8(row[0]));
    return keys;
}

QString L(const QString &key)
{
    return L10n::templateFor(key);
}
