// Page turns and every input that turns pages (wheel, trackpad, side buttons,
// a pointer dragged over empty space, the page dots, automation), and the
// mouse events, which the press controller takes.
//
// The decisions live in the PageTurner, and its binding to the page canvases
// in LauncherPages.

#include "launcher_view.h"

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



QString actionName(const EdgeAutoPagePolicy::Action &action)
{
    switch (action.kind) {
    case EdgeAutoPagePolicy::Action::wait:
        return QStringLiteral("wait");
    case EdgeAutoPagePolicy::Action::turn:
        return QStringLiteral("turn");
    case EdgeAutoPagePolicy::Action::idle:
        return QStringLiteral("idle");
    case EdgeAutoPagePolicy::Action::createPage:
        return QStringLiteral("createPage");
    }
    return QStringLiteral("idle");
}

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

void LauncherView::handleSideButton(int buttonNumber, double timestamp, int eventNumber)
{
    m_pages.turner().router().sideButton(buttonNumber, timestamp, eventNumber, acceptsPointerPaging());
}




void LauncherView::simulatePageInputForAutomation(const QString &input)
{
    if (m_grid.pageCount < 2) {
        Log::write("[page-input] skip spec=%@ pages=%d", input, m_grid.pageCount);
        return;
    }

    if (input.startsWith(QStringLiteral("page:"))) {
        const qint64 requested = LaunchOptions::parseInteger(input.mid(5)).value_or(0);
        const int target = int(std::clamp<qint64>(requested, 0, m_grid.pageCount - 1));
        // One page per call; with animation the first call slides and the
        // following ones only queue a step.
        int calls = 0;
        while (m_grid.currentPage < target && calls < 64) {
            goToPage(m_grid.currentPage + 1);
            ++calls;
        }
        while (m_grid.currentPage > target && calls < 64) {
            goToPage(m_grid.currentPage - 1);
            ++calls;
        }
        Log::write("[page-input] goto=%d current=%d pages=%d", target, m_grid.currentPage, m_grid.pageCount);
        return;
    }

    if (input == QStringLiteral("side-next")) {
        handleSideButton(4, m_grid.now(), 4);
        return;
    }

    if (input == QStringLiteral("side-back")) {
        goToPage(1);
        handleSideButton(3, m_grid.now(), 3);
        return;
    }

    if (input == QStringLiteral("drag-next")) {
        const double w = width();
        const double x0 = rect().center().x() + w * 0.22;
        const double t0 = m_grid.now();
        PagingInputRouter &router = m_pages.turner().router();
        router.armPointer(x0, t0);
        for (int i = 1; i <= 10; ++i)
            router.pointerMoved(x0 - (w * 0.45) * i / 10.0, t0 + i * 0.016, w);
        router.pointerReleased(t0 + 0.18);
        m_press.forgetPointerDrag();
        return;
    }

    if (input == QStringLiteral("edge-page")) {
        const QPointF point(width() - 8, height() / 2.0);
        const QString id = QStringLiteral("automation.edge");
        m_tileDrag.setLastDrag(point, id);
        const double t = m_grid.now();
        const EdgeAutoPagePolicy::Action a1 = m_tileDrag.applyEdgeAutoPage(point, id, t);
        const EdgeAutoPagePolicy::Action a2 = m_tileDrag.applyEdgeAutoPage(point, id, t + 0.6);
        const int turns = m_grid.pageCount;
        for (int i = 0; i < turns; ++i) {
            if (m_grid.currentPage < m_grid.pageCount - 1)
                goToPage(m_grid.currentPage + 1);
        }
        const EdgeAutoPagePolicy::Action a3 = m_tileDrag.applyEdgeAutoPage(point, id, t + 1.4);
        Log::write("[page-input] edge actions=%@/%@/%@ pages=%d transient=%d current=%d", actionName(a1),
                   actionName(a2), actionName(a3), m_grid.pageCount, m_tileDrag.transientPageCount(), m_grid.currentPage);
        m_tileDrag.cancelEdgeAutoPage();
        m_tileDrag.discardTransientPages();
        m_tileDrag.clearLastDrag();
        return;
    }

    Log::write("[page-input] unknown spec=%@", input);
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
