#include "wheel_page_navigator.h"

#include <algorithm>
#include <cmath>

namespace {

double finiteOr(double value, double fallback)
{
    return std::isfinite(value) ? value : fallback;
}

bool isOver(WheelPageNavigator::Phase phase)
{
    return phase == WheelPageNavigator::Phase::ended || phase == WheelPageNavigator::Phase::cancelled;
}

} // namespace

WheelPageNavigator::Configuration::Configuration(double preciseThreshold_, int mouseNotchesPerPage_,
                                                 double mouseCooldown_, double gestureCooldown_,
                                                 double gestureIdleReset_, double minimumDelta_, double clusterGap_,
                                                 double clusterMax_, double smoothTailMax_)
{
    clusterGap_ = finiteOr(clusterGap_, 0.35);
    clusterMax_ = finiteOr(clusterMax_, 1.6);
    smoothTailMax_ = finiteOr(smoothTailMax_, 2.6);

    preciseThreshold = std::max(1.0, finiteOr(preciseThreshold_, 55));
    mouseNotchesPerPage = std::max(1, mouseNotchesPerPage_);
    mouseCooldown = std::max(0.0, finiteOr(mouseCooldown_, 0.28));
    gestureCooldown = std::max(0.0, finiteOr(gestureCooldown_, 0.3));
    gestureIdleReset = std::max(0.0, finiteOr(gestureIdleReset_, 0.22));
    minimumDelta = std::max(0.0, finiteOr(minimumDelta_, 0.25));
    clusterGap = std::max(0.0, clusterGap_);
    clusterMax = std::max(clusterGap_, clusterMax_);
    smoothTailMax = std::max(clusterMax_, smoothTailMax_);
}

namespace {

SmoothScrollTailGuard::Configuration guardConfiguration(const WheelPageNavigator::Configuration &configuration)
{
    const SmoothScrollTailGuard::Configuration defaults;
    return SmoothScrollTailGuard::Configuration(defaults.idleGap, defaults.decayRatio, defaults.newIntentRatio,
                                                defaults.newIntentDelay, defaults.minimumMagnitude,
                                                configuration.clusterMax, configuration.smoothTailMax);
}

} // namespace

WheelPageNavigator::WheelPageNavigator(const Configuration &configuration_)
    : configuration(configuration_), m_tailGuard(guardConfiguration(configuration_))
{
}

void WheelPageNavigator::reset()
{
    m_accumulation = 0;
    m_directionSign = 0;
    m_gestureLocked = false;
    m_cooldownUntil = 0;
    m_lastTimestamp = -1;
    m_clusterStart = -1;
    m_clusterUntil = 0;
    m_tailGuard.reset();
}

std::optional<WheelPageNavigator::Direction> WheelPageNavigator::consume(const Event &event)
{
    const double t = event.timestamp;
    // A time that is no number would poison the cooldown and idle arithmetic
    // for good; such an event carries nothing we can judge.
    if (!std::isfinite(t))
        return std::nullopt;

    // Momentum never turns a page; its end releases the gesture.
    switch (event.momentumPhase) {
    case Phase::began:
    case Phase::changed:
        m_lastTimestamp = t;
        return std::nullopt;
    case Phase::ended:
    case Phase::cancelled:
        m_lastTimestamp = t;
        m_gestureLocked = false;
        m_accumulation = 0;
        m_directionSign = 0;
        return std::nullopt;
    case Phase::none:
    case Phase::mayBegin:
        break;
    }

    const bool idle = m_lastTimestamp >= 0 && t - m_lastTimestamp > configuration.gestureIdleReset;
    m_lastTimestamp = t;

    // One phased gesture turns one page: the rest of it is swallowed, and the
    // event that releases the lock does not turn a page either.
    if (m_gestureLocked) {
        if (isOver(event.phase) || idle) {
            m_gestureLocked = false;
            m_accumulation = 0;
            m_directionSign = 0;
        }
        return std::nullopt;
    }

    const double rawX = std::isfinite(event.deltaX) ? event.deltaX : 0.0;
    const double rawY = std::isfinite(event.deltaY) ? event.deltaY : 0.0;
    const double dx = event.inverted ? -rawX : rawX;
    const double dy = event.inverted ? -rawY : rawY;
    const double d = std::abs(dy) >= std::abs(dx) ? dy : dx;
    const double v = -d;
    if (v == 0)
        return std::nullopt;

    const bool gestureLike = event.phase != Phase::none || event.momentumPhase != Phase::none;
    const bool mouseNotch = !event.precise && !gestureLike;
    const int sign = v > 0 ? 1 : -1;
    const bool reversal = m_directionSign != 0 && m_directionSign != sign;
    const double magnitude = std::abs(d);

    if (mouseNotch) {
        if (reversal || m_clusterStart < 0 || t >= m_clusterUntil) {
            if (m_clusterStart >= 0) {
                m_tailGuard.reset();
                m_clusterStart = -1;
            }
        } else {
            const double elapsed = t - m_clusterStart;
            const SmoothScrollTailGuard::Verdict verdict = m_tailGuard.consume(magnitude, t);
            if (verdict == SmoothScrollTailGuard::Verdict::tail
                && (elapsed < configuration.clusterMax || elapsed < configuration.smoothTailMax)) {
                m_clusterUntil = std::min(m_clusterStart + configuration.smoothTailMax + configuration.clusterGap,
                                          t + configuration.clusterGap);
                return std::nullopt;
            }
            if (t < m_cooldownUntil) {
                m_tailGuard.start(magnitude, t);
                m_clusterUntil = t + configuration.clusterGap;
                return std::nullopt;
            }
            m_clusterStart = -1;
        }
        if (magnitude < configuration.minimumDelta)
            return std::nullopt;
    }

    if (t < m_cooldownUntil)
        return std::nullopt;

    if (reversal)
        m_accumulation = 0;
    m_directionSign = sign;
    m_accumulation += mouseNotch ? 1.0 : magnitude;

    const double threshold = mouseNotch ? double(configuration.mouseNotchesPerPage) : configuration.preciseThreshold;
    if (m_accumulation < threshold)
        return std::nullopt;

    m_accumulation = 0;
    m_cooldownUntil = t + (mouseNotch ? configuration.mouseCooldown : configuration.gestureCooldown);
    if (mouseNotch) {
        m_clusterStart = t;
        m_clusterUntil = t + configuration.clusterGap;
        m_tailGuard.start(magnitude, t);
    } else if (event.phase != Phase::none) {
        m_gestureLocked = true;
    }
    return sign > 0 ? Direction::next : Direction::previous;
}
