#pragma once

#include "launcher_layout.h"
#include "stored_file.h"

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <optional>

// Keeps the user's arrangement ("layout.json") and pinned list ("pinned.json")
// in the state directory, which is fixed when the store is made and created on
// the first save. Nothing is cached: every load reads the disk, every save
// writes the whole file atomically.
//
// A file that exists but cannot be decoded is logged, moved aside beside it as
// "<name>.corrupt-<time>" and the load answers the empty value; a save never
// replaces such a file before it has been moved aside. A file read only in part
// (some entries of the wrong kind) keeps every readable entry; the unreadable
// ones are logged and dropped, and the original is copied aside. A file that
// cannot be read at all (no permission, not a regular file) is not corrupt: it
// is logged, kept in place, and never saved over by this store.
class LayoutStore
{
public:
    // An absent or empty directory takes resolveDirectory().
    explicit LayoutStore(const std::optional<QString> &directory = std::nullopt);

    // The first of: the value after the first "--state-dir" in `arguments`
    // (when there is one and it is not empty), "APP_STATE_DIR" when set and not
    // empty, $XDG_DATA_HOME/Tessellon. Relative paths are made absolute
    // against the current directory. Creates nothing.
    static QString resolveDirectory(const QStringList &arguments, const QProcessEnvironment &environment);
    // The same for this process's command line and environment.
    static QString resolveDirectory();

    QString directory() const { return m_directory; }
    // The layout file's path.
    QString fileURL() const;
    QString pinnedFileURL() const;

    // The layout exactly as stored (possibly with no page); the empty layout
    // when the file is missing or cannot be decoded.
    LauncherLayout load() const;
    // False, with a "[Tessellon] 布局保存失败: <file>: <reason>" log line, when
    // it could not be written.
    bool save(const LauncherLayout &layout) const;

    // The pinned identifiers; empty when the file is missing or undecodable.
    QStringList loadPinned() const;
    // False, without a log line, when it could not be written.
    bool savePinned(const QStringList &pinned) const;

    // The file formats. Layout: pretty-printed, keys sorted at every level,
    // slashes plain, "hiddenIDs" sorted so that equal layouts give equal bytes.
    // Pinned: compact, every "/" written as "\/".
    static QByteArray encodeLayout(const LauncherLayout &layout);
    // Nothing only when the bytes are no JSON object. Otherwise entry by entry:
    // an entry, page, hidden mark, rename or source of the wrong kind (a
    // number for a text, NaN, a lone surrogate) is left out and named in
    // `dropped`, as is a missing member; everything else is kept. Unknown
    // members are ignored. A byte that is not part of well-formed UTF-8 is
    // read as U+FFFD, and named in `dropped`, rather than failing the file.
    static std::optional<LauncherLayout> decodeLayout(const QByteArray &bytes, QStringList *dropped = nullptr);
    static QByteArray encodePinned(const QStringList &pinned);
    // Nothing when the bytes are no JSON array; elements that are not text are
    // left out and named in `dropped`, as are bytes that are not UTF-8 (read
    // as U+FFFD).
    static std::optional<QStringList> decodePinned(const QByteArray &bytes, QStringList *dropped = nullptr);

    // Removes the temporary files that a save of this store's files (the
    // layout, the pinned list, the layout's backup) interrupted by a kill or a
    // power cut left in the state directory, each with one "[store]" line.
    // For start-up, before anything is saved: a save running at the same time
    // in another process on this directory would fail (logged) and keep the
    // file it was to replace.
    void removeLeftoverTemporaryFiles() const;

    // How saves reach the disk; tests replace it to fail a write.
    void setWriter(StoredFile::Writer writer) { m_writer = std::move(writer); }

private:
    QString m_directory;
    // The version of a file that this store last read intact or wrote, and
    // its bytes. A save skips re-checking a file it already knows to be good,
    // and writes nothing when that version holds the very bytes it would
    // write: a start that changes nothing costs no write and no sync.
    struct Known
    {
        std::optional<StoredFile::Identity> identity;
        QByteArray bytes;
    };
    mutable Known m_knownLayout;
    mutable Known m_knownPinned;
    // A file that could not be read at all is never saved over in this run.
    mutable bool m_layoutBlocked = false;
    mutable bool m_pinnedBlocked = false;
    StoredFile::Writer m_writer = StoredFile::Writer::system();
};
