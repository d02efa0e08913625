#pragma once

#include "paging/frame_clock.h"
#include "paging/page_turn_engine.h"
#include "paging/paging_input_router.h"

#include "policy/page_drag_gesture.h"
#include "policy/pointer_page_drag.h"
#include "policy/side_button_page_policy.h"
#include "policy/wheel_page_navigator.h"

#include <QObject>

// Page turning of one paged grid as a part of its own: the four paging
// policies, the page-turn engine, the routing of raw input into them, and
// the slide clock that animates turns. It moves its grid only through
// `PageTurnEngine::Grid`, so the launcher grid and a folder's pages can each own one.
class PageTurner final : public QObject, private PageTurnEngine::Timer
{
public:
    PageTurner(PageTurnEngine::Grid &grid, PageTurnEngine::Configuration configuration);
    ~PageTurner() override;

    PageTurner(const PageTurner &) = delete;
    PageTurner &operator=(const PageTurner &) = delete;

    PageTurnEngine &engine() { return m_engine; }
    const PageTurnEngine &engine() const { return m_engine; }
    PagingInputRouter &router() { return m_router; }
    FrameClock &slideClock() { return m_slideClock; }
    PointerPageDrag &pointerDrag() { return m_pointerDrag; }
    const PointerPageDrag &pointerDrag() const { return m_pointerDrag; }

    // A turn is prepared or animating.
    bool isTurning() const { return m_engine.isInteractivePaging() || m_engine.isPagingAnimating(); }
    // How far the tiles host stands off its place: the turn's offset, 0 at rest.
    double gridOffset() const { return isTurning() ? m_engine.slideOffset() : 0; }

    // Forgets scrolling and trackpad state, so that a new show starts afresh.
    void resetScrollInput();
    // Arms the trackpad drag's idle check for the current gesture.
    void scheduleGestureIdle();

private:
    // The engine's clocks, kept here.
    void startSlideClock() override;
    void stopSlideClock() override;
    void scheduleGestureIdle(int token, double delay) override;

    PageTurnEngine::Grid &m_grid;
    WheelPageNavigator m_wheelNavigator;
    PageDragGesture m_dragGesture;
    SideButtonPagePolicy m_sideButtonPolicy;
    PointerPageDrag m_pointerDrag;
    // Timestamp of the last precise or phased scroll event; negative: none.
    double m_lastPreciseWheelTime = -1;
    FrameClock m_slideClock;
    PageTurnEngine m_engine;
    PagingInputRouter m_router;
};
