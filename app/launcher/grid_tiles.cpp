#include "launcher/grid_tiles.h"

#include "launcher/edit_mode_controller.h"
#include "launcher/launcher_grid.h"
#include "launcher/launcher_layout_plan.h"
#include "launcher/page_canvas.h"
#include "launcher/tile_drag_controller.h"
#include "session/launch_options.h"
#include "session/launcher_session.h"
#include "tiles/app_tile.h"
#include "tiles/icon_provider.h"

#include "foundation/log.h"
#include "policy/edit_mode_badge_placement.h"
#include "policy/jiggle_motion.h"
#include "policy/uninstall_eligibility.h"

#include <QScrollArea>
#include <QSet>

#include <algorithm>
#include <cmath>

namespace {

// Pages on either side of the current one whose icons stay decoded: a turn
// to a neighbour shows icons at once; a jump further reads them back from
// the disk cache.
constexpr int nearPages = 1;

} // namespace

GridTiles::GridTiles(LauncherGrid &grid, EditModeController &editMode, const TileDragController &tileDrag)
    : m_grid(grid), m_editMode(editMode), m_tileDrag(tileDrag)
{
}

void GridTiles::clear()
{
    m_pageDrawnLogged = false;
    const QList<AppTile *> old = m_grid.tiles;
    m_grid.tiles.clear();
    m_grid.tileFrames.clear();
    for (AppTile *tile : old)
        delete tile;
}

void GridTiles::build()
{
    const bool showLabels = m_grid.showsLabels();
    IconProvider &icons = m_grid.icons;
    for (int i = 0; i < m_grid.entries.size(); ++i) {
        const LayoutEntry &entry = m_grid.entries.at(i);
        const QRectF frame = m_grid.tileFrame(i);
        auto *tile = new AppTile(frame, entry, m_grid.session.titleFor(entry), m_grid.tilesHost);
        TileState state = tile->state();
        state.iconSide = m_grid.geometry.iconSide();
        state.showLabel = showLabels;
        state.dimmed = m_grid.session.isHidden(entry);
        state.selected = m_grid.selection.contains(entry.id);
        state.dragging = m_tileDrag.draggingEntryID() && *m_tileDrag.draggingEntryID() == entry.id;
        if (const std::optional<AppItem> app = m_grid.session.appFor(entry))
            state.icon = icons.icon(*app);
        if (entry.isFolder())
            state.folderPreview = folderPreview(entry);
        tile->setState(state);
        // A page's canvas paints nothing, and lies over the backdrop with
        // nothing else under the grid; the scrolling list's does not.
        if (!m_grid.scrollMode())
            tile->setUnderlay(m_grid.backdrop);
        dressForEditMode(tile);
        if (m_grid.options.dumpWindows)
            tile->onPainted = [this] { logWhenPageDrawn(); };
        tile->show();
        m_grid.tiles.append(tile);
        m_grid.tileFrames.append(frame);
    }
}

void GridTiles::dressForEditMode(AppTile *tile) const
{
    if (!tile)
        return;
    TileState state = tile->state();
    state.badgePlacement = EditModeBadgePlacement::parse(m_grid.options.badgeSide);
    const LayoutEntry &entry = tile->entry();
    state.showsDeleteBadge = m_editMode.isEditing()
                             && UninstallEligibility::canUninstall(entry.isFolder(), m_grid.session.appFor(entry));
    if (!state.showsDeleteBadge)
        state.deleteBadgePressed = false;
    tile->setState(state);
}

void GridTiles::dressAllForEditMode() const
{
    for (AppTile *tile : std::as_const(m_grid.tiles))
        dressForEditMode(tile);
    for (AppTile *tile : std::as_const(m_grid.outgoingTiles))
        dressForEditMode(tile);
}

void GridTiles::showSelection() const
{
    for (AppTile *tile : std::as_const(m_grid.tiles)) {
        TileState state = tile->state();
        state.selected = m_grid.selection.contains(tile->entry().id);
        tile->setState(state);
    }
}

void GridTiles::refreshIcons(const QString &appID) const
{
    const std::optional<AppItem> app = m_grid.session.app(appID);
    if (!app)
        return;
    const QList<AppTile *> all = m_grid.tiles + m_grid.outgoingTiles;
    for (AppTile *tile : all) {
        if (tile->entry().appID == appID) {
            TileState state = tile->state();
            state.icon = m_grid.icons.cachedIcon(*app);
            tile->setState(state);
            tile->update();
        }
    }
    // Folder previews draw from the icon cache, whichever member arrived.
    for (AppTile *tile : all) {
        if (tile->entry().isFolder()) {
            TileState state = tile->state();
            state.folderPreview = folderPreview(tile->entry());
            tile->setState(state);
            tile->update();
        }
    }
}

void GridTiles::applyJiggle(double time) const
{
    for (int i = 0; i < m_grid.tiles.size(); ++i) {
        const JiggleMotion motion(i, time);
        m_editMode.applyJiggle(m_grid.tiles.at(i), motion.rotationRadians, motion.translationX, motion.translationY);
    }
    // Outgoing tiles continue the numbering so no two share a phase.
    const int base = int(m_grid.tiles.size());
    for (int j = 0; j < m_grid.outgoingTiles.size(); ++j) {
        const JiggleMotion motion(base + j, time);
        m_editMode.applyJiggle(m_grid.outgoingTiles.at(j), motion.rotationRadians, motion.translationX,
                               motion.translationY);
    }
}

std::optional<QImage> GridTiles::folderPreview(const LayoutEntry &entry) const
{
    if (!entry.folder)
        return std::nullopt;
    const QImage preview =
        m_grid.icons.folderPreview(entry.folder->bundleIDs, m_grid.geometry.iconSide() * 0.86, m_grid.backingScale());
    if (preview.isNull())
        return std::nullopt;
    return preview;
}

void GridTiles::logWhenPageDrawn()
{
    if (m_pageDrawnLogged)
        return;
    for (const AppTile *tile : std::as_const(m_grid.tiles)) {
        // A tile waits for an image only when its application is known:
        // one without stays blank for good.
        const bool waitsForImage = tile->entry().isFolder() || m_grid.session.appFor(tile->entry()).has_value();
        if (!tile->painted() || (waitsForImage && !tile->paintedImage()))
            return;
    }
    m_pageDrawnLogged = true;
    // Automation waits for this line before it reads the screen: on a busy
    // machine the icons of a page arrive long after the page is shown.
    Log::write("[icons] drawn page=%d tiles=%d", m_grid.currentPage, int(m_grid.tiles.size()));
}

void GridTiles::retainNearPageIcons(const QList<QList<LayoutEntry>> &pages) const
{
    // A scrolling grid shows every entry; its icons all stay. Results of a
    // search change with every key: what they showed stays until the grid
    // pages again.
    if (m_grid.scrollMode() || m_grid.searching())
        return;
    QSet<QString> keep;
    QList<AppItem> neighbours;
    const auto keepEntries = [&](const QList<LayoutEntry> &entries, bool load) {
        for (const LayoutEntry &entry : entries) {
            if (const std::optional<AppItem> app = m_grid.session.appFor(entry)) {
                keep.insert(app->path);
                if (load)
                    neighbours.append(*app);
            }
            if (!entry.folder)
                continue;
            // The preview shows the first nine members.
            const QStringList &members = entry.folder->bundleIDs;
            for (qsizetype i = 0; i < std::min<qsizetype>(9, members.size()); ++i) {
                if (const std::optional<AppItem> member = m_grid.session.app(members.at(i)))
                    keep.insert(member->path);
            }
        }
    };
    // What shows now, whatever page it came from (a page being left, a drag's
    // transient page).
    keepEntries(m_grid.entries, false);
    for (const AppTile *tile : std::as_const(m_grid.outgoingTiles))
        keepEntries({tile->entry()}, false);
    for (int page = m_grid.currentPage - nearPages; page <= m_grid.currentPage + nearPages; ++page) {
        if (page != m_grid.currentPage && page >= 0 && page < pages.size())
            keepEntries(pages.at(page), true);
    }
    m_grid.icons.retainOnly(keep);
    // The neighbours' icons load behind the page shown (it asked first), so
    // that a turn shows them at once.
    for (const AppItem &app : std::as_const(neighbours))
        m_grid.icons.icon(app);
}

QScrollArea *GridTiles::makeScrollContainer(QWidget *parent)
{
    auto *container = new QScrollArea(parent);
    container->setFrameShape(QFrame::NoFrame);
    container->setWidgetResizable(false);
    container->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    container->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    container->setAutoFillBackground(false);
    container->viewport()->setAutoFillBackground(false);
    QPalette palette = container->palette();
    palette.setColor(QPalette::Window, Qt::transparent);
    palette.setColor(QPalette::Base, Qt::transparent);
    container->setPalette(palette);
    container->hide();
    return container;
}

void GridTiles::placeCanvas(QWidget &view, QScrollArea &scrollContainer, QWidget &searchPlate, bool turning) const
{
    QWidget *canvas = m_grid.tilesHost;
    if (!m_grid.scrollMode()) {
        if (scrollContainer.widget() == canvas)
            scrollContainer.takeWidget();
        scrollContainer.hide();
        if (canvas->parentWidget() != &view)
            canvas->setParent(&view);
        // A turn in progress keeps the canvas where the slide has put it.
        QRect frame = view.rect();
        if (turning)
            frame.moveLeft(canvas->x());
        canvas->setGeometry(frame);
        // Under the search plate: the full-size canvas must not take the
        // presses meant for the search field.
        canvas->stackUnder(&searchPlate);
        canvas->show();
        return;
    }
    scrollContainer.show();
    const double visible = scrollContainer.viewport()->height();
    const double height =
        LauncherLayoutPlan::scrollDocumentHeight(int(m_grid.entries.size()), m_grid.columns(), m_grid.geometry, visible);
    canvas->setGeometry(QRect(0, 0, int(std::lround(m_grid.gridRect().width())), int(std::ceil(height))));
    if (scrollContainer.widget() != canvas)
        scrollContainer.setWidget(canvas);
    canvas->show();
}
