#pragma once

#include "model/app_item.h"
#include "model/layout_entry.h"

#include <QString>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

class QDrag;
class QMimeData;

// The private drag-and-drop format of tiles. A dragged tile carries one item:
// the entry's identifier as UTF-8 text under tessellonTile() and, for an
// application whose bundle path is known, the bundle's file URL (text/uri-list)
// so that targets outside the application receive the application itself.
class TilePasteboard
{
public:
    TilePasteboard() = delete;

    // What every tile drag offers whoever drops it, inside the launcher or in
    // another application: a link to the application, never a move or a copy,
    // so that a file manager that takes it cannot carry the bundle out of its
    // folder.
    static constexpr Qt::DropActions offeredActions = Qt::LinkAction;
    static constexpr Qt::DropAction proposedAction = Qt::LinkAction;

    // Runs a started system drag with what it offers and proposes, and
    // answers what the drop did. The real one is QDrag::exec.
    using DragRunner = std::function<Qt::DropAction(QDrag &drag, Qt::DropActions offered, Qt::DropAction proposed)>;
    static Qt::DropAction runSystemDrag(QDrag &drag, Qt::DropActions offered, Qt::DropAction proposed);

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
