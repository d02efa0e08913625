#include "smooth_scroll_tail_guard.h"

#include <algorithm>
#include <cmath>

namespace {

double finiteOr(double value, double fallback)
{
    return std::isfinite(value) ? value : fallback;
}

// Garbage magnitudes (NaN, infinities) must not poison peak and low, which
// every later verdict of the burst compares against.
double sanitizedMagnitude(double magnitude)
{
    return std::isfinite(magnitude) ? std::max(0.0, magnitude) : 0.0;
}

} // namespace

SmoothScrollTailGuard::Configuration::Configuration(double idleGap_, double decayRatio_, double newIntentRatio_,
                                                    double newIntentDelay_, double minimumMagnitude_,
                                                    double continuousWindow_, double maxTail_)
{
    idleGap_ = finiteOr(idleGap_, 0.25);
    decayRatio_ = finiteOr(decayRatio_, 0.45);
    newIntentRatio_ = finiteOr(newIntentRatio_, 0.7);
    newIntentDelay_ = finiteOr(newIntentDelay_, 0.35);
    minimumMagnitude_ = finiteOr(minimumMagnitude_, 0.25);
    continuousWindow_ = finiteOr(continuousWindow_, 1.6);
    maxTail_ = finiteOr(maxTail_, 2.6);

    idleGap = std::max(0.0, idleGap_);
    decayRatio = std::min(1.0, std::max(0.0, decayRatio_));
    newIntentRatio = std::min(2.0, std::max(0.0, newIntentRatio_));
    newIntentDelay = std::max(0.0, newIntentDelay_);
    minimumMagnitude = std::max(0.0, minimumMagnitude_);
    continuousWindow = std::max(0.0, continuousWindow_);
    // Compared with the raw window on purpose: the window argument decides how
    // long sustained input may count as tail, so no tail may end before it.
    maxTail = std::max(continuousWindow_, std::max(0.0, maxTail_));
}

SmoothScrollTailGuard::SmoothScrollTailGuard(const Configuration &configuration_)
    : configuration(configuration_)
{
}

void SmoothScrollTailGuard::start(double magnitude, double timestamp)
{
    if (!std::isfinite(timestamp)) {
        reset();
        return;
    }
    const double m = sanitizedMagnitude(magnitude);
    m_active = true;
    m_peak = m;
    m_low = m;
    m_previous = m;
    m_startedAt = timestamp;
    m_lastAt = timestamp;
}

void SmoothScrollTailGuard::reset()
{
    m_active = false;
    m_peak = 0;
    m_low = 0;
    m_previous = 0;
    m_startedAt = 0;
    m_lastAt = 0;
}

SmoothScrollTailGuard::Verdict SmoothScrollTailGuard::consume(double magnitude, double timestamp)
{
    if (!m_active)
        return Verdict::newIntent;

    const double m = sanitizedMagnitude(magnitude);
    const double gap = timestamp - m_lastAt;
    const double age = timestamp - m_startedAt;

    // A pause, a clock that went backwards, an over-long tail or a time that is
    // no number at all: the burst we were watching is over.
    if (!std::isfinite(timestamp) || gap > configuration.idleGap || gap < 0 || age >= configuration.maxTail) {
        reset();
        return Verdict::newIntent;
    }

    const double decayLine = m_peak * configuration.decayRatio;
    const bool decayed = m_low <= decayLine;
    const bool rose = decayed && age >= configuration.newIntentDelay && m_previous <= decayLine
        && m >= m_peak * configuration.newIntentRatio && m >= configuration.minimumMagnitude;
    const bool sustained = !decayed && age >= configuration.continuousWindow;
    if (rose || sustained) {
        reset();
        return Verdict::newIntent;
    }

    m_low = std::min(m_low, m);
    m_peak = std::max(m_peak, m);
    m_previous = m;
    m_lastAt = timestamp;
    return Verdict::tail;
}
