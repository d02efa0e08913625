#pragma once

#include "pointer_locator.h"

#include <QRect>

// The pointer and the screens as Qt sees them, turned upside down into the
// locator's coordinates.
class ScreenPointerLocator : public PointerLocator
{
public:
    QPointF pointerLocation() const override;
    QList<QRectF> screenFrames() const override;
    std::optional<QRectF> mainScreenFrame() const override;

    // Qt's top-down geometry to the locator's bottom-up one. `primaryBottom` is
    // the bottom edge of the primary screen in Qt's coordinates. A pointer on
    // pixel row y is placed at the bottom of that row, so that the top row of a
    // screen still lies inside its frame.
    static QPointF toUnflipped(QPoint point, int primaryBottom);
    static QRectF toUnflipped(const QRect &frame, int primaryBottom);
};
