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
// consecutive poll in the corner, once per visit. Without a corner nothing
// polls, so an idle launcher does not wake up. Main thread only.
class HotCornerMonitor
{
public:
    explicit HotCornerMonitor(PointerLocator &locator, PollTimerFactory timers = QtPollTimer::factory());
    ~HotCornerMonitor();

    static constexpr double pollInterval = 0.15;
    static constexpr double cornerTolerance = 8.0;
    static constexpr int dwellTicksToFire = 3;

    std::function<void()> action;
    std::function<bool()> isVisible;

    // Takes effect at the next poll. Clearing the corner stops the polling
    // (the dwell count is kept); setting one while started resumes it.
    void setCorner(Settings::HotCorner corner);
    Settings::HotCorner corner() const { return m_corner; }

    void start();
    void stop();
    // Started and not stopped since, whether or not a corner is set.
    bool isRunning() const { return m_started; }
    // Whether the poll timer is armed.
    bool isPolling() const { return m_timer != nullptr; }

private:
    void tick();
    void updatePolling();
    std::optional<QRectF> screenAtMouse(QPointF pointer) const;
    bool inCorner(QPointF pointer, const QRectF &frame) const;

    PointerLocator &m_locator;
    PollTimerFactory m_timers;
    std::unique_ptr<PollTimer> m_timer;
    Settings::HotCorner m_corner = Settings::HotCorner::none;
    bool m_started = false;
    int m_dwellTicks = 0;
    bool m_fired = false;
};
