#include "app_item.h"

#include <QJsonValue>

QStringList AppItem::searchTerms() const
{
    // Every ".app" goes, not only a trailing one: "Foo.app.app" searches as "foo".
    // The last path component, as for a directory URL: "/A/Foo.app/" is "Foo.app".
    QString fileName = path.section(QLatin1Char('/'), -1, -1, QString::SectionSkipEmpty);
    fileName.remove(QStringLiteral(".app"), Qt::CaseSensitive);
    return {name.toLower(), bundleID.toLower(), fileName.toLower()};
}

QJsonObject AppItem::toJson() const
{
    return QJsonObject{
        {QStringLiteral("bundleID"), bundleID},
        {QStringLiteral("name"), name},
        {QStringLiteral("path"), path},
        {QStringLiteral("isSystemApp"), isSystemApp},
    };
}

std::optional<AppItem> AppItem::fromJson(const QJsonObject &object)
{
    const QJsonValue bundleID = object.value(QStringLiteral("bundleID"));
    const QJsonValue name = object.value(QStringLiteral("name"));
    const QJsonValue path = object.value(QStringLiteral("path"));
    const QJsonValue system = object.value(QStringLiteral("isSystemApp"));
    if (!bundleID.isString() || !name.isString() || !path.isString() || !system.isBool())
        return std::nullopt;
    return AppItem(bundleID.toString(), name.toString(), path.toString(), system.toBool());
}

size_t qHash(const AppItem &item, size_t seed)
{
    return qHashMulti(seed, item.bundleID, item.name, item.path, item.isSystemApp);
}

QString displayName(const AppItem &app, const QHash<QString, QString> &overrides)
{
    const QString byID = overrides.value(app.stableID());
    if (!byID.isEmpty())
        return byID;
    // An application without a path must not pick up a name stored under "".
    if (!app.path.isEmpty()) {
        const QString byPath = overrides.value(app.path);
        if (!byPath.isEmpty())
            return byPath;
    }
    return app.name;
}
