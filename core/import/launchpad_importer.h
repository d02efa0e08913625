#pragma once

#include "launchpad_app_catalog.h"
#include "model/launchpad_layout.h"
#include "sql_runner.h"

#include <QByteArray>
#include <QChar>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>
#include <optional>

// Reads the system launcher's SQLite database, strictly read-only, through the
// system's sqlite3 tool (no SQLite library is linked) into the exchange layout
// and the application catalog. The queries go through the same SQL runner as
// every other store's, which reads a private copy of the database with its
// write-ahead log, so a database still open in WAL mode reads completely.
// Nothing here throws: an unreadable or malformed database gives an empty
// layout or catalog.
class LaunchpadImporter
{
public:
    LaunchpadImporter() = delete;

    // Runs a tool (no shell) and returns its standard output when it exited
    // with status 0 in time; nothing otherwise.
    using ToolRunner = std::function<std::optional<QByteArray>(const QString &executable, const QStringList &arguments)>;
    using PathTest = std::function<bool(const QString &path)>;
    using BookmarkResolver = std::function<std::optional<QString>(const QByteArray &bookmark)>;

    // Every effect on the world outside, each replaceable; system() gives the
    // real ones.
    struct Environment
    {
        ToolRunner run;                              // other tools (getconf)
        // Every query of the database, answering the tool's output as printed.
        std::function<std::optional<QByteArray>(const QString &database, const QString &sql)> query;
        PathTest isReadable;                         // a readable file at the path
        std::function<QString()> temporaryDirectory; // the process's temporary directory
        BookmarkResolver resolveBookmark;
        // Why a database at the path may not be read (see untrustedReason());
        // none to read it. Unset: every path is read.
        std::function<std::optional<QString>(const QString &path)> distrust;
        // Whether DARWIN_USER_DIR exists here; elsewhere getconf is never run.
        bool darwinPlatform = false;

        static Environment system();
    };

    // U+001F (unit separator): splits the fields of every sqlite3 output line.
    static const QString &separator();
    static QChar separatorCharacter() { return QChar(0x1F); }

    static const QString &rowsQuery();
    static const QString &query();
    static const QString &catalogQuery();

    static inline const QString kGetconfExecutable = QStringLiteral("/usr/bin/getconf");
    // A child still running after this is killed and its output discarded.
    static constexpr int kToolTimeoutMs = 5000;

    // The real runner: ChildProcess with the time limit above; logs one line
    // when the tool cannot be started or runs out of time.
    static std::optional<QByteArray> runTool(const QString &executable, const QStringList &arguments,
                                             int timeoutMs = kToolTimeoutMs);

    // Why the database at `path` may not be read, or none: the file and every
    // folder down to it must belong to this user or root and be writable by
    // nobody else (a root-owned sticky folder such as /tmp aside). The
    // candidates beside the temporary directory's parent are private where the
    // layout comes from, but on Linux that parent is often the shared /tmp.
    static std::optional<QString> untrustedReason(const QString &path);

    // The system launcher's candidate database paths, in probing order.
    static QStringList databaseCandidates(const std::optional<QString> &darwinUserDir,
                                          const QString &temporaryDirectory);
    // The temporary directory without its last component (no trailing slash).
    static QString temporaryParent(const QString &temporaryDirectory);

    static std::optional<QString> databasePath(const Environment &env = Environment::system());
    // Only where the platform has one (never a child process elsewhere).
    static std::optional<QString> darwinUserDirectory(const Environment &env = Environment::system());

    static LaunchpadLayout nativeLayout(const std::optional<QString> &database = std::nullopt,
                                       const Environment &env = Environment::system());
    static QStringList nativeOrder(const std::optional<QString> &database = std::nullopt,
                                   const Environment &env = Environment::system());
    static LaunchpadAppCatalog appCatalog(const std::optional<QString> &database = std::nullopt,
                                          const Environment &env = Environment::system());

    // Parsers of the tool's output. The byte forms are what the importer uses:
    // fields are split before decoding, so one field that is not UTF-8 spoils
    // only itself, never the whole output.
    static LaunchpadLayout parseRows(const QString &output);
    static LaunchpadLayout parseRows(const QByteArray &output);
    static QStringList parse(const QString &output);
    static QStringList parse(const QByteArray &output);
    static LaunchpadAppCatalog parseAppCatalog(const QString &output,
                                               const BookmarkResolver &resolve = Environment::system().resolveBookmark);
    static LaunchpadAppCatalog parseAppCatalog(const QByteArray &output,
                                               const BookmarkResolver &resolve = Environment::system().resolveBookmark);

    // A bookmark to the path of an existing application bundle. Bookmarks are
    // a macOS format; elsewhere nothing resolves.
    static std::optional<QString> resolveBookmarkPath(const QByteArray &bookmark);
    static std::optional<QByteArray> dataFromHex(const QString &text);

    // The tool's output as text: nothing unless it is valid UTF-8 throughout.
    static std::optional<QString> decodeUtf8(const QByteArray &bytes);

    // An optional sign and ASCII digits, nothing else (no white space); nothing
    // on overflow.
    static std::optional<qint64> parseDecimalInteger(QStringView text);
};
