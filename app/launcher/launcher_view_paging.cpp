// Page turns and every input that turns pages (wheel, trackpad, side buttons,
// a pointer dragged over empty space, the page dots, automation), and the
// primary button's click: select, open, hide on a background click.
//
// The decisions live in the PageTurner; this file binds it to the view's
// widgets and fields.

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

PageTurnEngine::Configuration engineConfiguration(const LaunchOptions &options)
{
    PageTurnEngine::Configuration result;
    result.dumpWindows = options.dumpWindows;
    result.slideProgress = options.slideProgress;
    result.dragProgress = options.dragProgress;
    result.slideDuration = options.slideDuration;
    return result;
}

// NSRect containment: the far edges belong to the neighbour.
bool containsPoint(const QRectF &rect, const QPointF &point)
{
    return point.x() >= rect.left() && point.x() < rect.right() && point.y() >= rect.top()
           && point.y() < rect.bottom();
}

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

// The grid the page turner moves: this view's page state and tile hosts.
class LauncherView::Grid final : public PageTurner::Host
{
public:
    explicit Grid(LauncherView &view) : m_view(view) {}

    int currentPage() const override { return m_view.m_currentPage; }
    int pageCount() const override { return m_view.m_pageCount; }
    bool pagingEnabled() const override { return m_view.pagingEnabled(); }
    double viewWidth() const override { return m_view.width(); }
    double now() const override { return m_view.mediaTime(); }

    bool detachCurrentTiles() override { return m_view.detachCurrentTiles() != nullptr; }

    void showPage(int page) override
    {
        m_view.m_currentPage = page;
        m_view.rebuild();
    }

    void setIncomingOrigin(double x) override { m_view.setSlideOrigin(m_view.m_tilesHost, x); }

    void setOutgoingOrigin(double x) override
    {
        if (m_view.m_outgoingHost)
            m_view.setSlideOrigin(m_view.m_outgoingHost, x);
    }

    void resetHosts() override
    {
        m_view.setSlideOrigin(m_view.m_tilesHost, 0);
        if (FlippedView *host = std::exchange(m_view.m_outgoingHost, nullptr)) {
            // The event being handled may have started on it: delete later.
            host->hide();
            host->deleteLater();
        }
        m_view.m_outgoingTiles.clear();
    }

private:
    LauncherView &m_view;
};

std::unique_ptr<PageTurner::Host> LauncherView::makeGrid()
{
    return std::make_unique<Grid>(*this);
}

std::unique_ptr<PageTurner> LauncherView::makePageTurner()
{
    return std::make_unique<PageTurner>(*m_grid, engineConfiguration(m_options));
}

// --- Predicates ------------------------------------------------------------------------

bool LauncherView::pagingEnabled() const
{
    return m_session.settings().animate && !m_options.noAnimation;
}

bool LauncherView::acceptsPointerPaging() const
{
    return acceptsEdgeAutoPage() && m_pageCount > 1;
}

bool LauncherView::acceptsEdgeAutoPage() const
{
    return !isEditing() && !scrollMode() && !m_folders.isOpen() && m_query.isEmpty() && !m_options.lockPage;
}

int LauncherView::sideButtonNumber(Qt::MouseButton button)
{
    switch (button) {
    case Qt::MiddleButton:
        return 2;
    case Qt::BackButton:
        return 3;
    case Qt::ForwardButton:
        return 4;
    default:
        return 0;
    }
}

// --- The page-turn engine --------------------------------------------------------------

void LauncherView::goToPage(int page)
{
    m_pageTurner->engine().goToPage(page);
}

void LauncherView::preparePaging(int direction, double progress, bool forceVisual)
{
    m_pageTurner->engine().preparePaging(direction, progress, forceVisual);
}

FlippedView *LauncherView::detachCurrentTiles()
{
    if (scrollMode() || m_tiles.isEmpty())
        return nullptr;
    auto *host = new FlippedView(this);
    host->setGeometry(m_tilesHost->geometry());
    host->stackUnder(m_tilesHost);
    // The tiles move as they are; the next rebuild only builds the page entered.
    for (AppTile *tile : std::as_const(m_tiles))
        tile->setParent(host);
    for (AppTile *tile : std::as_const(m_tiles))
        tile->show();
    host->show();
    m_outgoingTiles = m_tiles;
    m_tiles.clear();
    m_tileFrames.clear();
    m_outgoingHost = host;
    return host;
}

void LauncherView::applySlide(double progress, int direction)
{
    m_pageTurner->engine().applySlide(progress, direction);
}

double LauncherView::slideX(double progress, bool incoming) const
{
    return m_pageTurner->engine().slideX(progress, incoming);
}

void LauncherView::animateSlide(double target, double duration, std::function<void()> completion)
{
    m_pageTurner->engine().animateSlide(target, duration, std::move(completion));
}

void LauncherView::slideTick()
{
    m_pageTurner->engine().slideTick(mediaTime());
}

double LauncherView::slideEase(double t)
{
    return PageTurnEngine::slideEase(t);
}

void LauncherView::finishPaging()
{
    m_pageTurner->engine().finishPaging();
}

void LauncherView::flushPendingPage()
{
    m_pageTurner->engine().flushPendingPage();
}

void LauncherView::handleSignal(const PageDragGesture::Signal &signal)
{
    m_pageTurner->engine().handle(signal);
}

void LauncherView::scheduleGestureIdle()
{
    m_pageTurner->scheduleGestureIdle();
}

void LauncherView::settleInteractivePaging(bool commit, double duration)
{
    m_pageTurner->engine().settleInteractivePaging(commit, duration);
}

// --- Paging inputs ---------------------------------------------------------------------

void LauncherView::wheelEvent(QWheelEvent *event)
{
    // Taken, not passed on: nothing behind the launcher scrolls instead.
    event->accept();
    if (m_folders.isOpen() || m_options.lockPage)
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
    m_pageTurner->router().scroll(m_pageTurner->router().translate(*event));
}

void LauncherView::handleSideButton(int buttonNumber, double timestamp, int eventNumber)
{
    m_pageTurner->router().sideButton(buttonNumber, timestamp, eventNumber, acceptsPointerPaging());
}

void LauncherView::handlePointerSignal(const PageDragGesture::Signal &signal)
{
    m_pageTurner->engine().handlePointer(signal);
}

EdgeAutoPagePolicy::Action LauncherView::applyEdgeAutoPage(const QPointF &point,
                                                           const std::optional<QString> &draggedID,
                                                           double timestamp)
{
    const EdgeAutoPagePolicy::Edge edge = m_tileDrag.edgePolicy().edge(point.x(), width());
    const EdgeAutoPagePolicy::Action action =
        m_tileDrag.edgePolicy().update(edge, m_currentPage, m_pageCount, m_tileDrag.transientPageCount() > 0, timestamp);
    switch (action.kind) {
    case EdgeAutoPagePolicy::Action::wait:
    case EdgeAutoPagePolicy::Action::idle:
        break;
    case EdgeAutoPagePolicy::Action::turn: {
        const int from = m_currentPage;
        goToPage(m_currentPage + action.direction);
        if (m_options.dumpWindows) {
            Log::write("[edge-page] turn direction=%d from=%d to=%d app=%@", action.direction, from, m_currentPage,
                       draggedID.value_or(QStringLiteral("-")));
            Log::write("[page] %d", m_currentPage);
        }
        break;
    }
    case EdgeAutoPagePolicy::Action::createPage:
        createTransientPage();
        break;
    }
    return action;
}

void LauncherView::discardTransientPages()
{
    m_tileDrag.discardTransientPages();
}

void LauncherView::simulatePageInputForAutomation(const QString &input)
{
    if (m_pageCount < 2) {
        Log::write("[page-input] skip spec=%@ pages=%d", input, m_pageCount);
        return;
    }

    if (input.startsWith(QStringLiteral("page:"))) {
        const qint64 requested = LaunchOptions::parseInteger(input.mid(5)).value_or(0);
        const int target = int(std::clamp<qint64>(requested, 0, m_pageCount - 1));
        // One page per call; with animation the first call slides and the
        // following ones only queue a step.
        int calls = 0;
        while (m_currentPage < target && calls < 64) {
            goToPage(m_currentPage + 1);
            ++calls;
        }
        while (m_currentPage > target && calls < 64) {
            goToPage(m_currentPage - 1);
            ++calls;
        }
        Log::write("[page-input] goto=%d current=%d pages=%d", target, m_currentPage, m_pageCount);
        return;
    }

    if (input == QStringLiteral("side-next")) {
        handleSideButton(4, mediaTime(), 4);
        return;
    }

    if (input == QStringLiteral("side-back")) {
        goToPage(1);
        handleSideButton(3, mediaTime(), 3);
        return;
    }

    if (input == QStringLiteral("drag-next")) {
        const double w = width();
        const double x0 = rect().center().x() + w * 0.22;
        const double t0 = mediaTime();
        PagingInputRouter &router = m_pageTurner->router();
        router.armPointer(x0, t0);
        for (int i = 1; i <= 10; ++i)
            router.pointerMoved(x0 - (w * 0.45) * i / 10.0, t0 + i * 0.016, w);
        router.pointerReleased(t0 + 0.18);
        m_pointerDragEngaged = false;
        return;
    }

    if (input == QStringLiteral("edge-page")) {
        const QPointF point(width() - 8, height() / 2.0);
        const QString id = QStringLiteral("automation.edge");
        m_tileDrag.setLastDrag(point, id);
        const double t = mediaTime();
        const EdgeAutoPagePolicy::Action a1 = applyEdgeAutoPage(point, id, t);
        const EdgeAutoPagePolicy::Action a2 = applyEdgeAutoPage(point, id, t + 0.6);
        const int turns = m_pageCount;
        for (int i = 0; i < turns; ++i) {
            if (m_currentPage < m_pageCount - 1)
                goToPage(m_currentPage + 1);
        }
        const EdgeAutoPagePolicy::Action a3 = applyEdgeAutoPage(point, id, t + 1.4);
        Log::write("[page-input] edge actions=%@/%@/%@ pages=%d transient=%d current=%d", actionName(a1),
                   actionName(a2), actionName(a3), m_pageCount, m_tileDrag.transientPageCount(), m_currentPage);
        cancelEdgeAutoPage();
        discardTransientPages();
        m_tileDrag.clearLastDrag();
        return;
    }

    Log::write("[page-input] unknown spec=%@", input);
}

// --- Hit tests ---------------------------------------------------------------------------

QPointF LauncherView::gridPoint(const QPointF &point) const
{
    const QPointF inHost = m_tilesHost->mapFrom(this, point);
    if (scrollMode())
        return inHost;
    // Where the point lies on the grid at rest: a sliding page is hit where
    // its tiles stand once the slide is over.
    return QPointF(inHost.x() + m_pageTurner->gridOffset(), inHost.y());
}

std::optional<int> LauncherView::tileIndex(const QPointF &point) const
{
    const QPointF p = gridPoint(point);
    for (int i = 0; i < m_tileFrames.size(); ++i) {
        if (containsPoint(m_tileFrames.at(i), p))
            return i;
    }
    return std::nullopt;
}

std::optional<int> LauncherView::hitTileIndex(const QPointF &point) const
{
    const std::optional<int> index = tileIndex(point);
    if (!index)
        return std::nullopt;
    const QRectF hit = GridGeometry::iconHitRect(m_tileFrames.at(*index), m_geometry.iconSide(),
                                                 m_session.settings().showLabels, 0);
    // A press in a cell's margin is a press on empty space.
    if (!containsPoint(hit, gridPoint(point)))
        return std::nullopt;
    return index;
}

void LauncherView::openFolder(const LayoutEntry &entry)
{
    exitEditMode();
    if (entry.folder)
        showFolderOverlay(entry, std::nullopt);
}

// --- The primary button ----------------------------------------------------------------

void LauncherView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        if (event->button() == Qt::RightButton) {
            event->ignore();
            return;
        }
        // The side buttons (and the middle one, which pages nowhere). Timed
        // on the media clock, like the automation's presses: X event times
        // count from another origin, and the cooldown compares the two.
        event->accept();
        const int number = sideButtonNumber(event->button());
        if (number > 0)
            handleSideButton(number, mediaTime(), number);
        return;
    }
    event->accept();
    const QPointF p = event->position();

    m_backgroundClick = false;
    m_backgroundPressPoint.reset();
    m_clickedIndex.reset();
    m_editMode.setPressedBadge(std::nullopt);
    m_editMode.setExitsOnRelease(false);
    m_pageTurner->pointerDrag().reset();
    m_pointerDragEngaged = false;

    if (isEditing()) {
        // In edit mode a press only aims at a delete badge or leaves edit mode.
        if (const std::optional<int> badge = badgeTileIndex(p)) {
            m_editMode.setPressedBadge(badge);
            if (*badge >= 0 && *badge < m_tiles.size()) {
                TileState state = m_tiles.at(*badge)->state();
                state.deleteBadgePressed = true;
                m_tiles.at(*badge)->setState(state);
            }
        } else {
            m_editMode.setExitsOnRelease(true);
        }
        return;
    }

    const std::optional<int> hit = hitTileIndex(p);
    m_pressEventTime = event->timestamp();
    if (m_editMode.gate().press(hit, p, mediaTime()))
        scheduleLongPress();
    else
        cancelLongPress();

    if (hit) {
        const LayoutEntry &entry = m_entries.at(*hit);
        m_dragStartPoint = p;
        m_dragEntryID = entry.id;
        m_hasDragged = false;
        m_clickedIndex = hit;
        if (event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier)) {
            // A click that changes the selection only selects.
            m_clickedIndex.reset();
            if (m_selection.contains(entry.id))
                m_selection.remove(entry.id);
            else
                m_selection.insert(entry.id);
            m_pressHighlight = false;
        } else {
            m_selection = {entry.id};
            m_pressHighlight = true;
        }
        updateSelectionDisplay();
        return;
    }

    m_selection.clear();
    m_pressHighlight = false;
    updateSelectionDisplay();
    m_dragEntryID.reset();
    m_dragStartPoint.reset();
    m_clickedIndex.reset();
    m_backgroundClick = true;
    m_backgroundPressPoint = p;
    if (acceptsPointerPaging())
        m_pageTurner->router().armPointer(p.x(), mediaTime());
}

void LauncherView::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton)) {
        event->ignore();
        return;
    }
    event->accept();
    const QPointF p = event->position();
    if (m_tileDrag.isDragging()) {
        m_tileDrag.dragMoved(p);
        return;
    }
    if (m_editMode.gate().moved(p))
        cancelLongPress();

    if (m_pageTurner->pointerDrag().isArmed()) {
        if (m_pageTurner->router().pointerMoved(p.x(), mediaTime(), width())) {
            m_pointerDragEngaged = true;
            m_hasDragged = true;
            m_backgroundClick = false;
            m_clickedIndex.reset();
            cancelLongPress();
        }
        return;
    }

    if (!isEditing() && m_dragStartPoint && m_dragEntryID && !m_hasDragged) {
        const QPointF delta = p - *m_dragStartPoint;
        if (std::hypot(delta.x(), delta.y()) > 7) {
            m_hasDragged = true;
            // The drag session may swallow the release: the highlight ends here.
            endPressHighlight();
            startDrag(*m_dragEntryID, *m_dragStartPoint);
        }
    }
}

void LauncherView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    event->accept();
    if (!isEditing() && m_editMode.gate().pendingIndex()) {
        // A press still armed when it ends may have been held long enough
        // while its timer waited behind other work: judge it by the time
        // between its own events where the window system gives them.
        double releasedAt = mediaTime();
        if (m_pressEventTime > 0 && event->timestamp() >= m_pressEventTime)
            releasedAt = m_editMode.gate().startedAt() + double(event->timestamp() - m_pressEventTime) / 1000.0;
        m_editMode.pressEndedAt(releasedAt);
    }
    cancelLongPress();
    if (m_tileDrag.isDragging())
        m_tileDrag.dragReleased(event->position());

    if (m_pageTurner->pointerDrag().isArmed()) {
        m_pageTurner->router().pointerReleased(mediaTime());
        if (m_pointerDragEngaged) {
            m_hasDragged = true;
            m_backgroundClick = false;
            m_clickedIndex.reset();
        }
        m_pointerDragEngaged = false;
    }

    const auto clearPress = [this] {
        m_dragEntryID.reset();
        m_dragStartPoint.reset();
        m_hasDragged = false;
        m_clickedIndex.reset();
        m_backgroundClick = false;
        m_backgroundPressPoint.reset();
        cancelLongPress();
        m_editMode.setPressedBadge(std::nullopt);
        m_editMode.setExitsOnRelease(false);
        endPressHighlight();
    };

    if (isEditing()) {
        if (const std::optional<int> badge = m_editMode.pressedBadge()) {
            const int index = *badge;
            if (index >= 0 && index < m_tiles.size()) {
                TileState state = m_tiles.at(index)->state();
                state.deleteBadgePressed = false;
                m_tiles.at(index)->setState(state);
            }
            handleBadgeTap(index, m_options.editSafeUninstall);
        } else if (m_editMode.exitsOnRelease()) {
            exitEditMode();
        }
        m_editMode.gate().release();
        clearPress();
        return;
    }

    // A long press that entered edit mode during this press opens nothing.
    if (m_editMode.gate().release() || m_hasDragged) {
        clearPress();
        return;
    }

    if (m_clickedIndex && *m_clickedIndex >= 0 && *m_clickedIndex < m_entries.size()) {
        const LayoutEntry entry = m_entries.at(*m_clickedIndex);
        clearPress();
        if (entry.isFolder()) {
            openFolder(entry);
        } else if (const std::optional<AppItem> app = m_session.appFor(entry)) {
            if (onOpenApp)
                onOpenApp(*app);
        }
        return;
    }

    if (m_backgroundClick && m_backgroundPressPoint) {
        const QPointF q = event->position();
        const QPointF drift = q - *m_backgroundPressPoint;
        clearPress();
        if (std::hypot(drift.x(), drift.y()) <= backgroundClickMaxDrift) {
            Log::write("[dismiss] source=background-click x=%.1f y=%.1f page=%d", q.x(), q.y(), m_currentPage);
            if (onHide)
                onHide();
        }
        return;
    }
    clearPress();
}

void LauncherView::endPressHighlight()
{
    if (!m_pressHighlight)
        return;
    m_pressHighlight = false;
    m_selection.clear();
    updateSelectionDisplay();
}

bool LauncherView::cancelTileDrag()
{
    if (!m_tileDrag.isDragging())
        return false;
    // The tile goes back where it was: nothing is dropped, and the release
    // still to come neither drops nor opens.
    m_tileDrag.cancelDrag();
    clearPressedState();
    return true;
}

void LauncherView::clearPressedState()
{
    // A release still to come opens nothing and hides nothing.
    m_dragEntryID.reset();
    m_dragStartPoint.reset();
    m_clickedIndex.reset();
    m_backgroundClick = false;
    m_backgroundPressPoint.reset();
    endPressHighlight();
}
