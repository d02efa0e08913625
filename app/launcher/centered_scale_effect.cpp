#include "centered_scale_effect.h"

#include "presentation_curve.h"

#include "tiles/painted_bounds.h"

#include <QPainter>
#include <QRegion>
#include <QWidget>

#include <cmath>

CenteredScaleEffect::CenteredScaleEffect(QObject *parent) : QGraphicsEffect(parent) {}

void CenteredScaleEffect::setScale(double scale)
{
    const double value = std::isfinite(scale) && scale > 0 ? scale : 1.0;
    if (value == m_scale)
        return;
    auto *widget = qobject_cast<QWidget *>(parent());
    if (m_picture.isNull() || !widget || value == 1 || m_scale == 1) {
        m_scale = value;
        update();
        return;
    }
    // Only where the picture's parts were and will be changes: the rest of
    // the screen (most of it, between and around the tiles) is left as it is.
    QRegion changed = paintedRegion();
    m_scale = value;
    changed += paintedRegion();
    widget->update(changed);
}

QRegion CenteredScaleEffect::paintedRegion() const
{
    const QTransform transform =
        PresentationCurve::centeredScale(sourceBoundingRect(Qt::LogicalCoordinates), QPointF(0, 0), m_scale);
    const double ratio = m_picture.devicePixelRatio();
    QRegion region;
    for (const QRect &part : m_parts) {
        const QRectF logical(QPointF(m_offset) + QPointF(part.topLeft()) / ratio, QSizeF(part.size()) / ratio);
        // Grown by a pixel for the smooth scaling's edge.
        region += transform.mapRect(logical).toAlignedRect().adjusted(-1, -1, 1, 1);
    }
    return region;
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
        m_parts.clear();
        const double ratio = m_picture.devicePixelRatio();
        const auto *widget = qobject_cast<const QWidget *>(parent());
        auto toPixels = [&](const QRect &logical) {
            const QRect local = logical.translated(-m_offset);
            return QRect(QPoint(int(std::floor(local.left() * ratio)), int(std::floor(local.top() * ratio))),
                         QPoint(int(std::ceil((local.right() + 1) * ratio)) - 1,
                                int(std::ceil((local.bottom() + 1) * ratio)) - 1))
                .intersected(m_picture.rect());
        };
        // Children are all that a host without a background of its own
        // paints; around and between them the picture is transparent.
        if (widget && !widget->autoFillBackground() && !widget->testAttribute(Qt::WA_OpaquePaintEvent)) {
            const QImage image = m_picture.toImage();
            if (image.format() == QImage::Format_ARGB32_Premultiplied) {
                const QObjectList children = widget->children();
                for (const QObject *object : children) {
                    const auto *child = qobject_cast<const QWidget *>(object);
                    if (!child || child->isWindow() || !child->isVisible())
                        continue;
                    // One pixel of transparent border keeps the smooth
                    // scaling's edges what they are when the whole is drawn.
                    const QRect painted = PaintedBounds::of(image, toPixels(child->geometry()));
                    if (!painted.isEmpty())
                        m_parts.append(painted.adjusted(-1, -1, 1, 1).intersected(m_picture.rect()));
                }
            } else {
                const QRect children = widget->childrenRect();
                if (children.isValid())
                    m_parts.append(toPixels(children));
            }
        } else {
            m_parts.append(m_picture.rect());
        }
    }
    if (m_parts.isEmpty())
        return;
    const QRectF bounds = sourceBoundingRect(Qt::LogicalCoordinates);
    const double ratio = m_picture.devicePixelRatio();
    painter->save();
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->setWorldTransform(PresentationCurve::centeredScale(bounds, QPointF(0, 0), m_scale), true);
    for (const QRect &part : std::as_const(m_parts)) {
        const QRectF target(QPointF(m_offset) + QPointF(part.topLeft()) / ratio, QSizeF(part.size()) / ratio);
        painter->drawPixmap(target, m_picture, QRectF(part));
    }
    painter->restore();
}

void CenteredScaleEffect::applyTo(QWidget *widget, double scale)
{
    if (!widget)
        return;
    auto *effect = dynamic_cast<CenteredScaleEffect *>(widget->graphicsEffect());
    if (!(scale < 1 - 1e-9)) {
        if (effect)
            widget->setGraphicsEffect(nullptr);
        return;
    }
    if (!effect) {
        effect = new CenteredScaleEffect(widget);
        widget->setGraphicsEffect(effect);
    }
    effect->setScale(scale);
}

double CenteredScaleEffect::scaleOf(const QWidget *widget)
{
    if (!widget)
        return 1;
    const auto *effect = dynamic_cast<const CenteredScaleEffect *>(widget->graphicsEffect());
    return effect ? effect->scale() : 1.0;
}

void CenteredScaleEffect::refreshPictureOf(QWidget *widget)
{
    if (auto *effect = dynamic_cast<CenteredScaleEffect *>(widget ? widget->graphicsEffect() : nullptr))
        effect->refreshPicture();
}
