#include "layout_test_util.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>

using namespace layout_test;

namespace {

// One operation of the whole-layout kind, described by before and after.
struct WholeCase
{
    const char *name;
    QString before;        // "-" for a layout without pages
    QStringList hidden;    // hiddenIDs before the operation
    std::function<void(LauncherLayout &)> operation;
    QString after;
};

void PrintTo(const WholeCase &c, std::ostream *os)
{
    *os << c.name;
}


class WholeLayoutTest : public ::testing::TestWithParam<WholeCase>
{
};

TEST_P(WholeLayoutTest, Produces)
{
    const WholeCase &c = GetParam();
    LauncherLayout layout = c.before == "-" ? LauncherLayout() : layoutOf(c.before);
    if (c.before == "-")
        layout.pages.clear();
    for (const QString &id : c.hidden)
        layout.hiddenIDs.insert(id);
    c.operation(layout);
    EXPECT_EQ(str(describe(layout.pages)), str(c.after));
}

std::string caseName(const ::testing::TestParamInfo<WholeCase> &info)
{
    return info.param.name;
}

const auto appendN = [](QStringList ids, int pageSize) {
    return [=](LauncherLayout &l) {
        for (const QString &id : ids)
            l.append(LayoutEntry::app(id), pageSize);
    };
};
const auto normalize = [](int pageSize) { return [=](LauncherLayout &l) { l.normalizePages(pageSize); }; };

QString lettersPage(int count, const QString &prefix = "e")
{
    QStringList ids;
    for (int i = 0; i < count; ++i)
        ids.append(prefix + QString::number(i));
    return ids.join(' ');
}

INSTANTIATE_TEST_SUITE_P(
    Append, WholeLayoutTest,
    ::testing::Values(
        WholeCase{"PageSizeZeroActsAsOne", "", {}, appendN({"a", "b", "c"}, 0), "a | b | c"},
        WholeCase{"NegativePageSize", "", {}, appendN({"a", "b"}, INT_MIN), "a | b"},
        WholeCase{"FillsEmptyLastPage", lettersPage(35) + " | ", {}, appendN({"n"}, 35), lettersPage(35) + " | n"},
        WholeCase{"OpensPageWhenFull", lettersPage(35), {}, appendN({"n"}, 35), lettersPage(35) + " | n"},
        WholeCase{"OverfullLastPage", "a b c", {}, appendN({"n"}, 2), "a b c | n"},
        WholeCase{"EarlierGapsStayEmpty", "a |  | b", {}, appendN({"n"}, 3), "a |  | b n"},
        WholeCase{"NoPages", "-", {}, appendN({"n"}, 35), "n"}),
    caseName);

INSTANTIATE_TEST_SUITE_P(
    Normalize, WholeLayoutTest,
    ::testing::Values(
        WholeCase{"SplitsOnePage", "a b c d e", {}, normalize(2), "a b | c d | e"},
        WholeCase{"DropsTrailingEmpties", "a b c |  | ", {}, normalize(2), "a b | c"},
        WholeCase{"KeepsGapsBetween", "a |  | b", {}, normalize(2), "a |  | b"},
        WholeCase{"NoPagesGivesOne", "-", {}, normalize(2), ""},
        WholeCase{"AllEmptyGivesOne", " |  | ", {}, normalize(2), ""},
        WholeCase{"SurplusFillsGapFirst", "a b c d |  | e", {}, normalize(2), "a b | c d | e"},
        WholeCase{"SurplusPushesThrough", "a b c | d e | f", {}, normalize(2), "a b | c d | e f"},
        WholeCase{"CascadeOpensPages", "a b c | d e", {}, normalize(2), "a b | c d | e"},
        WholeCase{"SizeZeroActsAsOne", "a b c", {}, normalize(0), "a | b | c"},
        WholeCase{"HugeSize", "a b c | d", {}, normalize(INT_MAX), "a b c | d"},
        WholeCase{"FoldersCountAsOne", "[F:x,y,z] a b", {}, normalize(2), "[F:x,y,z] a | b"},
        WholeCase{"LongCarry", lettersPage(100), {}, normalize(35),
                  lettersPage(100).section(' ', 0, 34) + " | " + lettersPage(100).section(' ', 35, 69) + " | " +
                      lettersPage(100).section(' ', 70)}),
    caseName);

const auto reconcileWith = [](QString apps, int pageSize = 35) {
    return [=](LauncherLayout &l) { l.reconcile(appsOf(apps), pageSize); };
};

INSTANTIATE_TEST_SUITE_P(
    Reconcile, WholeLayoutTest,
    ::testing::Values(
        WholeCase{"DropsUninstalled", "a b c", {}, reconcileWith("a c"), "a c"},
        WholeCase{"DropsHidden", "a b c", {"b"}, reconcileWith("a b c"), "a c"},
        WholeCase{"FolderAllGone", "a [F:x,y]", {}, reconcileWith("a"), "a"},
        WholeCase{"FolderOfOneBecomesApp", "a [F:x,y] b", {"y"}, reconcileWith("a b x"), "a x b"},
        WholeCase{"FolderFiltered", "[F:x,q,y]", {}, reconcileWith("x y"), "[F:x,y]"},
        WholeCase{"NewAppsByNameCaseless", "a", {},
                  reconcileWith("a C=Charlie b=beta D=alpha"), "a D b C"},
        WholeCase{"FolderMemberNotAppended", "[F:x,y]", {}, reconcileWith("x y z"), "[F:x,y] z"},
        WholeCase{"HiddenNotAppended", "a", {"z"}, reconcileWith("a z"), "a"},
        WholeCase{"EmptiedLastPageFilled", "a b | c", {}, reconcileWith("a b n", 2), "a b | n"},
        WholeCase{"NewAppsOpenPages", "a b", {}, reconcileWith("a b c d e", 2), "a b | c d | e"},
        WholeCase{"NoAppsLeavesOnePage", "a [F:x,y] | b", {}, reconcileWith(""), ""},
        WholeCase{"NoPages", "-", {}, reconcileWith("b a"), "a b"},
        WholeCase{"EntryWithNeitherDropped", "a ?z b", {}, reconcileWith("a b"), "a b"},
        WholeCase{"EmptyFolderDropped", "a [F:] b", {}, reconcileWith("a b"), "a b"},
        WholeCase{"RepeatedEntryOnce", "a b | a", {}, reconcileWith("a b"), "a b"},
        WholeCase{"LooseAndMember", "x [F:x,y,z]", {}, reconcileWith("x y z"), "x [F:y,z]"},
        WholeCase{"MemberOfTwoFolders", "[F:x,y] [G:x,z]", {}, reconcileWith("x y z"), "[F:x,y] z"},
        WholeCase{"RepeatedMember", "[F:x,x,y]", {}, reconcileWith("x y"), "[F:x,y]"},
        WholeCase{"RepeatedScan", "", {}, reconcileWith("a a b"), "a b"}),
    caseName);

const auto reorganizeWith = [](QString apps, int pageSize = 35) {
    return [=](LauncherLayout &l) { l.reorganize(appsOf(apps), pageSize); };
};
const auto nativeOrder = [](QStringList order, QString apps, int pageSize = 35) {
    return [=](LauncherLayout &l) { l.applyNativeOrder(order, appsOf(apps), pageSize); };
};

INSTANTIATE_TEST_SUITE_P(
    Reorganize, WholeLayoutTest,
    ::testing::Values(
        WholeCase{"NothingLeavesOnePage", "-", {}, reorganizeWith(""), ""},
        WholeCase{"FoldersOnly", " | [F:x,y] | [G:p,q]", {}, reorganizeWith(""), "[F:x,y] [G:p,q]"},
        WholeCase{"LooseByNameThenFolders", "[F:x,y] c | a", {}, reorganizeWith("c=Cc a=aa b=Bb x y", 3),
                  "a b c | [F:x,y]"},
        WholeCase{"HiddenLeftOut", "a b", {"b"}, reorganizeWith("a b"), "a"},
        WholeCase{"FolderMembersUnfiltered", "[F:x,q] a", {"x"}, reorganizeWith("a"), "a [F:x,q]"}),
    caseName);

INSTANTIATE_TEST_SUITE_P(
    NativeOrder, WholeLayoutTest,
    ::testing::Values(
        WholeCase{"OrderThenNameThenFolders", "[F:x,y] a", {"h"},
                  nativeOrder({"c", "ghost", "h", "a", "c"}, "a c b h d x y"), "c a b d [F:x,y]"},
        WholeCase{"EmptyOrder", "", {}, nativeOrder({}, "b a"), "a b"},
        WholeCase{"Paged", "", {}, nativeOrder({"c", "b", "a"}, "a b c", 2), "c b | a"}),
    caseName);

// ---------------------------------------------------------------------------

TEST(LayoutNormalize, OrderKeptAndNoPageOverfull)
{
    // A lopsided layout: long pages, gaps, and a tail; every entry keeps its
    // place in reading order and every page fits.
    LauncherLayout layout = layoutOf(lettersPage(50, "a") + " |  | " + lettersPage(3, "b") + " | " +
                                     lettersPage(40, "c") + " |  | ");
    const QList<LayoutEntry> before = layout.allEntries();
    layout.normalizePages(7);
    EXPECT_EQ(layout.allEntries(), before);
    for (const LauncherLayout::Page &page : layout.pages)
        EXPECT_LE(page.size(), 7);
    EXPECT_FALSE(layout.pages.last().isEmpty());
}

TEST(LayoutNormalize, ManyEntriesOnOnePageWithSizeOne)
{
    // Beyond what moving one entry per page and pass could finish within its
    // pass limit: still every page holds one entry.
    LauncherLayout layout = layoutOf(lettersPage(30000));
    layout.normalizePages(1);
    ASSERT_EQ(layout.pages.size(), 30000);
    EXPECT_EQ(str(describe({layout.pages.last()})), "e29999");
}

TEST(LayoutUnhide, InstalledComesBackAtTheEnd)
{
    LauncherLayout layout = layoutOf("a b c");
    layout.hide({"a", "q"});
    EXPECT_EQ(str(describe(layout.pages)), "b c");
    layout.unhide({"a", "q", "never-hidden"}, appsOf("a b c"), 35);
    EXPECT_EQ(str(describe(layout.pages)), "b c a");
    EXPECT_TRUE(layout.hiddenIDs.isEmpty()); // the uninstalled one is only cleared
}

TEST(LayoutUnhide, KeepsOtherHiddenApplicationsOut)
{
    LauncherLayout layout = layoutOf("a");
    layout.hide({"b", "c"});
    layout.unhide({"c"}, appsOf("a b c"), 35);
    EXPECT_EQ(str(describe(layout.pages)), "a c");
    EXPECT_EQ(layout.hiddenIDs, QSet<QString>{"b"});
}

TEST(LayoutReconcile, KeepsOverridesHiddenAndSourcesAndFolderNames)
{
    LauncherLayout layout = layoutOf("[F:x,y,z] gone");
    layout.pages[0][0].folder->name = "Work";
    layout.hiddenIDs = {"h"};
    layout.nameOverrides = {{"gone", "Old"}};
    layout.customSources = {"/opt/apps"};
    layout.reconcile(appsOf("x y h"), 35);
    EXPECT_EQ(str(describe(layout.pages)), "[F:x,y]");
    EXPECT_EQ(str(layout.pages[0][0].folder->name), "Work");
    EXPECT_EQ(layout.hiddenIDs, QSet<QString>{"h"});
    EXPECT_EQ(str(layout.nameOverrides.value("gone")), "Old");
    EXPECT_EQ(layout.customSources, QStringList{"/opt/apps"});
}

TEST(LayoutReconcile, RepairsEntriesWhosePartsDisagree)
{
    LauncherLayout layout = layoutOf("");
    // Stored with an id that does not match: rebuilt as the application's entry.
    layout.pages[0].append(LayoutEntry("weird", QString("a")));
    // Stored with both: the application wins, the folder's members come back loose.
    layout.pages[0].append(LayoutEntry("app:b", QString("b"), LayoutFolder("F", "F", {"x", "y"})));
    // A folder under a stale entry id.
    layout.pages[0].append(LayoutEntry("folder:old", std::nullopt, LayoutFolder("G", "G", {"p", "q"})));
    layout.reconcile(appsOf("a b x y p q"), 35);
    EXPECT_EQ(str(describe(layout.pages)), "a b [G:p,q] x y");
    EXPECT_EQ(layout.location("app:a"), (LauncherLayout::Location{0, 0}));
}

TEST(LayoutReconcile, SecondFolderUnderOneIDGetsItsOwn)
{
    LauncherLayout layout = layoutOf("[F:x,y] | [F:p,q]");
    layout.reconcile(appsOf("x y p q"), 35);
    ASSERT_EQ(layout.pages.size(), 2);
    const LayoutEntry second = layout.pages[1][0];
    ASSERT_TRUE(second.folder);
    EXPECT_NE(str(second.id), "folder:F");
    EXPECT_EQ(str(second.id), str("folder:" + second.folder->id));
    EXPECT_EQ(second.folder->bundleIDs, (QStringList{"p", "q"}));
    EXPECT_EQ(str(second.folder->name), "F");
}

TEST(LayoutVisiblePages, HidesLooseHiddenApplicationsOnly)
{
    LauncherLayout layout = layoutOf("h | a [F:h2,x] | ");
    layout.hiddenIDs = {"h", "h2"};
    EXPECT_EQ(str(describe(layout.visiblePages(false))), " | a [F:h2,x] | ");
    EXPECT_EQ(layout.visiblePages(true), layout.pages);
}

TEST(LayoutSort, NamesCompareWithoutCaseAndStableForEqual)
{
    const QList<AppItem> sorted = LauncherLayout::sortedByName(appsOf("1=Zed 2=beta 3=Charlie 4=Beta 5=alpha 6=ÉCLAIR"));
    QStringList ids;
    for (const AppItem &app : sorted)
        ids.append(app.stableID());
    // "beta" and "Beta" compare equal and keep their order; É sorts with E.
    EXPECT_EQ(str(ids.join(' ')), "5 2 4 3 6 1");
}

TEST(LayoutReorganize, MembersStayInTheirFolderOnly)
{
    LauncherLayout layout = layoutOf("a [F:x,y]");
    layout.reorganize(appsOf("a x y"), 35);
    EXPECT_EQ(str(describe(layout.pages)), "a [F:x,y]");
    EXPECT_EQ(layout.allEntries().size(), 2);
}

} // namespace
