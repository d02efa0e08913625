#pragma once

#include <QTimer>

#include <functional>
#include <memory>

// A repeating timer on the main thread's event loop. The triggers take a
// factory of these so that tests can fire the ticks themselves.
class PollTimer
{
public:
    virtual ~PollTimer() = default;
    // (Re)starts ticking every `intervalSeconds`.
    virtual void start(double intervalSeconds, std::function<void()> onTick) = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
};

using PollTimerFactory = std::function<std::unique_ptr<PollTimer>()>;

// The real one. Qt timers also fire while a menu is tracked or a modal
// dialog runs, so the polls keep going then.
class QtPollTimer : public PollTimer
{
public:
    QtPollTimer();
    void start(double intervalSeconds, std::function<void()> onTick) override;
    void stop() override;
    bool isActive() const override { return m_timer.isActive(); }

    static PollTimerFactory factory();

private:
    QTimer m_timer;
    std::function<void()> m_onTick;
};
