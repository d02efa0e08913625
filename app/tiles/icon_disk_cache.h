#pragma once

#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <optional>

// Icons at the size the grid draws them, kept on disk between runs so that a
// start decodes a few kilobytes per tile instead of a bundle's full-size
// icon. One file per bundle and pixel side, named by a hash of the bundle
// path; inside, the bundle path, the side, and the path, modification time
// and size of every file the icon was read from (the bundle's Info.plist and
// its icon file). An entry is used only while all of those still match, and
// a bundle that changed overwrites its own entry.
//
// Thread-safe: entries are replaced atomically, so a reader never sees half
// a file. A corrupt entry is named in one log line and read again from its
// bundle; a directory that cannot be written is named once and the cache
// then only reads.
class IconDiskCache
{
public:
    explicit IconDiskCache(QString directory);

    // $XDG_CACHE_HOME/Tessellon/icons (~/.cache when the variable is unset).
    static QString defaultDirectory();

    QString directory() const { return m_directory; }
    // The entry's file for a bundle path and pixel side.
    QString fileFor(const QString &bundlePath, int pixelSide) const;

    // What is known of a file an icon is read from.
    struct Stamp
    {
        QString path;
        qint64 modified = -1; // ms since the epoch; -1: no such file
        qint64 size = -1;
        bool operator==(const Stamp &) const = default;
    };
    // Taken before the files are read, so that a file changing during the
    // read leaves an entry that no longer matches rather than a stale one
    // that does.
    static QList<Stamp> stamps(const QStringList &paths);

    // The icon stored for the bundle at this pixel side, when every file it
    // was read from is unchanged; nothing otherwise.
    std::optional<QImage> read(const QString &bundlePath, int pixelSide) const;
    // Stores an icon read from the files of `sources` (a missing file is
    // recorded as missing and must stay so). Failures are logged once.
    void write(const QString &bundlePath, int pixelSide, const QImage &image, const QList<Stamp> &sources);

private:
    static Stamp stamp(const QString &path);

    QString m_directory;
    std::atomic<bool> m_writeFailed{false};
};
