#include "import/launchpad_app_merger.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QSet>
#include <QTemporaryDir>

namespace {


LaunchpadAppCatalog catalogOf(const QList<LaunchpadAppRecord> &records)
{
    LaunchpadAppCatalog catalog;
    for (const LaunchpadAppRecord &record : records)
        catalog.records.insert(record.bundleID, record);
    return catalog;
}

LaunchpadAppMerger::FileExists existing(const QStringList &paths)
{
    return [paths](const QString &path) { return paths.contains(path); };
}

QStringList describe(const QList<AppItem> &apps)
{
    QStringList out;
    for (const AppItem &app : apps)
        out << app.stableID() + QLatin1Char('=') + app.name + (app.isSystemApp ? QStringLiteral(" [system]") : QString())
                + QLatin1Char(' ') + app.path;
    return out;
}

const QList<AppItem> kScanned{
    AppItem("com.a", "A scanned", "/Applications/A.app"),
    AppItem("", "NoID", "/Applications/NoID.app"),
    AppItem("com.b", "B scanned", "/Applications/B.app", true),
};

TEST(LaunchpadAppMergerTest, RenamesScannedAppsOnlyWhenAsked)
{
    const LaunchpadAppCatalog catalog = catalogOf({{"com.a", "A title", std::nullopt},
                                                   {"com.b", "", std::nullopt},
                                                   {"/Applications/NoID.app", "Path title", std::nullopt}});
    const auto fs = existing({});
    EXPECT_EQ(describe(LaunchpadAppMerger::merge(kScanned, catalog, {}, true, {}, {}, fs)),
              (QStringList{"com.a=A title /Applications/A.app", "/Applications/NoID.app=Path title /Applications/NoID.app",
                           "com.b=B scanned [system] /Applications/B.app"}));
    EXPECT_EQ(LaunchpadAppMerger::merge(kScanned, catalog, {}, false, {}, {}, fs), kScanned);
    EXPECT_EQ(LaunchpadAppMerger::merge(kScanned, LaunchpadAppCatalog(), {}, true, {}, {}, fs), kScanned);
}

TEST(LaunchpadAppMergerTest, AddsLauncherAppsTheScanMissedOnceInLauncherOrder)
{
    const LaunchpadAppCatalog catalog = catalogOf({{"com.c", "C title", "/Applications/C.app"},
                                                   {"com.d", "", "/System/Applications/D.app"},
                                                   {"com.a", "A title", "/Applications/A.app"}});
    const auto fs = existing({"/Applications/C.app", "/System/Applications/D.app", "/Applications/A.app"});
    const QStringList order{"com.d", "", "com.a", "com.c", "com.d", "com.unknown"};
    EXPECT_EQ(describe(LaunchpadAppMerger::merge(kScanned, catalog, order, false, {}, {}, fs)),
              (QStringList{"com.a=A scanned /Applications/A.app", "/Applications/NoID.app=NoID /Applications/NoID.app",
                           "com.b=B scanned [system] /Applications/B.app", "com.d=D [system] /System/Applications/D.app",
                           "com.c=C /Applications/C.app"}));
    EXPECT_EQ(describe(LaunchpadAppMerger::merge({}, catalog, order, true, {}, {}, fs)),
              (QStringList{"com.d=D [system] /System/Applications/D.app", "com.a=A title /Applications/A.app",
                           "com.c=C title /Applications/C.app"}));
}

TEST(LaunchpadAppMergerTest, ExcludedAppsStayOutWhereverTheyComeFrom)
{
    const LaunchpadAppCatalog catalog = catalogOf({{"com.a", "A", "/Applications/A.app"}, {"com.c", "C", "/Applications/C.app"}});
    const auto fs = existing({"/Applications/A.app", "/Applications/C.app"});
    const QSet<QString> excluding{"com.a", "com.c", "/Applications/NoID.app"};
    EXPECT_EQ(describe(LaunchpadAppMerger::merge(kScanned, catalog, {"com.a", "com.c"}, true, excluding, {}, fs)),
              QStringList{"com.b=B scanned [system] /Applications/B.app"});
}

struct PathCase
{
    const char *name;
    std::optional<QString> recordPath;
    std::optional<QString> fallback;
    QStringList existingPaths;
    std::optional<QString> expectedPath; // nothing: the app is not added
    int expectedFallbackCalls;
};

void PrintTo(const PathCase &c, std::ostream *os)
{
    *os << c.name;
}

class MergerPathTest : public ::testing::TestWithParam<PathCase>
{
};

TEST_P(MergerPathTest, ValidatesPaths)
{
    const PathCase &c = GetParam();
    const LaunchpadAppCatalog catalog = catalogOf({{"com.x", "", c.recordPath}});
    int calls = 0;
    auto fallback = [&](const QString &id) {
        ++calls;
        EXPECT_EQ(id, QStringLiteral("com.x"));
        return c.fallback;
    };
    const QList<AppItem> result = LaunchpadAppMerger::merge({}, catalog, {"com.x"}, true, {}, fallback, existing(c.existingPaths));
    EXPECT_EQ(calls, c.expectedFallbackCalls);
    if (!c.expectedPath) {
        EXPECT_TRUE(result.isEmpty());
        return;
    }
    ASSERT_EQ(result.size(), 1);
    EXPECT_EQ(result.at(0).path, *c.expectedPath);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MergerPathTest,
    ::testing::Values(
        PathCase{"RecordPathUsed", "/Applications/X.app", "/Other/X.app", {"/Applications/X.app", "/Other/X.app"}, "/Applications/X.app", 0},
        PathCase{"UserTrashRejectedFallbackAsked", "/Users/me/.Trash/X.app", "/Applications/X.app",
                 {"/Users/me/.Trash/X.app", "/Applications/X.app"}, "/Applications/X.app", 1},
        PathCase{"VolumeTrashesRejected", "/Volumes/Disk/.Trashes/501/X.app", std::nullopt, {"/Volumes/Disk/.Trashes/501/X.app"},
                 std::nullopt, 1},
        PathCase{"TrashLettersInsideANameAreFine", "/Applications/My.trash.app", std::nullopt, {"/Applications/My.trash.app"},
                 "/Applications/My.trash.app", 0},
        PathCase{"NotAnAppBundleRejected", "/Applications/X", std::nullopt, {"/Applications/X"}, std::nullopt, 1},
        PathCase{"UpperCaseExtensionRejected", "/Applications/X.APP", std::nullopt, {"/Applications/X.APP"}, std::nullopt, 1},
        PathCase{"MissingFileRejected", "/Applications/X.app", "/Applications/Gone.app", {}, std::nullopt, 1},
        PathCase{"NoRecordPathAsksFallback", std::nullopt, "/Applications/Y.app", {"/Applications/Y.app"}, "/Applications/Y.app", 1}),
    [](const ::testing::TestParamInfo<PathCase> &info) { return std::string(info.param.name); });

TEST(LaunchpadAppMergerTest, DefaultExistenceTestUsesTheFileSystem)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("Real.app")));
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral(".Trash/Old.app")));
    const QString real = dir.filePath(QStringLiteral("Real.app"));
    const LaunchpadAppCatalog catalog = catalogOf({{"com.real", "", real},
                                                   {"com.old", "", dir.filePath(QStringLiteral(".Trash/Old.app"))},
                                                   {"com.none", "", dir.filePath(QStringLiteral("None.app"))}});
    const QList<AppItem> result = LaunchpadAppMerger::merge({}, catalog, {"com.real", "com.old", "com.none"}, false);
    ASSERT_EQ(result.size(), 1);
    EXPECT_EQ(result.at(0), AppItem("com.real", "Real", real, false));
}

} // namespace
