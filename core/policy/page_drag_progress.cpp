#include "page_drag_progress.h"

#include "page_slide.h"

#include <algorithm>

namespace {

// Each sample moves the velocity 45% of the way to the newest estimate, so one
// jittery event does not make a flick.
constexpr double kVelocityKeep = 0.55;
constexpr double kVelocityTake = 0.45;
// Events closer together than this carry no usable speed.
constexpr double kShortestSampleInterval = 0.001;

} // namespace

void PageDragProgress::begin(int direction, bool isAtEdge, double timestamp)
{
    m_direction = direction;
    m_atEdge = isAtEdge;
    m_points = 0;
    m_progress = 0;
    m_velocity = 0;
    m_lastTimestamp = timestamp;
}

void PageDragProgress::clear()
{
    begin(0, false, m_lastTimestamp);
}

void PageDragProgress::reset()
{
    begin(0, false, -1);
}

double PageDragProgress::advance(double points, double travel, double edgeResistance, double timestamp)
{
    m_points = std::max(0.0, points);
    const double p = PageSlide::dragProgress(m_points, travel, m_atEdge, edgeResistance);
    const double dt = timestamp - m_lastTimestamp;
    if (dt > kShortestSampleInterval && m_lastTimestamp >= 0)
        m_velocity = kVelocityKeep * m_velocity + kVelocityTake * (p - m_progress) / dt;
    m_progress = p;
    m_lastTimestamp = timestamp;
    return p;
}

bool PageDragProgress::shouldCommit(double commitProgress, double flickVelocity) const
{
    return PageSlide::shouldCommit(m_progress, m_velocity, m_atEdge, commitProgress, flickVelocity);
}

double PageDragProgress::settleDuration(bool commit, double settleBase) const
{
    return PageSlide::settleDuration(m_progress, commit ? 1.0 : 0.0, settleBase);
}
