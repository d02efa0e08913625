#include "centered_scale_effect.h"

#include "presentation_curve.h"

#include <QPainter>

#include <cmath>

CenteredScaleEffect::CenteredScaleEffect(QObject *parent) : QGraphicsEffect(parent) {}

void CenteredScaleEffect::setScale(double scale)
{
    const double value = std::isfinite(scale) && scale > 0 ? scale : 1.0;
    if (value == m_scale)
        return;
    m_scale = value;
    update();
}

void CenteredScaleEffect::draw(QPainter *painter)
{
    if (m_scale == 1) {
        drawSource(painter);
        return;
    }
    QPoint offset;
    const QPixmap pixmap = sourcePixmap(Qt::LogicalCoordinates, &offset, QGraphicsEffect::NoPad);
    if (pixmap.isNull())
        return;
    const QRectF bounds = sourceBoundingRect(Qt::LogicalCoordinates);
    painter->save();
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->setWorldTransform(PresentationCurve::centeredScale(bounds, QPointF(0, 0), m_scale), true);
    painter->drawPixmap(offset, pixmap);
    painter->restore();
}
