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
// `Host`, so the launcher grid and a folder's pages can each own one.
class PageTurner final : public QObject, private PageTurnEngine::Host
{
public:
    // The grid whose pages turn: page state and the two hosts that slide.
    class Host
    {
    public:
        virtual ~Host() = default;

        virtual int currentPage() const = 0;
        virtual int pageCount() const = 0;
        // Animated page turns are switched on (settings and command line).
        virtual bool pagingEnabled() const = 0;
        virtual double viewWidth() const = 0;
        // Media time in seconds.
        virtual double now() const = 0;

        // Moves the shown page's tiles, as they are, into an outgoing host
        // below the tiles host. False when there is nothing to move.
        virtual bool detachCurrentTiles() = 0;
        // Makes `page` current and fills the tiles host with its tiles. May
        // clamp the page.
        virtual void showPage(int page) = 0;
        // Horizontal origins of the two hosts (the host snaps to pixels).
        virtual void setIncomingOrigin(double x) = 0;
        virtual void setOutgoingOrigin(double x) = 0;
        // Ends any turn visually: tiles host back at x 0, outgoing host gone.
        virtual void resetHosts() = 0;
    };

    PageTurner(Host &host, PageTurnEngine::Configuration configuration);
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
    // The engine's host: the grid's part forwarded, the clock and the idle
    // check kept here.
    int currentPage() const override { return m_host.currentPage(); }
    int pageCount() const override { return m_host.pageCount(); }
    bool pagingEnabled() const override { return m_host.pagingEnabled(); }
    double viewWidth() const override { return m_host.viewWidth(); }
    double now() const override { return m_host.now(); }
    bool detachCurrentTiles() override { return m_host.detachCurrentTiles(); }
    void showPage(int page) override { m_host.showPage(page); }
    void setIncomingOrigin(double x) override { m_host.setIncomingOrigin(x); }
    void setOutgoingOrigin(double x) override { m_host.setOutgoingOrigin(x); }
    void resetHosts() override { m_host.resetHosts(); }
    void startSlideClock() override;
    void stopSlideClock() override;
    void scheduleGestureIdle(int token, double delay) override;

    Host &m_host;
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
