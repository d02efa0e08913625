#include "launcher/tile_drag_controller.h"

#include "launcher/fill_view.h"
#include "launcher/launcher_grid.h"
#include "session/launch_options.h"
#include "session/launcher_session.h"
#include "tiles/app_tile.h"
#include "tiles/drag_image.h"
#include "tiles/icon_provider.h"
#include "tiles/tile_pasteboard.h"

#include "foundation/log.h"
#include "model/launcher_layout.h"
#include "policy/grid_geometry.h"
#include "policy/page_drop_order.h"

#include <QCursor>
#include <QDrag>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QPixmap>
#include <QTimer>
#include <QTransform>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace {

QStringList idsOf(const QList<LayoutEntry> &entries)
{
    QStringList ids;
    for (const LayoutEntry &entry : entries)
        ids.append(entry.id);
    return ids;
}

QList<LayoutEntry> pageAt(const QList<QList<LayoutEntry>> &pages, int page)
{
    return page >= 0 && page < pages.size() ? pages.at(page) : QList<LayoutEntry>();
}

// A one-shot timer of the controller's. Precise: the gates it wakes compare
// elapsed time, and a coarse timer may fire a little early.
void prepareOneShot(QTimer &timer, std::function<void()> fired)
{
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &timer, std::move(fired));
}

void startOneShot(QTimer &timer, double seconds)
{
    timer.start(int(std::lround(std::max(0.02, seconds) * 1000)));
}

} // namespace

TileDragController::TileDragController(LauncherGrid &grid, Host &host) : m_grid(grid), m_host(host)
{
    m_reflowClock.prepare();
    prepareOneShot(m_mergeDwellTimer, [this] { mergeDwellFired(); });
    prepareOneShot(m_edgeAutoTimer, [this] { edgeTimerFired(); });
}

TileDragController::~TileDragController()
{
    m_reflowClock.stop();
}

void TileDragController::setLastDrag(const QPointF &point, const QString &entryID)
{
    m_lastDragPoint = point;
    m_lastDragID = entryID;
}

void TileDragController::clearLastDrag()
{
    m_lastDragPoint.reset();
    m_lastDragID.reset();
}

double TileDragController::reflowTarget(int index) const
{
    const QList<AppTile *> &tiles = m_grid.tiles;
    if (index < 0 || index >= tiles.size())
        return 0;
    return m_springs.value(tiles.at(index)).target;
}

// --- The drag ------------------------------------------------------------------------------

QImage TileDragController::dragImageFor(const LayoutEntry &entry, double side)
{
    const AppTile *tile = nullptr;
    for (const AppTile *candidate : m_grid.tiles)
        if (candidate && candidate->entry().id == entry.id)
            tile = candidate;
    const double scale = tile ? tile->renderScale() : 2;
    DragImage::Content content;
    if (entry.isFolder()) {
        content.kind = DragImage::Kind::folder;
        const QStringList members = entry.folder ? entry.folder->bundleIDs : QStringList();
        const double previewSide = DragImage::Geometry::forIconSide(side).iconSide * 0.9;
        if (const QImage preview = m_grid.icons.folderPreview(members, previewSide, scale); !preview.isNull())
            content.image = preview;
        // The merge preview shows the folder as its tile does.
        m_dragIconImage = tile && tile->folderPreview() ? tile->folderPreview() : content.image;
    } else {
        if (tile && tile->icon() && !tile->icon()->isNull()) {
            content.image = tile->icon();
        } else if (const std::optional<AppItem> app = m_grid.session.appFor(entry)) {
            // Its icon is still on its way: the one picture of this drag
            // cannot wait for it.
            content.image = m_grid.icons.iconNow(*app);
        }
        m_dragIconImage = content.image;
    }
    return DragImage::render(content, side, scale);
}

void TileDragController::startDrag(const QString &entryID, const QPointF &startPoint)
{
    const QList<LayoutEntry> &entries = m_grid.entries;
    const auto found = std::find_if(entries.begin(), entries.end(),
                                    [&](const LayoutEntry &entry) { return entry.id == entryID; });
    if (found == entries.end())
        return;
    m_draggingEntryID = entryID;
    m_edgeDropCommitted = false;
    const QImage image = dragImageFor(*found, m_grid.geometry.iconSide());
    m_dragItemImage = image;
    for (AppTile *tile : m_grid.tiles) {
        if (tile && tile->entry().id == entryID) {
            TileState state = tile->state();
            state.dragging = true;
            tile->setState(state);
            break;
        }
    }
    auto *view = new QLabel(&m_grid.view);
    view->setAttribute(Qt::WA_TransparentForMouseEvents);
    view->setPixmap(QPixmap::fromImage(image));
    view->resize(image.size() / image.devicePixelRatio());
    view->show();
    view->raise();
    m_dragImageView = view;
    m_dragImageHidden = false;
    moveDragImage(startPoint);
}

void TileDragController::moveDragImage(const QPointF &point)
{
    if (QLabel *view = m_dragImageView.data())
        view->move((point - QPointF(view->width() / 2.0, view->height() / 2.0)).toPoint());
}

void TileDragController::dragMoved(const QPointF &point)
{
    if (!m_draggingEntryID || m_systemDragRunning)
        return;
    const QWidget *surface = &m_grid.view;
    if (!surface->rect().contains(point.toPoint()) || m_host.pointerOverOtherWindow()) {
        // Past the window's edge, or over a window stacked above the
        // launcher, only a system drag reaches the other application.
        cancelEdgeAutoPage();
        clearDropIndicators();
        startSystemDrag();
        return;
    }
    moveDragImage(point);
    updateDropTarget(point, m_draggingEntryID, true);
}

void TileDragController::dragReleased(const QPointF &point)
{
    if (!m_draggingEntryID || m_systemDragRunning)
        return;
    const QString id = *m_draggingEntryID;
    if (m_grid.view.rect().contains(point.toPoint())) {
        updateDropTarget(point, id, true);
        performDrop(id);
    }
    dragSessionEnded();
}

void TileDragController::cancelDrag()
{
    if (!m_draggingEntryID)
        return;
    dragSessionEnded();
}

void TileDragController::startSystemDrag()
{
    const QString id = *m_draggingEntryID;
    LauncherSession &session = m_grid.session;
    std::optional<LayoutEntry> entry = session.layout().entry(id);
    if (!entry) {
        for (const LayoutEntry &shown : m_grid.entries)
            if (shown.id == id)
                entry = shown;
    }
    if (!entry) {
        dragSessionEnded();
        return;
    }
    setDragImageHidden(true);
    auto *drag = new QDrag(&m_grid.view);
    drag->setMimeData(TilePasteboard::makeMimeData(*entry, session.appFor(*entry)).release());
    if (m_dragItemImage) {
        DragImage::attach(*drag, *m_dragItemImage, &m_grid.view);
        drag->setHotSpot(QPoint(int(m_dragItemImage->width() / m_dragItemImage->devicePixelRatio() / 2),
                                int(m_dragItemImage->height() / m_dragItemImage->devicePixelRatio() / 2)));
    }
    m_dragItem = drag;
    m_systemDragRunning = true;
    // Outside the launcher the bundle is only ever linked to, never copied or moved.
    if (m_dragRunner)
        m_dragRunner(*drag, TilePasteboard::offeredActions, TilePasteboard::proposedAction);
    m_systemDragRunning = false;
    dragSessionEnded();
}

void TileDragController::dragSessionEnded()
{
    m_dragItem.clear();
    m_dragItemImage.reset();
    m_dragImageHidden = false;
    cancelEdgeAutoPage();
    clearDropIndicators();
    endDragVisual();
    if (!m_edgeDropCommitted)
        discardTransientPages();
    m_edgeDropCommitted = false;
}

void TileDragController::endDragVisual()
{
    if (m_draggingEntryID) {
        for (AppTile *tile : m_grid.tiles) {
            if (tile && tile->entry().id == *m_draggingEntryID) {
                TileState state = tile->state();
                state.dragging = false;
                tile->setState(state);
                break;
            }
        }
    }
    cancelMergeDwell();
    if (QLabel *view = m_dragImageView.data())
        view->deleteLater();
    m_dragImageView.clear();
    m_lastDragPoint.reset();
    m_lastDragID.reset();
    m_draggingEntryID.reset();
    m_dragIconImage.reset();
    m_dragItem.clear();
    m_dragItemImage.reset();
    m_dragImageHidden = false;
}

void TileDragController::setDragImageHidden(bool hidden)
{
    if (hidden == m_dragImageHidden || !m_dragImageView)
        return;
    m_dragImageHidden = hidden;
    m_dragImageView->setVisible(!hidden);
}

// --- System drag destination ---------------------------------------------------------------

bool TileDragController::acceptsMimeData(const QMimeData *data) const
{
    return TilePasteboard::entryID(data).has_value();
}

void TileDragController::systemDragMoved(const QMimeData *data, const QPointF &point)
{
    updateDropTarget(point, TilePasteboard::entryID(data), true);
}

void TileDragController::systemDragLeft()
{
    cancelEdgeAutoPage();
    clearDropIndicators();
}

bool TileDragController::systemDrop(const QMimeData *data)
{
    const std::optional<QString> id = TilePasteboard::entryID(data);
    if (!id)
        return false;
    return performDrop(*id);
}

// --- Hover -------------------------------------------------------------------------------------

void TileDragController::updateDropTarget(const QPointF &point, const std::optional<QString> &draggedID,
                                          bool allowMerge)
{
    m_lastDragPoint = point;
    m_lastDragID = draggedID;
    m_lastAllowMerge = allowMerge;
    updateEdgeAutoPage(point, draggedID);
    updateMergeCandidate(point, draggedID, allowMerge);

    const std::optional<QString> &target = m_mergeGate.committed();
    for (AppTile *tile : m_grid.tiles) {
        if (!tile)
            continue;
        TileState state = tile->state();
        state.mergeTarget = target && *target == tile->entry().id;
        state.mergePreviewIcon = state.mergeTarget ? m_dragIconImage : std::nullopt;
        tile->setState(state);
    }
    setDragImageHidden(target.has_value());

    const int index = m_grid.insertionIndex(point);
    m_insertionIndex = target ? std::nullopt : std::optional<int>(index);
    QWidget *marker = m_host.dropMarker();
    if (!m_mergeGate.candidate() && !target) {
        showInsertionMarker(index);
        applyDragSpacing(index);
    } else {
        if (marker)
            marker->hide();
        clearDragSpacing();
    }
}

void TileDragController::showInsertionMarker(int index)
{
    FillView *marker = m_host.dropMarker();
    if (!marker)
        return;
    const int slot = std::clamp(index, 0, std::max(0, m_grid.pageCapacity() - 1));
    const QRectF f = m_grid.slotFrame(slot);
    const double s = m_grid.geometry.iconSide();
    marker->setGeometry(QRectF(f.left() + (f.width() - s) / 2, f.top() + 2, s, s + 2).toRect());
    marker->setCornerRadius(s * 0.22);
    marker->show();
    marker->raise();
    if (m_dragImageView)
        m_dragImageView->raise();
}

void TileDragController::clearDropIndicators()
{
    if (QWidget *marker = m_host.dropMarker())
        marker->hide();
    m_insertionIndex.reset();
    m_mergeGate.reset();
    cancelMergeDwell();
    m_lastDragPoint.reset();
    m_lastDragID.reset();
    m_lastAllowMerge = true;
    for (AppTile *tile : m_grid.tiles) {
        if (!tile)
            continue;
        TileState state = tile->state();
        state.mergeTarget = false;
        state.mergePreviewIcon.reset();
        tile->setState(state);
    }
    clearDragSpacing();
    setDragImageHidden(false);
}

// --- Merge hover -----------------------------------------------------------------------------

std::optional<QString> TileDragController::mergeCandidateID(const QPointF &point,
                                                            const std::optional<QString> &draggedID) const
{
    const QPointF g = m_grid.gridPoint(point);
    const QList<QRectF> &frames = m_grid.tileFrames;
    const QList<LayoutEntry> &entries = m_grid.entries;
    for (int i = 0; i < frames.size() && i < entries.size(); ++i) {
        if (!frames.at(i).contains(g))
            continue;
        if (draggedID && entries.at(i).id == *draggedID)
            return std::nullopt;
        const QRectF hit = GridGeometry::iconHitRect(frames.at(i), m_grid.geometry.iconSide(), m_grid.showsLabels(), 0);
        return hit.contains(g) ? std::optional<QString>(entries.at(i).id) : std::nullopt;
    }
    return std::nullopt;
}

void TileDragController::updateMergeCandidate(const QPointF &point, const std::optional<QString> &draggedID,
                                              bool allowMerge)
{
    if (!allowMerge || !draggedID) {
        // Without a dragged entry there is nothing to merge.
        cancelMergeDwell();
        if (m_mergeGate.candidate() || m_mergeGate.committed())
            m_mergeGate.reset();
        return;
    }
    std::optional<QRectF> slack;
    if (const std::optional<QString> &target = m_mergeGate.committed()) {
        const QList<LayoutEntry> &entries = m_grid.entries;
        const QList<QRectF> &frames = m_grid.tileFrames;
        for (int i = 0; i < entries.size() && i < frames.size(); ++i)
            if (entries.at(i).id == *target)
                slack = frames.at(i);
    }
    const MergeHoverGate::Outcome outcome = m_mergeGate.update(
        m_grid.gridPoint(point), mergeCandidateID(point, draggedID), m_grid.now(), slack);
    if (outcome.needsDwellTimer)
        scheduleMergeDwell(m_mergeGate.candidateSince());
    else
        cancelMergeDwell();
}

void TileDragController::scheduleMergeDwell(double since)
{
    if (m_mergeDwellTimer.isActive() && m_mergeDwellScheduledSince == since)
        return;
    cancelMergeDwell();
    m_mergeDwellScheduledSince = since;
    startOneShot(m_mergeDwellTimer, since + mergeTuning.dwell - m_grid.now());
}

void TileDragController::cancelMergeDwell()
{
    m_mergeDwellTimer.stop();
    m_mergeDwellScheduledSince = 0;
}

void TileDragController::mergeDwellFired()
{
    m_mergeDwellTimer.stop();
    m_mergeDwellScheduledSince = 0;
    if (m_mergeGate.candidate() && !m_mergeGate.committed() && m_lastDragPoint)
        updateDropTarget(*m_lastDragPoint, m_lastDragID, m_lastAllowMerge);
}

// --- Row reflow ------------------------------------------------------------------------------

void TileDragController::applyDragSpacing(std::optional<int> insertion)
{
    if (!insertion) {
        clearDragSpacing();
        return;
    }
    const int n = *insertion;
    const QList<AppTile *> &tiles = m_grid.tiles;
    const QList<QRectF> &frames = m_grid.tileFrames;
    const QList<LayoutEntry> &entries = m_grid.entries;
    const int rowSlot = std::min(n, std::max(0, m_grid.pageCapacity() - 1));
    const double rowY = m_grid.slotFrame(rowSlot).center().y();
    const double shift = m_grid.geometry.cellSize.width() * 0.5;
    std::optional<int> d;
    for (int i = 0; i < entries.size(); ++i)
        if (m_draggingEntryID && entries.at(i).id == *m_draggingEntryID)
            d = i;
    const QWidget *surface = &m_grid.view;
    for (int k = 0; k < tiles.size() && k < frames.size(); ++k) {
        AppTile *tile = tiles.at(k);
        if (!tile)
            continue;
        double x = 0;
        const double midY = tile->parentWidget()
                                ? tile->parentWidget()->mapTo(surface, frames.at(k).center()).y()
                                : frames.at(k).center().y();
        const bool dragged = m_draggingEntryID && k < entries.size() && entries.at(k).id == *m_draggingEntryID;
        if (std::abs(midY - rowY) < 2 && !dragged) {
            if (d) {
                if (*d < n && *d < k && k <= n)
                    x = -shift;
                else if (n <= k && k < *d)
                    x = shift;
            } else if (k >= n) {
                x = shift;
            }
        }
        setTileShift(tile, x);
    }
}

void TileDragController::clearDragSpacing()
{
    for (AppTile *tile : m_grid.tiles)
        if (tile)
            setTileShift(tile, 0);
}

void TileDragController::setTileShift(AppTile *tile, double x)
{
    Spring &spring = m_springs[tile];
    if (std::abs(spring.target - x) <= 0.5 && (x != 0 || spring.x == 0))
        return;
    spring.target = x;
    if (!m_reflowClock.isRunning()) {
        m_reflowLastTime = m_reflowClock.now();
        m_reflowClock.start([this](double time) { reflowTick(time); });
    }
}

void TileDragController::reflowTick(double time)
{
    double dt = std::clamp(time - m_reflowLastTime, 0.0, 0.1);
    m_reflowLastTime = time;
    const QList<AppTile *> &shown = m_grid.tiles;
    bool moving = false;
    for (auto it = m_springs.begin(); it != m_springs.end();) {
        AppTile *tile = it.key();
        if (!shown.contains(tile)) {
            // The grid was rebuilt: its tiles start without a shift.
            it = m_springs.erase(it);
            continue;
        }
        Spring &s = it.value();
        // Semi-implicit Euler in small steps keeps the stiff spring stable.
        for (double left = dt; left > 1e-9;) {
            const double h = std::min(left, 1.0 / 240);
            const double force = -springStiffness * (s.x - s.target) - springDamping * s.velocity;
            s.velocity += force / springMass * h;
            s.x += s.velocity * h;
            left -= h;
        }
        if (std::abs(s.x - s.target) < 0.05 && std::abs(s.velocity) < 0.5) {
            s.x = s.target;
            s.velocity = 0;
        } else {
            moving = true;
        }
        tile->setSlide(s.x);
        ++it;
    }
    if (!moving)
        m_reflowClock.stop();
}

// --- Drop ----------------------------------------------------------------------------------------

bool TileDragController::performDrop(const QString &draggedID)
{
    const std::optional<QString> target = m_mergeGate.committed();
    const std::optional<int> n = m_insertionIndex;
    const int page = m_grid.currentPage;
    cancelEdgeAutoPage();
    clearDropIndicators();

    if (target) {
        LauncherSession &session = m_grid.session;
        std::optional<QString> folderID;
        m_transientPageCount = 0;
        m_edgeDropCommitted = true;
        session.commit([&](LauncherLayout &layout) { folderID = layout.merge(draggedID, *target); });
        if (m_grid.options.dumpWindows)
            Log::write("[drop] merge id=%@ target=%@ folder=%@ ok=%d", draggedID, *target,
                       folderID.value_or(QStringLiteral("-")), folderID ? 1 : 0);
        if (!folderID)
            return false; // the layout refused: nothing was merged
        if (const std::optional<LayoutEntry> folder = session.layout().entry(*folderID))
            m_host.openFolder(*folder);
        return true;
    }
    if (!n) {
        discardTransientPages();
        return false;
    }
    if (m_grid.flat())
        return commitFlatDrop(draggedID, page, *n);
    return commitPagedDrop(draggedID, page, *n);
}

bool TileDragController::commitFlatDrop(const QString &draggedID, int dropPage, int slot)
{
    LauncherSession &session = m_grid.session;
    if (m_grid.searching()) {
        // Result slots are positions among the results, not in the layout;
        // moving the layout by them would scatter the user's pages.
        if (m_grid.options.dumpWindows)
            Log::write("[drop] flat id=%@ skipped=search", draggedID);
        discardTransientPages();
        return false;
    }
    QList<LayoutEntry> flat = session.layout().allEntries();
    const auto found =
        std::find_if(flat.begin(), flat.end(), [&](const LayoutEntry &entry) { return entry.id == draggedID; });
    if (found == flat.end()) {
        discardTransientPages();
        return false;
    }
    const int from = int(found - flat.begin());
    const LayoutEntry entry = *found;
    flat.removeAt(from);
    const int base = m_grid.scrollMode() ? 0 : dropPage * session.settings().pageSize();
    const int landed = std::min(std::max(0, base + slot), int(flat.size()));
    flat.insert(landed, entry);
    const int size = std::max(1, session.settings().pageSize());
    m_transientPageCount = 0;
    m_edgeDropCommitted = true;
    session.commit([&](LauncherLayout &layout) {
        QList<QList<LayoutEntry>> pages;
        for (int i = 0; i < flat.size(); i += size)
            pages.append(flat.mid(i, size));
        if (pages.isEmpty())
            pages.append(QList<LayoutEntry>());
        layout.pages = pages;
        layout.normalizePages(size);
    });
    if (m_grid.options.dumpWindows)
        Log::write("[drop] flat id=%@ from=%d slot=%d landed=%d", draggedID, from, slot, landed);
    return true;
}

bool TileDragController::commitPagedDrop(const QString &draggedID, int dropPage, int slot)
{
    LauncherSession &session = m_grid.session;
    const int size = session.settings().pageSize();
    const QList<QList<LayoutEntry>> pages = session.displayPages();
    const QStringList before = idsOf(pageAt(pages, dropPage));
    const std::optional<QList<QList<LayoutEntry>>> placed =
        PageDropOrder::placing(pages, draggedID, std::nullopt, dropPage, slot, size);
    if (!placed) {
        discardTransientPages();
        return false;
    }
    m_transientPageCount = 0;
    m_edgeDropCommitted = true;
    const QString appID = LauncherLayout::rawAppID(draggedID);
    session.commit([&](LauncherLayout &layout) {
        layout.hiddenIDs.remove(appID);
        layout.pages = PageDropOrder::strippingHidden(*placed, layout.hiddenIDs);
        layout.normalizePages(size);
    });
    if (m_grid.options.dumpWindows) {
        const QStringList after = idsOf(pageAt(session.displayPages(), dropPage));
        Log::write("[drop] page=%d slot=%d id=%@ landed=%d", dropPage, slot, draggedID, int(after.indexOf(draggedID)));
        Log::write("[drop] before=%@", before.join(QLatin1Char(',')));
        Log::write("[drop] after=%@", after.join(QLatin1Char(',')));
    }
    return true;
}

void TileDragController::simulateDropForAutomation(const QString &spec)
{
    if (m_grid.scrollMode() || m_grid.searching()) {
        Log::write("[drop] sim skip spec=%@ (scroll/search)", spec);
        return;
    }
    const bool pointer = spec.startsWith(QStringLiteral("pointer/"));
    const QString body = pointer ? spec.mid(8) : spec;
    QList<int> numbers;
    for (const QString &part : body.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int value = part.toInt(&ok, 10);
        if (ok && !part.startsWith(QLatin1Char('+')))
            numbers.append(value);
    }
    if (numbers.size() != 3 && numbers.size() != 4) {
        Log::write("[drop] sim bad spec=%@", spec);
        return;
    }
    const int page = numbers[0];
    const int from = numbers[1];
    const int to = numbers[2];
    const double ratio = numbers.size() == 4 ? std::clamp(numbers[3], 0, 100) / 100.0 : 0.5;
    if (page < 0 || page >= m_grid.pageCount || from < 0 || to < 0) {
        Log::write("[drop] sim out of range spec=%@ pages=%d", spec, m_grid.pageCount);
        return;
    }
    for (int i = m_grid.pageCount; i > 0; --i)
        if (m_grid.currentPage < page)
            m_host.goToPage(m_grid.currentPage + 1);
    LauncherSession &session = m_grid.session;
    const QList<QList<LayoutEntry>> pages = session.displayPages();
    if (m_grid.currentPage != page || page >= pages.size() || from >= pages.at(page).size() ||
        to >= pages.at(page).size()) {
        Log::write("[drop] sim unavailable spec=%@ current=%d", spec, m_grid.currentPage);
        return;
    }
    const QString dragged = pages.at(page).at(from).id;
    const QString displaced = pages.at(page).at(to).id;
    int expected = to;
    if (pointer) {
        const QRectF f = m_grid.slotFrame(to);
        const QPointF p(f.left() + f.width() * ratio, f.center().y());
        updateDropTarget(p, dragged, false);
        if (!m_insertionIndex) {
            Log::write("[drop] sim pointer no insertion spec=%@", spec);
            clearDropIndicators();
            return;
        }
        expected = *m_insertionIndex;
        Log::write("[drop] sim pointer target=%d ratio=%.2f insertion=%d indicator=%d", to, ratio, expected,
                   std::clamp(expected, 0, std::max(0, m_grid.pageCapacity() - 1)));
    }
    const bool ok = commitPagedDrop(dragged, page, expected);
    const QStringList after = idsOf(pageAt(session.displayPages(), page));
    Log::write("[drop] sim spec=%@ id=%@ ok=%d expected=%d landed=%d displaced=%d (was %d)", spec, dragged, ok ? 1 : 0,
               expected, int(after.indexOf(dragged)), int(after.indexOf(displaced)), to);
    clearDropIndicators();
    cancelEdgeAutoPage();
    m_edgeDropCommitted = false;
}

// --- Edge paging -------------------------------------------------------------------------------

void TileDragController::updateEdgeAutoPage(const QPointF &point, const std::optional<QString> &draggedID)
{
    if (!draggedID || !m_host.edgePagingAllowed()) {
        cancelEdgeAutoPage();
        return;
    }
    const EdgeAutoPagePolicy::Action action = applyEdgeAutoPage(point, *draggedID, m_grid.now());
    switch (action.kind) {
    case EdgeAutoPagePolicy::Action::wait:
        scheduleEdgeTimer(action.seconds);
        break;
    case EdgeAutoPagePolicy::Action::turn:
    case EdgeAutoPagePolicy::Action::createPage:
        scheduleEdgeTimer(m_edgePolicy.configuration.repeatDelay);
        break;
    case EdgeAutoPagePolicy::Action::idle:
        cancelEdgeTimer();
        break;
    }
}

EdgeAutoPagePolicy::Action TileDragController::applyEdgeAutoPage(const QPointF &point,
                                                                 const std::optional<QString> &draggedID,
                                                                 double timestamp)
{
    const EdgeAutoPagePolicy::Edge edge = m_edgePolicy.edge(point.x(), m_grid.view.width());
    const EdgeAutoPagePolicy::Action action =
        m_edgePolicy.update(edge, m_grid.currentPage, m_grid.pageCount, m_transientPageCount > 0, timestamp);
    switch (action.kind) {
    case EdgeAutoPagePolicy::Action::wait:
    case EdgeAutoPagePolicy::Action::idle:
        break;
    case EdgeAutoPagePolicy::Action::turn: {
        const int from = m_grid.currentPage;
        m_host.goToPage(m_grid.currentPage + action.direction);
        if (m_grid.options.dumpWindows) {
            Log::write("[edge-page] turn direction=%d from=%d to=%d app=%@", action.direction, from,
                       m_grid.currentPage, draggedID.value_or(QStringLiteral("-")));
            Log::write("[page] %d", m_grid.currentPage);
        }
        break;
    }
    case EdgeAutoPagePolicy::Action::createPage:
        createTransientPage();
        break;
    }
    return action;
}

void TileDragController::scheduleEdgeTimer(double seconds)
{
    const double due = m_grid.now() + std::max(0.02, seconds);
    if (m_edgeAutoTimer.isActive() && std::abs(m_edgeTimerFireDate - due) < 0.04)
        return;
    m_edgeTimerFireDate = due;
    startOneShot(m_edgeAutoTimer, seconds);
}

void TileDragController::cancelEdgeTimer()
{
    m_edgeAutoTimer.stop();
    m_edgeTimerFireDate = 0;
}

void TileDragController::edgeTimerFired()
{
    m_edgeAutoTimer.stop();
    m_edgeTimerFireDate = 0;
    if (m_lastDragPoint && m_lastDragID)
        updateEdgeAutoPage(*m_lastDragPoint, m_lastDragID);
}

void TileDragController::cancelEdgeAutoPage()
{
    cancelEdgeTimer();
    m_edgePolicy.reset();
}

void TileDragController::createTransientPage()
{
    const int page = m_grid.pageCount;
    ++m_transientPageCount;
    m_host.rebuildGrid();
    m_host.goToPage(page);
    if (m_grid.options.dumpWindows) {
        Log::write("[edge-page] create page=%d transient=%d", page, m_transientPageCount);
        Log::write("[page] %d", m_grid.currentPage);
    }
}

void TileDragController::discardTransientPages()
{
    if (m_transientPageCount <= 0)
        return;
    m_transientPageCount = 0;
    m_host.rebuildGrid();
}

void TileDragController::systemDragEvent(QDragMoveEvent *event)
{
    if (!acceptsMimeData(event->mimeData())) {
        event->ignore();
        return;
    }
    event->setDropAction(TilePasteboard::proposedAction);
    event->accept();
    systemDragMoved(event->mimeData(), event->position());
}

void TileDragController::systemDropEvent(QDropEvent *event)
{
    if (!acceptsMimeData(event->mimeData())) {
        event->ignore();
        return;
    }
    systemDragMoved(event->mimeData(), event->position());
    systemDrop(event->mimeData());
    event->setDropAction(TilePasteboard::proposedAction);
    event->accept();
}

FillView *TileDragController::makeDropMarker(QWidget *parent)
{
    auto *marker = new FillView(parent);
    marker->setFillColor(QColor(255, 255, 255, 23));
    marker->setBorder(QColor(255, 255, 255, 97), 1.5);
    marker->setCornerRadius(14);
    marker->hide();
    return marker;
}
