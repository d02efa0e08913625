#pragma once

#include <QList>

#include <memory>
#include <optional>

class QWidget;

// What the display server really stacks above what among the program's own
// top-level windows. A window's level only asks the window manager for a
// place; where the window ends up is the server's stacking order, which is
// what a user sees.
class WindowStacking
{
public:
    virtual ~WindowStacking() = default;

    // For each of `windows`, in the order given, its place in the server's
    // stacking order (0 lowest; a higher number is above a lower one), or -1
    // when the server does not stack it (no native window, not shown, null).
    // Two windows share a place only when the server cannot tell them apart.
    // None when the server keeps no order the program can read (no X server).
    virtual std::optional<QList<int>> places(const QList<const QWidget *> &windows) = 0;

    // One that never knows an order: for a desktop without one to read
    // (offscreen, Wayland).
    static std::unique_ptr<WindowStacking> unknown();
};
