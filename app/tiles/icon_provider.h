#pragma once

#include "model/app_item.h"
#include "tiles/icon_disk_cache.h"

#include <QCache>
#include <QHash>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class QThreadPool;

// The one icon loader and cache of the process. Icons are read one at a time
// on a private worker thread and handed back on the main thread; a key (the
// bundle path) is loaded once and stays cached until it is the least recently
// used of more than maximumCachedIcons, when it makes room and loads again
// on its next request. Everything public is called on the main thread.
class IconProvider : public QObject
{
    Q_OBJECT

public:
    // Reads and decodes the icon of the bundle at a path; a null image when
    // the bundle has none. Runs on the worker thread (and, for folder
    // previews, on the main thread), so it must be thread-safe.
    using Loader = std::function<QImage(const QString &bundlePath)>;

    // Pixel side of loaded icons: large enough for a tile at scale 2.
    static constexpr int iconPixelSide = 256;
    // Icons kept at most: many pages' worth, while the memory of a very large
    // collection stays bounded.
    static constexpr int maximumCachedIcons = 512;

    // Bundles' own icons, with no disk cache.
    IconProvider();
    // Icons stored at the size drawn in `diskCache` (when given) and read
    // back from it while their bundles are unchanged.
    explicit IconProvider(Loader loader, std::shared_ptr<IconDiskCache> diskCache = nullptr);
    ~IconProvider() override;

    IconProvider(const IconProvider &) = delete;
    IconProvider &operator=(const IconProvider &) = delete;

    // Resolves an application identifier for folderPreview().
    std::function<std::optional<AppItem>(const QString &id)> onDemandApp;

    // The largest pixel side icons are drawn at (at most iconPixelSide): icons
    // are cached no larger, since a cache of full-size icons costs many times
    // the pixels ever drawn. A larger side than before drops the cached icons
    // that are now too small; they load again from their bundles.
    void setPixelSide(int side);
    int pixelSide() const { return m_pixelSide; }

    // The cached icon, or nothing; in that case a load starts unless one is
    // already on its way for the same bundle path.
    std::optional<QImage> icon(const AppItem &app);
    // The cached icon, or nothing. Starts nothing.
    std::optional<QImage> cachedIcon(const AppItem &app) const;
    // The cached icon, or else the icon read here and now, on the calling
    // (main) thread, and cached: for the one picture that cannot wait for the
    // worker. The generic application icon when the bundle has none.
    QImage iconNow(const AppItem &app);
    // Number of bundle paths whose load is queued or running.
    int pendingCount() const;

    // Drops the decoded icons of every bundle path not in `keep` (loads on
    // their way are kept): the grid keeps the pages near the one shown, and
    // the others come back from the disk cache when they are shown again.
    void retainOnly(const QSet<QString> &keep);
    // Bundle paths whose icon is decoded in memory now.
    QStringList cachedPaths() const { return m_cache.keys(); }
    IconDiskCache *diskCache() const { return m_diskCache.get(); }

    // A square mosaic, three by three, of the first nine applications' icons,
    // side points across (pixels = side x scale; the image's device pixel
    // ratio is scale). Icons not cached yet are read here, once, and cached.
    QImage folderPreview(const QStringList &ids, double side, double scale = 1.0);

    // The files an icon of the bundle is read from: its Info.plist and the
    // icon file it names (when there is one). Thread-safe.
    static QStringList iconSourceFiles(const QString &bundlePath);
    // The bundle's own icon: Contents/Info.plist CFBundleIconFile (".icns"
    // added when it names no extension) in Contents/Resources, decoded and
    // scaled to iconPixelSide. A null image when there is none or it cannot
    // be decoded. Thread-safe.
    static QImage loadBundleIcon(const QString &bundlePath);
    // The generic application icon drawn by hand, for bundles without one.
    static QImage genericAppIcon(int pixelSide = iconPixelSide);

signals:
    // On the main thread with an application's stableID once its icon is in
    // the cache; every application that asked while the load ran is told.
    void loaded(const QString &stableID);

private:
    struct Pending
    {
        QStringList waiting; // stableIDs to tell, in request order
    };

    static QString key(const AppItem &app) { return app.path; }
    // The icon at `side` pixels: from the disk cache when it holds the
    // bundle unchanged, else read from the bundle (and stored there).
    static QImage read(const Loader &loader, IconDiskCache *diskCache, const QString &path, int side);
    QImage readNow(const QString &path) const;
    void deliver(const QString &key, const QImage &image);

    static QImage fitted(QImage image, int side);

    Loader m_loader;
    std::shared_ptr<IconDiskCache> m_diskCache;
    int m_pixelSide = iconPixelSide;
    QCache<QString, QImage> m_cache{maximumCachedIcons}; // cost 1 per icon
    QHash<QString, Pending> m_pending;
    std::unique_ptr<QThreadPool> m_queue;
};
