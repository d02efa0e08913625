#include "model/app_scanner.h"

#include "foundation/property_list.h"
#include "support/temp_env.h"
#include "support/test_files.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QVariantMap>

#include <gtest/gtest.h>

#include <functional>
#include <ostream>

#include <sys/stat.h>

#include <algorithm>

namespace {

enum class Plist { xml, binary, none, raw };

QVariantMap appInfo(const QString &bundleID)
{
    return QVariantMap{
        {QStringLiteral("CFBundleIdentifier"), bundleID},
        {QStringLiteral("CFBundlePackageType"), QStringLiteral("APPL")},
    };
}

// A bundle folder with Contents/Info.plist in the chosen form.
void makeBundle(const QString &bundlePath, const QVariantMap &info, Plist form = Plist::xml,
                const QByteArray &raw = {})
{
    QDir().mkpath(bundlePath + QStringLiteral("/Contents/MacOS"));
    const QString plist = bundlePath + QStringLiteral("/Contents/Info.plist");
    switch (form) {
    case Plist::xml:
        writeFile(plist, PropertyList::toXml(info));
        break;
    case Plist::binary:
        writeFile(plist, PropertyList::toBinary(info));
        break;
    case Plist::raw:
        writeFile(plist, raw);
        break;
    case Plist::none:
        break;
    }
}

void symlink(const QString &target, const QString &link)
{
    ASSERT_TRUE(QFile::link(target, link)) << link.toStdString();
}

QStringList ids(const QList<AppItem> &apps)
{
    QStringList out;
    for (const AppItem &app : apps)
        out.append(app.stableID());
    out.sort();
    return out;
}

QStringList relativePaths(const QList<QUrl> &urls, const QString &root)
{
    QStringList out;
    for (const QUrl &url : urls)
        out.append(QDir(root).relativeFilePath(url.toLocalFile()));
    out.sort();
    return out;
}

// ---------------------------------------------------------------------------
// One bundle per row: what its Info.plist and file name make of it.

struct BundleCase
{
    const char *name;
    QString fileName;
    QVariantMap info;
    Plist form;
    QByteArray raw;
    bool taken;
    QString expectedBundleID; // when taken
    QString expectedName;     // when taken
};

// Failure messages name the row instead of dumping its bytes.
void PrintTo(const BundleCase &c, std::ostream *os)
{
    *os << c.name;
}

QVariantMap with(QVariantMap info, const QString &key, const QVariant &value)
{
    info.insert(key, value);
    return info;
}

QVariantMap without(QVariantMap info, const QString &key)
{
    info.remove(key);
    return info;
}

const QVariantMap kBase = appInfo(QStringLiteral("com.example.app"));

class MakeItemTest : public ::testing::TestWithParam<BundleCase>
{
};

TEST_P(MakeItemTest, FiltersAndNames)
{
    const BundleCase &c = GetParam();
    const LogCapture quiet;
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString bundle = dir.filePath(c.fileName);
    makeBundle(bundle, c.info, c.form, c.raw);

    const AppScanner scanner(QStringList{});
    const std::optional<AppItem> item = scanner.makeItem(QUrl::fromLocalFile(bundle));
    ASSERT_EQ(item.has_value(), c.taken);

    // The walk agrees with makeItem for a bundle directly in a root.
    const bool found = c.taken && c.fileName.endsWith(QStringLiteral(".app"));
    EXPECT_EQ(AppScanner(QStringList{dir.path()}).scan().size(), found ? 1 : 0);
    if (!c.taken)
        return;
    EXPECT_EQ(item->bundleID.toStdString(), c.expectedBundleID.toStdString());
    EXPECT_EQ(item->name.toStdString(), c.expectedName.toStdString());
    EXPECT_EQ(item->path.toStdString(), bundle.toStdString());
    EXPECT_FALSE(item->isSystemApp);
}

const QString kID = QStringLiteral("com.example.app");

INSTANTIATE_TEST_SUITE_P(
    Bundles, MakeItemTest,
    ::testing::Values(
        BundleCase{"XmlInfoPlist", "Notes.app", kBase, Plist::xml, {}, true, kID, "Notes"},
        BundleCase{"BinaryInfoPlist", "Notes.app", kBase, Plist::binary, {}, true, kID, "Notes"},
        BundleCase{"NoPackageTypeIsTaken", "Notes.app", without(kBase, "CFBundlePackageType"), Plist::xml, {}, true, kID, "Notes"},
        BundleCase{"OtherPackageTypeIsDropped", "Notes.app", with(kBase, "CFBundlePackageType", "FMWK"), Plist::xml, {}, false, {}, {}},
        BundleCase{"NonTextPackageTypeIsTaken", "Notes.app", with(kBase, "CFBundlePackageType", 7), Plist::binary, {}, true, kID, "Notes"},
        BundleCase{"UIElementText1IsTaken", "Notes.app", with(kBase, "LSUIElement", "1"), Plist::xml, {}, true, kID, "Notes"},
        BundleCase{"UIElementNumber2IsDropped", "Notes.app", with(kBase, "LSUIElement", 2), Plist::binary, {}, false, {}, {}},
        BundleCase{"UIElementTrueIsDropped", "Notes.app", with(kBase, "LSUIElement", true), Plist::xml, {}, false, {}, {}},
        BundleCase{"UIElementFalseIsTaken", "Notes.app", with(kBase, "LSUIElement", false), Plist::xml, {}, true, kID, "Notes"},
        BundleCase{"UIElementRealHalfIsDropped", "Notes.app", with(kBase, "LSUIElement", 0.5), Plist::xml, {}, false, {}, {}},
        BundleCase{"BackgroundOnlyTrueIsDropped", "Notes.app", with(kBase, "LSBackgroundOnly", true), Plist::binary, {}, false, {}, {}},
        BundleCase{"BackgroundOnlyOneIsDropped", "Notes.app", with(kBase, "LSBackgroundOnly", 1), Plist::xml, {}, false, {}, {}},
        BundleCase{"BackgroundOnlyTwoIsTaken", "Notes.app", with(kBase, "LSBackgroundOnly", 2), Plist::xml, {}, true, kID, "Notes"},
        BundleCase{"BackgroundOnlyTextIsTaken", "Notes.app", with(kBase, "LSBackgroundOnly", "YES"), Plist::xml, {}, true, kID, "Notes"},
        BundleCase{"HelperInNameIsDropped", "Chrome HeLPer.app", kBase, Plist::xml, {}, false, {}, {}},
        BundleCase{"SetupInsideWordIsDropped", "MySetupTool.app", kBase, Plist::xml, {}, false, {}, {}},
        BundleCase{"UninstallIsDropped", "Uninstall Foo.app", kBase, Plist::xml, {}, false, {}, {}},
        BundleCase{"InstallAloneIsTaken", "Install macOS.app", kBase, Plist::xml, {}, true, kID, "Install macOS"},
        BundleCase{"NonTextIdentifierIsEmpty", "Notes.app", with(kBase, "CFBundleIdentifier", 42), Plist::xml, {}, true, "", "Notes"},
        BundleCase{"MissingIdentifierIsEmpty", "Notes.app", without(kBase, "CFBundleIdentifier"), Plist::binary, {}, true, "", "Notes"},
        BundleCase{"OnlyLastAppExtensionLeavesName", "Foo.app.app", kBase, Plist::xml, {}, true, kID, "Foo.app"},
        BundleCase{"UpperCaseExtensionLeavesName", "Thing.APP", kBase, Plist::xml, {}, true, kID, "Thing"},
        BundleCase{"DottedBundleName", ".Secret.app", kBase, Plist::xml, {}, true, kID, ".Secret"},
        BundleCase{"NoInfoPlistIsDropped", "Notes.app", kBase, Plist::none, {}, false, {}, {}},
        BundleCase{"MalformedInfoPlistIsDropped", "Notes.app", {}, Plist::raw, "<?xml version=\"1.0\"?><plist><dict><key>", false, {}, {}},
        BundleCase{"TruncatedBinaryPlistIsDropped", "Notes.app", {}, Plist::raw, PropertyList::toBinary(kBase).left(20), false, {}, {}},
        BundleCase{"EmptyInfoPlistIsDropped", "Notes.app", {}, Plist::raw, "", false, {}, {}},
        BundleCase{"ArrayInfoPlistIsDropped", "Notes.app", {}, Plist::raw, PropertyList::toXml(QVariantList{1, 2}), false, {}, {}}),
    [](const ::testing::TestParamInfo<BundleCase> &info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------

TEST(AppScannerTest, HelperNamesAreSubstringsInAnyCase)
{
    for (const char *name : {"helper", "Foo Updater", "AGENT", "xServicex", "crashreporter", "LoginItems",
                             "PrivilegedTool", "daemonize", "Installer"})
        EXPECT_TRUE(AppScanner::isHelperName(QString::fromLatin1(name))) << name;
    for (const char *name : {"Install macOS", "Safari", "Help Viewer", ""})
        EXPECT_FALSE(AppScanner::isHelperName(QString::fromLatin1(name))) << name;
}

TEST(AppScannerTest, DefaultFoldersInOrder)
{
    const QStringList &dirs = AppScanner::defaultDirectories();
    ASSERT_EQ(dirs.size(), 5);
    EXPECT_EQ(dirs.at(0), QStringLiteral("/Applications"));
    EXPECT_EQ(dirs.at(1), QStringLiteral("/System/Applications"));
    EXPECT_EQ(dirs.at(2), QStringLiteral("/System/Applications/Utilities"));
    EXPECT_EQ(dirs.at(3), QStringLiteral("/System/Library/CoreServices/Applications"));
    EXPECT_TRUE(dirs.at(4).endsWith(QStringLiteral("/Applications")));
    EXPECT_EQ(AppScanner().directories(), dirs);
}

// The walk: depth limit, bundles never entered, hidden and framework folders
// skipped, plain files ignored, symbolic links followed.
TEST(AppScannerTest, WalkFindsBundlesByTheFolderRules)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString root = dir.filePath(QStringLiteral("root"));
    const QString outside = dir.filePath(QStringLiteral("outside"));

    makeBundle(root + "/Top.app", appInfo("top"));
    makeBundle(root + "/F/Mid.app", appInfo("mid"), Plist::binary);
    makeBundle(root + "/F/G/Low.app", appInfo("low"));
    makeBundle(root + "/F/G/H/TooDeep.app", appInfo("deep"));
    makeBundle(root + "/Outer.app", appInfo("outer"));
    makeBundle(root + "/Outer.app/Contents/Applications/Inner.app", appInfo("inner"));
    makeBundle(root + "/Kit.framework/Framed.app", appInfo("framed"));
    makeBundle(root + "/.hidden/Hidden.app", appInfo("hidden"));
    makeBundle(root + "/.Dotted.app", appInfo("dotted"));
    writeFile(root + "/Plain.app", "not a bundle");
    makeBundle(outside + "/Real.app", appInfo("linked"), Plist::binary);
    makeBundle(outside + "/folder/Shared.app", appInfo("shared"));
    symlink(outside + "/Real.app", root + "/Linked.app");
    symlink(outside + "/folder", root + "/LinkedFolder");
    symlink(outside + "/gone", root + "/Dangling.app");

    const AppScanner scanner(QStringList{root});
    EXPECT_EQ(relativePaths(scanner.applications(QUrl::fromLocalFile(root)), root),
              (QStringList{".Dotted.app", "F/G/Low.app", "F/Mid.app", "Linked.app", "LinkedFolder/Shared.app",
                           "Outer.app", "Top.app"}));
    // A folder given at a deeper level is walked only down to the limit.
    EXPECT_EQ(relativePaths(scanner.applications(QUrl::fromLocalFile(root + "/F"), 1), root),
              (QStringList{"F/G/Low.app", "F/Mid.app"}));
    EXPECT_TRUE(scanner.applications(QUrl::fromLocalFile(root), 3).isEmpty());

    const QList<AppItem> apps = scanner.scan();
    EXPECT_EQ(ids(apps), (QStringList{"dotted", "linked", "low", "mid", "outer", "shared", "top"}));
    // A linked bundle keeps the path under which it was found.
    const auto linked = std::find_if(apps.begin(), apps.end(), [](const AppItem &a) { return a.bundleID == "linked"; });
    ASSERT_NE(linked, apps.end());
    EXPECT_EQ(linked->path, root + "/Linked.app");
    EXPECT_EQ(linked->name, QStringLiteral("Linked"));
}

// Symbolic links that lead back up the tree, or a second way to a folder or a
// bundle: each real folder is listed once and each bundle read once, under
// the path that does not run through the link.
struct LinkCase
{
    const char *name;
    std::function<void(const QString &root)> make;
    QStringList expected; // bundle paths relative to the root
};

void PrintTo(const LinkCase &c, std::ostream *os)
{
    *os << c.name;
}

class AppScannerLinkTest : public ::testing::TestWithParam<LinkCase>
{
};

TEST_P(AppScannerLinkTest, EachRealFolderAndBundleOnceUnderItsOwnPath)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString root = dir.filePath(QStringLiteral("root"));
    GetParam().make(root);

    const AppScanner scanner(QStringList{root});
    // Every bundle the walk returns is read once by the scan.
    EXPECT_EQ(relativePaths(scanner.applications(QUrl::fromLocalFile(root)), root), GetParam().expected);
    QStringList paths;
    for (const AppItem &app : scanner.scan())
        paths.append(QDir(root).relativeFilePath(app.path));
    paths.sort();
    EXPECT_EQ(paths, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Links, AppScannerLinkTest,
    ::testing::Values(
        LinkCase{"BackToTheRoot",
                 [](const QString &root) {
                     makeBundle(root + "/Only.app", appInfo("only"));
                     symlink(root, root + "/back");
                 },
                 {"Only.app"}},
        LinkCase{"FromASubfolderUpToTheRoot",
                 [](const QString &root) {
                     makeBundle(root + "/Only.app", appInfo("only"));
                     makeBundle(root + "/F/Inner.app", appInfo("inner"));
                     symlink(root, root + "/F/up");
                     symlink(root + "/F", root + "/F/self");
                 },
                 {"F/Inner.app", "Only.app"}},
        LinkCase{"TwoFoldersLinkedToEachOther",
                 [](const QString &root) {
                     makeBundle(root + "/A/First.app", appInfo("first"));
                     makeBundle(root + "/B/Second.app", appInfo("second"));
                     symlink(root + "/B", root + "/A/toB");
                     symlink(root + "/A", root + "/B/toA");
                 },
                 {"A/First.app", "B/Second.app"}},
        LinkCase{"ASecondWayToAFolder",
                 [](const QString &root) {
                     makeBundle(root + "/Real/Shared.app", appInfo("shared"));
                     symlink(root + "/Real", root + "/Alias");
                 },
                 {"Real/Shared.app"}},
        LinkCase{"ASecondWayToABundleWithoutIdentifier",
                 [](const QString &root) {
                     makeBundle(root + "/Real.app", without(kBase, "CFBundleIdentifier"));
                     symlink(root + "/Real.app", root + "/Alias.app");
                 },
                 {"Real.app"}}),
    [](const ::testing::TestParamInfo<LinkCase> &info) { return std::string(info.param.name); });

TEST(AppScannerTest, FirstRootWinsForAStableID)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString first = dir.filePath(QStringLiteral("first"));
    const QString second = dir.filePath(QStringLiteral("second"));
    makeBundle(first + "/One.app", appInfo("com.example.same"));
    makeBundle(second + "/Two.app", appInfo("com.example.same"), Plist::binary);
    // Without an identifier each bundle is its own application, keyed by path.
    makeBundle(first + "/Anon.app", without(kBase, "CFBundleIdentifier"));
    makeBundle(second + "/Anon.app", without(kBase, "CFBundleIdentifier"));

    const AppScanner scanner(QStringList{first, dir.filePath("missing")});
    // The second root is given with a trailing slash and the first again.
    const QList<AppItem> apps = scanner.scan({second + "/", first});
    ASSERT_EQ(apps.size(), 3);
    EXPECT_EQ(ids(apps), (QStringList{first + "/Anon.app", second + "/Anon.app", "com.example.same"}));
    for (const AppItem &app : apps) {
        if (app.bundleID == QStringLiteral("com.example.same")) {
            EXPECT_EQ(app.name, QStringLiteral("One"));
            EXPECT_EQ(app.path, first + "/One.app");
        }
    }

    // The extra folders come after the standard ones whatever their order.
    const QList<AppItem> reversed = AppScanner(QStringList{second}).scan({first});
    for (const AppItem &app : reversed) {
        if (app.bundleID == QStringLiteral("com.example.same")) {
            EXPECT_EQ(app.name, QStringLiteral("Two"));
        }
    }
}

TEST(AppScannerTest, MissingRootsAndEmptyEntriesContributeNothing)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    makeBundle(dir.filePath("Here.app"), appInfo("here"));
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    // An empty folder entry must not mean "the working directory".
    const QList<AppItem> apps = AppScanner(QStringList{dir.filePath("nope")}).scan({QString(), dir.filePath("nope/deeper")});
    QDir::setCurrent(previous);
    EXPECT_TRUE(apps.isEmpty());
}

// A binary property list of arrays `depth` deep (4-byte offsets and references).
QByteArray deeplyNestedBinaryList(int depth)
{
    const auto bigEndian = [](quint64 value, int size) {
        QByteArray out;
        for (int i = size - 1; i >= 0; --i)
            out.append(char((value >> (8 * i)) & 0xFF));
        return out;
    };
    QByteArray bytes("bplist00");
    QByteArray table;
    for (int i = 0; i < depth; ++i) {
        table += bigEndian(quint64(bytes.size()), 4);
        bytes += i == depth - 1 ? QByteArray(1, char(0xA0)) : QByteArray(1, char(0xA1)) + bigEndian(quint64(i + 1), 4);
    }
    const quint64 tableOffset = quint64(bytes.size());
    return bytes + table + QByteArray(6, '\0') + char(4) + char(4) + bigEndian(quint64(depth), 8) + bigEndian(0, 8)
           + bigEndian(tableOffset, 8);
}

TEST(AppScannerTest, BrokenBundlesAreLoggedAndTheScanGoesOn)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString root = dir.path();
    makeBundle(root + "/Good.app", appInfo("good"));
    makeBundle(root + "/Empty.app", {}, Plist::none);
    makeBundle(root + "/Garbage.app", {}, Plist::raw, QByteArray("bplist00\xff\xff\xff", 11));
    // A pipe in place of the Info.plist would block a plain read forever.
    QDir().mkpath(root + "/Pipe.app/Contents");
    ASSERT_EQ(::mkfifo(QFile::encodeName(root + "/Pipe.app/Contents/Info.plist").constData(), 0600), 0);
    // A folder in place of the Info.plist.
    QDir().mkpath(root + "/Folder.app/Contents/Info.plist");
    // Nested deep enough to exhaust the parser's stack.
    makeBundle(root + "/Deep.app", {}, Plist::raw, deeplyNestedBinaryList(100000));

    LogCapture log;
    const QList<AppItem> apps = AppScanner(QStringList{root}).scan();
    EXPECT_EQ(ids(apps), QStringList{"good"});
    EXPECT_TRUE(log.contains("[scan] skipped count=1 reason=no-info-plist paths=" + root + "/Empty.app"));
    EXPECT_TRUE(log.contains("[scan] skipped path=" + root + "/Garbage.app reason=bad-info-plist"));
    EXPECT_TRUE(log.contains("[scan] skipped path=" + root + "/Pipe.app reason=bad-info-plist"));
    EXPECT_TRUE(log.contains("[scan] skipped path=" + root + "/Folder.app reason=bad-info-plist"));
    EXPECT_TRUE(log.contains("[scan] skipped path=" + root + "/Deep.app reason=bad-info-plist"));
    EXPECT_EQ(log.lines().size(), 5);
}

// Thousands of folders named "*.app" without an Info.plist once wrote a line
// each on every scan.
TEST(AppScannerTest, BundlesWithoutInfoPlistAreCountedInOneLine)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString root = dir.path();
    makeBundle(root + "/Good.app", appInfo("good"));
    for (int i = 0; i < 40; ++i)
        QDir().mkpath(root + QStringLiteral("/Empty%1.app/Contents").arg(i));

    LogCapture log;
    EXPECT_EQ(ids(AppScanner(QStringList{root}).scan()), QStringList{"good"});
    ASSERT_EQ(log.lines().size(), 1) << log.lines().join('\n').toStdString();
    const QString line = log.lines().first();
    EXPECT_TRUE(line.startsWith("[scan] skipped count=40 reason=no-info-plist paths=" + root + "/Empty"))
        << line.toStdString();
    EXPECT_EQ(line.count(root + "/Empty"), AppScanner::missingInfoPlistsNamed);
    EXPECT_TRUE(line.endsWith(QStringLiteral(".app …"))) << line.toStdString();

    // A bundle asked for on its own still names itself.
    LogCapture single;
    EXPECT_FALSE(AppScanner(QStringList{}).makeItem(QUrl::fromLocalFile(root + "/Empty0.app")));
    EXPECT_EQ(single.lines(), QStringList{"[scan] skipped path=" + root + "/Empty0.app reason=no-info-plist"});
}

// A scan large enough to read its bundles on several threads gives what
// reading them one by one in the walk's order gives: the same records in the
// same order, the first of a stable identifier winning, and each broken
// bundle reported in that order.
TEST(AppScannerTest, ALargeScanKeepsTheWalksOrderAndFirstFinds)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString first = dir.filePath(QStringLiteral("first"));
    const QString second = dir.filePath(QStringLiteral("second"));
    const int perRoot = int(AppScanner::bundlesPerThread * AppScanner::maximumScanThreads);
    for (const QString &root : {first, second}) {
        for (int i = 0; i < perRoot; ++i) {
            const QString bundle = root + QStringLiteral("/App%1.app").arg(i, 4, 10, QLatin1Char('0'));
            if (i % 37 == 5)
                makeBundle(bundle, {}, Plist::raw, QByteArray("not a property list"));
            else if (i % 41 == 7)
                makeBundle(bundle, {}, Plist::none);
            else
                // Every identifier is in both roots, and a few twice in one.
                makeBundle(bundle, appInfo(QStringLiteral("com.example.app%1").arg(i % (perRoot - 3))));
        }
    }

    const AppScanner scanner(QStringList{first});
    QStringList expected;
    QSet<QString> seen;
    LogCapture oneByOne;
    for (const QString &root : {first, second}) {
        for (const QUrl &url : scanner.applications(QUrl::fromLocalFile(root))) {
            const std::optional<AppItem> item = scanner.makeItem(url);
            if (item && !seen.contains(item->stableID())) {
                seen.insert(item->stableID());
                expected.append(item->path);
            }
        }
    }
    QStringList expectedBroken;
    int expectedMissing = 0;
    for (const QString &line : oneByOne.lines()) {
        if (line.contains(QStringLiteral("reason=bad-info-plist")))
            expectedBroken.append(line);
        expectedMissing += line.contains(QStringLiteral("reason=no-info-plist")) ? 1 : 0;
    }
    ASSERT_GT(expectedBroken.size(), 2);
    ASSERT_GT(expectedMissing, 2);

    LogCapture log;
    QStringList paths;
    for (const AppItem &app : scanner.scan({second}))
        paths.append(app.path);
    EXPECT_EQ(paths, expected);
    QStringList broken;
    for (const QString &line : log.lines()) {
        if (line.contains(QStringLiteral("reason=bad-info-plist")))
            broken.append(line);
    }
    EXPECT_EQ(broken, expectedBroken);
    EXPECT_TRUE(log.contains(QStringLiteral("[scan] skipped count=%1 reason=no-info-plist").arg(expectedMissing)))
        << log.lines().join('\n').toStdString();
}

TEST(AppScannerTest, MakeItemRejectsWhatIsNotABundleFolder)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    writeFile(dir.filePath("File.app"), "x");
    const AppScanner scanner(QStringList{});
    EXPECT_FALSE(scanner.makeItem(QUrl::fromLocalFile(dir.filePath("File.app"))));
    EXPECT_FALSE(scanner.makeItem(QUrl::fromLocalFile(dir.filePath("Missing.app"))));
    EXPECT_FALSE(scanner.makeItem(QUrl(QStringLiteral("https://example.com/App.app"))));
    EXPECT_TRUE(scanner.applications(QUrl(QStringLiteral("https://example.com/"))).isEmpty());
}

} // namespace
