#include "presentation_curve.h"

#include "paging/frame_clock.h"

#include <algorithm>
#include <cmath>

double PresentationCurve::easeIn(double t)
{
    const double c = std::isnan(t) ? 1.0 : std::clamp(t, 0.0, 1.0);
    return c * c * c;
}

double PresentationCurve::easeOut(double t)
{
    const double c = std::isnan(t) ? 1.0 : std::clamp(t, 0.0, 1.0);
    const double r = 1 - c;
    return 1 - r * r * r;
}

double PresentationCurve::clampProgress(double p)
{
    return std::isnan(p) ? 1.0 : std::clamp(p, 0.0, 1.0);
}

double PresentationCurve::gridScale(double progress)
{
    return minimumGridScale + (1 - minimumGridScale) * clampProgress(progress);
}

QTransform PresentationCurve::centeredScale(const QRectF &bounds, const QPointF &anchorPoint, double scale)
{
    const double ax = bounds.left() + anchorPoint.x() * bounds.width();
    const double ay = bounds.top() + anchorPoint.y() * bounds.height();
    // Applied about the anchor: p' = a + s (p - a) + t; the translation moves
    // the fixed point from the anchor to the centre.
    const double tx = (1 - scale) * (bounds.center().x() - ax);
    const double ty = (1 - scale) * (bounds.center().y() - ay);
    QTransform transform;
    transform.translate(ax + tx, ay + ty);
    transform.scale(scale, scale);
    transform.translate(-ax, -ay);
    return transform;
}

double PresentationCurve::Animation::fraction(double now) const
{
    return FrameClock::progress(start, duration, now);
}

double PresentationCurve::Animation::valueAt(double now) const
{
    const double t = fraction(now);
    const double eased = easeIn ? PresentationCurve::easeIn(t) : PresentationCurve::easeOut(t);
    return from + (to - from) * eased;
}
