#pragma once

#include <QPointF>
#include <QRectF>
#include <QTransform>

// The show and hide presentation as numbers: one value p in 0 ... 1 is the
// view's alpha, and the grid is scaled about its centre by 0.94 + 0.06 p.
// Showing runs p up with a cubic ease-out, hiding down with a cubic ease-in.
class PresentationCurve
{
public:
    PresentationCurve() = delete;

    static constexpr double showDuration = 0.3;
    static constexpr double hideDuration = 0.2;
    static constexpr double minimumGridScale = 0.94;

    // t clamped to 0 ... 1 (NaN counts as 1).
    static double easeIn(double t);
    static double easeOut(double t);
    // p clamped to 0 ... 1 (NaN counts as 1, the shown state).
    static double clampProgress(double p);
    static double gridScale(double progress);

    // Scales about the centre of `bounds` whatever the anchor point (in unit
    // coordinates of the bounds) the transform is applied about.
    static QTransform centeredScale(const QRectF &bounds, const QPointF &anchorPoint, double scale);

    // One running animation of p.
    struct Animation
    {
        double from = 1;
        double to = 1;
        double duration = 0; // never below FrameClock::minimumDuration when used
        double start = 0;
        bool easeIn = false;

        // Elapsed fraction at `now`, within 0 ... 1.
        double fraction(double now) const;
        double valueAt(double now) const;
        bool isFinishedAt(double now) const { return fraction(now) >= 1; }
    };
};
