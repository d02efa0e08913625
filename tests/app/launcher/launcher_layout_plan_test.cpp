#include "launcher/launcher_key_routing.h"
#include "launcher/launcher_layout_plan.h"

#include <gtest/gtest.h>

#include <QSet>

#include <cmath>
#include <limits>

namespace {

QList<LayoutEntry> apps(int first, int count)
{
    QList<LayoutEntry> entries;
    for (int i = first; i < first + count; ++i)
        entries.append(LayoutEntry::app(QStringLiteral("app%1").arg(i)));
    return entries;
}

QStringList ids(const QList<LayoutEntry> &entries)
{
    QStringList result;
    for (const LayoutEntry &entry : entries)
        result.append(entry.id);
    return result;
}

TEST(LauncherLayoutPlanTest, ChromeFramesForTheViewSize)
{
    const auto narrow = LauncherLayoutPlan::chrome(QSizeF(1000, 800), 0.16);
    EXPECT_EQ(narrow.searchPlate, QRectF(300, 56, 400, 42));
    const auto wide = LauncherLayoutPlan::chrome(QSizeF(2000, 1200), 0.16);
    EXPECT_EQ(wide.searchPlate, QRectF(780, 56, 440, 42));

    const auto hd = LauncherLayoutPlan::chrome(QSizeF(1920, 1080), 0.16);
    EXPECT_EQ(hd.pageDots, QRectF(0, 996, 1920, 24));
    EXPECT_EQ(hd.hintLabel, QRectF(0, 1040, 1920, 20));
    EXPECT_EQ(hd.settingsButton, QRectF(1824, 62, 72, 28));
    EXPECT_EQ(hd.grid, GridGeometry::contentRectIn(QRectF(0, 0, 1920, 1080), 0.16));
}

TEST(LauncherLayoutPlanTest, WallpaperIsRenderedAgainOnlyForRealSizeChanges)
{
    EXPECT_TRUE(LauncherLayoutPlan::backdropNeedsRefresh(QSizeF(0, 0), QSizeF(1920, 1080)));
    EXPECT_FALSE(LauncherLayoutPlan::backdropNeedsRefresh(QSizeF(1920, 1080), QSizeF(1920.5, 1080.5)));
    EXPECT_FALSE(LauncherLayoutPlan::backdropNeedsRefresh(QSizeF(1920, 1080), QSizeF(1921, 1079)));
    EXPECT_TRUE(LauncherLayoutPlan::backdropNeedsRefresh(QSizeF(1920, 1080), QSizeF(1922, 1082)));
    EXPECT_TRUE(LauncherLayoutPlan::backdropNeedsRefresh(QSizeF(1920, 1080), QSizeF(1920, 1078)));
}

struct SelectRow
{
    const char *name;
    int pages;      // model pages of 3 entries each
    bool scroll;
    int transient;
    int requestedPage;
    int pageCount;
    int currentPage;
    int entryCount;
    bool dotsHidden;
};

class LauncherLayoutPlanSelectTest : public ::testing::TestWithParam<SelectRow>
{
};

TEST_P(LauncherLayoutPlanSelectTest, PagesCurrentPageAndEntries)
{
    const SelectRow &row = GetParam();
    QList<QList<LayoutEntry>> pages;
    for (int p = 0; p < row.pages; ++p)
        pages.append(apps(p * 3, 3));
    const auto shown = LauncherLayoutPlan::select(pages, row.scroll, row.transient, row.requestedPage);
    EXPECT_EQ(shown.pageCount, row.pageCount);
    EXPECT_EQ(shown.currentPage, row.currentPage);
    EXPECT_EQ(shown.entries.size(), row.entryCount);
    EXPECT_EQ(shown.dotsHidden, row.dotsHidden);
    if (!row.scroll && row.currentPage < row.pages) {
        EXPECT_EQ(ids(shown.entries), ids(pages[row.currentPage]));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LauncherLayoutPlanSelectTest,
    ::testing::Values(SelectRow{"firstPage", 3, false, 0, 0, 3, 0, 3, false},
                      SelectRow{"negativePageStartsAtZero", 3, false, 0, -3, 3, 0, 3, false},
                      SelectRow{"pageBeyondTheLastIsClamped", 3, false, 0, 9, 3, 2, 3, false},
                      SelectRow{"onePageHidesTheDots", 1, false, 0, 0, 1, 0, 3, true},
                      SelectRow{"noPagesStillOnePage", 0, false, 0, 4, 1, 0, 0, true},
                      // A drag added an empty page after the three model pages.
                      SelectRow{"transientPageIsEmpty", 3, false, 1, 3, 4, 3, 0, false},
                      SelectRow{"negativeTransientCountIgnored", 2, false, -5, 1, 2, 1, 3, false},
                      SelectRow{"scrollJoinsEveryPage", 3, true, 1, 2, 1, 0, 9, true}),
    [](const ::testing::TestParamInfo<SelectRow> &info) { return std::string(info.param.name); });

TEST(LauncherLayoutPlanTest, DevicePixelSnapping)
{
    EXPECT_DOUBLE_EQ(LauncherLayoutPlan::snap(10.26, 2), 10.5);
    EXPECT_DOUBLE_EQ(LauncherLayoutPlan::snap(10.26, 1), 10);
    // Halves go away from zero: 2.5 device pixels become 3, -2.5 become -3.
    EXPECT_DOUBLE_EQ(LauncherLayoutPlan::snap(1.25, 2), 1.5);
    EXPECT_DOUBLE_EQ(LauncherLayoutPlan::snap(-1.25, 2), -1.5);
    EXPECT_DOUBLE_EQ(LauncherLayoutPlan::snap(10.26, 0), 10);
    EXPECT_DOUBLE_EQ(LauncherLayoutPlan::snap(10.26, std::numeric_limits<double>::quiet_NaN()), 10);

    EXPECT_EQ(LauncherLayoutPlan::snapRect(QRectF(10.26, 3.1, 0.1, 0), 2), QRectF(10.5, 3, 0.5, 0.5));
    EXPECT_EQ(LauncherLayoutPlan::snapRect(QRectF(10.26, 3.1, 0.1, 0), 1), QRectF(10, 3, 1, 1));
}

class LauncherTileFrameTest : public ::testing::Test
{
protected:
    LauncherLayoutPlan::TileContext context(int columns, int rows, bool scroll, bool searching, int entryCount,
                                            double scale = 2)
    {
        LauncherLayoutPlan::TileContext c;
        c.gridRect = GridGeometry::contentRectIn(QRectF(0, 0, 1920, 1080), 0.16);
        c.geometry = GridGeometry(columns, rows, c.gridRect, 1);
        c.scrollMode = scroll;
        c.columns = columns;
        c.searching = searching;
        c.entryCount = entryCount;
        c.scale = scale;
        return c;
    }
};

TEST_F(LauncherTileFrameTest, SevenByFiveAtFullHd)
{
    const auto c = context(7, 5, false, false, 35);
    const GridGeometry &g = c.geometry;
    QList<QRectF> frames;
    for (int i = 0; i < 35; ++i) {
        const QRectF frame = LauncherLayoutPlan::tileFrame(c, i);
        EXPECT_EQ(frame, LauncherLayoutPlan::snapRect(g.frame(i), 2)) << i;
        // Every edge lies on the device-pixel grid.
        EXPECT_DOUBLE_EQ(frame.x() * 2, std::round(frame.x() * 2));
        EXPECT_DOUBLE_EQ(frame.width() * 2, std::round(frame.width() * 2));
        EXPECT_TRUE(c.gridRect.adjusted(-1, -1, 1, 1).contains(frame)) << i;
        frames.append(frame);
    }
    for (int i = 0; i < frames.size(); ++i)
        for (int j = i + 1; j < frames.size(); ++j)
            EXPECT_FALSE(frames[i].intersects(frames[j])) << i << " " << j;
    // Row by row: index 7 starts the second row under index 0.
    EXPECT_DOUBLE_EQ(frames[7].x(), frames[0].x());
    EXPECT_GT(frames[7].y(), frames[0].bottom());
    EXPECT_DOUBLE_EQ(frames[6].y(), frames[0].y());
    EXPECT_GT(frames[6].x(), frames[5].right());
}

TEST_F(LauncherTileFrameTest, ShortSearchRowIsCentred)
{
    const auto three = context(7, 5, false, true, 3, 1);
    const GridGeometry &g = three.geometry;
    const double pitch = g.cellSize.width() + g.horizontalSpacing;
    EXPECT_NEAR(LauncherLayoutPlan::tileFrame(three, 0).x(), g.frame(0).x() + 2 * pitch, 0.5);
    EXPECT_NEAR(LauncherLayoutPlan::tileFrame(three, 2).x(), g.frame(2).x() + 2 * pitch, 0.5);

    for (const auto &c : {context(7, 5, false, true, 7, 1), context(7, 5, false, false, 3, 1)})
        EXPECT_EQ(LauncherLayoutPlan::tileFrame(c, 0), LauncherLayoutPlan::snapRect(g.frame(0), 1));
}

TEST_F(LauncherTileFrameTest, ScrollModeIsOneLongList)
{
    const auto c = context(7, 5, true, false, 15, 1);
    const GridGeometry &g = c.geometry;
    const QRectF ninth = LauncherLayoutPlan::tileFrame(c, 9);
    EXPECT_NEAR(ninth.y(), 24 + g.cellSize.height() + g.verticalSpacing, 0.5);
    EXPECT_NEAR(ninth.x(), g.origin.x() - c.gridRect.left() + 2 * (g.cellSize.width() + g.horizontalSpacing), 0.5);

    EXPECT_EQ(LauncherLayoutPlan::scrollRows(15, 7), 3);
    const double content = 3 * (g.cellSize.height() + g.verticalSpacing) + 54;
    EXPECT_DOUBLE_EQ(LauncherLayoutPlan::scrollDocumentHeight(15, 7, g, 100), content);
    // Never lower than the visible area.
    EXPECT_DOUBLE_EQ(LauncherLayoutPlan::scrollDocumentHeight(15, 7, g, content + 200), content + 200);
    EXPECT_EQ(LauncherLayoutPlan::scrollRows(0, 7), 1);
}

// Columns come straight from the settings, which a settings change does not
// clamp: a grid of 0 or fewer columns must lay out as one column instead of
// dividing by zero.
TEST_F(LauncherTileFrameTest, ZeroOrNegativeColumnsNeverDivide)
{
    for (const int columns : {0, -1, -7}) {
        SCOPED_TRACE(columns);
        EXPECT_EQ(LauncherLayoutPlan::safeColumns(columns), 1);
        EXPECT_EQ(LauncherLayoutPlan::scrollRows(15, columns), 15);
        for (const bool scroll : {false, true}) {
            auto c = context(columns, 5, scroll, true, 3, 1);
            const QRectF first = LauncherLayoutPlan::tileFrame(c, 0);
            const QRectF second = LauncherLayoutPlan::tileFrame(c, 1);
            EXPECT_DOUBLE_EQ(first.x(), second.x());
            EXPECT_GT(second.y(), first.y());
            EXPECT_TRUE(std::isfinite(first.width()) && first.width() > 0);
        }
        const GridGeometry g(columns, 5, QRectF(0, 0, 1200, 700));
        EXPECT_GT(LauncherLayoutPlan::scrollDocumentHeight(15, columns, g, 0), 15 * g.cellSize.height());
    }
}

struct KeyRow
{
    const char *name;
    bool inField;
    int key;
    bool emptyQuery;
    bool editing;
    LauncherKeyRouting::Action expected;
    bool folderOpen = false;
};

class LauncherKeyRoutingTest : public ::testing::TestWithParam<KeyRow>
{
};

TEST_P(LauncherKeyRoutingTest, Routes)
{
    const KeyRow &row = GetParam();
    const auto action = row.inField ? LauncherKeyRouting::searchFieldKey(row.key, row.emptyQuery, row.folderOpen)
                                    : LauncherKeyRouting::viewKey(row.key, row.editing, row.folderOpen);
    EXPECT_EQ(action, row.expected);
}

using A = LauncherKeyRouting::Action;
INSTANTIATE_TEST_SUITE_P(
    Rows, LauncherKeyRoutingTest,
    ::testing::Values(
        // Escape leaves the search first, then hides.
        KeyRow{"fieldEscapeWithText", true, Qt::Key_Escape, false, false, A::clearSearch},
        KeyRow{"fieldEscapeEmpty", true, Qt::Key_Escape, true, false, A::hide},
        KeyRow{"fieldEscapeEmptyWhileEditing", true, Qt::Key_Escape, true, true, A::hide},
        KeyRow{"fieldReturn", true, Qt::Key_Return, false, false, A::openFirstEntry},
        KeyRow{"fieldEnter", true, Qt::Key_Enter, true, false, A::openFirstEntry},
        KeyRow{"fieldLeft", true, Qt::Key_Left, false, false, A::previousPage},
        KeyRow{"fieldRight", true, Qt::Key_Right, true, false, A::nextPage},
        KeyRow{"fieldTab", true, Qt::Key_Tab, true, false, A::focusView},
        KeyRow{"fieldLetter", true, Qt::Key_A, true, false, A::passOn},
        KeyRow{"fieldBackspace", true, Qt::Key_Backspace, false, false, A::passOn},
        // With the focus on the view, Escape leaves edit mode before it hides.
        KeyRow{"viewEscapeEditing", false, Qt::Key_Escape, true, true, A::exitEditMode},
        KeyRow{"viewEscape", false, Qt::Key_Escape, false, false, A::hide},
        KeyRow{"viewLeft", false, Qt::Key_Left, true, false, A::previousPage},
        KeyRow{"viewRight", false, Qt::Key_Right, true, true, A::nextPage},
        KeyRow{"viewReturnOpensApplicationsOnly", false, Qt::Key_Return, true, false, A::openFirstApp},
        KeyRow{"viewTab", false, Qt::Key_Tab, true, false, A::passOn},
        KeyRow{"viewLetter", false, Qt::Key_B, true, false, A::passOn},
        // An open folder is the innermost thing: Escape closes it before
        // anything else, wherever the focus is.
        KeyRow{"viewEscapeFolderOpen", false, Qt::Key_Escape, true, false, A::closeFolder, true},
        KeyRow{"viewEscapeFolderOpenWhileEditing", false, Qt::Key_Escape, true, true, A::closeFolder, true},
        KeyRow{"fieldEscapeFolderOpenDuringSearch", true, Qt::Key_Escape, false, false, A::closeFolder, true},
        KeyRow{"viewLeftFolderOpen", false, Qt::Key_Left, true, false, A::previousPage, true}),
    [](const ::testing::TestParamInfo<KeyRow> &info) { return std::string(info.param.name); });

} // namespace
