#pragma once

#include "layout_folder.h"

#include <QString>

#include <optional>

// One grid slot: an application ("app:" + stable identifier) or a folder
// ("folder:" + folder identifier). The id is fixed when the entry is made.
struct LayoutEntry
{
    QString id;
    std::optional<QString> appID;
    std::optional<LayoutFolder> folder;

    LayoutEntry() = default;
    explicit LayoutEntry(QString id, std::optional<QString> appID = std::nullopt,
                         std::optional<LayoutFolder> folder = std::nullopt)
        : id(std::move(id)), appID(std::move(appID)), folder(std::move(folder))
    {
    }

    static LayoutEntry app(const QString &stableID);
    static LayoutEntry makeFolder(const LayoutFolder &folder);

    bool isFolder() const { return folder.has_value(); }
    // Folder name, else appID, else id. No user rename is applied here.
    QString title() const;

    friend bool operator==(const LayoutEntry &, const LayoutEntry &) = default;
};
