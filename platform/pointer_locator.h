#pragma once

#include <QList>
#include <QPointF>
#include <QRectF>

#include <optional>

// Where the pointer and the screens are, in global screen coordinates with the
// origin at the bottom left of the primary screen and y growing upwards. A
// screen's frame holds its left and bottom edges, not its right and top ones.
class PointerLocator
{
public:
    virtual ~PointerLocator() = default;

    virtual QPointF pointerLocation() const = 0;
    // Every screen's frame, in the system's screen order.
    virtual QList<QRectF> screenFrames() const = 0;
    // The main screen's frame; none without screens.
    virtual std::optional<QRectF> mainScreenFrame() const = 0;
};
