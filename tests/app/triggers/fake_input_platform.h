#pragma once

#include "global_key_grabber.h"
#include "input_event_source.h"
#include "pointer_locator.h"
#include "triggers/poll_timer.h"

#include <QList>
#include <QPair>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

// Fakes of the desktop behind the global triggers. Each counts what it hands
// out and what is still alive, so tests see leaks and double registrations.

class FakeEventTap;

class FakeInputEventSource : public InputEventSource
{
public:
    bool trusted = true;
    // A desktop with a per-application switch, which the user may flip any time.
    bool trustChanges = true;
    bool refuseListenOnly = false;
    bool refuseAll = false;
    bool refuseMainLoop = false;
    int requestTrustCalls = 0;
    int privacySettingsOpened = 0;
    // Every createTap call: mask and option.
    QList<QPair<quint64, TapOption>> createCalls;
    int tapsCreated = 0;
    // Taps alive now, oldest first.
    std::vector<FakeEventTap *> liveTaps;

    bool isProcessTrusted() override { return trusted; }
    bool trustCanChange() const override { return trustChanges; }
    bool requestTrust() override
    {
        ++requestTrustCalls;
        return trusted;
    }
    bool openPrivacySettings() override
    {
        ++privacySettingsOpened;
        return true;
    }
    std::unique_ptr<EventTap> createTap(quint64 mask, TapOption option, EventTapCallback callback) override;

    // The live tap whose mask holds `type`, if any.
    FakeEventTap *tapFor(quint32 type) const;
};

class FakeEventTap : public EventTap
{
public:
    FakeEventTap(FakeInputEventSource &source, quint64 mask, EventTapCallback callback, bool refuseMainLoop)
        : source(source), mask(mask), callback(std::move(callback)), refuseMainLoop(refuseMainLoop)
    {
        source.liveTaps.push_back(this);
    }
    ~FakeEventTap() override { std::erase(source.liveTaps, this); }

    bool addToMainLoop() override
    {
        if (refuseMainLoop)
            return false;
        inMainLoop = true;
        return true;
    }
    void removeFromMainLoop() override { inMainLoop = false; }
    void setEnabled(bool value) override { enabled = value; }
    bool isEnabled() const override { return enabled; }

    // What the desktop would do with one event: only a live, enabled tap in
    // the main loop reports it.
    void fire(quint32 type, const EventTapEvent &event = {})
    {
        if (inMainLoop && enabled && (mask & EventTapTypes::maskBit(type)))
            callback(type, event);
    }
    // The desktop stopped the tap; it reports that whatever its mask.
    void disable(quint32 type = EventTapTypes::tapDisabledByTimeout) { callback(type, {}); }

    FakeInputEventSource &source;
    quint64 mask;
    EventTapCallback callback;
    bool refuseMainLoop;
    bool inMainLoop = false;
    bool enabled = false;
};

inline std::unique_ptr<EventTap> FakeInputEventSource::createTap(quint64 mask, TapOption option,
                                                                 EventTapCallback callback)
{
    createCalls.append({mask, option});
    if (refuseAll || (refuseListenOnly && option == TapOption::listenOnly))
        return nullptr;
    ++tapsCreated;
    return std::make_unique<FakeEventTap>(*this, mask, std::move(callback), refuseMainLoop);
}

inline FakeEventTap *FakeInputEventSource::tapFor(quint32 type) const
{
    for (FakeEventTap *tap : liveTaps) {
        if (tap->mask & EventTapTypes::maskBit(type))
            return tap;
    }
    return nullptr;
}

class FakeKeyGrabber : public GlobalKeyGrabber
{
public:
    bool refuseHandler = false;
    // Combinations another program holds.
    QList<QPair<quint32, quint32>> takenByOthers;
    int handlerInstalls = 0;
    int handlerRemovals = 0;
    int grabs = 0;
    int ungrabs = 0;
    std::function<void()> onPress;
    std::optional<QPair<quint32, quint32>> grabbed;

    bool installHandler(std::function<void()> handler) override
    {
        ++handlerInstalls;
        if (refuseHandler)
            return false;
        onPress = std::move(handler);
        return true;
    }
    void removeHandler() override
    {
        ++handlerRemovals;
        onPress = nullptr;
    }
    bool grab(quint32 keyCode, quint32 modifiers) override
    {
        ++grabs;
        grabbed.reset();
        if (takenByOthers.contains(QPair<quint32, quint32>(keyCode, modifiers)))
            return false;
        grabbed = QPair<quint32, quint32>(keyCode, modifiers);
        return true;
    }
    void ungrab() override
    {
        ++ungrabs;
        grabbed.reset();
    }
    // The user presses a combination.
    void press(quint32 keyCode, quint32 modifiers)
    {
        if (onPress && grabbed == QPair<quint32, quint32>(keyCode, modifiers))
            onPress();
    }
};

class FakePointerLocator : public PointerLocator
{
public:
    QPointF pointer;
    QList<QRectF> screens{QRectF(0, 0, 1440, 900)};
    std::optional<QRectF> mainScreen = QRectF(0, 0, 1440, 900);

    QPointF pointerLocation() const override { return pointer; }
    QList<QRectF> screenFrames() const override { return screens; }
    std::optional<QRectF> mainScreenFrame() const override { return mainScreen; }
};

// Timers the test fires by hand.
class FakeTimers
{
public:
    struct Timer : PollTimer
    {
        FakeTimers *owner;
        double interval = 0;
        std::function<void()> onTick;
        bool active = false;

        explicit Timer(FakeTimers *owner) : owner(owner) { owner->live.push_back(this); }
        ~Timer() override { std::erase(owner->live, this); }
        void start(double seconds, std::function<void()> tick) override
        {
            interval = seconds;
            onTick = std::move(tick);
            active = true;
        }
        void stop() override { active = false; }
        bool isActive() const override { return active; }
    };

    std::vector<Timer *> live;
    int made = 0;

    PollTimerFactory factory()
    {
        return [this] {
            ++made;
            return std::make_unique<Timer>(this);
        };
    }

    // One tick of every active timer.
    void fireAll()
    {
        const std::vector<Timer *> now = live;
        for (Timer *timer : now) {
            if (std::find(live.begin(), live.end(), timer) == live.end())
                continue;
            if (timer->active && timer->onTick)
                timer->onTick();
        }
    }
};
