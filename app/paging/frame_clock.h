#pragma once

#include <functional>
#include <memory>

class QTimer;

// Per-frame tick source of the launcher's animations. Ticks arrive on the main
// thread at the refresh rate of the primary screen (a precise timer at the
// screen's frame interval), or every 1/60 s when no screen reports a rate.
// A main-thread QTimer keeps firing inside nested event loops (drags, menus),
// so animations go on while the user drags. Each tick carries the clock's
// time: users keep their own start time and derive progress from it, so a
// late or missing tick never stretches an animation.
class FrameClock
{
public:
    // Monotonic seconds. Injectable so that tests drive time.
    using TimeSource = std::function<double()>;
    using FrameCallback = std::function<void(double time)>;

    // Animations never last less than this.
    static constexpr double minimumDuration = 0.05;
    static constexpr double fallbackInterval = 1.0 / 60.0;

    explicit FrameClock(TimeSource timeSource = {});
    ~FrameClock();

    FrameClock(const FrameClock &) = delete;
    FrameClock &operator=(const FrameClock &) = delete;

    // Reads the frame interval of the primary screen once; later calls keep it.
    void prepare();
    // Begins a new run with this callback; an earlier run and its callback end.
    void start(FrameCallback onFrame);
    // Ends the run and drops the callback; ticks after this do nothing.
    void stop();
    // Delivers one tick, with now(), to the current run's callback.
    void fire();
    bool isRunning() const { return m_running; }

    // Seconds of the frame interval the clock ticks at once running.
    double frameInterval() const;
    double now() const;
    void setTimeSource(TimeSource timeSource);

    // The process's monotonic media time in seconds.
    static double systemMediaTime();
    // (now - start) / max(minimumDuration, duration), within 0 ... 1.
    // A NaN anywhere counts as finished.
    static double progress(double start, double duration, double now);

private:
    TimeSource m_timeSource;
    std::unique_ptr<QTimer> m_timer;
    FrameCallback m_onFrame;
    double m_interval = 0; // 0 until prepare()
    bool m_running = false;
    bool m_firing = false;
    // Cleared by the destructor, so that a tick whose callback destroyed the
    // clock touches nothing afterwards.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};
