#include "page_drag_gesture.h"

#include <algorithm>
#include <cmath>

namespace {

using Phase = WheelPageNavigator::Phase;

double finiteOr(double value, double fallback)
{
    return std::isfinite(value) ? value : fallback;
}

SmoothScrollTailGuard::Configuration guardConfiguration(const PageDragGesture::Configuration &configuration)
{
    const SmoothScrollTailGuard::Configuration defaults;
    // The guard only ever sees events after the tail lock, so a rise back to
    // strength is not judged new before the lock has passed.
    return SmoothScrollTailGuard::Configuration(defaults.idleGap, defaults.decayRatio, defaults.newIntentRatio,
                                                std::max(0.35, configuration.tailLock), defaults.minimumMagnitude,
                                                defaults.continuousWindow, configuration.smoothTailMax);
}

} // namespace

PageDragGesture::Configuration::Configuration(double travelPoints_, double commitProgress_,
                                              double discreteCommitProgress_, double flickVelocity_,
                                              double edgeResistance_, double settleBase_, double tailLock_,
                                              double smoothTailMax_)
{
    tailLock_ = finiteOr(tailLock_, 0.45);
    smoothTailMax_ = finiteOr(smoothTailMax_, 2.6);

    travelPoints = std::max(1.0, finiteOr(travelPoints_, 340));
    commitProgress = std::min(1.0, std::max(0.0, finiteOr(commitProgress_, 0.28)));
    discreteCommitProgress = std::min(1.0, std::max(0.0, finiteOr(discreteCommitProgress_, 0.02)));
    flickVelocity = std::max(0.0, finiteOr(flickVelocity_, 1.1));
    edgeResistance = std::min(0.5, std::max(0.01, finiteOr(edgeResistance_, 0.22)));
    settleBase = std::max(0.05, finiteOr(settleBase_, 0.34));
    tailLock = std::max(0.0, tailLock_);
    smoothTailMax = std::max(tailLock_, smoothTailMax_);
}

PageDragGesture::PageDragGesture(const Configuration &configuration_)
    : configuration(configuration_), m_tailGuard(guardConfiguration(configuration_))
{
}

void PageDragGesture::reset()
{
    m_active = false;
    m_progress.reset();
    m_lastSettle = -1;
    m_sawGesturePhase = false;
    m_lastMagnitude = 0;
    m_tailGuard.reset();
}

double PageDragGesture::advance(double stepValue, double timestamp)
{
    // Scroll deltas add up: each event moves the page on from where it is.
    return m_progress.advance(m_progress.points() + stepValue * m_progress.direction(), configuration.travelPoints,
                              configuration.edgeResistance, timestamp);
}

std::optional<PageDragGesture::Signal> PageDragGesture::consume(const WheelPageNavigator::Event &event,
                                                                bool allowsNext, bool allowsPrevious)
{
    const double t = event.timestamp;
    // A time that is no number would poison the velocity, the tail lock and
    // the settle time; such an event carries nothing we can judge.
    if (!std::isfinite(t))
        return std::nullopt;

    const bool liveMomentum = event.momentumPhase == Phase::began || event.momentumPhase == Phase::changed;
    const bool phased = event.phase != Phase::none || event.momentumPhase != Phase::none;
    if (phased)
        m_sawGesturePhase = true;

    if (event.momentumPhase == Phase::ended || event.momentumPhase == Phase::cancelled)
        return end(false);

    // Right after a settle the same input keeps scrolling; only a new touch
    // may start another drag.
    if (m_lastSettle >= 0 && t - m_lastSettle < configuration.tailLock && event.phase != Phase::began)
        return std::nullopt;

    const double rawX = std::isfinite(event.deltaX) ? event.deltaX : 0.0;
    const double rawY = std::isfinite(event.deltaY) ? event.deltaY : 0.0;
    const double magnitude = std::max(std::abs(rawX), std::abs(rawY));

    if (!phased && m_tailGuard.isActive() && m_lastSettle >= 0) {
        const double elapsed = t - m_lastSettle;
        if (elapsed >= configuration.tailLock && elapsed < configuration.smoothTailMax) {
            if (m_tailGuard.consume(magnitude, t) == SmoothScrollTailGuard::Verdict::tail)
                return std::nullopt;
            m_tailGuard.reset();
            m_lastSettle = -1;
        } else if (elapsed >= configuration.smoothTailMax) {
            m_tailGuard.reset();
        }
    }

    if (magnitude > 0)
        m_lastMagnitude = magnitude;

    if (event.phase == Phase::began) {
        m_lastSettle = -1;
        m_tailGuard.reset();
        m_active = false;
        m_progress.clear();
        m_sawGesturePhase = phased;
    }

    const double dx = event.inverted ? -rawX : rawX;
    const double dy = event.inverted ? -rawY : rawY;
    const double v = -(std::abs(dy) >= std::abs(dx) ? dy : dx);

    if (event.phase == Phase::ended || event.phase == Phase::cancelled)
        return end(event.phase == Phase::cancelled);

    if (v == 0)
        return std::nullopt;

    if (m_active)
        return Signal::move(advance(v, t));

    // Momentum may carry a running drag, never start one.
    if (liveMomentum)
        return std::nullopt;

    m_sawGesturePhase = phased;
    const int dir = v > 0 ? 1 : -1;
    m_progress.begin(dir, !(dir == 1 ? allowsNext : allowsPrevious), t);
    m_active = true;
    return Signal::begin(dir, advance(v, t));
}

std::optional<PageDragGesture::Signal> PageDragGesture::end(bool cancelled)
{
    if (!m_active)
        return std::nullopt;
    m_active = false;

    const double threshold = m_sawGesturePhase ? configuration.commitProgress : configuration.discreteCommitProgress;
    const bool commit = !cancelled && m_progress.shouldCommit(threshold, configuration.flickVelocity);
    const double duration = m_progress.settleDuration(commit, configuration.settleBase);

    const double lastTimestamp = m_progress.lastTimestamp();
    m_lastSettle = lastTimestamp;
    if (!m_sawGesturePhase && lastTimestamp >= 0) {
        // The wheel keeps sending its decaying tail after the settle; watch
        // it from the moment the tail lock lets events through again.
        if (m_lastMagnitude > 0)
            m_tailGuard.start(m_lastMagnitude, lastTimestamp + configuration.tailLock);
        else
            m_tailGuard.reset();
    } else if (m_sawGesturePhase) {
        m_tailGuard.reset();
    }
    return Signal::settle(commit, duration);
}
