#pragma once

#include "triggers/poll_timer.h"

#include "model/settings.h"

#include <QPointF>
#include <QRectF>

#include <functional>
#include <memory>
#include <optional>

class PointerLocator;

// Summons the launcher when the pointer rests in a chosen corner of the screen
// it is on: polls the pointer every 0.15 s and runs the action at the third
// consecutive poll in the corner, once per visit. Main thread only.
class HotCornerMonitor
{
public:
    explicit HotCornerMonitor(PointerLocator &locator, PollTimerFactory timers = QtPollTimer::factory());
    ~HotCornerMonitor();

    static constexpr double pollInterval = 0.15;
    static constexpr double cornerTolerance = 8.0;
    static constexpr int dwellTicksToFire = 3;

    // Read at every poll: a change takes effect at the next one.
    Settings::HotCorner corner = Settings::HotCorner::none;
    std::function<void()> action;
    std::function<bool()> isVisible;

    void start();
    void stop();
    bool isRunning() const { return m_timer != nullptr; }

private:
    void tick();
    std::optional<QRectF> screenAtMouse(QPointF pointer) const;
    bool inCorner(QPointF pointer, const QRectF &frame) const;

    PointerLocator &m_locator;
    PollTimerFactory m_timers;
    std::unique_ptr<PollTimer> m_timer;
    int m_dwellTicks = 0;
    bool m_fired = false;
};
