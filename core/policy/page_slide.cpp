#include "page_slide.h"

#include <algorithm>
#include <cmath>

double PageSlide::dragProgress(double displacement, double travel, bool atEdge, double resistance)
{
    // NaN would slip through max/min and reach the page's origin.
    const double distance = std::isnan(displacement) ? 0.0 : std::max(0.0, displacement);
    const double span = std::isnan(travel) ? 1.0 : std::max(1.0, travel);
    const double p = distance / span;
    if (!atEdge)
        return std::min(1.0, p);
    const double r = std::min(0.5, std::max(0.01, std::isnan(resistance) ? defaultResistance : resistance));
    return r * (1 - std::exp(-2.4 * p));
}

bool PageSlide::shouldCommit(double progress, double velocity, bool atEdge, double commitProgress,
                             double flickVelocity)
{
    if (atEdge)
        return false;
    return progress >= commitProgress || velocity >= flickVelocity;
}

double PageSlide::settleDuration(double from, double to, double base)
{
    const double b = std::isfinite(base) ? base : defaultSettleBase;
    const double gap = std::abs(to - from);
    const double distance = std::isnan(gap) ? 1.0 : std::min(1.0, gap);
    return std::max(0.12, std::min(b, b * (0.38 + 0.62 * distance)));
}

PageSlide::Origins PageSlide::origins(double width, double progress, int direction)
{
    const double p = std::isnan(progress) ? 0.0 : std::min(1.0, std::max(0.0, progress));
    const double w = std::isfinite(width) ? std::max(0.0, width) : 0.0;
    const double s = direction < 0 ? -1.0 : 1.0;
    return {-s * w * p, s * w * (1 - p)};
}
