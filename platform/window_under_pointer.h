#pragma once

#include <memory>

class QWidget;

// Which top-level window the pointer is over, as the display server stacks
// them: another application's window (a dock, a panel, a file manager) may
// lie above the full-screen launcher and take what is dragged onto it.
class WindowUnderPointer
{
public:
    virtual ~WindowUnderPointer() = default;

    // Whether the pointer is over a top-level window other than `window`'s
    // own (another one stacked above it there). False when `window` is null
    // or when that cannot be known.
    virtual bool pointerOverOtherWindow(QWidget *window) = 0;

    // One that never sees another window: for a desktop whose stacking cannot
    // be asked (offscreen), and wherever none was handed in.
    static std::unique_ptr<WindowUnderPointer> none();
};
