#pragma once

#include <QString>
#include <QStringList>

// A named, ordered group of applications shown as one tile. Members are
// applications' stable identifiers in display order.
struct LayoutFolder
{
    QString id;
    QString name;
    QStringList bundleIDs;

    LayoutFolder() = default;
    LayoutFolder(QString id, QString name, QStringList bundleIDs)
        : id(std::move(id)), name(std::move(name)), bundleIDs(std::move(bundleIDs))
    {
    }
    // A fresh upper-case UUID and the localized default name ("Folder").
    explicit LayoutFolder(QStringList bundleIDs);

    static QString newIdentifier();
    static QString defaultName();

    friend bool operator==(const LayoutFolder &, const LayoutFolder &) = default;
};
