#include "launcher/launcher_pages.h"

#include "launcher/launcher_grid.h"
#include "launcher/launcher_layout_plan.h"
#include "launcher/page_canvas.h"
#include "session/launch_options.h"
#include "tiles/app_tile.h"

#include <QCoreApplication>
#include <QScrollArea>
#include <QWheelEvent>

#include <cmath>
#include <utility>

LauncherPages::LauncherPages(LauncherGrid &grid, Host &host)
    : m_grid(grid), m_host(host), m_turner(*this, configuration(grid.options))
{
    m_grid.turner = &m_turner;
}

LauncherPages::~LauncherPages()
{
    m_turner.slideClock().stop();
    m_grid.turner = nullptr;
}

PageTurnEngine::Configuration LauncherPages::configuration(const LaunchOptions &options)
{
    PageTurnEngine::Configuration result;
    result.dumpWindows = options.dumpWindows;
    result.slideProgress = options.slideProgress;
    result.dragProgress = options.dragProgress;
    result.slideDuration = options.slideDuration;
    return result;
}

void LauncherPages::abandonPointerTurn()
{
    const PageTurnEngine &engine = m_turner.engine();
    if (m_turner.pointerDrag().isActive() && engine.isInteractivePaging() && !engine.isPagingAnimating()) {
        const int from = engine.pagingFromPage();
        m_turner.engine().finishPaging();
        m_grid.currentPage = from;
        m_host.rebuildGrid();
    }
    m_turner.pointerDrag().reset();
}

void LauncherPages::setSlideOrigin(QWidget *canvas, double x) const
{
    if (!canvas)
        return;
    const double snapped = LauncherLayoutPlan::snap(x, m_grid.backingScale());
    canvas->move(int(std::lround(snapped)), canvas->y());
}

int LauncherPages::currentPage() const
{
    return m_grid.currentPage;
}

int LauncherPages::pageCount() const
{
    return m_grid.pageCount;
}

double LauncherPages::viewWidth() const
{
    return m_grid.view.width();
}

double LauncherPages::now() const
{
    return m_grid.now();
}

bool LauncherPages::detachCurrentTiles()
{
    if (m_grid.scrollMode() || m_grid.tiles.isEmpty())
        return false;
    auto *host = new PageCanvas(&m_grid.view);
    host->setGeometry(m_grid.tilesHost->geometry());
    host->stackUnder(m_grid.tilesHost);
    // The tiles move as they are; the next rebuild only builds the page entered.
    for (AppTile *tile : std::as_const(m_grid.tiles))
        tile->setParent(host);
    for (AppTile *tile : std::as_const(m_grid.tiles))
        tile->show();
    host->show();
    m_grid.outgoingTiles = m_grid.tiles;
    m_grid.tiles.clear();
    m_grid.tileFrames.clear();
    m_grid.outgoingHost = host;
    return true;
}

void LauncherPages::showPage(int page)
{
    m_grid.currentPage = page;
    m_host.rebuildGrid();
}

void LauncherPages::setIncomingOrigin(double x)
{
    setSlideOrigin(m_grid.tilesHost, x);
}

void LauncherPages::setOutgoingOrigin(double x)
{
    if (m_grid.outgoingHost)
        setSlideOrigin(m_grid.outgoingHost, x);
}

void LauncherPages::resetHosts()
{
    setSlideOrigin(m_grid.tilesHost, 0);
    if (PageCanvas *host = std::exchange(m_grid.outgoingHost, nullptr)) {
        // The event being handled may have started on it: delete later.
        host->hide();
        host->deleteLater();
    }
    m_grid.outgoingTiles.clear();
}

void LauncherPages::wheel(QWheelEvent *event, QWidget &view, QScrollArea &scrollContainer)
{
    if (m_grid.scrollMode()) {
        QWidget *hit = view.childAt(event->position().toPoint());
        if (hit && (hit == &scrollContainer || scrollContainer.isAncestorOf(hit))) {
            event->ignore();
            return;
        }
        // The grid scrolls wherever the pointer is.
        QWidget *viewport = scrollContainer.viewport();
        const QPointF local = viewport->mapFrom(&view, event->position());
        QWheelEvent forwarded(local, event->globalPosition(), event->pixelDelta(), event->angleDelta(),
                              event->buttons(), event->modifiers(), event->phase(), event->inverted(),
                              event->source());
        forwarded.setTimestamp(event->timestamp());
        QCoreApplication::sendEvent(viewport, &forwarded);
        return;
    }
    m_turner.router().scroll(m_turner.router().translate(*event));
}
