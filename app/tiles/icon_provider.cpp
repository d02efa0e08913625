#include "tiles/icon_provider.h"

#include "foundation/log.h"
#include "foundation/property_list.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QThreadPool>

#include <malloc.h>

#include <algorithm>
#include <cmath>

namespace {

// Real icon files stay well below this; anything larger is not read whole.
constexpr qint64 maximumIconFileSize = 32 * 1024 * 1024;

// Whether a frame `side` pixels across suits better than the best so far:
// the smallest at least `target` across, else the largest.
bool betterSide(int side, int bestSide, int target)
{
    return bestSide == 0 || (bestSide < target && side > bestSide) || (side >= target && side < bestSide);
}

// Picks the frame of a multi-size file (an .icns holds several) that is the
// smallest at least `target` pixels across, else the largest, without
// decoding the others when the reader can tell their sizes up front.
QImage readBestFrame(QImageReader &reader, int target)
{
    const int count = reader.imageCount();
    if (count > 1) {
        int best = -1;
        int bestSide = 0;
        for (int i = 0; i < count; ++i) {
            if (!reader.jumpToImage(i))
                break;
            const QSize size = reader.size();
            if (!size.isValid()) {
                best = -1;
                break;
            }
            const int side = std::max(size.width(), size.height());
            if (best < 0 || betterSide(side, bestSide, target)) {
                best = i;
                bestSide = side;
            }
        }
        if (best >= 0 && reader.jumpToImage(best))
            return reader.read();
        // Sizes unknown until decoded: decode every frame and keep the best.
        QImage chosen;
        for (int i = 0; i < count; ++i) {
            if (!reader.jumpToImage(i))
                break;
            const QImage frame = reader.read();
            if (frame.isNull())
                continue;
            const int side = std::max(frame.width(), frame.height());
            const int chosenSide = chosen.isNull() ? 0 : std::max(chosen.width(), chosen.height());
            if (betterSide(side, chosenSide, target))
                chosen = frame;
        }
        if (!chosen.isNull())
            return chosen;
    }
    return reader.read();
}

quint32 bigEndian32(const char *bytes)
{
    const auto *u = reinterpret_cast<const uchar *>(bytes);
    return (quint32(u[0]) << 24) | (quint32(u[1]) << 16) | (quint32(u[2]) << 8) | quint32(u[3]);
}

// Modern .icns entries hold plain PNG files whose size the PNG header tells,
// so the right one is decoded alone (Qt's reader cannot report a frame's size
// without decoding it). Nothing when the file has no usable PNG entry.
QImage readIcnsPng(const QByteArray &bytes, int target)
{
    static const QByteArray pngSignature("\x89PNG\r\n\x1a\n", 8);
    if (bytes.size() < 8 || !bytes.startsWith("icns"))
        return {};
    const qsizetype end = std::min<qsizetype>(bytes.size(), bigEndian32(bytes.constData() + 4));
    QByteArrayView best;
    int bestSide = 0;
    for (qsizetype pos = 8; pos + 8 <= end;) {
        const qsizetype length = bigEndian32(bytes.constData() + pos + 4);
        if (length < 8 || length > end - pos)
            break;
        const QByteArrayView data(bytes.constData() + pos + 8, length - 8);
        if (data.size() >= 24 && data.startsWith(pngSignature)) {
            const int side = int(std::max(bigEndian32(data.data() + 16), bigEndian32(data.data() + 20)));
            if (side > 0 && betterSide(side, bestSide, target)) {
                best = data;
                bestSide = side;
            }
        }
        pos += length;
    }
    if (best.isEmpty())
        return {};
    return QImage::fromData(best, "PNG");
}

QString iconFileIn(const QString &resources, const QString &named)
{
    QStringList candidates;
    if (QFileInfo(named).suffix().isEmpty())
        candidates << named + QStringLiteral(".icns") << named + QStringLiteral(".png");
    else
        candidates << named;
    for (const QString &name : candidates) {
        const QString path = resources + QLatin1Char('/') + name;
        if (QFileInfo(path).isFile())
            return path;
    }
    return {};
}

} // namespace

IconProvider::IconProvider()
    : IconProvider(Loader(&IconProvider::loadBundleIcon))
{
}

IconProvider::IconProvider(Loader loader, std::shared_ptr<IconDiskCache> diskCache)
    : m_loader(std::move(loader)), m_diskCache(std::move(diskCache)), m_queue(std::make_unique<QThreadPool>())
{
    // One worker: loads run one at a time, in request order.
    m_queue->setMaxThreadCount(1);
    m_queue->setObjectName(QStringLiteral("app.tessellon.icons"));
}

IconProvider::~IconProvider()
{
    // Loads not started are dropped; the running one finishes, and its
    // delivery, posted to this object, dies with it.
    m_queue->clear();
    m_queue->waitForDone();
}

std::optional<QImage> IconProvider::icon(const AppItem &app)
{
    const QString k = key(app);
    if (const QImage *cached = m_cache.object(k))
        return *cached;

    const QString id = app.stableID();
    if (auto pending = m_pending.find(k); pending != m_pending.end()) {
        // Same bundle, maybe another application: it is told too when the
        // one load arrives.
        if (!pending->waiting.contains(id))
            pending->waiting.append(id);
        return std::nullopt;
    }

    m_pending.insert(k, Pending{QStringList{id}});
    const Loader loader = m_loader;
    const std::shared_ptr<IconDiskCache> diskCache = m_diskCache;
    const int side = m_pixelSide;
    // The destructor waits for the running load, so `this` outlives the job;
    // a delivery still queued when the provider dies is dropped with it.
    m_queue->start([this, loader, diskCache, k, side] {
        const QImage image = read(loader, diskCache.get(), k, side);
        QMetaObject::invokeMethod(this, [this, k, image] { deliver(k, image); }, Qt::QueuedConnection);
    });
    return std::nullopt;
}

std::optional<QImage> IconProvider::cachedIcon(const AppItem &app) const
{
    if (const QImage *cached = m_cache.object(key(app)))
        return *cached;
    return std::nullopt;
}

QImage IconProvider::iconNow(const AppItem &app)
{
    if (std::optional<QImage> cached = cachedIcon(app))
        return *cached;
    // Cached, so that it is not read again when the worker's turn comes.
    const QImage read = readNow(key(app));
    m_cache.insert(key(app), new QImage(read));
    return read;
}

int IconProvider::pendingCount() const
{
    return int(m_pending.size());
}

void IconProvider::deliver(const QString &k, const QImage &image)
{
    QStringList waiting;
    if (auto pending = m_pending.find(k); pending != m_pending.end()) {
        waiting = pending->waiting;
        m_pending.erase(pending);
    }
    // A folder preview may have read and cached this bundle meanwhile; the
    // entry stays as it is.
    if (!m_cache.contains(k))
        m_cache.insert(k, new QImage(image));

    // The last load of a burst: the decoders' large buffers (a 512 px icon
    // takes a megabyte while it is read) were freed on the worker thread,
    // whose malloc arena keeps them unless asked to give them back.
    if (m_pending.isEmpty())
        malloc_trim(0);

    const QPointer<IconProvider> self(this);
    for (const QString &id : std::as_const(waiting)) {
        if (!self)
            return;
        emit loaded(id);
    }
}

QImage IconProvider::read(const Loader &loader, IconDiskCache *diskCache, const QString &path, int side)
{
    if (diskCache) {
        if (std::optional<QImage> stored = diskCache->read(path, side))
            return *stored;
    }
    // Stamped before the read: a file changing meanwhile leaves an entry
    // that no longer matches.
    const QList<IconDiskCache::Stamp> sources =
        diskCache ? IconDiskCache::stamps(iconSourceFiles(path)) : QList<IconDiskCache::Stamp>();
    QImage image = loader ? loader(path) : QImage();
    // A bundle without an icon of its own is not stored: the generic icon is
    // drawn in no time, and the bundle may gain one.
    if (image.isNull())
        return fitted(genericAppIcon(), side);
    image = fitted(std::move(image), side);
    if (diskCache)
        diskCache->write(path, side, image, sources);
    return image;
}

QImage IconProvider::readNow(const QString &path) const
{
    return read(m_loader, m_diskCache.get(), path, m_pixelSide);
}

void IconProvider::retainOnly(const QSet<QString> &keep)
{
    const QList<QString> keys = m_cache.keys();
    for (const QString &k : keys) {
        if (!keep.contains(k))
            m_cache.remove(k);
    }
}

void IconProvider::setPixelSide(int side)
{
    side = std::clamp(side, 1, int(iconPixelSide));
    if (side == m_pixelSide)
        return;
    const bool larger = side > m_pixelSide;
    m_pixelSide = side;
    const QList<QString> keys = m_cache.keys();
    for (const QString &k : keys) {
        QImage *cached = m_cache.object(k);
        if (larger && std::max(cached->width(), cached->height()) < side)
            m_cache.remove(k);
        else if (!larger)
            *cached = fitted(*cached, side);
    }
}

// Scaled down (never up) to fit `side` pixels, the aspect kept.
QImage IconProvider::fitted(QImage image, int side)
{
    if (image.isNull() || (image.width() <= side && image.height() <= side))
        return image;
    QImage scaled = image.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return scaled.isNull() ? image : scaled;
}

QImage IconProvider::folderPreview(const QStringList &ids, double side, double scale)
{
    if (!std::isfinite(side) || side <= 0)
        return {};
    if (!std::isfinite(scale) || scale <= 0)
        scale = 1;
    const int pixels = std::max(1, int(std::lround(side * scale)));
    QImage mosaic(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    mosaic.fill(Qt::transparent);
    mosaic.setDevicePixelRatio(scale);

    const double pad = 0.05 * side;
    const double gap = 0.04 * side;
    const double cell = (side - 2 * pad - 2 * gap) / 3;

    QPainter painter(&mosaic);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::Antialiasing);
    const int shown = std::min<qsizetype>(9, ids.size());
    for (int i = 0; i < shown; ++i) {
        if (!onDemandApp)
            continue;
        const std::optional<AppItem> app = onDemandApp(ids.at(i));
        if (!app)
            continue;
        std::optional<QImage> image = cachedIcon(*app);
        if (!image) {
            // The mosaic must come back finished, so a missing icon is read
            // here; it is cached so that the next preview (folder tiles are
            // redrawn on every icon arrival) does not read it again.
            const QImage read = readNow(key(*app));
            m_cache.insert(key(*app), new QImage(read));
            image = read;
        }
        const int column = i % 3;
        const int row = i / 3;
        const QRectF square(pad + column * (cell + gap), pad + row * (cell + gap), cell, cell);
        painter.drawImage(square, *image);
    }
    painter.end();
    return mosaic;
}

namespace {

// The icon file the bundle's Info.plist names, inside its Resources; empty
// when there is none. `logBadName` says a name that leaves Resources.
QString bundleIconFile(const QString &bundlePath, bool logBadName)
{
    const QString contents = bundlePath + QStringLiteral("/Contents");
    const std::optional<QVariant> info = PropertyList::parseFile(contents + QStringLiteral("/Info.plist"));
    if (!info)
        return {};
    const QString named = info->toMap().value(QStringLiteral("CFBundleIconFile")).toString().trimmed();
    if (named.isEmpty())
        return {};
    // The name is the bundle's word: it may only point inside Resources.
    if (named.split(QLatin1Char('/')).contains(QStringLiteral(".."))) {
        if (logBadName)
            Log::write("[icons] bad icon name path=%@ name=%@", bundlePath, named);
        return {};
    }
    return iconFileIn(contents + QStringLiteral("/Resources"), named);
}

} // namespace

QStringList IconProvider::iconSourceFiles(const QString &bundlePath)
{
    QStringList files{bundlePath + QStringLiteral("/Contents/Info.plist")};
    const QString icon = bundleIconFile(bundlePath, false);
    if (!icon.isEmpty())
        files.append(icon);
    return files;
}

QImage IconProvider::loadBundleIcon(const QString &bundlePath)
{
    const QString file = bundleIconFile(bundlePath, true);
    if (file.isEmpty())
        return {};

    QImage image;
    QFile input(file);
    if (input.size() <= maximumIconFileSize && input.open(QIODevice::ReadOnly))
        image = readIcnsPng(input.readAll(), iconPixelSide);
    QImageReader reader(file);
    reader.setDecideFormatFromContent(true);
    if (image.isNull())
        image = readBestFrame(reader, iconPixelSide);
    if (image.isNull()) {
        Log::write("[icons] unreadable icon file=%@ error=%@", file, reader.errorString());
        return {};
    }
    if (std::max(image.width(), image.height()) > iconPixelSide)
        image = image.scaled(iconPixelSide, iconPixelSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

namespace {

QImage drawGenericAppIcon(int side)
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    // A rounded plate with a soft vertical gradient, like a blank app icon...
    const double inset = side * 0.08;
    const QRectF plate(inset, inset, side - 2 * inset, side - 2 * inset);
    const double radius = plate.width() * 0.225;
    QLinearGradient fill(plate.topLeft(), plate.bottomLeft());
    fill.setColorAt(0, QColor(122, 137, 160));
    fill.setColorAt(1, QColor(78, 92, 114));
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(plate, radius, radius);

    // ...carrying a two-by-two grid of light tiles.
    const double tile = plate.width() * 0.22;
    const double spacing = plate.width() * 0.08;
    const double start = plate.center().x() - tile - spacing / 2;
    const double top = plate.center().y() - tile - spacing / 2;
    painter.setBrush(QColor(255, 255, 255, 220));
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < 2; ++column) {
            const QRectF square(start + column * (tile + spacing), top + row * (tile + spacing), tile, tile);
            painter.drawRoundedRect(square, tile * 0.22, tile * 0.22);
        }
    }
    painter.end();
    return image;
}

} // namespace

QImage IconProvider::genericAppIcon(int pixelSide)
{
    static const QImage standard = drawGenericAppIcon(iconPixelSide);
    if (pixelSide == iconPixelSide)
        return standard;
    return drawGenericAppIcon(std::max(1, pixelSide));
}
