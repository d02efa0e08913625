#include "tiles/tile_pasteboard.h"

#include <QDir>
#include <QDrag>
#include <QMimeData>

Qt::DropAction TilePasteboard::runSystemDrag(QDrag &drag, Qt::DropActions offered, Qt::DropAction proposed)
{
    return drag.exec(offered, proposed);
}

const QString &TilePasteboard::tessellonTile()
{
    static const QString type = QStringLiteral("app.tessellon.tile");
    return type;
}

std::unique_ptr<QMimeData> TilePasteboard::makeMimeData(const QString &entryID, const QString &appPath)
{
    auto data = std::make_unique<QMimeData>();
    data->setData(tessellonTile(), entryID.toUtf8());
    // A relative path has no meaning to another process: leave the URL out.
    if (!appPath.isEmpty() && QDir::isAbsolutePath(appPath))
        data->setUrls({QUrl::fromLocalFile(appPath)});
    return data;
}

std::unique_ptr<QMimeData> TilePasteboard::makeMimeData(const LayoutEntry &entry, const std::optional<AppItem> &app)
{
    const bool withURL = !entry.isFolder() && app.has_value();
    return makeMimeData(entry.id, withURL ? app->path : QString());
}

std::optional<QString> TilePasteboard::entryID(const QMimeData *data)
{
    if (!data || !data->hasFormat(tessellonTile()))
        return std::nullopt;
    const QString id = QString::fromUtf8(data->data(tessellonTile()));
    if (id.isEmpty())
        return std::nullopt;
    return id;
}

std::optional<QUrl> TilePasteboard::fileURL(const QMimeData *data)
{
    if (!data || !data->hasUrls())
        return std::nullopt;
    for (const QUrl &url : data->urls()) {
        if (url.isLocalFile())
            return url;
    }
    return std::nullopt;
}
