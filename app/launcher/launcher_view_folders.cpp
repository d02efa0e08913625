// The entry points of folder hosting (FolderHost) and of the context menu
// with its actions (ContextMenuActions), each reaching the view through a
// small adapter.

#include "launcher_view.h"

#include "folders/folder_overlay.h"
#include "launcher/context_menu_actions.h"
#include "launcher/folder_host.h"
#include "session/launcher_session.h"
#include "tiles/wallpaper_backdrop.h"

#include "file_manager.h"

#include <QContextMenuEvent>
#include <QDialog>
#include <QLineEdit>

// --- Adapter --------------------------------------------------------------------------

struct LauncherView::FolderParts final : FolderHost::Host, ContextMenuActions::Host
{
    explicit FolderParts(LauncherView &view)
        : view(view), folders(view.m_grid, *this), menu(view.m_grid, *this)
    {
    }

    // FolderHost::Host
    std::optional<QImage> backdropImage() const override
    {
        return view.m_backdrop ? view.m_backdrop->blurredImage() : std::nullopt;
    }
    void dropPreview(const QPointF &point) override
    {
        // The marker and the row's reflow of a tile drag, without its merging
        // or edge paging: a member dragged out goes where dropFromFolder puts it.
        view.m_tileDrag.updateDropTarget(point, std::nullopt, false);
    }
    void clearDropIndicators() override { view.m_tileDrag.clearDropIndicators(); }
    void openApp(const AppItem &app) override
    {
        if (view.onOpenApp)
            view.onOpenApp(app);
    }
    void overlayChanged(FolderOverlay *overlay) override
    {
        // Typing filters the grid again once the folder is closed.
        if (!overlay && view.m_searchPlate->field())
            view.m_searchPlate->field()->setFocus(Qt::OtherFocusReason);
    }

    // ContextMenuActions::Host
    bool menuIsEditing() const override { return view.isEditing(); }
    void menuSetSelection(const QSet<QString> &selection) override
    {
        view.m_grid.selection = selection;
        view.updateSelectionDisplay();
    }
    void menuOpenFolder(const LayoutEntry &entry) override { view.openFolder(entry); }
    void menuOpenApp(const AppItem &app) override { openApp(app); }
    UninstallRequests *menuUninstallRequests() override { return view.m_uninstall.requests(); }
    int menuRunModal(QDialog &dialog) override { return view.runModal ? view.runModal(dialog) : dialog.exec(); }
    FileManager &menuFileManager() override
    {
        if (!fileManager)
            fileManager = FileManager::desktop();
        return *fileManager;
    }

    LauncherView &view;
    std::shared_ptr<FileManager> fileManager;
    FolderHost folders;
    ContextMenuActions menu;
};

std::shared_ptr<LauncherView::FolderParts> LauncherView::makeFolderParts()
{
    return std::make_shared<FolderParts>(*this);
}

FolderHost &LauncherView::folderHost() const
{
    return m_folderParts->folders;
}

ContextMenuActions &LauncherView::contextMenuActions() const
{
    return m_folderParts->menu;
}

void LauncherView::contextMenuEvent(QContextMenuEvent *event)
{
    event->accept();
    m_folderParts->menu.secondaryClick(QPointF(event->pos()), event->globalPos());
}

void LauncherView::setFileManager(std::shared_ptr<FileManager> fileManager)
{
    m_folderParts->fileManager = std::move(fileManager);
}
