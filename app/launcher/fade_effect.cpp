#include "launcher/fade_effect.h"

#include <QBackingStore>
#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QWidget>

namespace {

// Whether Qt takes `widget` to paint every pixel of its rectangle.
bool declaresOpaque(const QWidget &widget)
{
    if (widget.testAttribute(Qt::WA_OpaquePaintEvent))
        return true;
    return widget.autoFillBackground() && widget.palette().brush(widget.backgroundRole()).isOpaque();
}

// Whether `painter` draws on the backing store of `widget`'s window, where
// the host painted its colour right before the view.
bool drawsOnWindow(const QWidget &widget, const QPainter &painter)
{
    QBackingStore *store = widget.window()->backingStore();
    return store != nullptr && painter.device() == store->paintDevice();
}

// Whether the pixels `painter` draws keep their alpha.
bool keepsAlpha(const QPainter &painter)
{
    const QPaintDevice *device = painter.device();
    return device != nullptr && device->devType() == QInternal::Image
        && static_cast<const QImage *>(device)->hasAlphaChannel();
}

} // namespace

FadeEffect::FadeEffect(QObject *parent) : QGraphicsOpacityEffect(parent)
{
    connect(this, &QGraphicsOpacityEffect::opacityChanged, this, &FadeEffect::repaintView);
}

bool FadeEffect::picturesOpaquely(const QWidget &widget)
{
    const QRect whole = widget.rect();
    const QObjectList &children = widget.children();
    for (const QObject *object : children) {
        const auto *child = qobject_cast<const QWidget *>(object);
        if (!child || child->isWindow() || !child->isVisible() || child->graphicsEffect())
            continue;
        if (child->testAttribute(Qt::WA_OpaquePaintEvent) && child->geometry().contains(whole))
            return true;
    }
    return false;
}

void FadeEffect::repaintView()
{
    auto *widget = qobject_cast<QWidget *>(parent());
    if (!widget)
        return;
    // Qt repaints an effect's widget through the widget itself, less what its
    // opaque children cover: under a backdrop that covers all of it, a change
    // of opacity alone would repaint nothing at all. The opaque children
    // repaint too, which draws the view, this effect and all, over them.
    widget->update();
    const QList<QWidget *> descendants = widget->findChildren<QWidget *>();
    for (QWidget *descendant : descendants) {
        if (!descendant->isWindow() && descendant->isVisible() && declaresOpaque(*descendant))
            descendant->update();
    }
}

void FadeEffect::sourceChanged(ChangeFlags flags)
{
    QGraphicsOpacityEffect::sourceChanged(flags);
    if (flags & SourceAttached)
        repaintView();
}

std::optional<QColor> FadeEffect::inPlaceUnderlay(const QPainter &painter) const
{
    const auto *widget = qobject_cast<const QWidget *>(parent());
    if (!widget || !m_underlay || opacityMask().style() != Qt::NoBrush
        || painter.worldTransform().type() > QTransform::TxTranslate || painter.opacity() < 1
        || painter.compositionMode() != QPainter::CompositionMode_SourceOver)
        return std::nullopt;
    const std::optional<QColor> underlay = m_underlay();
    if (!underlay || !underlay->isValid() || !drawsOnWindow(*widget, painter) || !picturesOpaquely(*widget))
        return std::nullopt;
    // A colour with alpha under the view shows only on a device that keeps it.
    if (underlay->alpha() < 255 && !keepsAlpha(painter))
        return std::nullopt;
    return underlay;
}

void FadeEffect::draw(QPainter *painter)
{
    m_drewInPlace = false;
    const double alpha = opacity();
    const std::optional<QColor> underlay = qFuzzyIsNull(alpha - 1) ? std::nullopt : inPlaceUnderlay(*painter);
    if (!underlay) {
        QGraphicsOpacityEffect::draw(painter);
        return;
    }
    const QRect whole = qobject_cast<const QWidget *>(parent())->rect();
    if (qFuzzyIsNull(alpha)) {
        // Nothing of the view: the colour under it alone.
        painter->save();
        painter->setCompositionMode(QPainter::CompositionMode_Source);
        painter->fillRect(whole, *underlay);
        painter->restore();
        m_drewInPlace = true;
        return;
    }

    // A child with an effect of its own (the grid under the show's scale)
    // opens a painter on the device itself, which takes one at a time: this
    // one steps aside while the view is drawn, and comes back with the same
    // clip and place.
    QPaintDevice *device = painter->device();
    QPaintEngine *engine = painter->paintEngine();
    const QRegion clip = engine->systemClip();
    const QTransform place = painter->worldTransform();
    painter->end();
    drawSource(painter);
    engine->setSystemClip(clip);
    if (!painter->begin(device))
        return;
    painter->setWorldTransform(place);

    // The weight the raster engine gives a picture drawn at this opacity (its
    // opacity in 1/256ths, scaled to 255), so that the pixels come out as the
    // opacity effect's would.
    const int kept = (int(alpha * 256) * 255) >> 8;
    const QRgb under = qPremultiply(underlay->rgba());
    const int underAlpha = qAlpha(under);
    painter->save();
    if (underAlpha == 255) {
        // Over an opaque colour: the colour at the weight the view gives up,
        // laid over the view.
        painter->fillRect(whole, QColor(qRed(under), qGreen(under), qBlue(under), 255 - kept));
    } else {
        painter->setCompositionMode(QPainter::CompositionMode_DestinationIn);
        painter->fillRect(whole, QColor(0, 0, 0, kept));
        if (underAlpha > 0) {
            // What is left of the colour under the view, added.
            const auto weigh = [kept](int channel) { return (channel * (255 - kept) + 127) / 255; };
            const QRgb left = qRgba(weigh(qRed(under)), weigh(qGreen(under)), weigh(qBlue(under)), weigh(underAlpha));
            painter->setCompositionMode(QPainter::CompositionMode_Plus);
            painter->fillRect(whole, QColor::fromRgba(qUnpremultiply(left)));
        }
    }
    painter->restore();
    m_drewInPlace = true;
}
