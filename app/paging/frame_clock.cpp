#include "frame_clock.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>

FrameClock::FrameClock(TimeSource timeSource) : m_timeSource(std::move(timeSource)) {}

FrameClock::~FrameClock()
{
    *m_alive = false;
    if (!m_timer)
        return;
    m_timer->stop();
    QObject::disconnect(m_timer.get(), nullptr, nullptr, nullptr);
    // The owner may go away inside one of our own ticks: the timer is then
    // still emitting and must outlive the emission.
    if (m_firing)
        m_timer.release()->deleteLater();
}

void FrameClock::prepare()
{
    if (m_interval > 0)
        return;
    double rate = 0;
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        if (const QScreen *screen = QGuiApplication::primaryScreen())
            rate = screen->refreshRate();
    }
    // Rates outside what a display plausibly reports mean "unknown".
    m_interval = (std::isfinite(rate) && rate >= 20 && rate <= 500) ? 1.0 / rate : fallbackInterval;
}

double FrameClock::frameInterval() const
{
    return m_interval > 0 ? m_interval : fallbackInterval;
}

void FrameClock::start(FrameCallback onFrame)
{
    stop();
    prepare();
    m_onFrame = std::move(onFrame);
    m_running = true;
    if (!m_timer) {
        m_timer = std::make_unique<QTimer>();
        m_timer->setTimerType(Qt::PreciseTimer);
        QObject::connect(m_timer.get(), &QTimer::timeout, m_timer.get(), [this] { fire(); });
    }
    // Whole milliseconds, rounded down so that no display frame goes without a tick.
    m_timer->setInterval(std::max(1, int(std::floor(frameInterval() * 1000))));
    m_timer->start();
}

void FrameClock::stop()
{
    m_running = false;
    if (m_timer)
        m_timer->stop();
    m_onFrame = nullptr;
}

void FrameClock::fire()
{
    if (!m_running || !m_onFrame)
        return;
    // A copy: the callback may start a new run or stop this one.
    const FrameCallback callback = m_onFrame;
    const std::shared_ptr<bool> alive = m_alive;
    const bool wasFiring = m_firing;
    m_firing = true;
    callback(now());
    if (*alive)
        m_firing = wasFiring;
}

double FrameClock::now() const
{
    return m_timeSource ? m_timeSource() : systemMediaTime();
}

void FrameClock::setTimeSource(TimeSource timeSource)
{
    m_timeSource = std::move(timeSource);
}

double FrameClock::systemMediaTime()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

double FrameClock::progress(double start, double duration, double now)
{
    const double d = std::isnan(duration) ? minimumDuration : std::max(minimumDuration, duration);
    const double t = (now - start) / d;
    // Media times are large numbers: a tick at the end time may come out a
    // rounding error short of it, and still ends the animation.
    if (std::isnan(t) || t >= 1 - 1e-9)
        return 1;
    return std::clamp(t, 0.0, 1.0);
}
