#include "tiles/drag_image.h"

#include "tiles/gaussian_blur.h"

#include <QPainter>
#include <QBitmap>
#include <QDrag>
#include <QGuiApplication>
#include <QPainterPath>
#include <QRegion>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <cmath>

namespace {

QColor white(double alpha)
{
    return QColor::fromRgbF(1, 1, 1, float(alpha));
}

QImage blankImage(double side, double scale)
{
    const int pixels = std::max(1, int(std::ceil(side * scale)));
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return image;
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    return image;
}

} // namespace

DragImage::Geometry DragImage::Geometry::forIconSide(double iconSide)
{
    Geometry g;
    g.iconSide = 1.18 * iconSide;
    g.margin = 0.3 * iconSide;
    g.side = g.iconSide + 2 * g.margin;
    g.shadowBlur = 0.16 * g.iconSide;
    g.shadowOffset = 0.1 * g.iconSide;
    g.cornerRadius = 0.22 * g.iconSide;
    return g;
}

QImage DragImage::render(const Content &content, double iconSide, double scale)
{
    if (!std::isfinite(iconSide) || iconSide < 0)
        iconSide = 0;
    if (!std::isfinite(scale) || scale <= 0)
        scale = 1;
    const Geometry g = Geometry::forIconSide(iconSide);
    const QRectF icon(g.margin, g.margin, g.iconSide, g.iconSide);
    const bool folder = content.kind == Kind::folder;
    const bool hasImage = content.image && !content.image->isNull();

    // The first layer, the one that casts the shadow: the icon, or the plate.
    QImage layer = blankImage(g.side, scale);
    QImage image = blankImage(g.side, scale);
    if (layer.isNull() || image.isNull())
        return image; // out of memory: no picture
    {
        QPainter painter(&layer);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        if (!folder && hasImage) {
            painter.setOpacity(0.97);
            painter.drawImage(icon, *content.image);
        } else {
            QPainterPath plate;
            plate.addRoundedRect(icon, g.cornerRadius, g.cornerRadius);
            painter.fillPath(plate, white(folder ? 0.24 : 0.3));
        }
    }

    // The shadow: the layer's outline in black, blurred and dropped below it.
    // The blur radius is about two standard deviations of the Gaussian.
    QImage shadow = layer.copy();
    {
        QPainter painter(&shadow);
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(QRectF(0, 0, g.side, g.side), QColor::fromRgbF(0, 0, 0, float(shadowAlpha)));
    }
    shadow = GaussianBlur::apply(shadow, g.shadowBlur / 2 * scale);
    shadow.setDevicePixelRatio(scale);

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QPointF(0, g.shadowOffset), shadow);
    painter.drawImage(QPointF(0, 0), layer);
    if (folder) {
        // The folder's outline and mosaic, as its tile draws them, above the shadow.
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(white(0.34), 1));
        painter.drawRoundedRect(icon.adjusted(0.5, 0.5, -0.5, -0.5), g.cornerRadius, g.cornerRadius);
        if (hasImage) {
            const double inset = 0.05 * g.iconSide;
            painter.drawImage(icon.adjusted(inset, inset, -inset, -inset), *content.image);
        }
    }
    return image;
}

QImage DragImage::forDragWindow(const QImage &image, bool compositing)
{
    if (compositing || image.isNull())
        return image;
    QImage solid = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < solid.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(solid.scanLine(y));
        for (int x = 0; x < solid.width(); ++x)
            line[x] = qAlpha(line[x]) >= 128 ? (line[x] | 0xff000000u) : 0u;
    }
    return solid.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

void DragImage::attach(QDrag &drag, const QImage &image, const QWidget *source)
{
    const QWidget *window = source ? source->window() : nullptr;
    const bool compositing = window && window->testAttribute(Qt::WA_TranslucentBackground);
    const QImage shown = forDragWindow(image, compositing);
    drag.setPixmap(QPixmap::fromImage(shown));
    if (compositing || shown.isNull())
        return;
    // Without a compositing manager Qt fills its drag window with the
    // palette's base colour under the picture and (Qt 6.4) never gives the
    // window the picture's outline, so the clear margin shows as a white
    // square. The window exists once the drag loop runs: outline it then.
    const QSize logical = (QSizeF(shown.size()) / shown.devicePixelRatio()).toSize();
    const QRegion outline(QBitmap::fromImage(shown.createAlphaMask().scaled(logical)));
    QTimer::singleShot(0, &drag, [outline] {
        for (QWindow *candidate : QGuiApplication::topLevelWindows())
            if (candidate->isVisible() && candidate->inherits("QShapedPixmapWindow"))
                candidate->setMask(outline);
    });
}
