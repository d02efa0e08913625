#pragma once

#include <functional>
#include <memory>

// A timer made by a TimerScheduler. Destroying the handle invalidates it.
class ScheduledTimer
{
public:
    virtual ~ScheduledTimer() = default;
    // After this the block never runs again.
    virtual void invalidate() = 0;
    // False once invalidated, and after a non-repeating timer has fired.
    virtual bool isValid() const = 0;
};

// Makes main-thread timers. The real one keeps firing while a modal dialog or
// a menu runs its own event loop (the loop of the main thread serves every
// timer); tests substitute a scheduler whose timers they fire by hand.
class TimerScheduler
{
public:
    virtual ~TimerScheduler() = default;

    // Runs `block` on the main thread `seconds` from now (negative counts as
    // 0), and again every `seconds` when `repeats`, until the handle is
    // invalidated or destroyed.
    virtual std::unique_ptr<ScheduledTimer> schedule(double seconds, bool repeats, std::function<void()> block) = 0;

    // The process's main-loop scheduler. Main thread only.
    static TimerScheduler &main();
};
