// Page turns and every input that turns pages (wheel, trackpad, side buttons,
// a pointer dragged over empty space, the page dots, automation), and the
// mouse events, which the press controller takes.
//
// The decisions live in the PageTurner, and its binding to the page canvases
// in LauncherPages.

#include "launcher_view.h"

#include "launcher/page_input_automation.h"

#include "session/launcher_session.h"


#include <QMouseEvent>
#include <QWheelEvent>



// --- Predicates ------------------------------------------------------------------------

bool LauncherView::pagingEnabled() const
{
    return m_grid.session.settings().animate && !m_options.noAnimation;
}

bool LauncherView::acceptsPointerPaging() const
{
    return acceptsEdgeAutoPage() && m_grid.pageCount > 1;
}

bool LauncherView::acceptsEdgeAutoPage() const
{
    return !isEditing() && !m_grid.scrollMode() && !isFolderOpen() && !m_grid.searching() && !m_options.lockPage;
}


// --- The page-turn engine --------------------------------------------------------------

void LauncherView::goToPage(int page)
{
    m_pages.turner().engine().goToPage(page);
}

void LauncherView::preparePaging(int direction, double progress, bool forceVisual)
{
    m_pages.turner().engine().preparePaging(direction, progress, forceVisual);
}

void LauncherView::finishPaging()
{
    m_pages.turner().engine().finishPaging();
}












// --- Paging inputs ---------------------------------------------------------------------

void LauncherView::wheelEvent(QWheelEvent *event)
{
    // Taken, not passed on: nothing behind the launcher scrolls instead.
    event->accept();
    if (isFolderOpen() || m_options.lockPage)
        return;
    m_pages.wheel(event, *this, *m_scrollContainer);
}

void LauncherView::simulatePageInputForAutomation(const QString &input)
{
    PageInputAutomation(m_grid, m_pages.turner(), m_tileDrag, m_press).run(input);
}

// --- Hit tests ---------------------------------------------------------------------------




void LauncherView::openFolder(const LayoutEntry &entry)
{
    exitEditMode();
    if (entry.folder)
        showFolderOverlay(entry, std::nullopt);
}

// --- The primary button ----------------------------------------------------------------

void LauncherView::mousePressEvent(QMouseEvent *event)
{
    m_press.mousePressEvent(event);
}

void LauncherView::mouseMoveEvent(QMouseEvent *event)
{
    m_press.mouseMoveEvent(event);
}

void LauncherView::mouseReleaseEvent(QMouseEvent *event)
{
    m_press.mouseReleaseEvent(event);
}

void LauncherView::activate(const LayoutEntry &entry)
{
    if (entry.isFolder()) {
        openFolder(entry);
    } else if (const std::optional<AppItem> app = m_grid.session.appFor(entry)) {
        if (onOpenApp)
            onOpenApp(*app);
    }
}

void LauncherView::backgroundClicked()
{
    if (onHide)
        onHide();
}
