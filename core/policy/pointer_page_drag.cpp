#include "pointer_page_drag.h"

#include <algorithm>
#include <cmath>

namespace {

double finiteOr(double value, double fallback)
{
    return std::isfinite(value) ? value : fallback;
}

} // namespace

PointerPageDrag::Configuration::Configuration(double activationDistance_, double travelFraction_,
                                              double commitProgress_, double flickVelocity_, double edgeResistance_,
                                              double settleBase_)
{
    activationDistance = std::max(0.0, finiteOr(activationDistance_, 8));
    travelFraction = std::min(2.0, std::max(0.05, finiteOr(travelFraction_, 0.55)));
    commitProgress = std::min(1.0, std::max(0.0, finiteOr(commitProgress_, 0.28)));
    flickVelocity = std::max(0.0, finiteOr(flickVelocity_, 1.1));
    edgeResistance = std::min(0.5, std::max(0.01, finiteOr(edgeResistance_, 0.22)));
    settleBase = std::max(0.05, finiteOr(settleBase_, 0.34));
}

PointerPageDrag::PointerPageDrag(const Configuration &configuration_)
    : configuration(configuration_)
{
}

void PointerPageDrag::arm(double x, double timestamp)
{
    if (!std::isfinite(x)) {
        reset();
        return;
    }
    m_armed = true;
    m_active = false;
    m_startX = x;
    m_progress.begin(0, false, std::isfinite(timestamp) ? timestamp : -1);
}

double PointerPageDrag::advance(double displacement, double timestamp, double width)
{
    // The page follows the pointer: the distance is always from the press.
    return m_progress.advance(displacement * m_progress.direction(), width * configuration.travelFraction,
                              configuration.edgeResistance, timestamp);
}

std::optional<PageDragGesture::Signal> PointerPageDrag::move(double x, double timestamp, double width,
                                                             bool allowsNext, bool allowsPrevious)
{
    if (!m_armed || !(width > 0) || !std::isfinite(width))
        return std::nullopt;
    if (!std::isfinite(x) || !std::isfinite(timestamp))
        return std::nullopt;

    const double displacement = m_startX - x;
    if (m_active)
        return PageDragGesture::Signal::move(advance(displacement, timestamp, width));

    if (std::abs(displacement) < configuration.activationDistance)
        return std::nullopt;

    const int dir = displacement > 0 ? 1 : -1;
    m_progress.begin(dir, !(dir == 1 ? allowsNext : allowsPrevious), timestamp);
    m_active = true;
    // The activation distance counts toward the progress: the page has been
    // under the pointer all along.
    return PageDragGesture::Signal::begin(dir, advance(displacement, timestamp, width));
}

std::optional<PageDragGesture::Signal> PointerPageDrag::end(double /*timestamp*/)
{
    if (!m_active) {
        reset();
        return std::nullopt;
    }
    const bool commit = m_progress.shouldCommit(configuration.commitProgress, configuration.flickVelocity);
    const double duration = m_progress.settleDuration(commit, configuration.settleBase);
    reset();
    return PageDragGesture::Signal::settle(commit, duration);
}

void PointerPageDrag::reset()
{
    m_armed = false;
    m_active = false;
    m_progress.reset();
}
