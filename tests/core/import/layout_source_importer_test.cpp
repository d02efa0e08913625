#include "import/layout_source_importer.h"
#include "import/sqlite_tool_runner.h"

#include "foundation/property_list.h"
#include "localization/l10n.h"
#include "store_fixtures.h"
#include "support/temp_env.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QVariantList>
#include <QVariantMap>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <sys/stat.h>
#include <limits>

namespace {

const QString kSep = QString(QChar(0x1F));

// A layout as one line: pages split by " | ", folders as [id:name: members].
std::string describe(const LaunchpadLayout &layout)
{
    QStringList pages;
    for (const LaunchpadPage &page : layout.pages) {
        QStringList entries;
        for (const LaunchpadEntry &entry : page.entries) {
            if (entry.folder)
                entries.append(QStringLiteral("[%1:%2: %3]")
                                   .arg(entry.folder->id, entry.folder->name, entry.folder->bundleIDs.join(' ')));
            else
                entries.append(entry.bundleID.value_or(QStringLiteral("?")));
        }
        pages.append(entries.join(' '));
    }
    return pages.join(QStringLiteral(" | ")).toStdString();
}

ImportedLayoutRow row(const char *id, double order = 0, const char *page = "", const char *group = "")
{
    return ImportedLayoutRow{QString::fromUtf8(id), order, QString::fromUtf8(page), QString::fromUtf8(group)};
}

QString line(std::initializer_list<const char *> fields)
{
    QStringList parts;
    for (const char *f : fields)
        parts.append(QString::fromUtf8(f));
    return parts.join(kSep) + QLatin1Char('\n');
}

LayoutSourceImporter::Environment testEnv()
{
    LayoutSourceImporter::Environment env = LayoutSourceImporter::Environment::system();
    env.grid = [] { return DockGridPreference{7, 5}; };
    return env;
}

// ---------------------------------------------------------------- parseRows

TEST(LayoutSourceImporterParseRows, FieldsOrdersAndDroppedLines)
{
    const QString output = line({"com.a", "2.0", " 1 ", " Work "}) + line({"lonely"}) + line({" ", "1"}) +
                           line({"com.b"}).chopped(1) + kSep + QLatin1Char('\n') + line({"com.c", "abc", "2"}) +
                           line({"com.d", "Inf", "", "", "extra"}) + line({"com.e", "nan"}) +
                           line({"com.f", "-Inf"}) + QStringLiteral("\n\n");
    const QList<ImportedLayoutRow> rows = LayoutSourceImporter::parseRows(output);
    ASSERT_EQ(rows.size(), 6);
    EXPECT_EQ(rows[0], row("com.a", 2, "1", "Work"));
    EXPECT_EQ(rows[1], row("com.b", 0));
    EXPECT_EQ(rows[2], row("com.c", 0, "2"));
    EXPECT_TRUE(std::isinf(rows[3].order) && rows[3].order > 0);
    EXPECT_EQ(rows[4].order, 0); // NaN never enters an order
    EXPECT_TRUE(std::isinf(rows[5].order) && rows[5].order < 0);
}

TEST(LayoutSourceImporterParseRows, PagesThatAreNumbersOrderNumerically)
{
    QList<ImportedLayoutRow> rows;
    // The order the query gives: page text order.
    for (const char *page : {"", "1", "10", "11", "12", "2", "2.0", "Dock", "3", "Alpha", "9"})
        rows.append(row(page[0] ? page : "empty", 0, page));
    QStringList pages;
    for (const ImportedLayoutRow &r : LayoutSourceImporter::orderPagesNumerically(rows))
        pages.append(r.page.isEmpty() ? QStringLiteral("<>") : r.page);
    EXPECT_EQ(pages.join(',').toStdString(), "<>,1,2,2.0,3,9,10,11,12,Dock,Alpha");
}

// ---------------------------------------------------------------- property lists

struct AppLikeCase
{
    const char *name;
    const char *text;
    bool expected;
};

class LooksLikeAppTest : public ::testing::TestWithParam<AppLikeCase>
{
};

TEST_P(LooksLikeAppTest, Decides)
{
    EXPECT_EQ(LayoutSourceImporter::looksLikeApp(QString::fromUtf8(GetParam().text)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LooksLikeAppTest,
    ::testing::Values(AppLikeCase{"ReverseDomain", "com.example.App", true}, AppLikeCase{"Slash", "/x", true},
                      AppLikeCase{"AppWithSpace", "My Tool.app", true}, AppLikeCase{"PlainName", "Safari", false},
                      AppLikeCase{"NameWithSpace", "My Tool", false}, AppLikeCase{"ThreeChars", "a.b", false},
                      AppLikeCase{"FourChars", "a.bc", true}, AppLikeCase{"Version", "10.15", true}),
    [](const ::testing::TestParamInfo<AppLikeCase> &info) { return std::string(info.param.name); });

struct PlistCase
{
    const char *name;
    QVariant root;
    QList<ImportedLayoutRow> expected;
};

class PropertyListWalkTest : public ::testing::TestWithParam<PlistCase>
{
};

// Each shape is read from both formats.
TEST_P(PropertyListWalkTest, XmlAndBinary)
{
    const PlistCase &c = GetParam();
    for (const QByteArray &bytes : {PropertyList::toXml(c.root), PropertyList::toBinary(c.root)}) {
        const auto rows = LayoutSourceImporter::parsePropertyList(bytes);
        ASSERT_TRUE(rows.has_value());
        EXPECT_EQ(*rows, c.expected);
    }
}

QVariant nested(int depth, const QString &leaf)
{
    // Placed under a key of the root dictionary, the leaf string ends up
    // `depth` levels below the root.
    QVariant value = leaf;
    for (int i = 1; i < depth; ++i)
        value = QVariantMap{{QStringLiteral("k"), value}};
    return value;
}

const QString group1 = L(QStringLiteral("分组 %d"), 1);
const QString group2 = L(QStringLiteral("分组 %d"), 2);
const QString group5 = L(QStringLiteral("分组 %d"), 5);

ImportedLayoutRow rowq(const char *id, double order, const QString &page, const QString &group)
{
    return ImportedLayoutRow{QString::fromUtf8(id), order, page, group};
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PropertyListWalkTest,
    ::testing::Values(
        PlistCase{"PagesOfArrays",
                  QVariantMap{{QStringLiteral("pages"),
                               QVariantList{QVariantList{QStringLiteral("com.a"), QStringLiteral("com.b")},
                                            QVariantList{QStringLiteral("com.c")}}}},
                  {row("com.a", 0, "0"), row("com.b", 1, "0"), row("com.c", 2, "1")}},
        PlistCase{"NamedFolder",
                  QVariantMap{{QStringLiteral("folders"),
                               QVariantMap{{QStringLiteral("name"), QStringLiteral("Work.Stuff")},
                                           {QStringLiteral("apps"),
                                            QVariantList{QStringLiteral("com.x"), QStringLiteral("com.y")}}}}},
                  {row("com.x", 0, "", "Work.Stuff"), row("com.y", 1, "", "Work.Stuff")}},
        PlistCase{"AppsOfDictionariesAreGroups",
                  QVariantMap{{QStringLiteral("apps"),
                               QVariantList{QVariantMap{{QStringLiteral("bundle"), QStringLiteral("com.a")}},
                                            QVariantMap{{QStringLiteral("bundle"), QStringLiteral("com.b")}}}}},
                  {rowq("com.a", 0, QString(), group1), rowq("com.b", 1, QString(), group2)}},
        PlistCase{"UnnamedGroupDictionaryCountsTwice",
                  QVariantMap{{QStringLiteral("groups"),
                               QVariantList{QVariantMap{{QStringLiteral("items"), QVariantList{QStringLiteral("com.a")}}},
                                            QVariantMap{{QStringLiteral("title"), QStringLiteral("T")},
                                                        {QStringLiteral("items"),
                                                         QVariantList{QStringLiteral("com.b")}}},
                                            QVariantMap{{QStringLiteral("items"),
                                                         QVariantList{QStringLiteral("com.c")}}}}}},
                  {rowq("com.a", 0, QString(), group2), rowq("com.b", 1, QString(), QStringLiteral("T")),
                   rowq("com.c", 2, QString(), group5)}},
        PlistCase{"DepthSevenFoundEightNot",
                  QVariantMap{{QStringLiteral("a"), nested(7, QStringLiteral("com.seven"))},
                              {QStringLiteral("b"), nested(8, QStringLiteral("com.eight"))}},
                  {row("com.seven", 0)}}),
    [](const ::testing::TestParamInfo<PlistCase> &info) { return std::string(info.param.name); });

TEST(PropertyListWalk, NothingWithoutIdentifiersOrForGarbage)
{
    EXPECT_FALSE(LayoutSourceImporter::parsePropertyList(QByteArray("not a plist")).has_value());
    EXPECT_FALSE(LayoutSourceImporter::parsePropertyList(QByteArray()).has_value());
    const QVariant plain = QVariantMap{{QStringLiteral("name"), QStringLiteral("com.name.Skipped")},
                                       {QStringLiteral("list"), QVariantList{QStringLiteral("Safari"), 3, true}}};
    EXPECT_FALSE(LayoutSourceImporter::parsePropertyList(PropertyList::toBinary(plain)).has_value());
}

// ---------------------------------------------------------------- buildLayout

TEST(LayoutSourceImporterBuild, WithoutOrderPagesListByIdentifier)
{
    const auto layout = LayoutSourceImporter::buildLayout({row("com.c"), row("com.a"), row("com.b")}, 35,
                                                          LayoutSource::appGrid, {});
    EXPECT_EQ(describe(layout), "com.a com.b com.c");
}

TEST(LayoutSourceImporterBuild, PageSizeBelowOneIsOne)
{
    for (int size : {0, -4}) {
        const auto layout =
            LayoutSourceImporter::buildLayout({row("com.a"), row("com.b")}, size, LayoutSource::appGrid, {});
        EXPECT_EQ(describe(layout), "com.a | com.b");
    }
}

TEST(LayoutSourceImporterBuild, RunsOfPageSizeWithoutPageKeys)
{
    QList<ImportedLayoutRow> rows;
    for (int i = 0; i < 80; ++i)
        rows.append(ImportedLayoutRow{QStringLiteral("com.app%1").arg(i, 2, 10, QLatin1Char('0')), double(i), {},
                                      i % 35 == 0 ? QStringLiteral("G") : QString()});
    const auto layout = LayoutSourceImporter::buildLayout(rows, 35, LayoutSource::launchMe, {});
    ASSERT_EQ(layout.pages.size(), 3);
    EXPECT_EQ(layout.pages[0].entries.size(), 35);
    EXPECT_EQ(layout.pages[1].entries.size(), 35);
    EXPECT_EQ(layout.pages[2].entries.size(), 10);
    for (int p = 0; p < 3; ++p) {
        ASSERT_TRUE(layout.pages[p].entries.first().folder.has_value());
        EXPECT_EQ(layout.pages[p].entries.first().folder->id, QStringLiteral("launchMe-group-%1-0").arg(p));
    }
}

TEST(LayoutSourceImporterBuild, PageKeysInOrderOfFirstOccurrence)
{
    const auto layout = LayoutSourceImporter::buildLayout(
        {row("com.x", 1, "2"), row("com.y", 0, "1"), row("com.z", 5, ""), row("com.w", 0, "0")}, 35,
        LayoutSource::appGrid, {});
    EXPECT_EQ(describe(layout), "com.x | com.y | com.w com.z");
}

TEST(LayoutSourceImporterBuild, DuplicatesAndBlanksDropped)
{
    const QList<AppItem> apps = {
        AppItem(QStringLiteral("com.apple.Safari"), QStringLiteral("Safari"), QStringLiteral("/Applications/Safari.app"))};
    const auto layout = LayoutSourceImporter::buildLayout(
        {row("Safari", 0), row("  ", 1), row("/Applications/Safari.app", 2), row("com.other", 3)}, 35,
        LayoutSource::buhoLaunchpad, apps);
    EXPECT_EQ(describe(layout), "com.apple.Safari com.other");
}

TEST(LayoutSourceImporterBuild, GroupsBecomeFoldersWhereTheirFirstMemberStands)
{
    const auto layout = LayoutSourceImporter::buildLayout(
        {row("com.a", 0, "", "0"), row("com.b", 1, "", " Work "), row("com.c", 2, "", ""), row("com.d", 3, "", "Work"),
         row("com.e", 4, "", "  "), row("com.f", 5, "", "Solo")},
        35, LayoutSource::launchMe, {});
    EXPECT_EQ(describe(layout),
              "com.a [launchMe-group-0-0:Work: com.b com.d] com.c com.e [launchMe-group-0-1:Solo: com.f]");
}

TEST(LayoutSourceImporterBuild, SameGroupOnTwoPagesIsTwoFolders)
{
    const auto layout = LayoutSourceImporter::buildLayout({row("com.a", 0, "1", "G"), row("com.b", 0, "2", "G")}, 35,
                                                          LayoutSource::appGrid, {});
    EXPECT_EQ(describe(layout), "[appGrid-group-1-0:G: com.a] | [appGrid-group-2-0:G: com.b]");
}

// A store may hold any text; one that looks like an internal folder slot stays
// an application and never stands in for, or points at, a folder.
TEST(LayoutSourceImporterBuild, IdentifiersLikeFolderSlotsStayApplications)
{
    const auto layout = LayoutSourceImporter::buildLayout(
        {row("__group_0__", 0), row("__group_7__", 1), row("com.a", 2, "", "G"), row("__group_1__", 3, "", "G")}, 35,
        LayoutSource::appGrid, {});
    EXPECT_EQ(describe(layout), "__group_0__ __group_7__ [appGrid-group-0-0:G: com.a __group_1__]");
    EXPECT_EQ(layout.folderCount(), 1);
}

TEST(LayoutSourceImporterBuild, InfiniteAndNaNOrdersSortSafely)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const auto layout = LayoutSourceImporter::buildLayout(
        {row("com.last", inf), row("com.nan", nan), row("com.first", -inf), row("com.one", 1), row("com.zero", 0)}, 35,
        LayoutSource::appGrid, {});
    EXPECT_EQ(describe(layout), "com.first com.nan com.zero com.one com.last");
}

// ---------------------------------------------------------------- reading real stores

class LayoutSourceImporterReadTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;

    QString database(const QString &name, const QString &sql)
    {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(StoreFixtures::execute(path, sql)) << name.toStdString();
        return path;
    }

    std::optional<LayoutSourceSnapshot> read(LayoutSource source, const QString &path, const QList<AppItem> &apps = {},
                                             int pageSize = 35)
    {
        return LayoutSourceImporter::read(LayoutSourceRecord(source, path), apps, pageSize,
                                          LayoutSourceImporter::systemRunner(), std::nullopt, testEnv());
    }
};

// A Core-Data-like store: 12 pages whose keys and orders are text, a NULL
// order and a "1e999" order. Pages come in numeric order, orders numerically,
// and the store is left exactly as it was.
TEST_F(LayoutSourceImporterReadTest, CoreDataStoreWithTextPagesAndOrders)
{
    QString sql = QStringLiteral(
        "CREATE TABLE Z_METADATA (Z_VERSION INTEGER PRIMARY KEY, Z_UUID VARCHAR(255), Z_PLIST BLOB);"
        "CREATE TABLE Z_PRIMARYKEY (Z_ENT INTEGER PRIMARY KEY, Z_NAME VARCHAR, Z_SUPER INTEGER, Z_MAX INTEGER);"
        "CREATE TABLE ZITEM (Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, ZBUNDLEIDENTIFIER VARCHAR, ZORDERING VARCHAR,"
        " ZPAGE VARCHAR, ZFOLDERNAME VARCHAR);"
        "INSERT INTO Z_METADATA VALUES (1, 'x', NULL);");
    for (int page = 1; page <= 12; ++page) {
        sql += QStringLiteral("INSERT INTO ZITEM (ZBUNDLEIDENTIFIER, ZORDERING, ZPAGE) VALUES "
                              "('com.p%1.o10', '10', '%1'), ('com.p%1.o9', '9', '%1');")
                   .arg(page);
    }
    sql += QStringLiteral("INSERT INTO ZITEM (ZBUNDLEIDENTIFIER, ZORDERING, ZPAGE, ZFOLDERNAME) VALUES "
                          "('com.p1.huge', '1e999', '1', NULL), ('com.p1.null', NULL, '1', NULL),"
                          "('com.p1.neg', '-1e999', '1', NULL), ('com.f1', '3', '2', 'Tools'), ('com.f2', '4', '2', 'Tools');");
    const QString db = database(QStringLiteral("Data.store"), sql);
    const auto before = StoreFixtures::fingerprint(dir.path());

    const auto snapshot = read(LayoutSource::launchNext, db);
    ASSERT_TRUE(snapshot.has_value());
    EXPECT_EQ(snapshot->probeDetail.toStdString(),
              "3 tables · ZITEM(ZBUNDLEIDENTIFIER,order=ZORDERING,page=ZPAGE,group=ZFOLDERNAME)");
    EXPECT_EQ(snapshot->grid, (DockGridPreference{7, 5}));
    ASSERT_EQ(snapshot->layout.pages.size(), 12);
    EXPECT_EQ(describe(LaunchpadLayout{{snapshot->layout.pages[0]}}),
              "com.p1.neg com.p1.null com.p1.o9 com.p1.o10 com.p1.huge");
    EXPECT_EQ(describe(LaunchpadLayout{{snapshot->layout.pages[1]}}),
              "[launchNext-group-2-0:Tools: com.f1 com.f2] com.p2.o9 com.p2.o10");
    for (int page = 3; page <= 12; ++page)
        EXPECT_EQ(snapshot->layout.pages[page - 1].entries.first().bundleID,
                  QStringLiteral("com.p%1.o9").arg(page));
    EXPECT_EQ(StoreFixtures::fingerprint(dir.path()), before);
}

TEST_F(LayoutSourceImporterReadTest, EqualScoresChooseByTableName)
{
    const QString db = database(QStringLiteral("db"), QStringLiteral(
        "CREATE TABLE layout (bundleid TEXT, ordering INTEGER);"
        "CREATE TABLE alpha (bundleid TEXT, ordering INTEGER);"
        "CREATE TABLE Zeta (bundleid TEXT, ordering INTEGER);"
        "INSERT INTO layout VALUES ('com.layout', 1);"
        "INSERT INTO alpha VALUES ('com.lower', 1);"
        "INSERT INTO Zeta VALUES ('com.upper', 1);"));
    const auto snapshot = read(LayoutSource::appGrid, db);
    ASSERT_TRUE(snapshot.has_value());
    EXPECT_EQ(snapshot->probeDetail.toStdString(), "3 tables · Zeta(bundleid,order=ordering)");
    EXPECT_EQ(describe(snapshot->layout), "com.upper");
}

TEST_F(LayoutSourceImporterReadTest, HostileTableNameAndMarkerIdentifiers)
{
    const QString db = database(QStringLiteral("db"), QStringLiteral(
        "CREATE TABLE keep(x); INSERT INTO keep VALUES (1);"
        "CREATE TABLE \"items'; DELETE FROM keep; --\" (\"bundle id\" TEXT, \"order\" REAL, \"group\" TEXT);"
        "INSERT INTO \"items'; DELETE FROM keep; --\" VALUES"
        " ('__group_0__', 1, ''), ('com.a', 2, 'G'), ('com.b' || char(31) || 'x', 3, 'G'),"
        " ('com.c' || char(10) || 'd', 4, '');"));
    const auto before = StoreFixtures::fingerprint(dir.path());
    const auto snapshot = read(LayoutSource::buhoLaunchpad, db);
    ASSERT_TRUE(snapshot.has_value());
    EXPECT_EQ(describe(snapshot->layout), "__group_0__ [buhoLaunchpad-group-0-0:G: com.a com.b x] com.c d");
    EXPECT_EQ(StoreFixtures::fingerprint(dir.path()), before);
    EXPECT_EQ(LayoutSourceImporter::systemRunner()(db, QStringLiteral("SELECT count(*) FROM keep;")).value_or(QString()),
              QStringLiteral("1\n"));
}

TEST_F(LayoutSourceImporterReadTest, NonUtf8RowSpoilsOnlyItself)
{
    const QString db = database(QStringLiteral("db"), QStringLiteral(
        "CREATE TABLE apps (bundle_id TEXT, position INTEGER);"
        "INSERT INTO apps VALUES ('com.a', 1), (CAST(X'636F6D2EFF' AS TEXT), 2), ('com.b', 3);"));
    const auto snapshot = read(LayoutSource::appGrid, db);
    ASSERT_TRUE(snapshot.has_value());
    EXPECT_EQ(describe(snapshot->layout), "com.a com.b");
}

TEST_F(LayoutSourceImporterReadTest, ResolvesToInstalledApplications)
{
    const QString db = database(QStringLiteral("db"), QStringLiteral(
        "CREATE TABLE apps (path TEXT, position INTEGER);"
        "INSERT INTO apps VALUES ('/Old/Safari.app', 1), ('/Applications/Tool.app', 2), ('notes', 3);"));
    const QList<AppItem> apps = {
        AppItem(QStringLiteral("com.apple.Safari"), QStringLiteral("Safari"), QStringLiteral("/Applications/Safari.app")),
        AppItem(QString(), QStringLiteral("Tool"), QStringLiteral("/Applications/Tool.app")),
        AppItem(QStringLiteral("com.notes"), QStringLiteral("Notes"), QStringLiteral("/Applications/Notes.app")),
    };
    const auto snapshot = read(LayoutSource::appGrid, db, apps);
    ASSERT_TRUE(snapshot.has_value());
    EXPECT_EQ(describe(snapshot->layout), "com.apple.Safari /Applications/Tool.app com.notes");
    EXPECT_EQ(snapshot->probeDetail.toStdString(), "1 tables · apps(path,order=position)");
}

// A folder store: only names that pass the database-file filter are read, in
// name order; the first that yields a layout is taken.
TEST_F(LayoutSourceImporterReadTest, FolderStoreReadsFilteredFilesInOrder)
{
    QDir(dir.path()).mkdir(QStringLiteral("BuhoLaunchpad"));
    const QString folder = dir.filePath(QStringLiteral("BuhoLaunchpad"));
    const QString withApps = QStringLiteral("CREATE TABLE apps (bundle_id TEXT, position INTEGER);"
                                            "INSERT INTO apps VALUES ('%1', 1);");
    ASSERT_TRUE(StoreFixtures::execute(folder + QStringLiteral("/Layout.sqlite"),
                                       QStringLiteral("CREATE TABLE notes (title_name TEXT);")));
    ASSERT_TRUE(StoreFixtures::execute(folder + QStringLiteral("/Main.DB"), withApps.arg(QStringLiteral("com.main"))));
    ASSERT_TRUE(StoreFixtures::execute(folder + QStringLiteral("/db"), withApps.arg(QStringLiteral("com.lower"))));
    ASSERT_TRUE(StoreFixtures::execute(folder + QStringLiteral("/notes.txt"), withApps.arg(QStringLiteral("com.txt"))));
    ASSERT_TRUE(StoreFixtures::execute(folder + QStringLiteral("/A.sqlite-wal"), withApps.arg(QStringLiteral("com.wal"))));
    const auto before = StoreFixtures::fingerprint(folder);

    const auto snapshot = read(LayoutSource::buhoLaunchpad, folder);
    ASSERT_TRUE(snapshot.has_value());
    EXPECT_EQ(describe(snapshot->layout), "com.main");
    EXPECT_EQ(StoreFixtures::fingerprint(folder), before);

    // Through injected listings as well: nothing that fails the filter is read.
    QStringList visited;
    LayoutSourceImporter::Environment env = testEnv();
    env.isReadable = [](const QString &) { return true; };
    env.isDirectory = [](const QString &path) { return path == QStringLiteral("/store"); };
    env.directoryEntries = [](const QString &) {
        return QStringList{QStringLiteral("notes.txt"), QStringLiteral("z.sqlite3"), QStringLiteral("Data.Store"),
                           QStringLiteral("data.store-wal")};
    };
    const SQLRunner runner = [&](const QString &db, const QString &) -> std::optional<QString> {
        if (visited.isEmpty() || visited.last() != db)
            visited.append(db);
        return std::nullopt;
    };
    EXPECT_FALSE(LayoutSourceImporter::read(LayoutSourceRecord(LayoutSource::appGrid, QStringLiteral("/store")), {}, 35,
                                            runner, std::nullopt, env)
                     .has_value());
    EXPECT_EQ(visited, (QStringList{QStringLiteral("/store/Data.Store"), QStringLiteral("/store/z.sqlite3")}));
}

TEST_F(LayoutSourceImporterReadTest, UnreadableOrUnfitSourcesGiveNothing)
{
    EXPECT_FALSE(read(LayoutSource::launchNext, dir.filePath(QStringLiteral("absent.store"))).has_value());
    EXPECT_FALSE(read(LayoutSource::launchie, dir.filePath(QStringLiteral("absent.plist"))).has_value());

    QFile text(dir.filePath(QStringLiteral("text.db")));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("plain words, not a database\n");
    text.close();
    EXPECT_FALSE(read(LayoutSource::appGrid, text.fileName()).has_value());
    // A preference list named where an SQLite store was expected.
    EXPECT_FALSE(read(LayoutSource::appGridAppStore, text.fileName()).has_value());

    const QString noTable = database(QStringLiteral("none.db"), QStringLiteral("CREATE TABLE t (title_name TEXT);"));
    EXPECT_FALSE(read(LayoutSource::appGrid, noTable).has_value());
    const QString empty = database(QStringLiteral("empty.db"), QStringLiteral("CREATE TABLE apps (bundleid TEXT);"));
    EXPECT_FALSE(read(LayoutSource::appGrid, empty).has_value());

    // Readability is asked before anything else.
    LayoutSourceImporter::Environment env = testEnv();
    env.isReadable = [](const QString &) { return false; };
    int runs = 0;
    const SQLRunner counting = [&](const QString &, const QString &) -> std::optional<QString> {
        ++runs;
        return std::nullopt;
    };
    EXPECT_FALSE(LayoutSourceImporter::read(LayoutSourceRecord(LayoutSource::launchMe, empty), {}, 35, counting,
                                            PropertyList::toXml(QVariantList{QStringLiteral("com.a")}), env)
                     .has_value());
    EXPECT_EQ(runs, 0);
}

TEST_F(LayoutSourceImporterReadTest, PropertyListFilesInBothFormats)
{
    const QVariant root = QVariantMap{
        {QStringLiteral("folders"),
         QVariantList{QVariantMap{{QStringLiteral("name"), QStringLiteral("Work")},
                                  {QStringLiteral("apps"), QVariantList{QStringLiteral("com.b"), QStringLiteral("com.c")}}}}},
        {QStringLiteral("pages"),
         QVariantList{QVariantList{QStringLiteral("com.a")}, QVariantList{QStringLiteral("com.d")}}}};
    const QString xmlPath = dir.filePath(QStringLiteral("prefs.plist"));
    const QString binaryPath = dir.filePath(QStringLiteral("prefs-binary.plist"));
    for (const auto &[path, bytes] : {std::pair{xmlPath, PropertyList::toXml(root)},
                                      std::pair{binaryPath, PropertyList::toBinary(root)}}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    const auto before = StoreFixtures::fingerprint(dir.path());
    for (const QString &path : {xmlPath, binaryPath}) {
        const auto snapshot = read(LayoutSource::launchMeAppStore, path);
        ASSERT_TRUE(snapshot.has_value());
        EXPECT_EQ(snapshot->probeDetail.toStdString(), "plist");
        EXPECT_EQ(describe(snapshot->layout), "[launchMeAppStore-group-0-0:Work: com.b com.c] com.a | com.d");
    }
    EXPECT_EQ(StoreFixtures::fingerprint(dir.path()), before);

    // AppGrid's preference-list candidate is read as a property list too.
    const auto appGrid = read(LayoutSource::appGrid, binaryPath);
    ASSERT_TRUE(appGrid.has_value());
    EXPECT_EQ(appGrid->probeDetail.toStdString(), "plist");
    EXPECT_EQ(describe(appGrid->layout), "[appGrid-group-0-0:Work: com.b com.c] com.a | com.d");

    // Given bytes replace the file's content.
    const auto given = LayoutSourceImporter::read(LayoutSourceRecord(LayoutSource::launchie, xmlPath), {}, 35,
                                                  LayoutSourceImporter::systemRunner(),
                                                  PropertyList::toBinary(QVariantList{QStringLiteral("com.given")}),
                                                  testEnv());
    ASSERT_TRUE(given.has_value());
    EXPECT_EQ(describe(given->layout), "com.given");
    EXPECT_FALSE(LayoutSourceImporter::read(LayoutSourceRecord(LayoutSource::launchie, xmlPath), {}, 35,
                                            LayoutSourceImporter::systemRunner(), QByteArray("garbage"), testEnv())
                     .has_value());
}

TEST_F(LayoutSourceImporterReadTest, SystemLauncherDatabase)
{
    const QString db = database(QStringLiteral("db"), QStringLiteral(
        "CREATE TABLE items (rowid INTEGER PRIMARY KEY, uuid VARCHAR, flags INTEGER, type INTEGER, parent_id INTEGER,"
        " ordering INTEGER);"
        "CREATE TABLE apps (item_id INTEGER PRIMARY KEY, title VARCHAR, bundleid VARCHAR, bookmark BLOB);"
        "CREATE TABLE groups (item_id INTEGER PRIMARY KEY, category_id INTEGER, title VARCHAR);"
        "INSERT INTO items VALUES (1, 'ROOTPAGE', 0, 1, 0, 0), (2, 'P1', 0, 3, 1, 0), (3, 'A', 0, 4, 2, 0),"
        " (4, 'B', 0, 4, 2, 1);"
        "INSERT INTO apps VALUES (3, 'A', 'com.a', NULL), (4, 'B', 'com.b', NULL);"));
    const auto before = StoreFixtures::fingerprint(dir.path());
    const auto snapshot = read(LayoutSource::systemLaunchpad, db);
    ASSERT_TRUE(snapshot.has_value());
    EXPECT_EQ(snapshot->probeDetail.toStdString(), "items/apps/groups");
    EXPECT_EQ(describe(snapshot->layout), "com.a com.b");
    EXPECT_EQ(StoreFixtures::fingerprint(dir.path()), before);
}

} // namespace

// ---------------------------------------------------------------- failures and bounds

namespace {

// A hostile or unfit source and the reason its import names.
struct FailureCase
{
    const char *name;
    const char *fileName;
    std::function<void(const QString &path)> make;
    const char *reason; // the failure text starts with this
};

class LayoutSourceImporterFailureTest : public ::testing::TestWithParam<FailureCase>
{
protected:
    QTemporaryDir dir;
};

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

TEST_P(LayoutSourceImporterFailureTest, NamesItsReason)
{
    const QString path = dir.filePath(QString::fromLatin1(GetParam().fileName));
    GetParam().make(path);
    QString failure;
    const auto snapshot =
        LayoutSourceImporter::read(LayoutSourceRecord(LayoutSource::launchNext, path), {}, 35,
                                   LayoutSourceImporter::systemRunner(), std::nullopt, testEnv(), &failure);
    EXPECT_FALSE(snapshot.has_value());
    EXPECT_TRUE(failure.startsWith(QString::fromLatin1(GetParam().reason))) << failure.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LayoutSourceImporterFailureTest,
    ::testing::Values(
        FailureCase{"TextFile", "store.db", [](const QString &p) { writeBytes(p, QByteArray(4096, 'x')); },
                    "not a database"},
        FailureCase{"CorruptPages", "store.db",
                    [](const QString &p) {
                        ASSERT_TRUE(StoreFixtures::execute(
                            p, QStringLiteral("CREATE TABLE apps(bundleid TEXT, ordering INT);"
                                              "INSERT INTO apps VALUES ('com.a', 1);")));
                        QFile file(p);
                        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
                        // Keep the 100-byte header, spoil the schema page.
                        file.seek(100);
                        file.write(QByteArray(int(file.size()) - 100, '\xA5'));
                    },
                    "corrupt"},
        FailureCase{"NoUsableTable", "store.db",
                    [](const QString &p) {
                        ASSERT_TRUE(StoreFixtures::execute(p, QStringLiteral("CREATE TABLE notes(body TEXT);")));
                    },
                    "no usable table"},
        FailureCase{"Fifo", "store.db",
                    [](const QString &p) { ASSERT_EQ(::mkfifo(QFile::encodeName(p).constData(), 0600), 0); },
                    "unreadable"},
        FailureCase{"Missing", "store.db", [](const QString &) {}, "unreadable"},
        FailureCase{"PropertyListOfTheWrongType", "prefs.plist",
                    [](const QString &p) { writeBytes(p, PropertyList::toBinary(QStringLiteral("com.a.b"))); },
                    "wrong type in a property list"},
        FailureCase{"NotAPropertyList", "prefs.plist", [](const QString &p) { writeBytes(p, "{ not a list"); },
                    "not a property list"},
        FailureCase{"PropertyListNestedTooDeep", "prefs.plist",
                    [](const QString &p) {
                        QByteArray xml("<plist>");
                        for (int i = 0; i < 100000; ++i)
                            xml += "<array>";
                        xml += "<string>com.a.b</string>";
                        for (int i = 0; i < 100000; ++i)
                            xml += "</array>";
                        writeBytes(p, xml + "</plist>");
                    },
                    "not a property list: nested deeper"}),
    [](const ::testing::TestParamInfo<FailureCase> &info) { return std::string(info.param.name); });

TEST_F(LayoutSourceImporterReadTest, TableWhoseNameHoldsALineBreakImportsLikeAnyOther)
{
    const QString db = database(QStringLiteral("store.db"),
                                QStringLiteral("CREATE TABLE \"launcher\nitems\"(bundleid TEXT, ordering INT);"
                                               "INSERT INTO \"launcher\nitems\" VALUES ('com.b', 2), ('com.a', 1);"));
    const auto snapshot = read(LayoutSource::launchNext, db);
    ASSERT_TRUE(snapshot.has_value());
    EXPECT_EQ(describe(snapshot->layout), "com.a com.b");
}

// Thousands of tables: the schema comes in one statement and the store is
// copied once for the whole import, not once per table.
TEST_F(LayoutSourceImporterReadTest, ManyTablesCostOneCopyAndAFewRuns)
{
    QString sql = QStringLiteral("BEGIN;");
    for (int i = 0; i < 2000; ++i)
        sql += QStringLiteral("CREATE TABLE t%1(note TEXT, size INT);").arg(i, 4, 10, QLatin1Char('0'));
    sql += QStringLiteral("CREATE TABLE zz_apps(bundleid TEXT, ordering INT); INSERT INTO zz_apps VALUES "
                          "('com.a', 1); COMMIT;");
    const QString db = database(QStringLiteral("big.db"), sql);

    SQLiteToolRunner runner;
    QStringList databases;
    runner.launch = [&databases](const QString &exe, const QStringList &args, int timeout) {
        databases.append(args.at(args.size() - 2));
        return ChildProcess::run(exe, args, timeout);
    };
    const auto snapshot = LayoutSourceImporter::read(LayoutSourceRecord(LayoutSource::launchNext, db), {}, 35, runner,
                                                     std::nullopt, testEnv());
    ASSERT_TRUE(snapshot.has_value());
    EXPECT_EQ(describe(snapshot->layout), "com.a");
    EXPECT_LE(databases.size(), 3);
    EXPECT_EQ(QSet<QString>(databases.cbegin(), databases.cend()).size(), 1);
}

// One time limit for the whole import, shared by every query; running out is
// a clear failure, not an empty result.
TEST_F(LayoutSourceImporterReadTest, WholeImportTimeLimitIsAClearFailure)
{
    const QString db = database(QStringLiteral("store.db"),
                                QStringLiteral("CREATE TABLE apps(bundleid TEXT, ordering INT);"
                                               "INSERT INTO apps VALUES ('com.a', 1);"));
    // A tool that never answers in time.
    const QString slow = dir.filePath(QStringLiteral("slow-sqlite3"));
    writeBytes(slow, "#!/bin/sh\nexec sleep 30\n");
    ASSERT_TRUE(QFile::setPermissions(slow, QFile::ReadOwner | QFile::ExeOwner));
    SQLiteToolRunner runner;
    runner.executable = slow;
    runner.importTimeLimitMs = 200;
    QString failure;
    LogCapture log;
    EXPECT_FALSE(LayoutSourceImporter::read(LayoutSourceRecord(LayoutSource::launchNext, db), {}, 35, runner,
                                            std::nullopt, testEnv(), &failure)
                     .has_value());
    EXPECT_EQ(failure, QStringLiteral("time limit of 200 ms reached"));
}
