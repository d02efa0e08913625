#include "layout_test_util.h"

#include <gtest/gtest.h>

#include <climits>

using namespace layout_test;

namespace {

// Imported layouts in the same text form as ours: "a [native-1=Name:x,y] | b".
LaunchpadLayout importedOf(const QString &text)
{
    LaunchpadLayout layout;
    if (text == "-")
        return layout; // no pages
    for (const QString &pageText : text.split('|')) {
        LaunchpadPage page;
        for (const QString &token : pageText.split(' ', Qt::SkipEmptyParts)) {
            if (token == "?") {
                page.entries.append(LaunchpadEntry{});
            } else if (token.startsWith('[')) {
                const QString body = token.mid(1, token.size() - 2);
                const QString head = body.section(':', 0, 0);
                const QString members = body.section(':', 1);
                const QString id = head.section('=', 0, 0);
                const QString name = head.contains('=') ? head.section('=', 1) : id;
                page.entries.append(LaunchpadEntry::makeFolder(
                    LaunchpadFolder{id, name, members.isEmpty() ? QStringList{} : members.split(',')}));
            } else {
                page.entries.append(LaunchpadEntry::app(token));
            }
        }
        layout.pages.append(page);
    }
    return layout;
}

struct ImportCase
{
    const char *name;
    QString before;
    QStringList hidden;
    QString imported;
    QString apps;
    int pageSize;
    QString after;
    ImportSummary summary;
};

void PrintTo(const ImportCase &c, std::ostream *os)
{
    *os << c.name;
}


class ApplyImportTest : public ::testing::TestWithParam<ImportCase>
{
};

TEST_P(ApplyImportTest, Applies)
{
    const ImportCase &c = GetParam();
    LauncherLayout layout = layoutOf(c.before);
    for (const QString &id : c.hidden)
        layout.hiddenIDs.insert(id);
    layout.nameOverrides = {{"a", "Mine"}};
    layout.customSources = {"/opt"};
    const QSet<QString> hiddenBefore = layout.hiddenIDs;

    const ImportSummary summary = layout.applyImportedLayout(importedOf(c.imported), appsOf(c.apps), c.pageSize);

    EXPECT_EQ(str(describe(layout.pages)), str(c.after));
    EXPECT_EQ(summary.pageCount, c.summary.pageCount);
    EXPECT_EQ(summary.folderCount, c.summary.folderCount);
    EXPECT_EQ(str(summary.folderNames.join(',')), str(c.summary.folderNames.join(',')));
    EXPECT_EQ(summary.appCount, c.summary.appCount);
    EXPECT_EQ(summary.pageCount, layout.pages.size());
    EXPECT_EQ(layout.hiddenIDs, hiddenBefore);
    EXPECT_EQ(str(layout.nameOverrides.value("a")), "Mine");
    EXPECT_EQ(layout.customSources, QStringList{"/opt"});
    for (const QString &id : c.hidden)
        EXPECT_FALSE(layout.containedAppIDs().contains(id)) << str(id);
}

ImportSummary sum(int pages, QStringList names, int apps)
{
    return ImportSummary{pages, int(names.size()), names, apps};
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ApplyImportTest,
    ::testing::Values(
        ImportCase{"PagesReplaceArrangement", "c b a", {}, "b | a", "a b c", 35, "b | a c", sum(2, {}, 3)},
        ImportCase{"HiddenAndUnknownSkipped", "", {"h"}, "h ghost a", "a h", 35, "a", sum(1, {}, 1)},
        ImportCase{"RepeatedCountedOnce", "", {}, "a b a | a", "a b", 35, "a b", sum(1, {}, 2)},
        ImportCase{"ImportedPageThatPlacesNothing", "", {}, "a | ghost | b", "a b", 35, "a | b", sum(2, {}, 2)},
        ImportCase{"FolderOfOne", "", {}, "[native-1:x,ghost] a", "a x", 35, "x a", sum(1, {}, 2)},
        ImportCase{"FolderOfNone", "", {}, "[native-1:ghost] a", "a", 35, "a", sum(1, {}, 1)},
        ImportCase{"FolderPlaced", "", {}, "[native-1=Work:x,y,h] a", "a x y", 35, "[native-1:x,y] a",
                   sum(1, {"Work"}, 3)},
        ImportCase{"EntryWithNeitherSkipped", "", {}, "? a", "a", 35, "a", sum(1, {}, 1)},
        ImportCase{"NoPagesNoFolders", "b", {"h"}, "-", "c=Cc b=bb a=AA h", 35, "a b c", sum(1, {}, 3)},
        ImportCase{"NothingAtAll", "a", {}, "-", "", 35, "", sum(1, {}, 0)},
        ImportCase{"OldNativeFoldersReplaced", "[native-9:x,y] a", {}, "a", "a x y", 35, "a x y", sum(1, {}, 3)},
        ImportCase{"UserFolderKeptAfterImport", "[U:x,y,z]", {}, "a | b", "a b x y z", 35, "a | b [U:x,y,z]",
                   sum(2, {}, 5)},
        ImportCase{"UserFolderLosesPlacedMembers", "[U:x,y,z]", {}, "x [native-1:y,a]", "a x y z", 35,
                   "x [native-1:y,a] z", sum(1, {"native-1"}, 4)},
        ImportCase{"UserFolderAllPlaced", "[U:x,y] b", {}, "x y", "b x y", 35, "x y b", sum(1, {}, 3)},
        ImportCase{"PageSizeZeroActsAsOne", "", {}, "a b", "a b", 0, "a | b", sum(2, {}, 2)},
        ImportCase{"PageSizeNegative", "", {}, "a b", "a b", INT_MIN, "a | b", sum(2, {}, 2)},
        ImportCase{"RepeatedScan", "", {}, "-", "b a b", 35, "a b", sum(1, {}, 2)},
        ImportCase{"EmptyFolderKeptFolderDropped", "[U:]", {}, "-", "a", 35, "a", sum(1, {}, 1)}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ApplyImport, FortyEntryPageSpillsAndNextPageStartsFresh)
{
    QStringList ids;
    for (int i = 0; i < 40; ++i)
        ids.append(QString("a%1").arg(i, 2, 10, QChar('0')));
    const QString apps = ids.join(' ') + " b";
    LauncherLayout layout;
    const ImportSummary summary = layout.applyImportedLayout(importedOf(ids.join(' ') + " | b"), appsOf(apps), 35);
    ASSERT_EQ(layout.pages.size(), 3);
    EXPECT_EQ(layout.pages[0].size(), 35);
    EXPECT_EQ(layout.pages[1].size(), 5);
    EXPECT_EQ(str(describe({layout.pages[2]})), "b");
    EXPECT_EQ(summary.pageCount, 3);
    EXPECT_EQ(summary.appCount, 41);
}

TEST(ApplyImport, RememberedNativeNamesSurviveReimport)
{
    LauncherLayout layout = layoutOf("[native-1:p,q] [native-2:r,s] [native-3:u,v]");
    layout.pages[0][0].folder->name = "Mine";
    layout.pages[0][1].folder->name = ""; // the user emptied it: the import's name returns
    const ImportSummary summary = layout.applyImportedLayout(
        importedOf("[native-1=Games:p,q] [native-2=Tools:r,s] [native-3=Misc:u]"), appsOf("p q r s u v"), 35);
    EXPECT_EQ(str(describe(layout.pages)), "[native-1:p,q] [native-2:r,s] u v");
    EXPECT_EQ(str(layout.pages[0][0].folder->name), "Mine");
    EXPECT_EQ(str(layout.pages[0][1].folder->name), "Tools");
    EXPECT_EQ(str(summary.folderNames.join(',')), "Mine,Tools");
    EXPECT_EQ(summary.folderCount, 2);
}

TEST(ApplyImport, ReimportOfOwnSourceDoesNotDuplicateFolderIDs)
{
    // A folder an earlier import of another launcher made is a kept folder; a
    // re-import that repeats its id must not leave two entries under one id.
    LauncherLayout layout = layoutOf("[src-1:x,y,m,n]");
    layout.applyImportedLayout(importedOf("[src-1:x,y] | [src-1:p,q]"), appsOf("x y m n p q"), 35);
    QSet<QString> ids;
    for (const LayoutEntry &e : layout.allEntries()) {
        EXPECT_FALSE(ids.contains(e.id)) << str(e.id);
        ids.insert(e.id);
        if (e.folder) {
            EXPECT_EQ(str(e.id), str("folder:" + e.folder->id));
        }
    }
    EXPECT_EQ(layout.allEntries().size(), 3);
    EXPECT_EQ(layout.containedAppIDs(), (QSet<QString>{"x", "y", "m", "n", "p", "q"}));
    EXPECT_EQ(str(layout.pages[0][0].id), "folder:src-1");
}

TEST(ApplyImport, IntoLayoutWithoutPages)
{
    LauncherLayout layout;
    layout.pages.clear();
    const ImportSummary summary = layout.applyImportedLayout(importedOf("-"), {}, 35);
    EXPECT_EQ(layout.pages.size(), 1);
    EXPECT_EQ(summary, (ImportSummary{1, 0, {}, 0}));
}

} // namespace
