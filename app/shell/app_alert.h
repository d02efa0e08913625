#pragma once

#include "modal/alert_box.h"

#include "timer_scheduler.h"
#include "window_level.h"

#include <QList>
#include <QPointer>
#include <QRectF>
#include <QString>
#include <QWidget>

#include <optional>
#include <type_traits>
#include <utility>

class QDialog;
class WindowStacking;

// Every modal alert of the program runs through here. The launcher window
// floats above ordinary windows on every desktop, so an alert can open behind
// it, where nobody can see or answer it while it holds the application. The
// watchdog ends such an alert; modal() lowers a window while a panel runs.
// Whether a window covers the alert is the display server's stacking order
// where one is known (useStacking()): a dialog that the window manager put
// above the launcher is seen, whatever the two windows' levels say.
class AppAlert
{
public:
    // The response of a modal run that the watchdog ended; matches no button.
    static constexpr int abortResponse = -1001;
    // How long after it starts an alert is checked, in seconds.
    static constexpr double watchdogDelay = 1.5;
    // A window covering this share of the screen or more hides an alert.
    static constexpr double coveringShare = 0.8;
    // Windows at or below this opacity count as invisible.
    static constexpr double visibleAlpha = 0.01;

    // Runs `alert` modally and returns its response: the exec() result (for
    // an AlertBox, the pressed button's), or abortResponse when the watchdog
    // ended a run that nobody could see. An AlertBox without buttons gets one
    // titled L("好"). The watchdog is a timer of `scheduler`.
    static int run(QDialog &alert, TimerScheduler &scheduler = TimerScheduler::main());

    // The display server's stacking order that the watchdog reads from now
    // on; null (the start) leaves the decision to the window levels. The
    // caller keeps `stacking` alive until it hands in another one or null.
    static void useStacking(WindowStacking *stacking);

    // Runs `body` once with `window` (may be null) lowered to the normal level
    // and returns its result. The level is put back after the body returns,
    // also when the body changed it; a window destroyed meanwhile is left alone.
    template <typename Body>
    static std::invoke_result_t<Body> modal(QWidget *window, Body &&body)
    {
        if (window == nullptr)
            return std::forward<Body>(body)();
        const QPointer<QWidget> guard(window);
        const int remembered = WindowLevel::of(window);
        WindowLevel::set(window, WindowLevel::normal);
        struct Restore
        {
            const QPointer<QWidget> &guard;
            int level;
            ~Restore()
            {
                if (guard && WindowLevel::of(guard) != level)
                    WindowLevel::set(guard, level);
            }
        } restore{guard, remembered};
        return std::forward<Body>(body)();
    }

    // A one-button alert run through run(). Button title default: L("好").
    static int information(const QString &message, const QString &informative,
                           AlertBox::Style style = AlertBox::Style::informational,
                           const std::optional<QString> &button = std::nullopt,
                           TimerScheduler &scheduler = TimerScheduler::main());

    // What the watchdog looks at of one top-level window.
    struct WindowState
    {
        bool visible = false;
        double alpha = 1;
        int level = WindowLevel::normal;
        QRectF frame;
        // Its place in the display server's stacking order (higher is above),
        // or -1 when that is not known.
        int stacked = -1;
    };

    // True when one of `others` is visible, more than barely opaque, above
    // `alert` and covers at least coveringShare of a screen of area
    // `screenArea` (never with no screen, area 0). "Above" is the server's
    // stacking when it places both windows apart, else a strictly higher level.
    static bool isCovered(const WindowState &alert, double screenArea, const QList<WindowState> &others);

    // The watchdog's check of a running alert: when its window is invisible
    // or covered, logs the "[AppAlert]" line and returns true (the caller ends
    // the run).
    static bool watchdogShouldAbort(const WindowState &alert, double screenArea, const QList<WindowState> &others);

    AppAlert() = delete;
};
