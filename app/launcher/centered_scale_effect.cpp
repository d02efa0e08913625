#include "centered_scale_effect.h"

#include "presentation_curve.h"

#include <QPainter>
#include <QWidget>

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

void CenteredScaleEffect::refreshPicture()
{
    if (m_picture.isNull())
        return;
    m_picture = QPixmap();
    update();
}

void CenteredScaleEffect::draw(QPainter *painter)
{
    if (m_scale == 1) {
        drawSource(painter);
        return;
    }
    if (m_picture.isNull()) {
        m_picture = sourcePixmap(Qt::LogicalCoordinates, &m_offset, QGraphicsEffect::NoPad);
        if (m_picture.isNull())
            return;
        // Children are all that a grid host paints; outside their bounds the
        // picture is transparent.
        const double ratio = m_picture.devicePixelRatio();
        const auto *widget = qobject_cast<const QWidget *>(parent());
        const QRect children = widget ? widget->childrenRect() : QRect();
        if (widget && !widget->autoFillBackground() && !widget->testAttribute(Qt::WA_OpaquePaintEvent)
            && children.isValid()) {
            const QRect logical = children.translated(-m_offset);
            m_content = QRect(QPoint(int(std::floor(logical.left() * ratio)), int(std::floor(logical.top() * ratio))),
                              QPoint(int(std::ceil((logical.right() + 1) * ratio)) - 1,
                                     int(std::ceil((logical.bottom() + 1) * ratio)) - 1))
                            .intersected(m_picture.rect());
        } else {
            m_content = m_picture.rect();
        }
    }
    if (m_content.isEmpty())
        return;
    const QRectF bounds = sourceBoundingRect(Qt::LogicalCoordinates);
    const double ratio = m_picture.devicePixelRatio();
    const QRectF target(QPointF(m_offset) + QPointF(m_content.topLeft()) / ratio, QSizeF(m_content.size()) / ratio);
    painter->save();
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->setWorldTransform(PresentationCurve::centeredScale(bounds, QPointF(0, 0), m_scale), true);
    painter->drawPixmap(target, m_picture, QRectF(m_content));
    painter->restore();
}
