#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

#include <sys/types.h>

// File operations shared by the stores that keep the user's data on disk:
// whole-file reads, atomic replacement and setting an unreadable file aside
// so that it is never overwritten.
class StoredFile
{
public:
    enum class Status { ok, missing, unreadable };

    // Which file, in which version: a replaced or rewritten file differs.
    struct Identity
    {
        quint64 device = 0;
        quint64 inode = 0;
        qint64 size = 0;
        qint64 modifiedNs = 0;
        friend bool operator==(const Identity &, const Identity &) = default;
    };

    struct Contents
    {
        Status status = Status::missing;
        QByteArray bytes;
        QString error;
        // Of the file that was read, taken from the open file itself.
        std::optional<Identity> identity;
    };

    // How the bytes of a save reach the disk. Each call answers what its POSIX
    // namesake does (-1 with errno set on failure), so that a test can make any
    // step fail as a full disk or a failing device would.
    struct Writer
    {
        std::function<ssize_t(int fd, const char *data, size_t size)> write;
        std::function<int(int fd)> sync;
        std::function<int(int fd)> close;

        static Writer system();
    };

    // State files are small; anything larger is not read.
    static constexpr qint64 kMaxReadBytes = qint64(32) * 1024 * 1024;

    StoredFile() = delete;

    // Only a regular file (symbolic links followed) of at most `maxBytes` is
    // read: a FIFO, a device or a directory is unreadable, never waited on.
    static Contents read(const QString &path, qint64 maxBytes = kMaxReadBytes);
    // The identity of the file at `path` now; none when there is none.
    static std::optional<Identity> identity(const QString &path);

    // Creates the parent directories, writes to a temporary file beside `path`,
    // flushes it to the disk and renames it over `path`, so a reader sees the
    // old or the new content. A failed write, sync or close (a full disk)
    // removes the temporary file and leaves `path` untouched; `error` says why.
    static bool writeAtomically(const QString &path, const QByteArray &bytes, QString *error = nullptr,
                                const Writer &writer = Writer::system());

    // Removes from `directory` what an interrupted writeAtomically() of a file
    // named in `fileNames` left there (a kill or a power cut between the write
    // and the rename): regular files named exactly as it names its temporary
    // files, ".<name>." and six letters or digits. Nothing else is touched: no
    // other name, no link, no folder. Returns the paths removed.
    static QStringList removeLeftoverTemporaries(const QString &directory, const QStringList &fileNames);

    // Renames `path` to "<name>.corrupt-<UTC yyyyMMdd-HHmmss>" beside it,
    // adding "-2", "-3", ... rather than replacing an earlier backup. Returns
    // the backup's path, or an empty text when the file could not be moved.
    static QString setAside(const QString &path, const QDateTime &now = QDateTime::currentDateTimeUtc());
    // The same name, but `bytes` (the file as read) are written there and the
    // file itself stays: for a file that was read in part and stays in use.
    static QString keepCopy(const QString &path, const QByteArray &bytes,
                            const QDateTime &now = QDateTime::currentDateTimeUtc());
};
