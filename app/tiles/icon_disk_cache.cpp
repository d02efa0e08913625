#include "tiles/icon_disk_cache.h"

#include "foundation/log.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

constexpr quint32 kMagic = 0x54534943; // "TSIC"
constexpr quint16 kVersion = 1;
// An entry holds a small image; anything much larger is not one of ours.
constexpr qint64 kMaximumEntrySize = 4 * 1024 * 1024;
constexpr quint32 kMaximumSources = 16;

} // namespace

IconDiskCache::IconDiskCache(QString directory) : m_directory(std::move(directory)) {}

QString IconDiskCache::defaultDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + QStringLiteral("/Tessellon/icons");
}

QString IconDiskCache::fileFor(const QString &bundlePath, int pixelSide) const
{
    const QByteArray hash = QCryptographicHash::hash(bundlePath.toUtf8(), QCryptographicHash::Sha1).toHex();
    return m_directory + QLatin1Char('/') + QString::fromLatin1(hash) + QLatin1Char('-') + QString::number(pixelSide)
           + QStringLiteral(".icon");
}

IconDiskCache::Stamp IconDiskCache::stamp(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return Stamp{path, -1, -1};
    return Stamp{path, info.lastModified().toMSecsSinceEpoch(), info.size()};
}

QList<IconDiskCache::Stamp> IconDiskCache::stamps(const QStringList &paths)
{
    QList<Stamp> result;
    result.reserve(paths.size());
    for (const QString &path : paths)
        result.append(stamp(path));
    return result;
}

std::optional<QImage> IconDiskCache::read(const QString &bundlePath, int pixelSide) const
{
    const QString path = fileFor(bundlePath, pixelSide);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt; // not cached yet
    const auto corrupt = [&path] {
        Log::write("[icons] unreadable icon cache file=%@; read again from its bundle", path);
        return std::nullopt;
    };
    if (file.size() > kMaximumEntrySize)
        return corrupt();
    QDataStream in(&file);
    in.setVersion(QDataStream::Qt_6_0);
    quint32 magic = 0;
    quint16 version = 0;
    in >> magic >> version;
    if (in.status() != QDataStream::Ok || magic != kMagic)
        return corrupt();
    if (version != kVersion)
        return std::nullopt; // another version's entry: replaced on the next write
    QString storedPath;
    qint32 storedSide = 0;
    quint32 count = 0;
    in >> storedPath >> storedSide >> count;
    if (in.status() != QDataStream::Ok || count > kMaximumSources)
        return corrupt();
    // Another bundle with the same hash, or another side: not this entry.
    if (storedPath != bundlePath || storedSide != pixelSide)
        return std::nullopt;
    bool current = true;
    for (quint32 i = 0; i < count; ++i) {
        Stamp stored;
        in >> stored.path >> stored.modified >> stored.size;
        if (in.status() != QDataStream::Ok)
            return corrupt();
        if (current && stamp(stored.path) != stored)
            current = false;
    }
    if (!current)
        return std::nullopt;
    QImage image;
    in >> image;
    if (in.status() != QDataStream::Ok || image.isNull())
        return corrupt();
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

void IconDiskCache::write(const QString &bundlePath, int pixelSide, const QImage &image, const QList<Stamp> &sources)
{
    if (image.isNull() || m_writeFailed.load())
        return;
    const QString path = fileFor(bundlePath, pixelSide);
    const auto failed = [this, &path](const QString &error) {
        // Once: every further entry would fail the same way.
        if (!m_writeFailed.exchange(true))
            Log::write("[icons] cannot write icon cache file=%@ error=%@; icons are read from their bundles", path,
                       error);
    };
    if (!QDir().mkpath(m_directory))
        return failed(QStringLiteral("cannot create the directory"));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return failed(file.errorString());
    QDataStream out(&file);
    out.setVersion(QDataStream::Qt_6_0);
    out << kMagic << kVersion << bundlePath << qint32(pixelSide) << quint32(sources.size());
    for (const Stamp &s : sources)
        out << s.path << s.modified << s.size;
    out << image;
    if (out.status() != QDataStream::Ok || !file.commit())
        failed(file.errorString());
}
