#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

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

    StoredFile() = delete;

    static Contents read(const QString &path);
    // The identity of the file at `path` now; none when there is none.
    static std::optional<Identity> identity(const QString &path);

    // Creates the parent directories, writes to a temporary file beside `path`
    // and renames it over `path`, so a reader sees the old or the new content.
    // On failure `error` describes it and `path` is untouched.
    static bool writeAtomically(const QString &path, const QByteArray &bytes, QString *error = nullptr);

    // Renames `path` to "<name>.corrupt-<UTC yyyyMMdd-HHmmss>" beside it,
    // adding "-2", "-3", ... rather than replacing an earlier backup. Returns
    // the backup's path, or an empty text when the file could not be moved.
    static QString setAside(const QString &path, const QDateTime &now = QDateTime::currentDateTimeUtc());
};
