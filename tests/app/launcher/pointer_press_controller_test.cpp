#include "launcher/pointer_press_controller.h"

#include "launcher/edit_mode_controller.h"
#include "launcher/launcher_pages.h"
#include "launcher/tile_drag_controller.h"

#include "launcher_grid_fixture.h"

#include <QList>

namespace {

// One fake for every host the press reaches: what a press, a move and a
// release ended up asking of the view.
struct FakeViewHost : PointerPressController::Host,
                      EditModeController::Host,
                      TileDragController::Host,
                      LauncherPages::Host
{
    // PointerPressController::Host
    void selectionChanged() override { ++selectionChanges; }
    bool pointerPagingAllowed() const override { return true; }
    void activate(const LayoutEntry &entry) override { activated.append(entry.id); }
    void backgroundClicked() override { ++backgroundClicks; }
    void deleteBadgeTapped(int index, bool) override { taps.append(index); }
    // EditModeController::Host
    void applyEditModeAppearance() override {}
    void applyEditModeTransformsAt(double) override {}
    // TileDragController::Host, LauncherPages::Host
    void rebuildGrid() override {}
    void goToPage(int) override {}
    bool edgePagingAllowed() const override { return false; }
    void openFolder(const LayoutEntry &) override {}
    FillView *dropMarker() override { return nullptr; }
    bool pointerOverOtherWindow() override { return false; }
    bool pagingEnabled() const override { return false; }

    int selectionChanges = 0;
    QStringList activated;
    int backgroundClicks = 0;
    QList<int> taps;
};

class PointerPressControllerTest : public LauncherGridTest
{
protected:
    void SetUp() override
    {
        LauncherGridTest::SetUp();
        makeGrid(6);
        editMode = std::make_unique<EditModeController>(*grid, static_cast<EditModeController::Host &>(host));
        tileDrag = std::make_unique<TileDragController>(*grid, static_cast<TileDragController::Host &>(host));
        pages = std::make_unique<LauncherPages>(*grid, static_cast<LauncherPages::Host &>(host));
        press = std::make_unique<PointerPressController>(*grid, *editMode, *tileDrag, pages->turner(),
                                                         static_cast<PointerPressController::Host &>(host));
    }
    void TearDown() override
    {
        press.reset();
        pages.reset();
        tileDrag.reset();
        editMode.reset();
        LauncherGridTest::TearDown();
    }
    QPointF background() const { return QPointF(view->width() / 2.0, 8); }

    FakeViewHost host;
    std::unique_ptr<EditModeController> editMode;
    std::unique_ptr<TileDragController> tileDrag;
    std::unique_ptr<LauncherPages> pages;
    std::unique_ptr<PointerPressController> press;
};

TEST_F(PointerPressControllerTest, AClickHighlightsTheTileWhilePressedAndActivatesItsEntryOnRelease)
{
    press->press(iconCentre(2), Qt::NoModifier, 0);
    EXPECT_EQ(grid->selection, QSet<QString>{grid->entries.at(2).id});

    press->release(iconCentre(2), 0);
    EXPECT_EQ(host.activated, QStringList{grid->entries.at(2).id});
    EXPECT_TRUE(grid->selection.isEmpty()) << "the highlight ends with the press";
}

TEST_F(PointerPressControllerTest, ACtrlClickTogglesTheSelectionAndOpensNothing)
{
    grid->selection = {grid->entries.at(0).id};
    press->press(iconCentre(2), Qt::ControlModifier, 0);
    press->release(iconCentre(2), 0);
    press->press(iconCentre(0), Qt::ControlModifier, 0);
    press->release(iconCentre(0), 0);

    EXPECT_EQ(grid->selection, QSet<QString>{grid->entries.at(2).id});
    EXPECT_TRUE(host.activated.isEmpty());
}

TEST_F(PointerPressControllerTest, ABackgroundClickHidesOnlyWhenReleasedNearWhereItWasPressed)
{
    press->press(background(), Qt::NoModifier, 0);
    press->release(background() + QPointF(PointerPressController::backgroundClickMaxDrift, 0), 0);
    EXPECT_EQ(host.backgroundClicks, 1);

    press->press(background(), Qt::NoModifier, 0);
    press->release(background() + QPointF(0, PointerPressController::backgroundClickMaxDrift + 1), 0);
    EXPECT_EQ(host.backgroundClicks, 1);
}

TEST_F(PointerPressControllerTest, InEditModeAPressBesideTheTilesLeavesItAndActivatesNothing)
{
    editMode->syncOptionKeyBaseline(false);
    editMode->enterEditModeViaOption();
    ASSERT_TRUE(editMode->isEditing());

    press->press(background(), Qt::NoModifier, 0);
    press->release(background(), 0);

    EXPECT_FALSE(editMode->isEditing());
    EXPECT_EQ(host.backgroundClicks, 0);
    EXPECT_TRUE(host.activated.isEmpty());
}

} // namespace
