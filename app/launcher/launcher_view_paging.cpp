// Page turns and every input that turns pages (wheel, trackpad, side buttons,
// a pointer dragged over empty space, the page dots, automation), and the
// mouse events, which the press controller takes.
//
// The decisions live in the PageTurner, and its binding to the page canvases
// in LauncherPages.

#include "launcher_view.h"

#include "launcher/page_input_automation.h"

#include "session/launcher_session.h"
#include "tiles/app_tile.h"

#include "foundation/log.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QScrollArea>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {




} // namespace

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
    if (scrollMode()) {
        const QPoint at = event->position().toPoint();
        QWidget *hit = childAt(at);
        if (hit && (hit == m_scrollContainer || m_scrollContainer->isAncestorOf(hit))) {
            event->ignore();
            return;
        }
        // The grid scrolls wherever the pointer is.
        QWidget *viewport = m_scrollContainer->viewport();
        const QPointF local = viewport->mapFrom(this, event->position());
        QWheelEvent forwarded(local, event->globalPosition(), event->pixelDelta(), event->angleDelta(),
                              event->buttons(), event->modifiers(), event->phase(), event->inverted(),
                              event->source());
        forwarded.setTimestamp(event->timestamp());
        QCoreApplication::sendEvent(viewport, &forwarded);
        return;
    }
    m_pages.turner().router().scroll(m_pages.turner().router().translate(*event));
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
    if (event->button() == Qt::RightButton) {
        event->ignore();
        return;
    }
    event->accept();
    if (event->button() == Qt::LeftButton) {
        m_press.press(event->position(), event->modifiers(), event->timestamp());
        return;
    }
    if (const int number = PointerPressController::sideButtonNumber(event->button()); number > 0)
        m_press.sideButton(number);
}

void LauncherView::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton)) {
        event->ignore();
        return;
    }
    event->accept();
    m_press.move(event->position());
}

void LauncherView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    event->accept();
    m_press.release(event->position(), event->timestamp());
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
