#include "poll_timer.h"

#include <cmath>

QtPollTimer::QtPollTimer()
{
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
        if (m_onTick) {
            auto onTick = m_onTick;
            onTick();
        }
    });
}

void QtPollTimer::start(double intervalSeconds, std::function<void()> onTick)
{
    m_onTick = std::move(onTick);
    m_timer.start(int(std::lround(std::max(0.0, intervalSeconds) * 1000.0)));
}

void QtPollTimer::stop()
{
    m_timer.stop();
    m_onTick = nullptr;
}

PollTimerFactory QtPollTimer::factory()
{
    return [] { return std::make_unique<QtPollTimer>(); };
}
