#pragma once

#include "page_drag_progress.h"
#include "smooth_scroll_tail_guard.h"
#include "wheel_page_navigator.h"

#include <optional>

// An interactive page drag that follows scroll events (trackpad swipes, and
// wheel input without phases): the neighbour page is pulled into view and
// either committed or sprung back when the input lets go. After a settle the
// rest of that input is kept from starting another drag.
struct PageDragGesture
{
    // The three steps of an interactive drag, shared with the pointer drag.
    struct Signal
    {
        enum class Kind { begin, move, settle };

        Kind kind = Kind::move;
        int direction = 0;      // begin: +1 next page, -1 previous page
        double progress = 0;    // begin, move: fraction of a page dragged
        bool commit = false;    // settle: turn the page, else spring back
        double duration = 0;    // settle: seconds of the settle animation

        static Signal begin(int direction, double progress) { return {Kind::begin, direction, progress, false, 0}; }
        static Signal move(double progress) { return {Kind::move, 0, progress, false, 0}; }
        static Signal settle(bool commit, double duration) { return {Kind::settle, 0, 0, commit, duration}; }

        friend bool operator==(const Signal &, const Signal &) = default;
    };

    struct Configuration
    {
        double travelPoints = 340;
        double commitProgress = 0.28;
        double discreteCommitProgress = 0.02;
        double flickVelocity = 1.1;
        double edgeResistance = 0.22;
        double settleBase = 0.34;
        double tailLock = 0.45;
        double smoothTailMax = 2.6;

        // Clamps every argument into range; a NaN or infinite argument takes
        // the default. `smoothTailMax` is never shorter than `tailLock`.
        Configuration(double travelPoints = 340, double commitProgress = 0.28, double discreteCommitProgress = 0.02,
                      double flickVelocity = 1.1, double edgeResistance = 0.22, double settleBase = 0.34,
                      double tailLock = 0.45, double smoothTailMax = 2.6);

        friend bool operator==(const Configuration &, const Configuration &) = default;
    };

    Configuration configuration;

    explicit PageDragGesture(const Configuration &configuration = Configuration());

    double currentProgress() const { return m_progress.progress(); }
    bool isActive() const { return m_active; }

    void reset();
    // allowsNext / allowsPrevious: whether a page exists after / before the
    // page the drag starts from. An event whose timestamp is NaN or infinite
    // is ignored; NaN or infinite deltas count as no movement.
    std::optional<Signal> consume(const WheelPageNavigator::Event &event, bool allowsNext, bool allowsPrevious);
    // Input without phases has no end of its own: the owner calls this once
    // the input has paused.
    std::optional<Signal> end(bool cancelled = false);

private:
    double advance(double stepValue, double timestamp);

    bool m_active = false;
    PageDragProgress m_progress;
    double m_lastSettle = -1;
    bool m_sawGesturePhase = false;
    double m_lastMagnitude = 0;
    SmoothScrollTailGuard m_tailGuard;
};
