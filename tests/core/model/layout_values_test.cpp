#include "layout_test_util.h"

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QRegularExpression>

using namespace layout_test;

namespace {

// ---------------------------------------------------------------------------
// AppItem

TEST(AppItemTest, StableIDIsBundleIDElsePath)
{
    const AppItem withID("com.a", "A", "/Applications/A.app");
    EXPECT_EQ(str(withID.stableID()), "com.a");
    EXPECT_EQ(str(withID.id()), "com.a");
    const AppItem withoutID("", "B", "/Applications/B.app");
    EXPECT_EQ(str(withoutID.stableID()), "/Applications/B.app");
    EXPECT_EQ(str(withoutID.id()), "/Applications/B.app");
    EXPECT_EQ(withoutID.url(), QUrl::fromLocalFile("/Applications/B.app"));
    EXPECT_FALSE(withID.isSystemApp);
}

TEST(AppItemTest, EqualityIsAllFourFields)
{
    const AppItem a("com.a", "A", "/A.app");
    EXPECT_EQ(a, AppItem("com.a", "A", "/A.app", false));
    EXPECT_NE(a, AppItem("com.a", "A", "/A.app", true));
    EXPECT_NE(a, AppItem("com.a", "Other", "/A.app")); // same stableID, different value
    EXPECT_EQ(qHash(a), qHash(AppItem("com.a", "A", "/A.app")));
    QSet<AppItem> set{a, AppItem("com.a", "A", "/A.app", true)};
    EXPECT_EQ(set.size(), 2);
}

struct TermsCase
{
    const char *name;
    AppItem app;
    QStringList terms;
};

void PrintTo(const TermsCase &c, std::ostream *os)
{
    *os << c.name;
}


class SearchTermsTest : public ::testing::TestWithParam<TermsCase>
{
};

TEST_P(SearchTermsTest, Terms)
{
    EXPECT_EQ(str(GetParam().app.searchTerms().join('|')), str(GetParam().terms.join('|')));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SearchTermsTest,
    ::testing::Values(
        TermsCase{"Plain", AppItem("com.Apple.Safari", "Safari", "/Applications/Safari.app"),
                  {"safari", "com.apple.safari", "safari"}},
        TermsCase{"AppTwice", AppItem("x", "X", "/Applications/Foo.app.app"), {"x", "x", "foo"}},
        TermsCase{"AppInside", AppItem("x", "X", "/A/My.appliance.app"), {"x", "x", "myliance"}},
        TermsCase{"UpperCaseSuffixKept", AppItem("x", "X", "/A/Foo.APP"), {"x", "x", "foo.app"}},
        TermsCase{"TrailingSlash", AppItem("", "Foo", "/Applications/Foo.app/"), {"foo", "", "foo"}},
        TermsCase{"EmptyPath", AppItem("x", "X", ""), {"x", "x", ""}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(AppItemTest, JsonRoundTripAndRequiredKeys)
{
    const AppItem app("com.a", "Ä", "/Applications/Ä.app", true);
    const std::optional<AppItem> back = AppItem::fromJson(app.toJson());
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, app);

    for (const char *key : {"bundleID", "name", "path", "isSystemApp"}) {
        QJsonObject object = app.toJson();
        object.remove(key);
        EXPECT_FALSE(AppItem::fromJson(object)) << key;
    }
    QJsonObject wrongType = app.toJson();
    wrongType.insert("isSystemApp", "true");
    EXPECT_FALSE(AppItem::fromJson(wrongType));
}

struct NameCase
{
    const char *name;
    QHash<QString, QString> overrides;
    QString shown;
};

void PrintTo(const NameCase &c, std::ostream *os)
{
    *os << c.name;
}


class DisplayNameTest : public ::testing::TestWithParam<NameCase>
{
};

TEST_P(DisplayNameTest, Picks)
{
    const AppItem app("com.a", "Scanned", "/Applications/A.app");
    EXPECT_EQ(str(displayName(app, GetParam().overrides)), str(GetParam().shown));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DisplayNameTest,
    ::testing::Values(
        NameCase{"None", {}, "Scanned"},
        NameCase{"StableIDFirst", {{"com.a", "ByID"}, {"/Applications/A.app", "ByPath"}}, "ByID"},
        NameCase{"EmptyStableIDFallsToPath", {{"com.a", ""}, {"/Applications/A.app", "ByPath"}}, "ByPath"},
        NameCase{"BothEmpty", {{"com.a", ""}, {"/Applications/A.app", ""}}, "Scanned"},
        NameCase{"NotTrimmed", {{"com.a", " Spaced "}}, " Spaced "},
        NameCase{"OtherKeysIgnored", {{"com.b", "B"}}, "Scanned"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(DisplayNameTest2, NoPathDoesNotMatchEmptyKey)
{
    const AppItem app("com.a", "Scanned", "");
    EXPECT_EQ(str(displayName(app, {{"", "Stray"}})), "Scanned");
}

// ---------------------------------------------------------------------------
// LayoutEntry and LayoutFolder

TEST(LayoutEntryTest, FactoriesAndTitle)
{
    const LayoutEntry path = LayoutEntry::app("/Applications/No ID.app");
    EXPECT_EQ(str(path.id), "app:/Applications/No ID.app");
    EXPECT_EQ(path.appID, QString("/Applications/No ID.app"));
    EXPECT_FALSE(path.isFolder());
    EXPECT_EQ(str(path.title()), "/Applications/No ID.app");

    LayoutEntry folder = LayoutEntry::makeFolder(LayoutFolder("X", "Games", {"a", "b"}));
    EXPECT_EQ(str(folder.id), "folder:X");
    EXPECT_FALSE(folder.appID);
    EXPECT_TRUE(folder.isFolder());
    EXPECT_EQ(str(folder.title()), "Games");
    folder.folder->name = "Renamed";
    EXPECT_EQ(str(folder.id), "folder:X");
    EXPECT_EQ(str(folder.title()), "Renamed");

    const LayoutEntry both("odd", QString("com.a"), LayoutFolder("F", "Named", {}));
    EXPECT_EQ(str(both.title()), "Named");
    const LayoutEntry neither("bare");
    EXPECT_EQ(str(neither.title()), "bare");
    EXPECT_FALSE(neither.isFolder());
}

TEST(LayoutEntryTest, Equality)
{
    EXPECT_EQ(LayoutEntry::app("a"), LayoutEntry("app:a", QString("a")));
    EXPECT_NE(LayoutEntry::app("a"), LayoutEntry("app:a"));
    EXPECT_NE(LayoutEntry::makeFolder(LayoutFolder("F", "N", {"a"})),
              LayoutEntry::makeFolder(LayoutFolder("F", "M", {"a"})));
}

TEST(LayoutFolderTest, MemberOrderMatters)
{
    EXPECT_NE(LayoutFolder("F", "N", {"a", "b"}), LayoutFolder("F", "N", {"b", "a"}));
    EXPECT_EQ(LayoutFolder("F", "N", {"a", "b"}), LayoutFolder("F", "N", {"a", "b"}));
}

TEST(LayoutFolderTest, DefaultIdentifierAndName)
{
    const QRegularExpression uuid("^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$");
    const LayoutFolder first(QStringList{"a", "b"});
    const LayoutFolder second(QStringList{"a", "b"});
    EXPECT_TRUE(uuid.match(first.id).hasMatch()) << str(first.id);
    EXPECT_NE(first.id, second.id);
    EXPECT_EQ(str(first.name), "文件夹");
    {
        const ScopedLanguage english(AppLanguage::en);
        EXPECT_EQ(str(LayoutFolder(QStringList{"a"}).name), "Folder");
    }
}

} // namespace
