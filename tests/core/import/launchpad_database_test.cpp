#include "import/launchpad_importer.h"
#include "import/sqlite_tool_runner.h"
#include "launchpad_test_support.h"
#include "localization/l10n.h"
#include "store_fixtures.h"
#include "support/temp_env.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

using launchpad_test::createDatabase;
using launchpad_test::describe;
using launchpad_test::fileHash;
using launchpad_test::listing;

namespace {

// A system-launcher database as the Dock lays it out: a root, pages inserted
// in reverse order, a holding page, folders whose applications sit on pages
// inside them, and texts holding line feeds, tabs and U+001F.
const char *kSchema = R"sql(
CREATE TABLE items (rowid INTEGER PRIMARY KEY ASC, uuid VARCHAR, flags INTEGER, type INTEGER, parent_id INTEGER NOT NULL, ordering INTEGER);
CREATE TABLE apps (item_id INTEGER PRIMARY KEY, title VARCHAR, bundleid VARCHAR, storeid VARCHAR, category_id INTEGER, moddate REAL, bookmark BLOB);
)sql";

const char *kGroupsTable = "CREATE TABLE groups (item_id INTEGER PRIMARY KEY, category_id INTEGER, title VARCHAR);\n";

const char *kContent = R"sql(
INSERT INTO items VALUES (1, 'ROOTPAGE', 0, 1, 0, 0);
INSERT INTO items VALUES (3, 'page-b', 0, 3, 1, 2);
INSERT INTO items VALUES (4, 'page-a', 0, 3, 1, 1);
INSERT INTO items VALUES (2, 'HOLDINGPAGE', 0, 3, 1, 0);
INSERT INTO items VALUES (20, 'h', 0, 4, 2, 0);
INSERT INTO apps VALUES (20, 'Held', 'com.example.held', NULL, NULL, NULL, NULL);
INSERT INTO items VALUES (30, 'm', 0, 4, 4, 1);
INSERT INTO apps VALUES (30, 'Mail', 'com.example.mail', NULL, NULL, NULL, X'0102FF');
INSERT INTO items VALUES (31, 'n', 0, 4, 4, 0);
INSERT INTO apps VALUES (31, 'Notes' || char(10) || 'App', 'com.example.notes', NULL, NULL, NULL, NULL);
INSERT INTO items VALUES (40, 'f', 0, 2, 4, 2);
INSERT INTO items VALUES (41, 'fp', 0, 3, 40, 0);
INSERT INTO items VALUES (42, 'm2', 0, 4, 41, 0);
INSERT INTO apps VALUES (42, 'Mail', 'com.example.mail', NULL, NULL, NULL, NULL);
INSERT INTO items VALUES (43, 'c', 0, 4, 41, 1);
INSERT INTO apps VALUES (43, 'Calc' || char(9) || 'ulator', 'com.example.calc', NULL, NULL, NULL, NULL);
INSERT INTO items VALUES (44, 't', 0, 4, 41, 10);
INSERT INTO apps VALUES (44, 'Term', 'com.example.' || char(10) || 'term', NULL, NULL, NULL, NULL);
INSERT INTO items VALUES (45, 'z', 0, 4, 41, 2);
INSERT INTO apps VALUES (45, 'Zip' || char(31) || 'per', 'com.example.zip', NULL, NULL, NULL, NULL);
INSERT INTO items VALUES (50, 's', 0, 4, 3, 0);
INSERT INTO apps VALUES (50, 'Safari', 'com.example.safari', NULL, NULL, NULL, NULL);
INSERT INTO items VALUES (51, 'g', 0, 2, 3, 1);
INSERT INTO items VALUES (52, 'gp', 0, 3, 51, 0);
INSERT INTO items VALUES (53, 'n2', 0, 4, 52, 0);
INSERT INTO apps VALUES (53, 'Notes', 'com.example.notes', NULL, NULL, NULL, NULL);
)sql";

const char *kGroups = R"sql(
INSERT INTO groups VALUES (40, NULL, 'Work' || char(10) || 'Tools' || char(9) || 'x' || char(31) || 'y');
)sql";

const char *kExpectedLayout =
    "com.example.notes com.example.mail [native-40 Work Tools x y: com.example.calc com.example.zip com.example. term]"
    " | com.example.safari [native-51 Folder:]";

class LaunchpadDatabaseTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_previous = L10n::current();
        L10n::setForTesting(AppLanguage::en);
    }
    void TearDown() override { L10n::setForTesting(m_previous); }

    QString makeDatabase(const QString &name, bool withGroups = true, const QString &pragma = {})
    {
        const QString path = m_dir.filePath(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QString sql = pragma + QString::fromUtf8(kSchema);
        if (withGroups)
            sql += QString::fromUtf8(kGroupsTable);
        sql += QString::fromUtf8(kContent);
        if (withGroups)
            sql += QString::fromUtf8(kGroups);
        EXPECT_TRUE(createDatabase(path, sql)) << path.toStdString();
        return path;
    }

    QTemporaryDir m_dir;
    AppLanguage m_previous = AppLanguage::zhHans;
};

TEST_F(LaunchpadDatabaseTest, ReadsPagesFoldersAndOrder)
{
    const QString db = makeDatabase(QStringLiteral("db"));
    const LaunchpadLayout layout = LaunchpadImporter::nativeLayout(db);
    EXPECT_EQ(describe(layout).toStdString(), kExpectedLayout);
    EXPECT_EQ(LaunchpadImporter::nativeOrder(db),
              (QStringList{"com.example.notes", "com.example.mail", "com.example.calc", "com.example.zip", "com.example. term",
                           "com.example.safari"}));
}

TEST_F(LaunchpadDatabaseTest, ReadsTheCatalogWithCleanedTexts)
{
    const QString db = makeDatabase(QStringLiteral("db"));
    QList<QByteArray> bookmarks;
    LaunchpadImporter::Environment env = LaunchpadImporter::Environment::system();
    env.resolveBookmark = [&bookmarks](const QByteArray &bytes) -> std::optional<QString> {
        bookmarks << bytes;
        return QStringLiteral("/Applications/Mail.app");
    };
    const LaunchpadAppCatalog catalog = LaunchpadImporter::appCatalog(db, env);
    EXPECT_EQ(catalog.records.size(), 7);
    EXPECT_EQ(catalog.recordFor("com.example.notes")->title, QStringLiteral("Notes")); // second row, no path, replaces
    EXPECT_EQ(catalog.recordFor("com.example.calc")->title, QStringLiteral("Calc ulator"));
    EXPECT_EQ(catalog.recordFor("com.example.zip")->title, QStringLiteral("Zip per"));
    ASSERT_TRUE(catalog.recordFor("com.example. term").has_value());
    // The first Mail row had the bookmark: its resolved path survives the later row without one.
    EXPECT_EQ(catalog.recordFor("com.example.mail")->path, QStringLiteral("/Applications/Mail.app"));
    EXPECT_TRUE(bookmarks.contains(QByteArray("\x01\x02\xff")));

    // With the real resolver nothing resolves on this platform.
    const LaunchpadAppCatalog real = LaunchpadImporter::appCatalog(db);
    EXPECT_EQ(real.records.size(), 7);
    EXPECT_FALSE(real.recordFor("com.example.mail")->path.has_value());
}

TEST_F(LaunchpadDatabaseTest, MissingGroupsTableFallsBackToTheFlatList)
{
    const QString db = makeDatabase(QStringLiteral("db"), false);
    // Ordered by parent and position, duplicates and the holding page kept;
    // the line feed inside an identifier does not split it in two.
    const LaunchpadLayout layout = LaunchpadImporter::nativeLayout(db);
    ASSERT_EQ(layout.pages.size(), 1);
    QStringList ids;
    for (const LaunchpadEntry &entry : layout.pages.at(0).entries)
        ids << entry.bundleID.value_or(QString());
    EXPECT_EQ(ids, (QStringList{"com.example.held", "com.example.safari", "com.example.notes", "com.example.mail",
                                "com.example.mail", "com.example.calc", "com.example.zip", "com.example. term",
                                "com.example.notes"}));
}

TEST_F(LaunchpadDatabaseTest, FileThatIsNotADatabaseGivesNothing)
{
    const QString path = m_dir.filePath(QStringLiteral("db"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("this is not an SQLite database, only some text\n");
    file.close();
    const QByteArray before = fileHash(path);
    LogCapture log;
    EXPECT_TRUE(LaunchpadImporter::nativeLayout(path).isEmpty());
    EXPECT_TRUE(LaunchpadImporter::appCatalog(path).isEmpty());
    EXPECT_TRUE(log.lines().isEmpty());
    EXPECT_EQ(fileHash(path), before);
    EXPECT_EQ(listing(m_dir.path()), QStringList{"db"});
}

struct ReadOnlyCase
{
    const char *name;
    const char *pragma;
    bool withGroups;
};

void PrintTo(const ReadOnlyCase &c, std::ostream *os)
{
    *os << c.name;
}

class LaunchpadDatabaseReadOnlyTest : public LaunchpadDatabaseTest, public ::testing::WithParamInterface<ReadOnlyCase>
{
};

TEST_P(LaunchpadDatabaseReadOnlyTest, SourceIsNeverWritten)
{
    const ReadOnlyCase &c = GetParam();
    const QString db = makeDatabase(QStringLiteral("store/db"), c.withGroups, QString::fromUtf8(c.pragma));
    const QString folder = QFileInfo(db).absolutePath();
    const QStringList filesBefore = listing(folder);
    ASSERT_EQ(filesBefore, QStringList{"db"});
    const QByteArray before = fileHash(db);
    const QDateTime modified = QFileInfo(db).lastModified();

    EXPECT_FALSE(LaunchpadImporter::nativeLayout(db).isEmpty());
    EXPECT_FALSE(LaunchpadImporter::appCatalog(db).isEmpty());
    EXPECT_FALSE(LaunchpadImporter::nativeOrder(db).isEmpty());

    EXPECT_EQ(listing(folder), filesBefore); // no -journal, -wal or -shm
    EXPECT_EQ(fileHash(db), before);
    EXPECT_EQ(QFileInfo(db).lastModified(), modified);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, LaunchpadDatabaseReadOnlyTest,
    ::testing::Values(ReadOnlyCase{"RollbackJournal", "", true}, ReadOnlyCase{"WriteAheadLog", "PRAGMA journal_mode=WAL;", true},
                      ReadOnlyCase{"WriteAheadLogFallback", "PRAGMA journal_mode=WAL;", false}),
    [](const ::testing::TestParamInfo<ReadOnlyCase> &info) { return std::string(info.param.name); });

// The Dock keeps its database open in WAL mode: the newest rows are still in
// the -wal file. They are read, and no file beside the database changes.
TEST_F(LaunchpadDatabaseTest, DatabaseStillOpenInWalModeReadsCompletely)
{
    const QString db = makeDatabase(QStringLiteral("wal/db"), true, QStringLiteral("PRAGMA journal_mode=WAL;"));
    ASSERT_TRUE(StoreFixtures::execute(
        db,
        QStringLiteral("PRAGMA wal_autocheckpoint=0; INSERT INTO items VALUES (60, 'w', 0, 4, 3, 5);"
                       "INSERT INTO apps VALUES (60, 'Fresh', 'com.example.fresh', NULL, NULL, NULL, NULL);"),
        {QStringLiteral("-cmd"), QStringLiteral(".dbconfig no_ckpt_on_close on")}));
    ASSERT_TRUE(QFile::exists(db + QStringLiteral("-wal")));
    const auto before = StoreFixtures::fingerprint(QFileInfo(db).absolutePath());

    EXPECT_EQ(describe(LaunchpadImporter::nativeLayout(db)).toStdString(),
              std::string(kExpectedLayout) + " com.example.fresh");
    EXPECT_TRUE(LaunchpadImporter::appCatalog(db).records.contains(QStringLiteral("com.example.fresh")));
    EXPECT_EQ(StoreFixtures::fingerprint(QFileInfo(db).absolutePath()), before);
}

// A database planted where another user can reach is never read; one whose
// folders all belong to this user (or root) and are closed to others is.
struct PlantedCase
{
    const char *name;
    const char *change; // what is done to the folder "planted" above the database
    bool trusted;
};

class LaunchpadDatabasePlantedTest : public LaunchpadDatabaseTest, public ::testing::WithParamInterface<PlantedCase>
{
};

TEST_P(LaunchpadDatabasePlantedTest, OnlyAPrivateChainIsRead)
{
    const QString db = makeDatabase(QStringLiteral("planted/0/com.apple.dock.launchpad/db/db"));
    const QByteArray folder = QFile::encodeName(m_dir.filePath(QStringLiteral("planted")));
    const std::string change = GetParam().change;
    if (change == "other-owner") {
        if (::chown(folder.constData(), 54321, gid_t(-1)) != 0)
            GTEST_SKIP() << "cannot give a folder to another user here";
    } else if (change == "world-writable") {
        ASSERT_EQ(::chmod(folder.constData(), 0777), 0);
    } else if (change == "group-writable-file") {
        ASSERT_EQ(::chmod(QFile::encodeName(db).constData(), 0664), 0);
    }
    const std::optional<QString> reason = LaunchpadImporter::untrustedReason(db);
    EXPECT_EQ(reason.has_value(), !GetParam().trusted) << reason.value_or(QString()).toStdString();

    // The candidate beside the temporary directory's parent.
    LaunchpadImporter::Environment env = LaunchpadImporter::Environment::system();
    env.temporaryDirectory = [this] { return m_dir.filePath(QStringLiteral("planted/T")); };
    LogCapture log;
    EXPECT_EQ(LaunchpadImporter::databasePath(env).has_value(), GetParam().trusted);
    EXPECT_EQ(log.contains(QStringLiteral("[import] refused database=") + db), !GetParam().trusted);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LaunchpadDatabasePlantedTest,
    ::testing::Values(PlantedCase{"PrivateChain", "", true},
                      PlantedCase{"FolderOfAnotherUser", "other-owner", false},
                      PlantedCase{"FolderWritableByAll", "world-writable", false},
                      PlantedCase{"FileWritableByTheGroup", "group-writable-file", false}),
    [](const ::testing::TestParamInfo<PlantedCase> &info) { return std::string(info.param.name); });

TEST_F(LaunchpadDatabaseTest, UsersSqlitercCannotChangeTheOutput)
{
    const QString db = makeDatabase(QStringLiteral("db"));
    TempHome home;
    QFile rc(home.filePath(QStringLiteral(".sqliterc")));
    ASSERT_TRUE(rc.open(QIODevice::WriteOnly));
    rc.write(".mode json\n.headers on\n.separator ,\n.nullvalue NULL\n");
    rc.close();
    EXPECT_EQ(describe(LaunchpadImporter::nativeLayout(db)).toStdString(), kExpectedLayout);
    EXPECT_EQ(LaunchpadImporter::appCatalog(db).records.size(), 7);
}

TEST_F(LaunchpadDatabaseTest, StartUpFileCannotInjectLines)
{
    // sqlite3 finds ~/.sqliterc through the password database, so a test
    // cannot plant one; the "-init" slot is where the tool reads it from, and
    // ours names the null device. Put a hostile file there to show why.
    const QString db = makeDatabase(QStringLiteral("db"), false);
    const QString hostile = m_dir.filePath(QStringLiteral("hostile-rc"));
    QFile rc(hostile);
    ASSERT_TRUE(rc.open(QIODevice::WriteOnly));
    rc.write(".echo on\n.timer on\n.headers on\n.mode json\n");
    rc.close();

    const QStringList ours = SQLiteToolRunner::arguments(db, LaunchpadImporter::query());
    ASSERT_EQ(ours.indexOf(QStringLiteral("-init")), 0);
    QStringList planted = ours;
    planted[1] = hostile;
    const auto clean = LaunchpadImporter::runTool(SQLiteToolRunner::kExecutable, ours);
    const auto dirty = LaunchpadImporter::runTool(SQLiteToolRunner::kExecutable, planted);
    ASSERT_TRUE(clean && dirty);
    EXPECT_FALSE(LaunchpadImporter::parse(*clean).contains(QStringLiteral(".timer on")));
    EXPECT_TRUE(LaunchpadImporter::parse(*dirty).contains(QStringLiteral(".timer on")));
    EXPECT_EQ(LaunchpadImporter::parse(*clean).size(), 9);
}

TEST_F(LaunchpadDatabaseTest, DatabaseNamesThatLookLikeOptionsOrUriSyntax)
{
    const QString special = makeDatabase(QStringLiteral("we?ird #100% é/db"));
    EXPECT_EQ(describe(LaunchpadImporter::nativeLayout(special)).toStdString(), kExpectedLayout);

    makeDatabase(QStringLiteral("-launchpad.db"));
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(m_dir.path()));
    const LaunchpadLayout relative = LaunchpadImporter::nativeLayout(QStringLiteral("-launchpad.db"));
    QDir::setCurrent(previous);
    EXPECT_EQ(describe(relative).toStdString(), kExpectedLayout);
    EXPECT_EQ(listing(m_dir.path()), (QStringList{"-launchpad.db", "we?ird #100% é"}));
}

TEST_F(LaunchpadDatabaseTest, ADirectoryOrMissingFileGivesNothing)
{
    EXPECT_TRUE(LaunchpadImporter::nativeLayout(m_dir.path()).isEmpty());
    EXPECT_TRUE(LaunchpadImporter::nativeLayout(m_dir.filePath(QStringLiteral("missing"))).isEmpty());
    EXPECT_TRUE(listing(m_dir.path()).isEmpty()); // the tool created no database
}

TEST(LaunchpadDatabaseSystemTest, NoSystemLauncherOnThisMachine)
{
    // getconf knows no DARWIN_USER_DIR here; with a private temporary
    // directory no candidate exists, so both reads are empty.
    QTemporaryDir tmp;
    ScopedEnv env;
    env.set("TMPDIR", tmp.filePath(QStringLiteral("T")));
    QDir().mkpath(tmp.filePath(QStringLiteral("T")));
    LogCapture log;
    EXPECT_FALSE(LaunchpadImporter::darwinUserDirectory().has_value());
    EXPECT_FALSE(LaunchpadImporter::databasePath().has_value());
    EXPECT_TRUE(LaunchpadImporter::nativeLayout().isEmpty());
    EXPECT_TRUE(LaunchpadImporter::appCatalog().isEmpty());
}

} // namespace
