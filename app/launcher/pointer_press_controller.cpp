#include "launcher/pointer_press_controller.h"

#include "launcher/edit_mode_controller.h"
#include "launcher/launcher_grid.h"
#include "launcher/tile_drag_controller.h"
#include "paging/page_turner.h"
#include "session/launch_options.h"
#include "tiles/app_tile.h"

#include "foundation/log.h"

#include <QMouseEvent>

#include <cmath>

PointerPressController::PointerPressController(LauncherGrid &grid, EditModeController &editMode,
                                               TileDragController &tileDrag, PageTurner &turner, Host &host)
    : m_grid(grid), m_editMode(editMode), m_tileDrag(tileDrag), m_turner(turner), m_host(host)
{
}

int PointerPressController::sideButtonNumber(Qt::MouseButton button)
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

void PointerPressController::sideButton(int number)
{
    // Timed on the media clock, like the automation's presses: X event times
    // count from another origin, and the cooldown compares the two.
    m_turner.router().sideButton(number, m_grid.now(), number, m_host.pointerPagingAllowed());
}

void PointerPressController::press(const QPointF &p, Qt::KeyboardModifiers modifiers, quint64 eventTime)
{
    m_backgroundClick = false;
    m_backgroundPressPoint.reset();
    m_clickedIndex.reset();
    m_editMode.setPressedBadge(std::nullopt);
    m_editMode.setExitsOnRelease(false);
    m_turner.pointerDrag().reset();
    m_pointerDragEngaged = false;

    if (m_editMode.isEditing()) {
        // In edit mode a press only aims at a delete badge or leaves edit mode.
        if (const std::optional<int> badge = m_editMode.badgeTileIndex(p)) {
            m_editMode.setPressedBadge(badge);
            if (*badge >= 0 && *badge < m_grid.tiles.size()) {
                TileState state = m_grid.tiles.at(*badge)->state();
                state.deleteBadgePressed = true;
                m_grid.tiles.at(*badge)->setState(state);
            }
        } else {
            m_editMode.setExitsOnRelease(true);
        }
        return;
    }

    const std::optional<int> hit = m_grid.hitTileIndex(p);
    m_pressEventTime = eventTime;
    if (m_editMode.gate().press(hit, p, m_grid.now()))
        m_editMode.scheduleLongPress();
    else
        m_editMode.cancelLongPress();

    if (hit) {
        const LayoutEntry &entry = m_grid.entries.at(*hit);
        m_dragStartPoint = p;
        m_dragEntryID = entry.id;
        m_hasDragged = false;
        m_clickedIndex = hit;
        if (modifiers & (Qt::ControlModifier | Qt::ShiftModifier)) {
            // A click that changes the selection only selects.
            m_clickedIndex.reset();
            if (m_grid.selection.contains(entry.id))
                m_grid.selection.remove(entry.id);
            else
                m_grid.selection.insert(entry.id);
            m_highlight = false;
        } else {
            m_grid.selection = {entry.id};
            m_highlight = true;
        }
        m_host.selectionChanged();
        return;
    }

    m_grid.selection.clear();
    m_highlight = false;
    m_host.selectionChanged();
    m_dragEntryID.reset();
    m_dragStartPoint.reset();
    m_clickedIndex.reset();
    m_backgroundClick = true;
    m_backgroundPressPoint = p;
    if (m_host.pointerPagingAllowed())
        m_turner.router().armPointer(p.x(), m_grid.now());
}

void PointerPressController::move(const QPointF &p)
{
    if (m_tileDrag.isDragging()) {
        m_tileDrag.dragMoved(p);
        return;
    }
    if (m_editMode.gate().moved(p))
        m_editMode.cancelLongPress();

    if (m_turner.pointerDrag().isArmed()) {
        if (m_turner.router().pointerMoved(p.x(), m_grid.now(), m_grid.view.width())) {
            m_pointerDragEngaged = true;
            m_hasDragged = true;
            m_backgroundClick = false;
            m_clickedIndex.reset();
            m_editMode.cancelLongPress();
        }
        return;
    }

    if (!m_editMode.isEditing() && m_dragStartPoint && m_dragEntryID && !m_hasDragged) {
        const QPointF delta = p - *m_dragStartPoint;
        if (std::hypot(delta.x(), delta.y()) > dragThreshold) {
            m_hasDragged = true;
            // The drag session may swallow the release: the highlight ends here.
            endHighlight();
            m_tileDrag.startDrag(*m_dragEntryID, *m_dragStartPoint);
        }
    }
}

void PointerPressController::release(const QPointF &point, quint64 eventTime)
{
    if (!m_editMode.isEditing() && m_editMode.gate().pendingIndex()) {
        // A press still armed when it ends may have been held long enough
        // while its timer waited behind other work: judge it by the time
        // between its own events where the window system gives them.
        double releasedAt = m_grid.now();
        if (m_pressEventTime > 0 && eventTime >= m_pressEventTime)
            releasedAt = m_editMode.gate().startedAt() + double(eventTime - m_pressEventTime) / 1000.0;
        m_editMode.pressEndedAt(releasedAt);
    }
    m_editMode.cancelLongPress();
    if (m_tileDrag.isDragging())
        m_tileDrag.dragReleased(point);

    if (m_turner.pointerDrag().isArmed()) {
        m_turner.router().pointerReleased(m_grid.now());
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
        m_editMode.cancelLongPress();
        m_editMode.setPressedBadge(std::nullopt);
        m_editMode.setExitsOnRelease(false);
        endHighlight();
    };

    if (m_editMode.isEditing()) {
        if (const std::optional<int> badge = m_editMode.pressedBadge()) {
            const int index = *badge;
            if (index >= 0 && index < m_grid.tiles.size()) {
                TileState state = m_grid.tiles.at(index)->state();
                state.deleteBadgePressed = false;
                m_grid.tiles.at(index)->setState(state);
            }
            m_host.deleteBadgeTapped(index, m_grid.options.editSafeUninstall);
        } else if (m_editMode.exitsOnRelease()) {
            m_editMode.exit();
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

    if (m_clickedIndex && *m_clickedIndex >= 0 && *m_clickedIndex < m_grid.entries.size()) {
        const LayoutEntry entry = m_grid.entries.at(*m_clickedIndex);
        clearPress();
        m_host.activate(entry);
        return;
    }

    if (m_backgroundClick && m_backgroundPressPoint) {
        const QPointF q = point;
        const QPointF drift = q - *m_backgroundPressPoint;
        clearPress();
        if (std::hypot(drift.x(), drift.y()) <= backgroundClickMaxDrift) {
            Log::write("[dismiss] source=background-click x=%.1f y=%.1f page=%d", q.x(), q.y(), m_grid.currentPage);
            m_host.backgroundClicked();
        }
        return;
    }
    clearPress();
}

void PointerPressController::endHighlight()
{
    if (!m_highlight)
        return;
    m_highlight = false;
    m_grid.selection.clear();
    m_host.selectionChanged();
}

bool PointerPressController::cancelTileDrag()
{
    if (!m_tileDrag.isDragging())
        return false;
    // The tile goes back where it was: nothing is dropped, and the release
    // still to come neither drops nor opens.
    m_tileDrag.cancelDrag();
    clear();
    return true;
}

void PointerPressController::clear()
{
    // A release still to come opens nothing and hides nothing.
    m_dragEntryID.reset();
    m_dragStartPoint.reset();
    m_clickedIndex.reset();
    m_backgroundClick = false;
    m_backgroundPressPoint.reset();
    endHighlight();
}

void PointerPressController::forgetPointerDrag()
{
    m_pointerDragEngaged = false;
}

void PointerPressController::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton) {
        event->ignore();
        return;
    }
    event->accept();
    if (event->button() == Qt::LeftButton) {
        press(event->position(), event->modifiers(), event->timestamp());
        return;
    }
    if (const int number = sideButtonNumber(event->button()); number > 0)
        sideButton(number);
}

void PointerPressController::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton)) {
        event->ignore();
        return;
    }
    event->accept();
    move(event->position());
}

void PointerPressController::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    event->accept();
    release(event->position(), event->timestamp());
}
