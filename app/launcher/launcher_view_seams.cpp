// Folder hosting, edit mode, the uninstall request and drag and drop are not
// part of the launcher view yet. These are their entry points as the rest of
// the view calls them; each does the least that keeps the callers correct.

#include "launcher_view.h"

#include "tiles/app_tile.h"

#include <QTimer>

void LauncherView::showFolderOverlay(const LayoutEntry &, std::optional<int>) {}

void LauncherView::refreshFolderOverlayGeometry() {}

void LauncherView::folderOverlayBackdropChanged() {}

void LauncherView::exitEditMode()
{
    m_editGate.exit();
    m_editClock.stop();
}

void LauncherView::scheduleLongPress() {}

void LauncherView::cancelLongPress() {}

void LauncherView::updateSelectionDisplay()
{
    for (AppTile *tile : std::as_const(m_tiles))
        tile->setSelected(m_selection.contains(tile->entry().id));
}

void LauncherView::applyJiggle(AppTile *, double, double, double) {}

std::optional<int> LauncherView::badgeTileIndex(const QPointF &) const
{
    // No tile shows a delete badge outside edit mode, which cannot be entered yet.
    return std::nullopt;
}

void LauncherView::handleBadgeTap(int, bool) {}

void LauncherView::startDrag(const QString &, const QPointF &) {}

void LauncherView::cancelEdgeAutoPage()
{
    if (m_edgeAutoTimer)
        m_edgeAutoTimer->stop();
    m_edgePolicy.reset();
}

void LauncherView::createTransientPage() {}
