#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The exchange value every layout import produces: pages of application and
// folder entries named by bundle identifier.

struct LaunchpadFolder
{
    QString id;
    QString name;
    QStringList bundleIDs;

    QJsonObject toJson() const;
    static std::optional<LaunchpadFolder> fromJson(const QJsonValue &value);

    friend bool operator==(const LaunchpadFolder &, const LaunchpadFolder &) = default;
};

struct LaunchpadEntry
{
    std::optional<QString> bundleID;
    std::optional<LaunchpadFolder> folder;

    static LaunchpadEntry app(const QString &bundleID) { return LaunchpadEntry{bundleID, std::nullopt}; }
    static LaunchpadEntry makeFolder(const LaunchpadFolder &folder) { return LaunchpadEntry{std::nullopt, folder}; }
    bool isFolder() const { return folder.has_value(); }

    QJsonObject toJson() const;
    static std::optional<LaunchpadEntry> fromJson(const QJsonValue &value);

    friend bool operator==(const LaunchpadEntry &, const LaunchpadEntry &) = default;
};

struct LaunchpadPage
{
    QList<LaunchpadEntry> entries;

    QJsonObject toJson() const;
    static std::optional<LaunchpadPage> fromJson(const QJsonValue &value);

    friend bool operator==(const LaunchpadPage &, const LaunchpadPage &) = default;
};

struct LaunchpadLayout
{
    QList<LaunchpadPage> pages;

    static LaunchpadLayout empty() { return LaunchpadLayout{}; }

    // True when no page holds an entry (also with no pages at all).
    bool isEmpty() const;
    int folderCount() const;
    QStringList folderNames() const;
    // Every application identifier in layout order, each once. An entry's own
    // bundleID hides a folder on the same entry.
    QStringList allBundleIDs() const;
    // Applications counted with duplicates: 1 per bundleID plus folder members.
    int appCount() const;

    QJsonObject toJson() const;
    static std::optional<LaunchpadLayout> fromJson(const QJsonValue &value);

    friend bool operator==(const LaunchpadLayout &, const LaunchpadLayout &) = default;
};
