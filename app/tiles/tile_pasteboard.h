#pragma once

#include "model/app_item.h"
#include "model/layout_entry.h"

#include <QString>
#include <QUrl>

#include <memory>
#include <optional>

class QMimeData;

// The private drag-and-drop format of tiles. A dragged tile carries one item:
// the entry's identifier as UTF-8 text under tessellonTile() and, for an
// application whose bundle path is known, the bundle's file URL (text/uri-list)
// so that targets outside the application receive the application itself.
class TilePasteboard
{
public:
    TilePasteboard() = delete;

    // "app.tessellon.tile".
    static const QString &tessellonTile();

    // The identifier, plus the file URL when `appPath` is an absolute path.
    static std::unique_ptr<QMimeData> makeMimeData(const QString &entryID, const QString &appPath = QString());
    // A folder entry never carries a file URL; an application entry carries
    // its application's when `app` is given.
    static std::unique_ptr<QMimeData> makeMimeData(const LayoutEntry &entry, const std::optional<AppItem> &app);

    // The identifier of a dragged tile; nothing when the data is not one of
    // our tiles (no tessellonTile representation, or an empty one).
    static std::optional<QString> entryID(const QMimeData *data);
    // The first file URL of the data, if any.
    static std::optional<QUrl> fileURL(const QMimeData *data);
};
