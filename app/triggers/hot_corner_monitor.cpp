#include "triggers/hot_corner_monitor.h"

#include "foundation/log.h"
#include "pointer_locator.h"

#include <cmath>


HotCornerMonitor::HotCornerMonitor(PointerLocator &locator, PollTimerFactory timers)
    : m_locator(locator), m_timers(std::move(timers))
{
}

HotCornerMonitor::~HotCornerMonitor() = default;

void HotCornerMonitor::setCorner(Settings::HotCorner corner)
{
    m_corner = corner;
    updatePolling();
}

void HotCornerMonitor::start()
{
    m_started = true;
    updatePolling();
}

void HotCornerMonitor::stop()
{
    m_started = false;
    updatePolling();
}

void HotCornerMonitor::updatePolling()
{
    const bool wanted = m_started && m_corner != Settings::HotCorner::none;
    if (wanted && !m_timer) {
        m_timer = m_timers();
        // The timer belongs to the monitor and dies with it, so its ticks
        // never outlive the monitor.
        m_timer->start(pollInterval, [this] { tick(); });
    } else if (!wanted && m_timer) {
        m_timer->stop();
        m_timer.reset();
    }
}

std::optional<QRectF> HotCornerMonitor::screenAtMouse(QPointF pointer) const
{
    for (const QRectF &frame : m_locator.screenFrames()) {
        // Left and bottom edges belong to the frame, right and top do not.
        if (pointer.x() >= frame.left() && pointer.x() < frame.left() + frame.width() && pointer.y() >= frame.top() &&
            pointer.y() < frame.top() + frame.height())
            return frame;
    }
    return m_locator.mainScreenFrame();
}

bool HotCornerMonitor::inCorner(QPointF p, const QRectF &f) const
{
    // Bottom-up coordinates: the frame's maximum y is its top edge.
    const double minX = f.left();
    const double maxX = f.left() + f.width();
    const double minY = f.top();
    const double maxY = f.top() + f.height();
    const bool nearLeft = std::abs(p.x() - minX) <= cornerTolerance;
    const bool nearRight = std::abs(p.x() - maxX) <= cornerTolerance;
    const bool nearTop = std::abs(p.y() - maxY) <= cornerTolerance;
    const bool nearBottom = std::abs(p.y() - minY) <= cornerTolerance;
    switch (m_corner) {
    case Settings::HotCorner::none:
        return false;
    case Settings::HotCorner::topLeft:
        return nearLeft && nearTop;
    case Settings::HotCorner::topRight:
        return nearRight && nearTop;
    case Settings::HotCorner::bottomLeft:
        return nearLeft && nearBottom;
    case Settings::HotCorner::bottomRight:
        return nearRight && nearBottom;
    }
    return false;
}

void HotCornerMonitor::tick()
{
    if (m_corner == Settings::HotCorner::none)
        return;
    const QPointF pointer = m_locator.pointerLocation();
    const std::optional<QRectF> screen = screenAtMouse(pointer);
    if (!screen)
        return;
    if (isVisible && isVisible())
        return;
    if (inCorner(pointer, *screen)) {
        ++m_dwellTicks;
        if (m_dwellTicks >= dwellTicksToFire && !m_fired) {
            m_fired = true;
            if (action) {
                auto run = action;
                run();
            }
        }
    } else {
        // Once per visit that fired: what a test or a bug report needs to
        // know that the next visit shows the launcher again.
        if (m_fired)
            Log::write("[hot-corner] left rearmed=1");
        m_dwellTicks = 0;
        m_fired = false;
    }
}
