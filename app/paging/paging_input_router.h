#pragma once

#include "paging/page_turn_engine.h"
#include "policy/page_drag_gesture.h"
#include "policy/pointer_page_drag.h"
#include "policy/side_button_page_policy.h"
#include "policy/wheel_page_navigator.h"

#include <QPoint>
#include <QPointF>
#include <Qt>

#include <optional>

class QWheelEvent;

// Feeds a paged grid's raw paging input (scroll events, side buttons, a
// pointer dragged over empty space) into the paging policies and applies
// their decisions to the page-turn engine. Holds no widget: the policies and
// the last-precise-scroll time belong to the PageTurner, bound here by
// reference, so that the turner can reset them when the grid shows again.
//
// Scroll events from Qt are translated into the policies' event:
// - `pixelDelta` set: a device with fine-grained deltas (trackpads on macOS and
//   Wayland); the deltas are points.
// - otherwise `angleDelta` (eighths of a degree): whole multiples of 120 on
//   both axes are wheel notches, counted in notches; anything finer comes from
//   a high-resolution wheel or an X11 touchpad and counts as precise, in
//   points of angleDelta / 8 (libinput scrolls 120 for 15 points of finger
//   travel by default).
// - phases: ScrollBegin began, ScrollUpdate changed, ScrollEnd ended,
//   ScrollMomentum a momentum (began for the first, changed after); a
//   ScrollEnd that follows momentum ends the momentum, not the gesture. Any
//   phased event counts as precise, its angles as points.
// - `inverted()` is passed on: the policies negate inverted deltas themselves.
// - Momentum is never derived. Qt reports it only where the platform has it
//   (macOS); X11 delivers no phases at all and Wayland no momentum. Phaseless
//   precise input already has its own end (the engine's idle check) and its
//   tail is swallowed by the drag policy's tail lock and tail guard, and any
//   stray event after a ScrollEnd falls inside the tail lock; guessing
//   momentum from timing would only turn genuine new swipes into tails.
class PagingInputRouter
{
public:
    // Wheel notches are ignored this long after any trackpad or precise
    // scrolling: the wheel emulation of some devices follows a swipe.
    static constexpr double notchSuppression = 1.2;

    struct Policies
    {
        WheelPageNavigator &wheelNavigator;
        PageDragGesture &dragGesture;
        SideButtonPagePolicy &sideButtonPolicy;
        PointerPageDrag &pointerDrag;
        // Timestamp of the last precise or phased scroll event; negative
        // means none.
        double &lastPreciseWheelTime;
    };

    // One Qt scroll event's raw values.
    struct QtScroll
    {
        QPointF pixelDelta;
        QPoint angleDelta;
        Qt::ScrollPhase phase = Qt::NoScrollPhase;
        bool inverted = false;
        double timestamp = 0; // seconds
    };

    PagingInputRouter(PageTurnEngine &engine, Policies policies, bool dumpWindows);

    // The policies' event for a Qt scroll event (tracks momentum runs).
    WheelPageNavigator::Event translate(const QtScroll &scroll);
    WheelPageNavigator::Event translate(const QWheelEvent &event);
    // The platform's bit value of a phase, for the log.
    static int phaseBits(WheelPageNavigator::Phase phase);

    // A scroll event in the paged grid (the caller has ruled out an open
    // folder, the lock-page option and scroll mode). Classic wheel notches
    // step pages; everything else drives an interactive drag.
    void scroll(const WheelPageNavigator::Event &event);
    // Side buttons: 3 back, 4 forward. `eventNumber` only goes to the log.
    void sideButton(int buttonNumber, double timestamp, int eventNumber, bool acceptsPointerPaging);

    // A pointer drag over empty space.
    void armPointer(double x, double timestamp);
    // Applies the drag's signal, if any, and returns it.
    std::optional<PageDragGesture::Signal> pointerMoved(double x, double timestamp, double width);
    std::optional<PageDragGesture::Signal> pointerReleased(double timestamp);

private:
    PageTurnEngine &m_engine;
    Policies m_policies;
    bool m_dumpWindows = false;
    bool m_inMomentum = false;
};
