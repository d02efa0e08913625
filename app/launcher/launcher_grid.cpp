#include "launcher/launcher_grid.h"

#include "launcher/launcher_layout_plan.h"
#include "launcher/page_canvas.h"
#include "paging/page_turner.h"
#include "session/launch_options.h"
#include "session/launcher_session.h"
#include "tiles/app_tile.h"

#include <QWidget>
#include <QWindow>

namespace {

// NSRect containment: the far edges belong to the neighbour.
bool containsPoint(const QRectF &rect, const QPointF &point)
{
    return point.x() >= rect.left() && point.x() < rect.right() && point.y() >= rect.top()
           && point.y() < rect.bottom();
}

} // namespace

LauncherGrid::LauncherGrid(QWidget &view, LauncherSession &session, IconProvider &icons,
                           const LaunchOptions &options)
    : view(view), session(session), icons(icons), options(options)
{
}

LauncherGrid::Shown LauncherGrid::selectShownEntries(int transientPages)
{
    const QList<QList<LayoutEntry>> pages =
        query.isEmpty() ? session.displayPages()
                        : GridGeometry::chunk(session.searchEntries(query), session.settings().pageSize());

    // An entry that left the layout (uninstalled, merged into a folder) leaves
    // the selection too: coming back later, it must not be selected again.
    if (!selection.isEmpty()) {
        QSet<QString> present;
        for (const QList<LayoutEntry> &page : query.isEmpty() ? pages : session.displayPages()) {
            for (const LayoutEntry &entry : page)
                present.insert(entry.id);
        }
        selection.intersect(present);
    }

    const LauncherLayoutPlan::Selection shown =
        LauncherLayoutPlan::select(pages, scrollMode(), transientPages, currentPage);
    pageCount = shown.pageCount;
    currentPage = shown.currentPage;
    entries = shown.entries;
    return Shown{pages, shown.dotsHidden};
}

double LauncherGrid::now() const
{
    return timeSource ? timeSource() : FrameClock::systemMediaTime();
}

bool LauncherGrid::scrollMode() const
{
    return session.settings().viewMode == Settings::ViewMode::scroll;
}

int LauncherGrid::columns() const
{
    return LauncherLayoutPlan::safeColumns(session.settings().columns);
}

int LauncherGrid::pageCapacity() const
{
    return session.settings().pageSize();
}

bool LauncherGrid::showsLabels() const
{
    return session.settings().showLabels;
}

QRectF LauncherGrid::gridRect() const
{
    return GridGeometry::contentRectIn(QRectF(view.rect()), session.settings().sideInset);
}

double LauncherGrid::backingScale() const
{
    // A view in no (native) window yet has no screen to ask.
    const QWidget *top = view.window();
    if (!top || !top->windowHandle())
        return 2;
    const double ratio = top->windowHandle()->devicePixelRatio();
    return ratio > 0 ? ratio : 2;
}

QRectF LauncherGrid::tileFrame(int index) const
{
    LauncherLayoutPlan::TileContext context;
    context.geometry = geometry;
    context.scrollMode = scrollMode();
    context.columns = columns();
    context.searching = searching();
    context.entryCount = int(entries.size());
    context.gridRect = gridRect();
    context.scale = backingScale();
    return LauncherLayoutPlan::tileFrame(context, index);
}

QPointF LauncherGrid::gridPoint(const QPointF &point) const
{
    const QPointF inHost = tilesHost ? tilesHost->mapFrom(&view, point) : point;
    if (scrollMode() || !turner)
        return inHost;
    return QPointF(inHost.x() + turner->gridOffset(), inHost.y());
}

std::optional<int> LauncherGrid::tileIndex(const QPointF &point) const
{
    const QPointF p = gridPoint(point);
    for (int i = 0; i < tileFrames.size(); ++i) {
        if (containsPoint(tileFrames.at(i), p))
            return i;
    }
    return std::nullopt;
}

std::optional<int> LauncherGrid::hitTileIndex(const QPointF &point) const
{
    const std::optional<int> index = tileIndex(point);
    if (!index)
        return std::nullopt;
    const QRectF hit = GridGeometry::iconHitRect(tileFrames.at(*index), geometry.iconSide(), showsLabels(), 0);
    // A press in a cell's margin is a press on empty space.
    if (!containsPoint(hit, gridPoint(point)))
        return std::nullopt;
    return index;
}

int LauncherGrid::insertionIndex(const QPointF &point) const
{
    if (scrollMode() || (searching() && entries.size() < columns())) {
        const QPointF g = gridPoint(point);
        for (int i = 0; i < tileFrames.size(); ++i)
            if (tileFrames.at(i).center().y() > g.y())
                return i;
        return int(entries.size());
    }
    return geometry.insertionIndex(point, int(entries.size()));
}

QRectF LauncherGrid::slotFrame(int index) const
{
    // Tile frames are in the canvas's coordinates (scrolled, in scroll
    // mode); the marker and the pointer live in the view's.
    const QRectF frame = tileFrame(index);
    const QPointF origin = tilesHost ? tilesHost->mapTo(&view, QPointF(0, 0)) : QPointF(0, 0);
    return frame.translated(origin);
}

QPointF LauncherGrid::pointInTile(const AppTile *tile, const QPointF &point) const
{
    return tile->mapFrom(&view, point);
}
