#pragma once

#include "page_drag_gesture.h"
#include "page_drag_progress.h"

#include <optional>

// An interactive page drag that follows the pointer dragged with the button
// down over empty space: armed by the press, active after a short travel,
// settled on release. Reports the same signals as the scroll page drag.
struct PointerPageDrag
{
    struct Configuration
    {
        double activationDistance = 8;
        double travelFraction = 0.55;
        double commitProgress = 0.28;
        double flickVelocity = 1.1;
        double edgeResistance = 0.22;
        double settleBase = 0.34;

        // Clamps every argument into range; a NaN or infinite argument takes
        // the default.
        Configuration(double activationDistance = 8, double travelFraction = 0.55, double commitProgress = 0.28,
                      double flickVelocity = 1.1, double edgeResistance = 0.22, double settleBase = 0.34);

        friend bool operator==(const Configuration &, const Configuration &) = default;
    };

    Configuration configuration;

    explicit PointerPageDrag(const Configuration &configuration = Configuration());

    bool isArmed() const { return m_armed; }
    bool isActive() const { return m_active; }
    double currentProgress() const { return m_progress.progress(); }

    // On the button-down over empty space. A NaN or infinite x arms nothing.
    void arm(double x, double timestamp);
    // For each drag event; `width` is the width of the paging view. Moving
    // the pointer to the left drags toward the next page. NaN or infinite
    // positions and times are ignored.
    std::optional<PageDragGesture::Signal> move(double x, double timestamp, double width, bool allowsNext,
                                                bool allowsPrevious);
    // On the button-up; the timestamp is accepted for symmetry and not used.
    std::optional<PageDragGesture::Signal> end(double timestamp);
    // `startX` and the configuration stay.
    void reset();

private:
    double advance(double displacement, double timestamp, double width);

    bool m_armed = false;
    bool m_active = false;
    double m_startX = 0;
    PageDragProgress m_progress;
};
