#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

// One file or folder under the user's Library folder that the residue scan
// attributed to applications about to be uninstalled. A plain value: the
// scanner standardizes the path and sorts the owners before it builds one.
struct UninstallResidue
{
    // In the order residue lists are sorted and shown.
    enum class Kind {
        preferences,
        applicationSupport,
        caches,
        containers,
        groupContainers,
        savedState,
        logs,
        webData,
        launchAgent,
        receipts,
        other,
    };

    QString path;
    Kind kind = Kind::other;
    // The stableID of every application the entry belongs to.
    QStringList owners;

    UninstallResidue() = default;
    UninstallResidue(QString path, Kind kind, QStringList owners)
        : path(std::move(path)), kind(kind), owners(std::move(owners))
    {
    }

    QString id() const { return path; }
    QUrl url() const { return QUrl::fromLocalFile(path); }
    // The path with the (standardized) home directory shown as "~".
    QString displayPath(const QString &homeDirectory) const;

    static const QList<Kind> &allKinds();
    static QString rawValue(Kind kind);
    // Exact, case-sensitive.
    static std::optional<Kind> kindFromRawValue(const QString &raw);
    // The category's text in the current interface language, looked up anew.
    static QString label(Kind kind);

    friend bool operator==(const UninstallResidue &, const UninstallResidue &) = default;
};

size_t qHash(const UninstallResidue &residue, size_t seed = 0);
