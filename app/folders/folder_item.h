#pragma once

#include <QImage>
#include <QString>

#include <optional>

// One member of an open folder: the application's stable identifier (without
// "app:"), the name shown under its icon and the icon once it is known.
struct FolderItem
{
    QString id;
    QString title;
    std::optional<QImage> icon;
};
