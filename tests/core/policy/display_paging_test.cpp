#include "policy/display_paging.h"

#include "model/layout_folder.h"

#include <gtest/gtest.h>

#include <QStringList>

namespace {

LayoutEntry app(const char *id)
{
    return LayoutEntry::app(QString::fromUtf8(id));
}

// Each page as the application (or folder) identifiers it shows.
QList<QStringList> ids(const QList<QList<LayoutEntry>> &pages)
{
    QList<QStringList> out;
    for (const QList<LayoutEntry> &page : pages) {
        QStringList row;
        for (const LayoutEntry &entry : page)
            row.append(entry.id);
        out.append(row);
    }
    return out;
}

LauncherLayout threeZeroTwo()
{
    return LauncherLayout({{app("a"), app("b"), app("c")}, {}, {app("d"), app("e")}});
}

TEST(DisplayPagingTest, StoredBoundariesGiveWayToPageSize)
{
    EXPECT_EQ(ids(DisplayPaging::pages(threeZeroTwo(), false, 35)),
              (QList<QStringList>{{"app:a", "app:b", "app:c", "app:d", "app:e"}}));
    EXPECT_EQ(ids(DisplayPaging::pages(threeZeroTwo(), false, 2)),
              (QList<QStringList>{{"app:a", "app:b"}, {"app:c", "app:d"}, {"app:e"}}));
}

TEST(DisplayPagingTest, HiddenApplicationsLeftOutOrAppended)
{
    LauncherLayout layout = threeZeroTwo();
    layout.hiddenIDs = {"b", "x"};
    const QList<LayoutEntry> hidden{app("x"), app("b")};

    EXPECT_EQ(ids(DisplayPaging::pages(layout, false, hidden, 35)),
              (QList<QStringList>{{"app:a", "app:c", "app:d", "app:e"}}));
    // Shown: the stored pages as they are, then the given hidden entries.
    EXPECT_EQ(ids(DisplayPaging::pages(layout, true, hidden, 3)),
              (QList<QStringList>{{"app:a", "app:b", "app:c"}, {"app:d", "app:e", "app:x"}, {"app:b"}}));
}

TEST(DisplayPagingTest, FolderWithHiddenMemberPasses)
{
    const LayoutFolder folder("f1", "Tools", {"b", "c"});
    LauncherLayout layout({{app("b"), LayoutEntry::makeFolder(folder)}});
    layout.hiddenIDs = {"b"};
    EXPECT_EQ(ids(DisplayPaging::pages(layout, false, 35)), (QList<QStringList>{{"folder:f1"}}));
}

TEST(DisplayPagingTest, EmptyLayoutIsOneEmptyPage)
{
    EXPECT_EQ(ids(DisplayPaging::pages(LauncherLayout(), false, 35)), (QList<QStringList>{{}}));
    LauncherLayout onlyHidden({{app("a")}});
    onlyHidden.hiddenIDs = {"a"};
    EXPECT_EQ(ids(DisplayPaging::pages(onlyHidden, false, 35)), (QList<QStringList>{{}}));
}

TEST(DisplayPagingTest, PageSizeBelowOneActsAsOne)
{
    EXPECT_EQ(DisplayPaging::pages(threeZeroTwo(), false, 0).size(), 5);
    EXPECT_EQ(DisplayPaging::pages(threeZeroTwo(), false, -7).size(), 5);
}

} // namespace
