#include "timer_scheduler.h"

#include <QTimer>

#include <algorithm>
#include <cmath>

namespace {

class QtScheduledTimer final : public ScheduledTimer
{
public:
    QtScheduledTimer(double seconds, bool repeats, std::function<void()> block) : m_block(std::move(block))
    {
        const double ms = std::isfinite(seconds) ? std::clamp(seconds * 1000.0, 0.0, double(INT32_MAX)) : 0.0;
        m_timer.setSingleShot(!repeats);
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(int(std::lround(ms)));
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            // Copy first: the block may destroy this handle.
            const auto block = m_block;
            if (m_timer.isSingleShot())
                m_block = nullptr;
            if (block)
                block();
        });
        m_timer.start();
    }

    void invalidate() override
    {
        m_timer.stop();
        m_block = nullptr;
    }

    bool isValid() const override { return m_block != nullptr; }

private:
    QTimer m_timer;
    std::function<void()> m_block;
};

class QtTimerScheduler final : public TimerScheduler
{
public:
    std::unique_ptr<ScheduledTimer> schedule(double seconds, bool repeats, std::function<void()> block) override
    {
        return std::make_unique<QtScheduledTimer>(seconds, repeats, std::move(block));
    }
};

} // namespace

TimerScheduler &TimerScheduler::main()
{
    static QtTimerScheduler scheduler;
    return scheduler;
}
