#include "screen_pointer_locator.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

namespace {

int primaryBottom()
{
    const QScreen *primary = QGuiApplication::primaryScreen();
    if (!primary)
        return 0;
    const QRect g = primary->geometry();
    return g.y() + g.height();
}

} // namespace

QPointF ScreenPointerLocator::toUnflipped(QPoint point, int primaryBottom)
{
    return QPointF(point.x(), primaryBottom - point.y() - 1);
}

QRectF ScreenPointerLocator::toUnflipped(const QRect &frame, int primaryBottom)
{
    return QRectF(frame.x(), primaryBottom - (frame.y() + frame.height()), frame.width(), frame.height());
}

QPointF ScreenPointerLocator::pointerLocation() const
{
    return toUnflipped(QCursor::pos(), primaryBottom());
}

QList<QRectF> ScreenPointerLocator::screenFrames() const
{
    const int bottom = primaryBottom();
    QList<QRectF> frames;
    for (const QScreen *screen : QGuiApplication::screens())
        frames.append(toUnflipped(screen->geometry(), bottom));
    return frames;
}

std::optional<QRectF> ScreenPointerLocator::mainScreenFrame() const
{
    const QScreen *primary = QGuiApplication::primaryScreen();
    if (!primary)
        return std::nullopt;
    return toUnflipped(primary->geometry(), primaryBottom());
}
