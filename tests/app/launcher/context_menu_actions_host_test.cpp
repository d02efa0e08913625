#include "launcher/context_menu_actions.h"

#include "launcher_grid_fixture.h"

#include <QDialog>
#include <QList>

namespace {

// What the menu asked of the view.
struct FakeMenuHost : ContextMenuActions::Host
{
    explicit FakeMenuHost(LauncherGrid &grid) : grid(grid) {}

    bool menuIsEditing() const override { return editing; }
    void menuSetSelection(const QSet<QString> &selection) override
    {
        grid.selection = selection;
        ++selectionChanges;
    }
    void menuOpenFolder(const LayoutEntry &entry) override { folders.append(entry.id); }
    void menuOpenApp(const AppItem &app) override { opened.append(app.stableID()); }
    UninstallRequests *menuUninstallRequests() override { return nullptr; }
    int menuRunModal(QDialog &) override { return QDialog::Rejected; }
    FileManager &menuFileManager() override { std::abort(); }

    LauncherGrid &grid;
    bool editing = false;
    int selectionChanges = 0;
    QStringList folders;
    QStringList opened;
};

class ContextMenuActionsHostTest : public LauncherGridTest
{
protected:
    void SetUp() override
    {
        LauncherGridTest::SetUp();
        makeGrid(6);
        host = std::make_unique<FakeMenuHost>(*grid);
        menu = std::make_unique<ContextMenuActions>(*grid, *host);
        menu->presentMenu = [this](const ContextMenuActions::Request &request) { requests.append(request); };
    }

    std::unique_ptr<FakeMenuHost> host;
    std::unique_ptr<ContextMenuActions> menu;
    QList<ContextMenuActions::Request> requests;
};

TEST_F(ContextMenuActionsHostTest, ASecondaryClickOnATileOutsideTheSelectionSelectsItAndAsksForItsMenu)
{
    grid->selection = {grid->entries.at(0).id};
    menu->secondaryClick(iconCentre(2), QPoint(300, 200));

    EXPECT_EQ(grid->selection, QSet<QString>{grid->entries.at(2).id});
    EXPECT_EQ(host->selectionChanges, 1);
    ASSERT_EQ(requests.size(), 1);
    EXPECT_EQ(requests.first().entryIDs, QStringList{grid->entries.at(2).id});
    EXPECT_EQ(requests.first().globalPosition, QPoint(300, 200));
}

TEST_F(ContextMenuActionsHostTest, ASecondaryClickInsideTheSelectionKeepsItWhole)
{
    grid->selection = {grid->entries.at(1).id, grid->entries.at(3).id};
    menu->secondaryClick(iconCentre(3), QPoint());
    EXPECT_EQ(host->selectionChanges, 0);
    ASSERT_EQ(requests.size(), 1);
    EXPECT_EQ(requests.first().selectionCount, 2);
}

TEST_F(ContextMenuActionsHostTest, NoMenuInEditModeOrForAnEmptySelection)
{
    host->editing = true;
    menu->secondaryClick(iconCentre(2), QPoint());
    host->editing = false;
    menu->secondaryClick(QPointF(2, 2), QPoint());
    EXPECT_TRUE(requests.isEmpty());
}

} // namespace
