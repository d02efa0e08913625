#include "launcher/edit_mode_controller.h"

#include "launcher_grid_fixture.h"

#include <QList>

namespace {

// What edit mode told the view.
struct FakeEditHost : EditModeController::Host
{
    explicit FakeEditHost(LauncherGrid &grid) : grid(grid) {}

    void applyEditModeAppearance() override
    {
        ++appearances;
        // The view shows a badge on every tile while editing.
        for (AppTile *tile : grid.tiles) {
            TileState state = tile->state();
            state.showsDeleteBadge = controller && controller->isEditing();
            tile->setState(state);
        }
    }
    void applyEditModeTransformsAt(double time) override { poses.append(time); }
    void selectionChanged() override { ++selectionChanges; }
    void deleteBadgeTapped(int index, bool previewOnly) override { taps.append({index, previewOnly}); }

    LauncherGrid &grid;
    const EditModeController *controller = nullptr;
    int appearances = 0;
    QList<double> poses;
    int selectionChanges = 0;
    QList<std::pair<int, bool>> taps;
};

class EditModeControllerTest : public LauncherGridTest
{
protected:
    void build(const QStringList &extra = {})
    {
        makeGrid(6, extra);
        host = std::make_unique<FakeEditHost>(*grid);
        controller = std::make_unique<EditModeController>(*grid, *host);
        host->controller = controller.get();
    }
    void enter()
    {
        controller->syncOptionKeyBaseline(false);
        controller->handleOptionFlags(true, 58);
    }

    std::unique_ptr<FakeEditHost> host;
    std::unique_ptr<EditModeController> controller;
};

TEST_F(EditModeControllerTest, EnteringEmptiesTheGridsSelectionAndLeavingDressesTheTilesAgain)
{
    build();
    grid->selection = {grid->entries.at(1).id};

    enter();

    ASSERT_TRUE(controller->isEditing());
    EXPECT_EQ(controller->source(), "option");
    EXPECT_TRUE(grid->selection.isEmpty());
    EXPECT_EQ(host->selectionChanges, 1);
    EXPECT_EQ(host->appearances, 1);

    controller->handleOptionFlags(false, 58);
    EXPECT_FALSE(controller->isEditing()) << "the key that started it ends it";
    EXPECT_EQ(host->appearances, 2);
}

TEST_F(EditModeControllerTest, OnlyABadgeThatIsShownReachesTheHost)
{
    build();
    controller->handleBadgeTap(2, true);
    EXPECT_TRUE(host->taps.isEmpty()) << "no edit mode, no badge";

    enter();
    controller->handleBadgeTap(2, true);
    controller->handleBadgeTap(int(grid->tiles.size()), false);
    ASSERT_EQ(host->taps.size(), 1);
    EXPECT_EQ(host->taps.first(), std::make_pair(2, true));
}

TEST_F(EditModeControllerTest, ABadgeIsHitThroughTheGridsTilesWhereverTheyStand)
{
    build();
    enter();
    AppTile *tile = grid->tiles.at(3);
    const QPointF badge = tile->deleteBadgeRect().center() + grid->tileFrames.at(3).topLeft();
    EXPECT_EQ(controller->badgeTileIndex(badge), 3);
    EXPECT_EQ(controller->badgeTileIndex(QPointF(1, 1)), std::nullopt);
}

TEST_F(EditModeControllerTest, AFrozenJiggleTakesOnePoseAtEntryAndTheClockStaysStill)
{
    build({"--freeze-jiggle"});
    enter();
    EXPECT_EQ(host->poses, QList<double>{0});
    EXPECT_FALSE(controller->clock().isRunning());
}

} // namespace
