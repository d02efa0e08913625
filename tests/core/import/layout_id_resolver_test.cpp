#include "import/layout_id_resolver.h"

#include <gtest/gtest.h>

namespace {

const QList<AppItem> kApps = {
    AppItem(QStringLiteral("com.apple.Safari"), QStringLiteral("Safari"), QStringLiteral("/Applications/Safari.app")),
    AppItem(QString(), QStringLiteral("Tool"), QStringLiteral("/Applications/Tool.app")),
    AppItem(QStringLiteral("com.example.notes"), QStringLiteral("Notes Plus"),
            QStringLiteral("/Applications/Notes.app")),
    AppItem(QStringLiteral("com.example.nameless"), QString(), QString()),
};

struct ResolveCase
{
    const char *name;
    QString input;
    QString expected;
};

class LayoutIDResolverTest : public ::testing::TestWithParam<ResolveCase>
{
};

TEST_P(LayoutIDResolverTest, Resolves)
{
    const ResolveCase &c = GetParam();
    EXPECT_EQ(LayoutIDResolver::resolve(c.input, kApps).toStdString(), c.expected.toStdString());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LayoutIDResolverTest,
    ::testing::Values(
        ResolveCase{"BundleIDWithLineBreak", "com.apple.Safari\n", "com.apple.Safari"},
        ResolveCase{"Blank", " \t\n", ""},
        ResolveCase{"InstalledPathGivesBundleID", "/Applications/Safari.app", "com.apple.Safari"},
        ResolveCase{"MovedBundleByFileName", "/Volumes/Old/Apps/Safari.app/", "com.apple.Safari"},
        ResolveCase{"PathByDisplayName", "/Elsewhere/notes plus.app", "com.example.notes"},
        ResolveCase{"BareFileName", "Safari.app", "com.apple.Safari"},
        ResolveCase{"DisplayNameIgnoringCase", "safari", "com.apple.Safari"},
        ResolveCase{"NameAsBundleFileName", "notes", "com.example.notes"},
        ResolveCase{"UpperCaseExtensionIsNotAPath", "SAFARI.APP", "SAFARI.APP"},
        ResolveCase{"PathAsStableID", "/Applications/Tool.app", "/Applications/Tool.app"},
        ResolveCase{"ToolByName", "TOOL", "/Applications/Tool.app"},
        ResolveCase{"NotInstalledTrimmed", "  com.absent.App ", "com.absent.App"},
        ResolveCase{"PathNotInstalled", "/Applications/Absent.app", "/Applications/Absent.app"},
        // Nothing reduces to an empty name or file name and matches the nameless app.
        ResolveCase{"BareExtension", "/.app", "/.app"},
        ResolveCase{"MarkerLikeText", "__group_0__", "__group_0__"}),
    [](const ::testing::TestParamInfo<ResolveCase> &info) { return std::string(info.param.name); });

TEST(LayoutIDResolverOrder, EarlierAppPassingSecondTestWins)
{
    // Rule 4 tests name and file name on one app before the next app.
    const QList<AppItem> apps = {
        AppItem(QStringLiteral("com.first"), QStringLiteral("Other"), QStringLiteral("/A/Mail.app")),
        AppItem(QStringLiteral("com.second"), QStringLiteral("Mail"), QStringLiteral("/B/Post.app")),
    };
    EXPECT_EQ(LayoutIDResolver::resolve(QStringLiteral("mail"), apps).toStdString(), "com.first");
    EXPECT_EQ(LayoutIDResolver::resolve(QStringLiteral("x"), {}).toStdString(), "x");
}

TEST(LayoutIDResolverPaths, LastComponentAndBaseName)
{
    EXPECT_EQ(LayoutIDResolver::lastPathComponent(QStringLiteral("/a/b.app/")).toStdString(), "b.app");
    EXPECT_EQ(LayoutIDResolver::lastPathComponent(QStringLiteral("/")).toStdString(), "/");
    EXPECT_EQ(LayoutIDResolver::lastPathComponent(QStringLiteral("plain")).toStdString(), "plain");
    EXPECT_EQ(LayoutIDResolver::baseName(QStringLiteral("/a/B.app")).toStdString(), "B");
    EXPECT_EQ(LayoutIDResolver::baseName(QStringLiteral("/a/B.APP")).toStdString(), "B.APP");
}

} // namespace
