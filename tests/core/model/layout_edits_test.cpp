#include "layout_test_util.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

#include <climits>
#include <functional>

using namespace layout_test;

namespace {

// ---------------------------------------------------------------------------
// Construction and reads

TEST(LauncherLayoutConstruction, EmptyAndEmptyPagesArgumentHoldOneEmptyPage)
{
    const LauncherLayout made(QList<LauncherLayout::Page>{});
    EXPECT_EQ(made.pages, QList<LauncherLayout::Page>{LauncherLayout::Page{}});
    EXPECT_EQ(LauncherLayout::empty(), LauncherLayout());
    EXPECT_EQ(LauncherLayout::empty(), made);
    EXPECT_TRUE(LauncherLayout::empty().hiddenIDs.isEmpty());
    EXPECT_TRUE(LauncherLayout::empty().nameOverrides.isEmpty());
    EXPECT_TRUE(LauncherLayout::empty().customSources.isEmpty());
}

TEST(LauncherLayoutReads, EntriesContainedIDsAndLocations)
{
    const LauncherLayout layout = layoutOf("a [F:x,y] | | b ?z");
    EXPECT_EQ(str(describe({layout.allEntries()})), "a [F:x,y] b ?z");
    EXPECT_EQ(layout.containedAppIDs(), (QSet<QString>{"a", "x", "y", "b"}));

    EXPECT_EQ(layout.location("app:b"), (LauncherLayout::Location{2, 0}));
    EXPECT_EQ(layout.location("folder:F"), (LauncherLayout::Location{0, 1}));
    EXPECT_FALSE(layout.location("app:x")); // folder members are not top-level
    EXPECT_FALSE(layout.location("b"));     // ids are matched exactly
    EXPECT_EQ(layout.entry("folder:F")->folder->bundleIDs, (QStringList{"x", "y"}));
    EXPECT_FALSE(layout.entry("app:x"));
}

TEST(LauncherLayoutReads, ReadsOfALayoutWithoutPages)
{
    LauncherLayout layout;
    layout.pages.clear();
    EXPECT_TRUE(layout.allEntries().isEmpty());
    EXPECT_TRUE(layout.containedAppIDs().isEmpty());
    EXPECT_FALSE(layout.entry("app:a"));
    EXPECT_TRUE(layout.visiblePages(false).isEmpty());
}

struct RawCase
{
    const char *name;
    QString input;
    QString expected;
};

void PrintTo(const RawCase &c, std::ostream *os)
{
    *os << c.name;
}


class RawAppIDTest : public ::testing::TestWithParam<RawCase>
{
};

TEST_P(RawAppIDTest, StripsOnePrefix)
{
    EXPECT_EQ(str(LauncherLayout::rawAppID(GetParam().input)), str(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RawAppIDTest,
    ::testing::Values(RawCase{"AppEntry", "app:com.x", "com.x"}, RawCase{"TwicePrefixed", "app:app:x", "app:x"},
                      RawCase{"Bare", "com.x", "com.x"}, RawCase{"Folder", "folder:F", "folder:F"},
                      RawCase{"PathID", "app:/Applications/A.app", "/Applications/A.app"},
                      RawCase{"PrefixOnly", "app:", ""}, RawCase{"Empty", "", ""},
                      RawCase{"NotAtStart", "xapp:y", "xapp:y"}),
    [](const auto &info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Edits as a table: layout before, one operation, layout after.

struct EditCase
{
    const char *name;
    QString before; // "-" for a layout without pages
    std::function<void(LauncherLayout &)> edit;
    QString after;
};

void PrintTo(const EditCase &c, std::ostream *os)
{
    *os << c.name;
}


class LayoutEditTest : public ::testing::TestWithParam<EditCase>
{
};

TEST_P(LayoutEditTest, Edits)
{
    const EditCase &c = GetParam();
    LauncherLayout layout = c.before == "-" ? LauncherLayout() : layoutOf(c.before);
    if (c.before == "-")
        layout.pages.clear();
    c.edit(layout);
    EXPECT_EQ(str(describe(layout.pages)), str(c.after));
}

const auto insertA = [](int page, int index) {
    return [=](LauncherLayout &l) { l.insert(LayoutEntry::app("n"), page, index); };
};
const auto removeID = [](const char *id) { return [=](LauncherLayout &l) { l.remove(id); }; };
const auto moveID = [](const char *id, int page, int index) {
    return [=](LauncherLayout &l) { l.move(id, page, index); };
};

INSTANTIATE_TEST_SUITE_P(
    Insert, LayoutEditTest,
    ::testing::Values(
        EditCase{"Middle", "a b c", insertA(0, 1), "a n b c"},
        EditCase{"FarPageOpensPages", "a", insertA(5, 2), "a |  |  |  |  | n"},
        EditCase{"NegativePageIsFirst", "a | b", insertA(-1, 1), "a n | b"},
        EditCase{"NegativeIndexIsFront", "a b", insertA(0, -3), "n a b"},
        EditCase{"IndexPastEndAppends", "a b", insertA(0, 99), "a b n"},
        EditCase{"OverfullPageStays", "a b", insertA(0, 2), "a b n"},
        EditCase{"NoPagesNegativePage", "-", insertA(-4, 0), "n"},
        EditCase{"NoPagesPageZero", "-", insertA(0, 7), "n"},
        EditCase{"NoPagesPageTwo", "-", insertA(2, 0), " |  | n"},
        EditCase{"MinimumIndices", "a | b", insertA(INT_MIN, INT_MIN), "n a | b"},
        EditCase{"MaximumIndexOnLastPage", "a | b", insertA(1, INT_MAX), "a | b n"}),
    [](const auto &info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Remove, LayoutEditTest,
    ::testing::Values(
        EditCase{"ByEntryID", "a b | c", removeID("app:b"), "a | c"},
        EditCase{"ByBareID", "a b | c", removeID("b"), "a | c"},
        EditCase{"EmptiedPageStays", "a | c", removeID("app:c"), "a | "},
        EditCase{"FolderWithMembers", "a [F:x,y] b", removeID("folder:F"), "a b"},
        EditCase{"MemberOfThree", "a [F:x,y,z] b", removeID("app:y"), "a [F:x,z] b"},
        EditCase{"MemberOfTwoCollapses", "a [F:x,y] b", removeID("x"), "a y b"},
        EditCase{"OnlyMemberGoes", "a [F:x] b", removeID("x"), "a b"},
        EditCase{"Unknown", "a [F:x,y]", removeID("app:q"), "a [F:x,y]"},
        EditCase{"LooseBeforeFolder", "[F:x,y] x", removeID("app:x"), "[F:x,y]"},
        EditCase{"RepeatedMemberAllGo", "[F:x,y,x]", removeID("app:x"), "y"},
        EditCase{"RepeatedEntryAllCopiesGo", "a b | a", removeID("app:a"), "b | "},
        EditCase{"EntryWithNeither", "a ?z", removeID("z"), "a"},
        EditCase{"NoPages", "-", removeID("app:a"), ""}),
    [](const auto &info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Move, LayoutEditTest,
    ::testing::Values(
        EditCase{"WithinPageIndexAfterRemoval", "a b c d", moveID("app:a", 0, 2), "b c a d"},
        EditCase{"ToOtherPage", "a b | c", moveID("app:b", 1, 0), "a | b c"},
        EditCase{"ToNewPage", "a b", moveID("app:a", 1, 0), "b | a"},
        EditCase{"Folder", "[F:x,y] a", moveID("folder:F", 0, 5), "a [F:x,y]"},
        EditCase{"FolderMemberDoesNotMove", "[F:x,y] a", moveID("app:x", 0, 5), "[F:x,y] a"},
        EditCase{"Unknown", "a b", moveID("app:q", 0, 0), "a b"},
        EditCase{"RepeatedEntryEndsOnce", "a b a", moveID("app:a", 0, 99), "b a"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(LayoutInsert, HugePageNumberOpensBoundedPages)
{
    LauncherLayout layout = layoutOf("a b");
    layout.move("app:a", INT_MAX, 0);
    ASSERT_EQ(layout.pages.size(), LauncherLayout::kMaxOpenedPages);
    EXPECT_EQ(str(describe({layout.pages.first()})), "b");
    EXPECT_EQ(str(describe({layout.pages.last()})), "a");
    // Already at the bound: the entry goes to the last page, no page opens.
    layout.insert(LayoutEntry::app("n"), INT_MAX, INT_MAX);
    ASSERT_EQ(layout.pages.size(), LauncherLayout::kMaxOpenedPages);
    EXPECT_EQ(str(describe({layout.pages.last()})), "a n");
    // Normalizing keeps the empty pages between, drops none here.
    layout.normalizePages(35);
    EXPECT_EQ(layout.pages.size(), LauncherLayout::kMaxOpenedPages);
}

const auto updateF = [](QStringList members, const char *name = "F") {
    return [=](LauncherLayout &l) { l.updateFolder(LayoutFolder("F", name, members)); };
};
const auto renameTo = [](const char *id, const char *name) {
    return [=](LauncherLayout &l) { l.rename(id, name); };
};

INSTANTIATE_TEST_SUITE_P(
    FolderEdits, LayoutEditTest,
    ::testing::Values(
        EditCase{"UpdateReplacesMembers", "a [F:x,y]", updateF({"y", "x", "z"}), "a [F:y,x,z]"},
        EditCase{"UpdateStoresOneMember", "a [F:x,y]", updateF({"x"}), "a [F:x]"},
        EditCase{"UpdateUnknownFolder", "a [G:x,y]", updateF({"q", "r"}), "a [G:x,y]"},
        EditCase{"UpdateFirstOnly", "[F:x,y] | [F:p,q]", updateF({"z", "w"}), "[F:z,w] | [F:p,q]"},
        EditCase{"RenameNonFolder", "a [F:x,y]", renameTo("app:a", "Name"), "a [F:x,y]"},
        EditCase{"RenameUnknown", "a [F:x,y]", renameTo("folder:G", "Name"), "a [F:x,y]"}),
    [](const auto &info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Rename and overrides

TEST(LayoutRename, FolderNameStoredAsGivenEntryIDKept)
{
    LauncherLayout layout = layoutOf("a [F:x,y]");
    layout.rename("folder:F", "  Work  ");
    EXPECT_EQ(str(layout.entry("folder:F")->folder->name), "  Work  ");
    EXPECT_EQ(str(layout.entry("folder:F")->title()), "  Work  ");
    layout.rename("folder:F", "");
    EXPECT_EQ(str(layout.entry("folder:F")->folder->name), "");
}

struct RenameAppCase
{
    const char *name;
    QString before; // existing override of "com.a", empty for none
    QString given;
    std::optional<QString> stored;
};

void PrintTo(const RenameAppCase &c, std::ostream *os)
{
    *os << c.name;
}


class RenameAppTest : public ::testing::TestWithParam<RenameAppCase>
{
};

TEST_P(RenameAppTest, TrimsAndClears)
{
    const RenameAppCase &c = GetParam();
    LauncherLayout layout = layoutOf("com.a");
    if (!c.before.isEmpty())
        layout.nameOverrides.insert("com.a", c.before);
    layout.nameOverrides.insert("com.other", "Other");
    layout.renameApp("com.a", c.given);
    EXPECT_EQ(layout.nameOverrides.contains("com.a"), c.stored.has_value());
    if (c.stored) {
        EXPECT_EQ(str(layout.nameOverrides.value("com.a")), str(*c.stored));
    }
    EXPECT_EQ(str(layout.nameOverrides.value("com.other")), "Other");
    EXPECT_EQ(str(describe(layout.pages)), "com.a");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RenameAppTest,
    ::testing::Values(RenameAppCase{"Sets", "", "Mail", QString("Mail")},
                      RenameAppCase{"Trimmed", "", " \t Mail Box \n", QString("Mail Box")},
                      RenameAppCase{"Replaces", "Old", "New", QString("New")},
                      RenameAppCase{"SpacesClear", "Old", "   ", std::nullopt},
                      RenameAppCase{"EmptyClears", "Old", "", std::nullopt},
                      RenameAppCase{"EmptyWithoutOverride", "", "\n", std::nullopt}),
    [](const auto &info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Merge

struct MergeCase
{
    const char *name;
    QString before;
    QString dragged;
    QString target;
    // Expected pages; "*" stands for the id of a folder the merge made.
    QString after;
    // The result: "" for none, "new" for "folder:" + a fresh UUID.
    QString result;
};

void PrintTo(const MergeCase &c, std::ostream *os)
{
    *os << c.name;
}


class MergeTest : public ::testing::TestWithParam<MergeCase>
{
};

TEST_P(MergeTest, Merges)
{
    const ScopedLanguage english(AppLanguage::en);
    const MergeCase &c = GetParam();
    LauncherLayout layout = layoutOf(c.before);
    const std::optional<QString> result = layout.merge(c.dragged, c.target);

    QString after = c.after;
    if (c.result.isEmpty()) {
        EXPECT_FALSE(result) << str(*result);
    } else if (c.result == "new") {
        ASSERT_TRUE(result);
        const QString folderID = result->mid(QStringLiteral("folder:").size());
        EXPECT_TRUE(result->startsWith("folder:"));
        static const QRegularExpression uuid("^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$");
        EXPECT_TRUE(uuid.match(folderID).hasMatch()) << str(folderID);
        ASSERT_TRUE(layout.entry(*result));
        EXPECT_EQ(str(layout.entry(*result)->folder->name), "Folder");
        after.replace("*", folderID);
    } else {
        ASSERT_TRUE(result);
        EXPECT_EQ(str(*result), str(c.result));
    }
    EXPECT_EQ(str(describe(layout.pages)), str(after));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MergeTest,
    ::testing::Values(
        MergeCase{"OntoItself", "a b", "app:a", "app:a", "a b", ""},
        MergeCase{"AppOntoApp", "a b c", "app:c", "app:a", "[*:a,c] b", "new"},
        MergeCase{"DraggedBeforeTarget", "a b c", "app:a", "app:c", "b [*:c,a]", "new"},
        MergeCase{"AcrossPages", "a | b", "app:b", "app:a", "[*:a,b] | ", "new"},
        MergeCase{"AppOntoFolder", "[F:x,y] a", "app:a", "folder:F", "[F:x,y,a]", "folder:F"},
        MergeCase{"FolderOntoFolder", "[F:x,y] [G:y,z,w]", "folder:G", "folder:F", "[F:x,y,z,w]", "folder:F"},
        MergeCase{"MemberAlreadyThere", "[F:x,y] x", "app:x", "folder:F", "[F:x,y]", "folder:F"},
        MergeCase{"FolderOntoApp", "a [G:x,y]", "folder:G", "app:a", "[*:a,x,y]", "new"},
        MergeCase{"FolderHoldingTargetOntoApp", "a [G:x,a,y]", "folder:G", "app:a", "[*:a,x,y]", "new"},
        MergeCase{"FolderOfOnlyTargetOntoApp", "a [G:a]", "folder:G", "app:a", "a [G:a]", ""},
        MergeCase{"EmptyFolderOntoApp", "a [G:]", "folder:G", "app:a", "a [G:]", ""},
        MergeCase{"EmptyFolderOntoFolder", "[F:x,y] [G:]", "folder:G", "folder:F", "[F:x,y]", "folder:F"},
        MergeCase{"DraggedMissing", "a b", "app:q", "app:a", "a b", ""},
        MergeCase{"DraggedIsMember", "a [F:x,y]", "app:x", "app:a", "a [F:x,y]", ""},
        MergeCase{"TargetMissing", "a b", "app:a", "app:q", "a b", ""},
        MergeCase{"DraggedHasNeither", "a ?z", "z", "app:a", "a ?z", ""},
        MergeCase{"TargetHasNeither", "a ?z", "app:a", "z", "a ?z", ""}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(LayoutMerge, FolderNameIsTheLanguageAtMergeTime)
{
    LauncherLayout layout = layoutOf("a b c d");
    std::optional<QString> english;
    {
        const ScopedLanguage lang(AppLanguage::en);
        english = layout.merge("app:b", "app:a");
    }
    const std::optional<QString> chinese = layout.merge("app:d", "app:c");
    ASSERT_TRUE(english && chinese);
    EXPECT_NE(*english, *chinese); // a fresh identifier per folder
    EXPECT_EQ(str(layout.entry(*english)->folder->name), "Folder");
    EXPECT_EQ(str(layout.entry(*chinese)->folder->name), "文件夹");
}

TEST(LayoutMerge, FolderEntryWithStrayIDKeepsDraggedApplication)
{
    // A stored entry whose id does not match its folder: the dragged
    // application must end up in that folder, not vanish.
    LauncherLayout layout = layoutOf("a");
    layout.pages[0].append(LayoutEntry("folder:old", std::nullopt, LayoutFolder("new", "N", {"x", "y"})));
    const std::optional<QString> result = layout.merge("app:a", "folder:old");
    ASSERT_TRUE(result);
    EXPECT_EQ(str(*result), "folder:old");
    ASSERT_EQ(layout.pages[0].size(), 1);
    EXPECT_EQ(layout.pages[0][0].folder->bundleIDs, (QStringList{"x", "y", "a"}));
}

// ---------------------------------------------------------------------------
// Hide

struct HideCase
{
    const char *name;
    QString before;
    QStringList ids;
    QString after;
};

void PrintTo(const HideCase &c, std::ostream *os)
{
    *os << c.name;
}


class HideTest : public ::testing::TestWithParam<HideCase>
{
};

TEST_P(HideTest, HidesAndTakesOut)
{
    const HideCase &c = GetParam();
    LauncherLayout layout = layoutOf(c.before);
    layout.hide(c.ids);
    EXPECT_EQ(str(describe(layout.pages)), str(c.after));
    for (const QString &id : c.ids)
        EXPECT_TRUE(layout.hiddenIDs.contains(id)) << str(id);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HideTest,
    ::testing::Values(HideCase{"Loose", "a b | c", {"b", "c"}, "a | "},
                      HideCase{"MemberOfTwo", "a [F:x,y]", {"x"}, "a y"},
                      HideCase{"MemberOfThree", "a [F:x,y,z]", {"y"}, "a [F:x,z]"},
                      HideCase{"NotInPages", "a", {"q"}, "a"},
                      HideCase{"LooseAndInFolder", "x [F:x,y,z]", {"x"}, "[F:y,z]"},
                      HideCase{"InTwoFolders", "[F:x,y] [G:x,z,w]", {"x"}, "y [G:z,w]"}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
