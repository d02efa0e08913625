#include "launcher/launcher_pages.h"

#include "launcher_grid_fixture.h"

namespace {

// Builds the grid's current page the way the view does, as far as paging sees it.
struct FakePagesHost : LauncherPages::Host
{
    explicit FakePagesHost(LauncherGrid &grid) : grid(grid) {}

    bool pagingEnabled() const override { return animate; }
    void rebuildGrid() override
    {
        ++rebuilds;
        shownPages.append(grid.currentPage);
    }

    LauncherGrid &grid;
    bool animate = false;
    int rebuilds = 0;
    QList<int> shownPages;
};

class LauncherPagesTest : public LauncherGridTest
{
protected:
    void build(bool animate)
    {
        makeGrid(14);
        host = std::make_unique<FakePagesHost>(*grid);
        host->animate = animate;
        pages = std::make_unique<LauncherPages>(*grid, *host);
    }

    std::unique_ptr<FakePagesHost> host;
    std::unique_ptr<LauncherPages> pages;
};

TEST_F(LauncherPagesTest, WithoutAnimationATurnShowsThePageAtOnceAndLeavesNoOutgoingCanvas)
{
    build(false);
    pages->turner().engine().goToPage(1);
    EXPECT_EQ(grid->currentPage, 1);
    EXPECT_EQ(host->shownPages, QList<int>{1});
    EXPECT_EQ(grid->outgoingHost, nullptr);
    EXPECT_TRUE(grid->outgoingTiles.isEmpty());
}

TEST_F(LauncherPagesTest, AnAnimatedTurnSlidesTheLeftPagesTilesOutOnACanvasOfTheirOwn)
{
    build(true);
    const QList<AppTile *> left = grid->tiles;
    pages->turner().engine().goToPage(1);

    ASSERT_NE(grid->outgoingHost, nullptr);
    EXPECT_EQ(grid->outgoingTiles, left);
    for (AppTile *tile : left)
        EXPECT_EQ(tile->parentWidget(), grid->outgoingHost);
    EXPECT_TRUE(grid->tiles.isEmpty()) << "the page entered is built by the view";
    EXPECT_TRUE(pages->turner().isTurning());

    now += 5;
    pages->turner().engine().slideTick(now);
    EXPECT_FALSE(pages->turner().isTurning());
    EXPECT_EQ(grid->outgoingHost, nullptr);
    EXPECT_TRUE(grid->outgoingTiles.isEmpty());
    EXPECT_EQ(grid->tilesHost->x(), 0);
}

TEST_F(LauncherPagesTest, TheGridPointCountsTheSlideBack)
{
    build(true);
    pages->turner().engine().preparePaging(1, 0.5);
    ASSERT_TRUE(pages->turner().isTurning());
    const double offset = pages->turner().gridOffset();
    ASSERT_NE(offset, 0);
    EXPECT_DOUBLE_EQ(grid->gridPoint(QPointF(100, 50)).x(), 100 - grid->tilesHost->x() + offset);
}

TEST_F(LauncherPagesTest, HidingAbandonsAHalfDraggedTurnOnThePageWhereTheDragBegan)
{
    build(true);
    PagingInputRouter &router = pages->turner().router();
    const double width = view->width();
    router.armPointer(width * 0.7, now);
    for (int i = 1; i <= 4; ++i)
        router.pointerMoved(width * 0.7 - width * 0.05 * i, now + i * 0.05, width);
    ASSERT_TRUE(pages->turner().engine().isInteractivePaging());
    ASSERT_TRUE(pages->turner().pointerDrag().isActive());

    pages->abandonPointerTurn();

    EXPECT_FALSE(pages->turner().isTurning());
    EXPECT_FALSE(pages->turner().pointerDrag().isActive());
    EXPECT_EQ(grid->currentPage, 0);
    EXPECT_EQ(host->shownPages.last(), 0);
}

} // namespace
