#include "launcher/tile_drag_controller.h"

#include "launcher/fill_view.h"

#include "launcher_grid_fixture.h"

#include <QList>

namespace {

// What the drag asked of the view.
struct FakeDragHost : TileDragController::Host
{
    explicit FakeDragHost(LauncherGrid &grid) : grid(grid), marker(new FillView(&grid.view)) { marker->hide(); }

    void rebuildGrid() override
    {
        ++rebuilds;
        grid.pageCount = grid.pageCount + 1;
    }
    void goToPage(int page) override
    {
        pages.append(page);
        grid.currentPage = page;
    }
    bool edgePagingAllowed() const override { return edgePaging; }
    void openFolder(const LayoutEntry &entry) override { opened.append(entry.id); }
    FillView *dropMarker() override { return marker; }
    bool pointerOverOtherWindow() override { return false; }

    LauncherGrid &grid;
    FillView *marker;
    bool edgePaging = true;
    int rebuilds = 0;
    QList<int> pages;
    QStringList opened;
};

class TileDragControllerTest : public LauncherGridTest
{
protected:
    void build(int apps)
    {
        makeGrid(apps, {"--dump-windows"});
        host = std::make_unique<FakeDragHost>(*grid);
        drag = std::make_unique<TileDragController>(*grid, *host);
    }
    QPointF trailingEdge() const { return QPointF(view->width() - 4, view->height() / 2.0); }

    std::unique_ptr<FakeDragHost> host;
    std::unique_ptr<TileDragController> drag;
};

TEST_F(TileDragControllerTest, HeldAtTheTrailingEdgeOfTheLastPageItOpensOneEmptyPageAndGoesThere)
{
    build(6);
    ASSERT_EQ(grid->pageCount, 1);
    const QString id = grid->entries.first().id;

    EXPECT_EQ(drag->applyEdgeAutoPage(trailingEdge(), id, now).kind, EdgeAutoPagePolicy::Action::wait);
    EXPECT_EQ(host->rebuilds, 0);
    const EdgeAutoPagePolicy::Action held = drag->applyEdgeAutoPage(trailingEdge(), id, now + 5);

    EXPECT_EQ(held.kind, EdgeAutoPagePolicy::Action::createPage);
    EXPECT_EQ(drag->transientPageCount(), 1);
    EXPECT_EQ(host->rebuilds, 1);
    EXPECT_EQ(host->pages, QList<int>{1});

    drag->discardTransientPages();
    EXPECT_EQ(drag->transientPageCount(), 0);
    EXPECT_EQ(host->rebuilds, 2) << "the grid is built again without the empty page";
}

TEST_F(TileDragControllerTest, HeldAtTheTrailingEdgeOfAnEarlierPageItTurnsThePage)
{
    build(14);
    ASSERT_EQ(grid->pageCount, 2);
    const QString id = grid->entries.first().id;
    drag->applyEdgeAutoPage(trailingEdge(), id, now);
    EXPECT_EQ(drag->applyEdgeAutoPage(trailingEdge(), id, now + 5).kind, EdgeAutoPagePolicy::Action::turn);
    EXPECT_EQ(host->pages, QList<int>{1});
    EXPECT_EQ(host->rebuilds, 0);
}

TEST_F(TileDragControllerTest, AHoverWhereTheHostForbidsEdgePagingTurnsNothing)
{
    build(14);
    host->edgePaging = false;
    const QString id = grid->entries.first().id;
    drag->updateDropTarget(trailingEdge(), id, true);
    drag->edgeTimerFired();
    EXPECT_TRUE(host->pages.isEmpty());
    EXPECT_EQ(drag->transientPageCount(), 0);
}

TEST_F(TileDragControllerTest, TheMarkerStandsOverTheSlotThePointInsertsAt)
{
    build(6);
    const QPointF point = iconCentre(2) - QPointF(grid->geometry.cellSize.width() / 2 - 2, 0);
    const int slot = grid->insertionIndex(point);
    ASSERT_EQ(slot, 2);

    drag->updateDropTarget(point, std::nullopt, false);

    ASSERT_FALSE(host->marker->isHidden());
    EXPECT_EQ(drag->insertionIndex(), slot);
    const QRectF frame = grid->slotFrame(slot);
    EXPECT_NEAR(host->marker->geometry().center().x(), frame.center().x(), 1.5);

    drag->clearDropIndicators();
    EXPECT_TRUE(host->marker->isHidden());
}

} // namespace
