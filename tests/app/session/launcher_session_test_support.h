#pragma once

#include "foundation/child_process.h"
#include "import/dock_grid_preference.h"
#include "localization/l10n.h"
#include "model/layout_store.h"
#include "model/memory_user_defaults.h"
#include "session/launcher_session.h"
#include "support/temp_env.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <ostream>
#include <variant>

// Readable failure messages.
inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

inline void PrintTo(const LayoutSourceRecord &record, std::ostream *os)
{
    *os << record.source.rawValue().toStdString() << ':' << record.path.toStdString();
}

// Fixtures shared by the session tests: generated application bundles, a
// system-launcher database made with the real sqlite3 tool, memory defaults
// that report their writes, and an environment that keeps every effect inside
// one temporary directory.
namespace session_test {

// Memory defaults that tell when they are written.
class RecordingDefaults : public MemoryUserDefaults
{
public:
    std::function<void()> onWrite;
    int writes = 0;

    bool setObject(const QString &key, const QVariant &value) override
    {
        ++writes;
        if (onWrite)
            onWrite();
        return MemoryUserDefaults::setObject(key, value);
    }
};

// One item of a system-launcher page: an application or a folder.
struct NativeFolder
{
    QString name;
    QStringList ids;
};
using NativeItem = std::variant<QString, NativeFolder>;
using NativePage = QList<NativeItem>;

// "a b [Work: c d] | e": application ids, folders with name and members, pages split by " | ".
inline QString describe(const QList<QList<LayoutEntry>> &pages)
{
    QStringList texts;
    for (const QList<LayoutEntry> &page : pages) {
        QStringList entries;
        for (const LayoutEntry &entry : page) {
            if (entry.folder)
                entries << QStringLiteral("[%1: %2]").arg(entry.folder->name, entry.folder->bundleIDs.join(' '));
            else
                entries << entry.appID.value_or(entry.id);
        }
        texts << entries.join(' ');
    }
    return texts.join(QStringLiteral(" | "));
}

inline QString describe(const QList<LayoutEntry> &entries)
{
    return describe(QList<QList<LayoutEntry>>{entries});
}

class SessionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        previousLanguage = L10n::current();
        QDir().mkpath(appsDir());
        QDir().mkpath(stateDir());
    }

    void TearDown() override { L10n::setForTesting(previousLanguage); }

    QString path(const QString &relative) const { return dir.filePath(relative); }
    QString appsDir() const { return path(QStringLiteral("Applications")); }
    QString stateDir() const { return path(QStringLiteral("state")); }
    QString darwinDir() const { return path(QStringLiteral("darwin")); }
    QString nativeDatabase() const { return darwinDir() + QStringLiteral("/com.apple.dock.launchpad/db/db"); }

    // A bundle "<folder>/<name>.app" with an Info.plist naming `bundleID`.
    QString makeApp(const QString &folder, const QString &name, const QString &bundleID)
    {
        const QString bundle = folder + QLatin1Char('/') + name + QStringLiteral(".app");
        EXPECT_TRUE(QDir().mkpath(bundle + QStringLiteral("/Contents")));
        QFile plist(bundle + QStringLiteral("/Contents/Info.plist"));
        EXPECT_TRUE(plist.open(QIODevice::WriteOnly));
        plist.write(QStringLiteral(
                        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                        "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                        "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                        "<plist version=\"1.0\"><dict>"
                        "<key>CFBundleIdentifier</key><string>%1</string>"
                        "<key>CFBundlePackageType</key><string>APPL</string>"
                        "</dict></plist>\n")
                        .arg(bundleID)
                        .toUtf8());
        return bundle;
    }
    // "Alpha" -> com.t.alpha in the scanned folder.
    QString makeApp(const QString &name) { return makeApp(appsDir(), name, id(name)); }
    static QString id(const QString &name) { return QStringLiteral("com.t.") + name.toLower(); }

    static bool runSql(const QString &database, const QString &sql)
    {
        QDir().mkpath(QFileInfo(database).absolutePath());
        const ChildProcess::Result result = ChildProcess::run(
            QStringLiteral("/usr/bin/sqlite3"), {QStringLiteral("-init"), QStringLiteral("/dev/null"), database, sql},
            10000);
        return ChildProcess::output(result).has_value();
    }

    // The system launcher's database with these pages; titles are "LP " + id.
    // Folder rows get the row ids 100, 101, ... so they import as "native-100", ...
    void makeNativeDatabase(const QList<NativePage> &pages)
    {
        QFile::remove(nativeDatabase());
        QStringList sql{QStringLiteral(
            "CREATE TABLE items (rowid INTEGER PRIMARY KEY ASC, uuid VARCHAR, flags INTEGER, type INTEGER, parent_id "
            "INTEGER NOT NULL, ordering INTEGER);"
            "CREATE TABLE apps (item_id INTEGER PRIMARY KEY, title VARCHAR, bundleid VARCHAR, storeid VARCHAR, "
            "category_id INTEGER, moddate REAL, bookmark BLOB);"
            "CREATE TABLE groups (item_id INTEGER PRIMARY KEY, category_id INTEGER, title VARCHAR);"
            "INSERT INTO items VALUES (1, 'ROOTPAGE', 0, 1, 0, 0);")};
        int row = 1000;
        int folderRow = 100;
        const auto addApp = [&](const QString &bundleID, int parent, int ordering) {
            const int r = row++;
            sql << QStringLiteral("INSERT INTO items VALUES (%1, 'u%1', 0, 4, %2, %3);").arg(r).arg(parent).arg(ordering)
                << QStringLiteral("INSERT INTO apps VALUES (%1, 'LP %2', '%2', NULL, NULL, NULL, NULL);")
                       .arg(r)
                       .arg(bundleID);
        };
        for (int p = 0; p < pages.size(); ++p) {
            const int pageRow = 10 + p;
            sql << QStringLiteral("INSERT INTO items VALUES (%1, 'page%1', 0, 3, 1, %2);").arg(pageRow).arg(p);
            for (int i = 0; i < pages[p].size(); ++i) {
                if (const QString *app = std::get_if<QString>(&pages[p][i])) {
                    addApp(*app, pageRow, i);
                } else {
                    const NativeFolder &folder = std::get<NativeFolder>(pages[p][i]);
                    const int f = folderRow++;
                    const int inner = row++;
                    sql << QStringLiteral("INSERT INTO items VALUES (%1, 'f%1', 0, 2, %2, %3);").arg(f).arg(pageRow).arg(i)
                        << QStringLiteral("INSERT INTO groups VALUES (%1, NULL, '%2');").arg(f).arg(folder.name)
                        << QStringLiteral("INSERT INTO items VALUES (%1, 'fp%1', 0, 3, %2, 0);").arg(inner).arg(f);
                    for (int m = 0; m < folder.ids.size(); ++m)
                        addApp(folder.ids[m], inner, m);
                }
            }
        }
        ASSERT_TRUE(runSql(nativeDatabase(), sql.join('\n')));
    }

    // A store of another launcher that the schema probe understands.
    QString makeStore(const QString &name, const QStringList &ids)
    {
        const QString file = path(name);
        QStringList sql{QStringLiteral("CREATE TABLE apps (bundle_id TEXT, position INTEGER);")};
        for (int i = 0; i < ids.size(); ++i)
            sql << QStringLiteral("INSERT INTO apps VALUES ('%1', %2);").arg(ids[i]).arg(i + 1);
        EXPECT_TRUE(runSql(file, sql.join('\n')));
        return file;
    }

    LauncherSession::Environment environment()
    {
        LauncherSession::Environment env = LauncherSession::Environment::system();
        env.userDefaults = &defaults;
        env.processEnvironment = QProcessEnvironment();
        env.applicationDirectories = {appsDir()};
        env.launchpadDatabase = nativeDatabase();
        env.fallbackPath = [this](const QString &bundleID) -> std::optional<QString> {
            if (fallback.contains(bundleID))
                return fallback.value(bundleID);
            return std::nullopt;
        };
        env.home = path(QStringLiteral("home"));
        env.darwinUserDirectory = [this] { return std::optional<QString>(darwinDir()); };
        env.temporaryDirectory = path(QStringLiteral("tmp/T"));
        env.importer.grid = [this] { return grid; };
        return env;
    }

    std::unique_ptr<LauncherSession> makeSession(const QStringList &options = {})
    {
        const QStringList arguments =
            QStringList{QStringLiteral("tessellon"), QStringLiteral("--state-dir"), stateDir()} + options;
        return std::make_unique<LauncherSession>(LaunchOptions::parse(arguments), environment());
    }

    LauncherLayout storedLayout() const { return LayoutStore(stateDir()).load(); }
    QString storedPages() const { return describe(storedLayout().pages); }
    QVariant stored(const char *field) const
    {
        return defaults.object(Settings::key(QString::fromLatin1(field))).value_or(QVariant());
    }

    TempHome home;
    QTemporaryDir dir;
    RecordingDefaults defaults;
    DockGridPreference grid;
    QHash<QString, QString> fallback;
    AppLanguage previousLanguage = AppLanguage::zhHans;
};

} // namespace session_test
