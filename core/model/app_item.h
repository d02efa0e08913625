#pragma once

#include <QHash>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

// One installed application as a scan or the import catalog found it. Every
// other part refers to it by stableID().
struct AppItem
{
    QString bundleID;
    QString name;
    QString path;
    bool isSystemApp = false;

    AppItem() = default;
    AppItem(QString bundleID, QString name, QString path, bool isSystemApp = false)
        : bundleID(std::move(bundleID)), name(std::move(name)), path(std::move(path)), isSystemApp(isSystemApp)
    {
    }

    // The bundle identifier, or the path when the bundle declares none.
    QString stableID() const { return bundleID.isEmpty() ? path : bundleID; }
    QString id() const { return stableID(); }
    QUrl url() const { return QUrl::fromLocalFile(path); }
    // name, bundleID and the bundle file name without any ".app", all lowercased.
    QStringList searchTerms() const;

    QJsonObject toJson() const;
    // All four keys are required.
    static std::optional<AppItem> fromJson(const QJsonObject &object);

    friend bool operator==(const AppItem &, const AppItem &) = default;
};

size_t qHash(const AppItem &item, size_t seed = 0);

// The name to show: the user's rename under the stable identifier, else under
// the path, else the scanned name. Empty overrides count as absent.
QString displayName(const AppItem &app, const QHash<QString, QString> &overrides);
