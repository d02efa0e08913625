#include "launcher/folder_host.h"

#include "launcher_grid_fixture.h"

#include "model/layout_folder.h"

#include <QList>

namespace {

// What the folder told the view.
struct FakeFolderHost : FolderHost::Host
{
    std::optional<QImage> backdropImage() const override { return std::nullopt; }
    void dropPreview(const QPointF &point) override { previews.append(point); }
    void clearDropIndicators() override { ++clears; }
    void openApp(const AppItem &app) override { opened.append(app.stableID()); }
    void overlayChanged(FolderOverlay *overlay) override { overlays.append(overlay); }

    QList<QPointF> previews;
    int clears = 0;
    QStringList opened;
    QList<FolderOverlay *> overlays;
};

class FolderHostTest : public LauncherGridTest
{
protected:
    void SetUp() override
    {
        LauncherGridTest::SetUp();
        makeGrid(6);
        folders = std::make_unique<FolderHost>(*grid, host);
    }
    LayoutFolder folderOf(int first, int count) const
    {
        QStringList ids;
        for (int i = first; i < first + count; ++i)
            ids.append(*grid->entries.at(i).appID);
        return LayoutFolder(LayoutFolder::newIdentifier(), QStringLiteral("Tools"), ids);
    }

    FakeFolderHost host;
    std::unique_ptr<FolderHost> folders;
};

TEST_F(FolderHostTest, TheOverlayCoversTheGridsViewAndTheHostHearsItOpenAndClose)
{
    folders->show(folderOf(0, 3), std::nullopt);

    ASSERT_TRUE(folders->isOpen());
    EXPECT_EQ(folders->overlay()->parentWidget(), view.get());
    EXPECT_EQ(folders->overlay()->geometry(), view->rect());
    ASSERT_EQ(host.overlays.size(), 1);
    EXPECT_EQ(host.overlays.first(), folders->overlay());

    folders->close();
    EXPECT_FALSE(folders->isOpen());
    EXPECT_EQ(host.overlays, (QList<FolderOverlay *>{host.overlays.first(), nullptr}));
}

TEST_F(FolderHostTest, AMemberOpenedInTheFolderReachesTheHostAndAStaleOverlayReachesNothing)
{
    folders->show(folderOf(0, 3), std::nullopt);
    FolderOverlay *first = folders->overlay();
    const std::function<void(const QString &)> openFromFirst = first->onOpen;
    openFromFirst(*grid->entries.at(1).appID);
    EXPECT_EQ(host.opened, QStringList{*grid->entries.at(1).appID});

    folders->show(folderOf(3, 2), std::nullopt);
    openFromFirst(*grid->entries.at(2).appID);
    EXPECT_EQ(host.opened.size(), 1) << "only the open folder's callbacks act";
}

TEST_F(FolderHostTest, AMemberDraggedOverTheGridIsPreviewedThroughTheHost)
{
    folders->show(folderOf(0, 3), std::nullopt);
    folders->overlay()->onDragMoveOut(QPointF(40, 50));
    folders->overlay()->onDragOutEnded();
    EXPECT_EQ(host.previews, QList<QPointF>{QPointF(40, 50)});
    EXPECT_EQ(host.clears, 1);
}

} // namespace
