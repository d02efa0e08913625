#include "centered_scale_effect.h"

#include "picture_reserve.h"
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
        const QRectF logical(QPointF(part.topLeft()) / ratio, QSizeF(part.size()) / ratio);
        // Grown by a pixel for the smooth scaling's edge.
        region += transform.mapRect(logical).toAlignedRect().adjusted(-1, -1, 1, 1);
    }
    return region;
}

void CenteredScaleEffect::refreshPicture()
{
    if (m_picture.isNull() || m_stale)
        return;
    m_stale = true;
    update();
}

void CenteredScaleEffect::renderPicture(const QPainter &painter)
{
    auto *widget = qobject_cast<QWidget *>(parent());
    if (!widget)
        return;
    const double ratio = painter.device() ? painter.device()->devicePixelRatio() : 1.0;
    const QSize pixels = widget->size() * ratio;
    if (pixels.isEmpty())
        return;
    m_stale = false;
    if (m_picture.size() == pixels) {
        // Rendered again in the memory it has: a new buffer's first writes
        // cost more than the rendering.
        m_picture.fill(Qt::transparent);
    } else {
        m_picture = m_reserve ? m_reserve->take(pixels) : QImage();
        m_reserve.reset();
        if (m_picture.isNull()) {
            m_picture = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
            if (m_picture.isNull())
                return; // out of memory: nothing drawn this frame
            m_picture.fill(Qt::transparent);
        }
    }
    m_picture.setDevicePixelRatio(ratio);
    // Inside draw() the widget paints itself as it does without the effect.
    widget->render(&m_picture, QPoint(), QRegion(), QWidget::DrawChildren);

    m_parts.clear();
    auto toPixels = [&](const QRect &logical) {
        return QRect(QPoint(int(std::floor(logical.left() * ratio)), int(std::floor(logical.top() * ratio))),
                     QPoint(int(std::ceil((logical.right() + 1) * ratio)) - 1,
                            int(std::ceil((logical.bottom() + 1) * ratio)) - 1))
            .intersected(m_picture.rect());
    };
    // Children are all that a host without a background of its own
    // paints; around and between them the picture is transparent.
    if (!widget->autoFillBackground() && !widget->testAttribute(Qt::WA_OpaquePaintEvent)) {
        const QObjectList children = widget->children();
        for (const QObject *object : children) {
            const auto *child = qobject_cast<const QWidget *>(object);
            if (!child || child->isWindow() || !child->isVisible())
                continue;
            // One pixel of transparent border keeps the smooth
            // scaling's edges what they are when the whole is drawn.
            const QRect painted = PaintedBounds::of(m_picture, toPixels(child->geometry()));
            if (!painted.isEmpty())
                m_parts.append(painted.adjusted(-1, -1, 1, 1).intersected(m_picture.rect()));
        }
    } else {
        m_parts.append(m_picture.rect());
    }
}

void CenteredScaleEffect::draw(QPainter *painter)
{
    if (m_scale == 1) {
        drawSource(painter);
        return;
    }
    if (m_picture.isNull() || m_stale)
        renderPicture(*painter);
    if (m_picture.isNull() || m_parts.isEmpty())
        return;
    const QRectF bounds = sourceBoundingRect(Qt::LogicalCoordinates);
    const double ratio = m_picture.devicePixelRatio();
    painter->save();
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->setWorldTransform(PresentationCurve::centeredScale(bounds, QPointF(0, 0), m_scale), true);
    for (const QRect &part : std::as_const(m_parts)) {
        const QRectF target(QPointF(part.topLeft()) / ratio, QSizeF(part.size()) / ratio);
        painter->drawImage(target, m_picture, QRectF(part));
    }
    painter->restore();
}

void CenteredScaleEffect::applyTo(QWidget *widget, double scale, std::shared_ptr<PictureReserve> reserve)
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
        effect->useReserve(std::move(reserve));
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
