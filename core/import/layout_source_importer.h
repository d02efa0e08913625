#pragma once

#include "dock_grid_preference.h"
#include "imported_layout_row.h"
#include "launchpad_importer.h"
#include "model/launchpad_layout.h"
#include "layout_source.h"
#include "layout_source_snapshot.h"
#include "model/app_item.h"
#include "sql_runner.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// Reads one layout source found on this machine into a snapshot, read-only:
// the system launcher's database through LaunchpadImporter, other launchers'
// SQLite stores through the schema probe and column plan, and their
// preference property lists through a heuristic walk. Imported identifiers
// are resolved to installed applications before pages and folders are formed.
class LayoutSourceImporter
{
public:
    LayoutSourceImporter() = delete;

    static constexpr int kDefaultPageSize = 35;
    // Property lists larger than this are not read.
    static constexpr qint64 kMaxPropertyListBytes = qint64(64) * 1024 * 1024;

    // Every effect outside the SQL runner, each replaceable; system() gives the
    // real ones.
    struct Environment
    {
        std::function<bool(const QString &path)> isReadable;
        std::function<bool(const QString &path)> isDirectory;
        std::function<QStringList(const QString &path)> directoryEntries;
        // The bytes of a regular file; nothing when it cannot be read.
        std::function<std::optional<QByteArray>(const QString &path)> readFile;
        std::function<DockGridPreference()> grid;
        // How the system launcher's own database is read.
        LaunchpadImporter::Environment launchpad;

        static Environment system();
    };

    // sqlite3 read-only, no start-up file, no header, U+001F between fields,
    // on a private copy of the store, with a time limit.
    static SQLRunner systemRunner();

    // Nothing when the source is unreadable, not understood or yields no entry.
    // Property-list sources, and any record whose path ends ".plist" (AppGrid
    // keeps its preferences there), are read as property lists.
    // A record whose path is a folder of SQLite files (a folder store) is read
    // file by file, in name order, through the database-file-name filter of
    // discovery; the first file that yields a layout is taken.
    // `failure` names why nothing was read: "unreadable: ...", "not a
    // database", "corrupt", "no usable table", "not a property list: ...",
    // "wrong type in a property list: ...", "time limit of ... reached", ...
    static std::optional<LayoutSourceSnapshot> read(const LayoutSourceRecord &record, const QList<AppItem> &apps = {},
                                                    int pageSize = kDefaultPageSize,
                                                    const SQLRunner &runner = systemRunner(),
                                                    const std::optional<QByteArray> &plistData = std::nullopt,
                                                    const Environment &env = Environment::system(),
                                                    QString *failure = nullptr);

    // The output of SQLiteColumnPlan::rowsQuery() to rows, line order kept.
    // Orders that are not numbers read as 0; NaN reads as 0.
    static QList<ImportedLayoutRow> parseRows(const QString &output);

    // The query orders pages as text ("10" before "2"). This puts pages whose
    // key is a number (or empty, which joins page "0") in numeric order first,
    // then the text-keyed pages in the order they came; rows stay in their
    // order within a page.
    static QList<ImportedLayoutRow> orderPagesNumerically(const QList<ImportedLayoutRow> &rows);

    // Nothing when the bytes are no property list, its root is neither a
    // dictionary nor an array, or it holds no application identifier; `failure` says which.
    static std::optional<QList<ImportedLayoutRow>> parsePropertyList(const QByteArray &data, QString *failure = nullptr);
    // Whether a property-list string names an application: a path, a bundle
    // name ending ".app", or a dotted identifier without spaces longer than 3.
    static bool looksLikeApp(const QString &text);

    static LaunchpadLayout buildLayout(const QList<ImportedLayoutRow> &rows, int pageSize, LayoutSource source,
                                       const QList<AppItem> &apps);

private:
    static std::optional<LayoutSourceSnapshot> readDatabaseFile(const QString &path, LayoutSource source,
                                                                const QList<AppItem> &apps, int pageSize,
                                                                const SQLRunner &runner, const Environment &env,
                                                                const DockGridPreference &grid, QString *failure);
};
