#pragma once

#include "policy/page_drag_gesture.h"

#include <functional>
#include <optional>

// The page-turn engine of the launcher grid: one page at a time slides in
// while the page being left slides out, driven by a frame clock (animated
// turns and settles), by input that reports its own progress (trackpad and
// pointer drags) or fixed by an automation option.
//
// A plain state machine: it owns no widgets and reads no clock of its own.
// Everything visible goes through `Grid`, which the owner of the grid
// implements, and the clocks through `Timer`, which the PageTurner implements
// (a test's fake is both); time comes in through `Grid::now()` and the tick
// calls. States: idle; prepared (a turn is set up, `isInteractivePaging`);
// animating (the slide clock runs, also `isPagingAnimating`).
class PageTurnEngine
{
public:
    static constexpr double defaultSlideDuration = 0.42;
    static constexpr double minimumSlideDuration = 0.05;
    // A trackpad drag whose events stop without an end settles this long
    // after its last signal.
    static constexpr double gestureIdleDelay = 0.22;

    struct Configuration
    {
        bool dumpWindows = false;
        // Automation: freeze a page change at this progress.
        std::optional<double> slideProgress;
        // Automation: a frozen drag; only makes turns visual here.
        std::optional<double> dragProgress;
        // Seconds of an animated page change; at least `minimumSlideDuration`.
        std::optional<double> slideDuration;
    };

    // The paged grid whose pages turn: page state and the two canvases that slide.
    class Grid
    {
    public:
        virtual ~Grid() = default;

        virtual int currentPage() const = 0;
        virtual int pageCount() const = 0;
        // Animated page turns are switched on (settings and command line).
        virtual bool pagingEnabled() const = 0;
        virtual double viewWidth() const = 0;
        // Media time in seconds.
        virtual double now() const = 0;

        // Moves the shown page's tiles, as they are, into an outgoing canvas
        // below the shown one. False when there is nothing to move.
        virtual bool detachCurrentTiles() = 0;
        // Makes `page` current and fills the canvas with its tiles. May
        // clamp the page.
        virtual void showPage(int page) = 0;
        // Horizontal origins of the two canvases (the grid snaps to pixels).
        virtual void setIncomingOrigin(double x) = 0;
        virtual void setOutgoingOrigin(double x) = 0;
        // Ends any turn visually: canvas back at x 0, outgoing canvas gone.
        virtual void resetHosts() = 0;
    };

    // The engine's time: the slide clock and the trackpad's idle check.
    class Timer
    {
    public:
        virtual ~Timer() = default;

        // The slide clock calls `slideTick()` on every frame while it runs.
        virtual void startSlideClock() = 0;
        virtual void stopSlideClock() = 0;
        // After `delay` seconds, call `idleCheck(token, ...)` (if the owner
        // still exists).
        virtual void scheduleGestureIdle(int token, double delay) = 0;
    };

    // Both in one object (a test's fake).
    class Host : public Grid, public Timer
    {
    };

    explicit PageTurnEngine(Host &host);
    PageTurnEngine(Host &host, Configuration configuration);
    PageTurnEngine(Grid &grid, Timer &timer, Configuration configuration);

    PageTurnEngine(const PageTurnEngine &) = delete;
    PageTurnEngine &operator=(const PageTurnEngine &) = delete;

    const Configuration &configuration() const { return m_configuration; }
    int currentPage() const { return m_grid.currentPage(); }
    int pageCount() const { return m_grid.pageCount(); }

    int pagingFromPage() const { return m_pagingFromPage; }
    int pagingDirection() const { return m_pagingDirection; }
    double pagingProgress() const { return m_pagingProgress; }
    // The x origin last given to the tiles host (before pixel snapping).
    double slideOffset() const { return m_slideOffset; }
    bool isInteractivePaging() const { return m_interactivePaging; }
    bool isPagingAnimating() const { return m_pagingAnimating; }
    std::optional<int> pendingDirection() const { return m_pendingDirection; }
    int gestureToken() const { return m_gestureToken; }
    double slideFrom() const { return m_slideFrom; }
    double slideTo() const { return m_slideTo; }
    double slideDuration() const { return m_slideDuration; }
    double slideStart() const { return m_slideStart; }
    bool hasOutgoingHost() const { return m_hasOutgoing; }
    // The page a drag or a pointer drag counts from: the page the running
    // turn started at, else the current page.
    int basePage() const { return m_interactivePaging ? m_pagingFromPage : currentPage(); }

    // Moves one page towards `page` (clamped), animated when paging is
    // enabled; while a slide runs only the direction is queued.
    void goToPage(int page);
    // Starts a turn of one page in `direction` placed at `progress`. Towards
    // a page that does not exist only the current page follows (a pull).
    void preparePaging(int direction, double progress, bool forceVisual = false);
    void applySlide(double progress, int direction);
    double slideX(double progress, bool incoming) const;
    void animateSlide(double target, double duration, std::function<void()> completion);
    // One frame at media time `now`.
    void slideTick(double now);
    void slideTick() { slideTick(m_grid.now()); }
    // Smoothstep.
    static double slideEase(double t);
    // Ends any turn at once. A step queued during the slide being cut short
    // is dropped with it.
    void finishPaging();
    void flushPendingPage();

    // A trackpad drag signal (arms the idle check).
    void handle(const PageDragGesture::Signal &signal);
    // A pointer drag signal: always shown sliding; the release settles it.
    void handlePointer(const PageDragGesture::Signal &signal);
    void settleInteractivePaging(bool commit, double duration);
    // The idle check armed by a trackpad signal: ends the drag through the
    // gesture when no signal came since and the turn is not settling yet.
    void idleCheck(int token, PageDragGesture &gesture);

private:
    // How the hosts follow the progress of the prepared turn.
    enum class TurnKind {
        // No turn prepared.
        none,
        // To a neighbour page, shown sliding: it enters from the side of the
        // direction while the page left (if it had tiles) leaves.
        entering,
        // To a neighbour page, not shown sliding: it stands at x 0.
        instant,
        // Towards a page that does not exist: the current page follows alone.
        pull,
    };

    void commitCompletion();

    Grid &m_grid;
    Timer &m_timer;
    Configuration m_configuration;

    int m_pagingFromPage = 0;
    int m_pagingDirection = 1;
    double m_pagingProgress = 0;
    double m_slideOffset = 0;
    bool m_interactivePaging = false;
    bool m_pagingAnimating = false;
    std::optional<int> m_pendingDirection;
    int m_gestureToken = 0;
    double m_slideFrom = 0;
    double m_slideTo = 0;
    double m_slideDuration = 0;
    double m_slideStart = 0;
    std::function<void()> m_slideCompletion;
    bool m_hasOutgoing = false;
    TurnKind m_kind = TurnKind::none;
};
