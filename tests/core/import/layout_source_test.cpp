#include "import/dock_grid_preference.h"
#include "import/layout_source.h"
#include "localization/l10n.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QHash>
#include <QSet>
#include <QTemporaryDir>

#include <cmath>
#include <limits>

namespace {

const QString kHome = QStringLiteral("/Users/me");
const QString kTemp = QStringLiteral("/var/folders/ab/xyz/T/");
const QString kTempParent = QStringLiteral("/var/folders/ab/xyz");

// An in-memory file system for discovery.
struct FakeFileSystem
{
    QSet<QString> readable;
    QHash<QString, QStringList> directories; // path -> entries
    mutable QStringList readabilityAsked;
    mutable QStringList listed;

    QList<LayoutSourceRecord> discover(const std::optional<QString> &darwin = std::nullopt,
                                       const LayoutSource::BundleIdentifiers &ids = {}) const
    {
        return LayoutSourceCatalog::discover(
            kHome, darwin,
            [this](const QString &path) {
                readabilityAsked << path;
                return readable.contains(path);
            },
            [this](const QString &path) { return directories.contains(path); },
            [this](const QString &path) {
                listed << path;
                return directories.value(path);
            },
            kTemp, ids);
    }
};

QStringList describe(const QList<LayoutSourceRecord> &records)
{
    QStringList out;
    for (const LayoutSourceRecord &record : records) {
        EXPECT_FALSE(record.isDirectory);
        out << record.source.rawValue() + QLatin1Char(' ') + record.path;
    }
    return out;
}

TEST(LayoutSourceTest, RawValuesRoundTripExactly)
{
    QStringList raw;
    for (const LayoutSource source : LayoutSource::allCases()) {
        raw << source.rawValue();
        EXPECT_EQ(LayoutSource::fromRawValue(source.rawValue()), source);
    }
    EXPECT_EQ(raw, (QStringList{"systemLaunchpad", "buhoLaunchpad", "launchNext", "appGrid", "appGridAppStore", "launchie",
                                "launchMe", "launchMeAppStore"}));
    EXPECT_FALSE(LayoutSource::fromRawValue(QStringLiteral("SystemLaunchpad")).has_value());
    EXPECT_FALSE(LayoutSource::fromRawValue(QString()).has_value());
    QStringList plists;
    for (const LayoutSource source : LayoutSource::allCases()) {
        if (source.isPropertyList())
            plists << source.rawValue();
    }
    EXPECT_EQ(plists, (QStringList{"launchie", "launchMe", "launchMeAppStore"}));
}

TEST(LayoutSourceTest, LabelsAndRecordLabel)
{
    EXPECT_EQ(LayoutSource(LayoutSource::buhoLaunchpad).label(), QStringLiteral("BuhoLaunchpad"));
    const LayoutSourceRecord record(LayoutSource::systemLaunchpad, QStringLiteral("/x/com.apple.dock.launchpad/db/db"));
    EXPECT_EQ(record.label(), LayoutSource(LayoutSource::systemLaunchpad).label() + QStringLiteral(" · db"));
    const AppLanguage previous = L10n::current();
    L10n::setForTesting(AppLanguage::en);
    EXPECT_EQ(record.label(), QStringLiteral("System Launchpad (legacy) · db"));
    EXPECT_EQ(LayoutSource(LayoutSource::appGridAppStore).label(), QStringLiteral("AppGrid (App Store)"));
    L10n::setForTesting(previous);
    EXPECT_EQ(LayoutSourceRecord(LayoutSource::launchNext, QStringLiteral("/a/Data.store")).label(),
              QStringLiteral("LaunchNext · Data.store"));
}

TEST(LayoutSourceTest, SystemLauncherCandidates)
{
    const LayoutSource system = LayoutSource::systemLaunchpad;
    EXPECT_EQ(system.candidatePaths(kHome, std::nullopt, kTemp),
              (QStringList{kTempParent + "/0/com.apple.dock.launchpad/db/db", kTempParent + "/com.apple.dock.launchpad/db/db"}));
    EXPECT_EQ(system.candidatePaths(kHome, QStringLiteral("/d/C/"), kTemp).first(), QStringLiteral("/d/C/com.apple.dock.launchpad/db/db"));
}

TEST(LayoutSourceTest, UnknownBundleIdentifiersLeaveNoCandidate)
{
    EXPECT_TRUE(LayoutSource(LayoutSource::launchie).candidatePaths(kHome, std::nullopt, kTemp).isEmpty());
    LayoutSource::BundleIdentifiers ids;
    ids.launchie = QStringLiteral("com.example.launchie");
    ids.launchMeAppStore = QStringLiteral("com.example.launchme");
    EXPECT_EQ(LayoutSource(LayoutSource::launchie).candidatePaths(kHome, std::nullopt, kTemp, ids),
              QStringList{kHome + "/Library/Containers/com.example.launchie/Data/Library/Preferences/com.example.launchie.plist"});
    EXPECT_EQ(LayoutSource(LayoutSource::launchMe).candidatePaths(kHome, std::nullopt, kTemp, ids),
              QStringList{kHome + "/Library/Preferences/com.example.launchme.Direct.plist"});
    EXPECT_EQ(LayoutSource(LayoutSource::launchMeAppStore).candidatePaths(kHome, std::nullopt, kTemp, ids),
              QStringList{kHome + "/Library/Containers/com.example.launchme/Data/Library/Preferences/com.example.launchme.plist"});
}

TEST(LayoutSourceDiscoveryTest, SameDatabaseOfferedTwiceIsListedOnce)
{
    FakeFileSystem fs;
    const QString db = kTempParent + "/0/com.apple.dock.launchpad/db/db";
    fs.readable << db;
    EXPECT_EQ(describe(fs.discover(kTempParent + "/0")), QStringList{"systemLaunchpad " + db});
}

TEST(LayoutSourceDiscoveryTest, FolderOfDatabasesListsMatchingFilesSorted)
{
    FakeFileSystem fs;
    const QString buho = kHome + "/Library/Application Support/BuhoLaunchpad";
    fs.readable << buho;
    fs.directories.insert(buho, {"notes.txt", "db", "Layout.sqlite", "Main.DB", "data.store-wal", "Data.Store", "x.sqlite3",
                                 "sub.db-shm"});
    EXPECT_EQ(describe(fs.discover()), (QStringList{"buhoLaunchpad " + buho + "/Data.Store", "buhoLaunchpad " + buho + "/Layout.sqlite",
                                                    "buhoLaunchpad " + buho + "/Main.DB", "buhoLaunchpad " + buho + "/db",
                                                    "buhoLaunchpad " + buho + "/x.sqlite3"}));
    // Entries are neither tested for readability nor for being folders.
    EXPECT_FALSE(fs.readabilityAsked.contains(buho + "/db"));
    EXPECT_EQ(fs.listed, QStringList{buho});
}

TEST(LayoutSourceDiscoveryTest, EverySourceInOrderWithPropertyListsTakenAsTheyAre)
{
    FakeFileSystem fs;
    LayoutSource::BundleIdentifiers ids;
    ids.launchie = QStringLiteral("com.example.launchie");
    const QString launchie = kHome + "/Library/Containers/com.example.launchie/Data/Library/Preferences/com.example.launchie.plist";
    const QString next = kHome + "/Library/Application Support/LaunchNext/Data.store";
    const QString gridDb = kHome + "/Library/Application Support/com.zekalogic.appgrid.app.direct/db";
    const QString gridPlist = kHome + "/Library/Preferences/com.zekalogic.appgrid.app.direct.plist";
    const QString storeGrid = kHome + "/Library/Containers/com.zekalogic.appgrid.app/Data/Library/Application Support/db";
    const QString system = kTempParent + "/com.apple.dock.launchpad/db/db";
    fs.readable << launchie << next << gridDb << gridPlist << storeGrid << system;
    fs.directories.insert(launchie, {"db"}); // a property-list source that is a folder stays one record
    fs.directories.insert(storeGrid, {});    // an empty folder gives nothing
    EXPECT_EQ(describe(fs.discover(std::nullopt, ids)),
              (QStringList{"systemLaunchpad " + system, "launchNext " + next, "appGrid " + gridDb, "appGrid " + gridPlist,
                           "launchie " + launchie}));
    EXPECT_EQ(fs.listed, QStringList{storeGrid});
}

TEST(LayoutSourceDiscoveryTest, RealFileSystemDefaults)
{
    QTemporaryDir home;
    const QString buho = home.filePath(QStringLiteral("Library/Application Support/BuhoLaunchpad"));
    ASSERT_TRUE(QDir().mkpath(buho));
    for (const char *name : {"b.db", "a.sqlite", "readme.md"}) {
        QFile file(buho + QLatin1Char('/') + QLatin1String(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    QTemporaryDir tmp;
    const QList<LayoutSourceRecord> records =
        LayoutSourceCatalog::discover(home.path(), std::nullopt, LayoutSourceCatalog::defaultIsReadable(),
                                      LayoutSourceCatalog::defaultIsDirectory(), LayoutSourceCatalog::defaultDirectoryEntries(),
                                      tmp.filePath(QStringLiteral("T")));
    EXPECT_EQ(describe(records), (QStringList{"buhoLaunchpad " + buho + "/a.sqlite", "buhoLaunchpad " + buho + "/b.db"}));
    EXPECT_TRUE(LayoutSourceCatalog::defaultDirectoryEntries()(home.filePath(QStringLiteral("missing"))).isEmpty());
}

// ---- the Dock's grid ------------------------------------------------------

struct GridCase
{
    const char *name;
    QVariantMap values;
    std::optional<int> columns;
    std::optional<int> rows;
};

void PrintTo(const GridCase &c, std::ostream *os)
{
    *os << c.name;
}

class DockGridParseTest : public ::testing::TestWithParam<GridCase>
{
};

TEST_P(DockGridParseTest, Parses)
{
    const GridCase &c = GetParam();
    const DockGridPreference preference = DockGridPreference::parse(c.values);
    EXPECT_EQ(preference.columns, c.columns);
    EXPECT_EQ(preference.rows, c.rows);
}

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Cases, DockGridParseTest,
    ::testing::Values(
        GridCase{"Integers", {{"springboard-columns", 8}, {"springboard-rows", 6}}, 8, 6},
        GridCase{"Clamped", {{"springboard-columns", 12}, {"springboard-rows", 2}}, 10, 3},
        GridCase{"LongLongAndUnsigned", {{"springboard-columns", qint64(-5)}, {"springboard-rows", quint64(1) << 63}}, 4, 7},
        GridCase{"TrimmedString", {{"springboard-columns", " 6 "}, {"springboard-rows", "\n+5\t"}}, 6, 5},
        GridCase{"FractionalStringRejected", {{"springboard-columns", "6.5"}, {"springboard-rows", "five"}}, std::nullopt, std::nullopt},
        GridCase{"NumbersTruncated", {{"springboard-columns", 6.9}, {"springboard-rows", -0.5}}, 6, 3},
        GridCase{"NaNIsAbsentInfinityClamped", {{"springboard-columns", kNaN}, {"springboard-rows", kInf}}, std::nullopt, 7},
        GridCase{"NegativeInfinityClamped", {{"springboard-columns", -kInf}}, 4, std::nullopt},
        GridCase{"OverflowingStringRejected", {{"springboard-columns", "99999999999999999999"}}, std::nullopt, std::nullopt},
        GridCase{"OtherTypesAbsent", {{"springboard-columns", QVariantList{7}}, {"springboard-rows", QByteArray("5")}}, std::nullopt, std::nullopt},
        GridCase{"MissingRows", {{"springboard-columns", 7}}, 7, std::nullopt}),
    [](const ::testing::TestParamInfo<GridCase> &info) { return std::string(info.param.name); });

TEST(DockGridPreferenceTest, LabelNeedsBothValues)
{
    EXPECT_EQ(DockGridPreference({7, 5}).label(), QStringLiteral("7 × 5"));
    EXPECT_TRUE(DockGridPreference({7, 5}).isUsable());
    EXPECT_FALSE(DockGridPreference({7, std::nullopt}).label().has_value());
    EXPECT_FALSE(DockGridPreference({7, std::nullopt}).isUsable());
    EXPECT_FALSE(DockGridPreference().label().has_value());
}

TEST(DockGridPreferenceTest, SuiteValuesWinAndPreferencesFillTheGaps)
{
    QStringList asked;
    auto suite = [](const QString &key) -> std::optional<QVariant> {
        if (key == DockGridPreference::kColumnsKey)
            return QVariant(9);
        return std::nullopt;
    };
    auto preferences = [&asked](const QString &key) -> std::optional<QVariant> {
        asked << key;
        return QVariant(key == DockGridPreference::kColumnsKey ? 5 : 4);
    };
    EXPECT_EQ(DockGridPreference::systemPreference(suite, preferences), DockGridPreference({9, 4}));
    EXPECT_EQ(asked, QStringList{"springboard-rows"});
}

TEST(DockGridPreferenceTest, NoDockDomainHereReadsNothing)
{
    EXPECT_EQ(DockGridPreference::systemPreference(), DockGridPreference());
}

} // namespace
