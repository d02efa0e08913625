#pragma once

#include <QPointF>
#include <QString>
#include <Qt>

#include <optional>

class QMouseEvent;

class EditModeController;
class LauncherGrid;
class PageTurner;
class TileDragController;
struct LayoutEntry;

// The primary button on the launcher grid, from press to release: a press
// selects (or toggles with Ctrl or Shift) and arms the long press; moved
// far enough it starts a tile drag, or over empty space a page drag; a
// release opens what was clicked, taps a delete badge, leaves edit mode, or
// hides the launcher after a click on the background. The other buttons
// turn pages. What happens then is the view's, through `Host`.
class PointerPressController
{
public:
    class Host
    {
    public:
        virtual ~Host() = default;
        // The grid's selection changed: show it.
        virtual void selectionChanged() = 0;
        // A pointer drag over empty space may turn the page now.
        virtual bool pointerPagingAllowed() const = 0;
        // A click on a tile: open its folder or its application.
        virtual void activate(const LayoutEntry &entry) = 0;
        // A click on the background, released where it was pressed.
        virtual void backgroundClicked() = 0;
        virtual void deleteBadgeTapped(int index, bool previewOnly) = 0;
    };

    // A background press released within this many points is a click.
    static constexpr double backgroundClickMaxDrift = 8;
    // A pressed tile moved this far (or more) starts a drag.
    static constexpr double dragThreshold = 7;

    PointerPressController(LauncherGrid &grid, EditModeController &editMode, TileDragController &tileDrag,
                           PageTurner &turner, Host &host);

    PointerPressController(const PointerPressController &) = delete;
    PointerPressController &operator=(const PointerPressController &) = delete;

    // `eventTime` is the window system's time of the event in milliseconds
    // (0: none given).
    void press(const QPointF &point, Qt::KeyboardModifiers modifiers, quint64 eventTime);
    void move(const QPointF &point);
    void release(const QPointF &point, quint64 eventTime);
    // The side buttons (3 back, 4 forward) and the middle one (2), which
    // pages nowhere.
    void sideButton(int number);
    // The view's mouse events, taken whole: the primary button presses,
    // drags and releases; the side buttons page; the secondary button is
    // left to the context menu.
    void mousePressEvent(QMouseEvent *event);
    void mouseMoveEvent(QMouseEvent *event);
    void mouseReleaseEvent(QMouseEvent *event);

    // Ends the press: its tile's highlight and what its release would do.
    void clear();
    // Takes a plain press's highlight off its tile.
    void endHighlight();
    // Ends a tile drag in the window without a drop (Escape, hiding); false
    // when no drag runs.
    bool cancelTileDrag();
    // Forgets that a pointer drag over empty space was turning the page
    // (hiding, automation).
    void forgetPointerDrag();

    // The side buttons as numbered by the paging policy: 3 back, 4 forward
    // (0 for buttons that are no side button and no middle button).
    static int sideButtonNumber(Qt::MouseButton button);

private:
    LauncherGrid &m_grid;
    EditModeController &m_editMode;
    TileDragController &m_tileDrag;
    PageTurner &m_turner;
    Host &m_host;

    std::optional<QPointF> m_dragStartPoint;
    std::optional<QString> m_dragEntryID;
    bool m_hasDragged = false;
    std::optional<int> m_clickedIndex;
    bool m_backgroundClick = false;
    std::optional<QPointF> m_backgroundPressPoint;
    // The window system's time of the press: how long a press was held is
    // measured between its events, not between the moments this thread got
    // round to them.
    quint64 m_pressEventTime = 0;
    // The selection is a plain press's highlight of its tile: it ends with
    // the press (release, drag, page turn, rebuild, hide).
    bool m_highlight = false;
    // A pointer drag over empty space is turning the page.
    bool m_pointerDragEngaged = false;
};
