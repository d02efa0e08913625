#include "tiles/app_tile.h"

#include "tiles/affine_sampler.h"
#include "tiles/painted_bounds.h"
#include "tiles/wallpaper_backdrop.h"

#include <QCache>
#include <QEvent>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QHash>
#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace {

QColor white(double alpha)
{
    return QColor::fromRgbF(1, 1, 1, alpha);
}

QColor black(double alpha)
{
    return QColor::fromRgbF(0, 0, 0, alpha);
}

QColor grey(double level, double alpha)
{
    return QColor::fromRgbF(level, level, level, alpha);
}

constexpr double kDimmedAlpha = 0.42;
constexpr double kSelectedPlateAlpha = 0.12;
constexpr double kLabelFontSize = 12.5;
// Shadows: a blur radius of 3 points, i.e. a Gaussian of half that deviation.
constexpr double kShadowBlur = 3;
constexpr double kLabelShadowAlpha = 0.65;
// Label shadow 1 point below the text, badge shadow 1 point above the disc.
constexpr double kLabelShadowDy = 1;
constexpr double kBadgeShadowDy = -1;
constexpr double kBadgeShadowAlpha = 0.38;
// Room around a label or a disc for its blurred shadow.
constexpr double kShadowPad = 6;
// Rows of a transformed tile drawn at once (see AppTile::paintEvent).
constexpr int kLayerBandRows = 64;
// No raster for a label or a shadow grows beyond this many pixels a side.
constexpr int kMaximumRasterSide = 8192;

double finiteOr(double value, double fallback)
{
    return std::isfinite(value) ? value : fallback;
}

// Gaussian blur of an alpha mask (row-major, w x h), zero outside.
void blurAlpha(std::vector<float> &alpha, int width, int height, double sigma)
{
    if (sigma < 0.2 || width <= 0 || height <= 0)
        return;
    const int radius = static_cast<int>(std::ceil(3 * sigma));
    std::vector<float> kernel(2 * radius + 1);
    float sum = 0;
    for (int i = -radius; i <= radius; ++i) {
        kernel[i + radius] = static_cast<float>(std::exp(-(i * i) / (2 * sigma * sigma)));
        sum += kernel[i + radius];
    }
    for (float &k : kernel)
        k /= sum;

    std::vector<float> pass(alpha.size());
    for (int y = 0; y < height; ++y) {
        const float *row = alpha.data() + static_cast<size_t>(y) * width;
        float *out = pass.data() + static_cast<size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            float value = 0;
            const int from = std::max(-radius, -x);
            const int to = std::min(radius, width - 1 - x);
            for (int i = from; i <= to; ++i)
                value += kernel[i + radius] * row[x + i];
            out[x] = value;
        }
    }
    for (int y = 0; y < height; ++y) {
        const int from = std::max(-radius, -y);
        const int to = std::min(radius, height - 1 - y);
        float *out = alpha.data() + static_cast<size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            float value = 0;
            for (int i = from; i <= to; ++i)
                value += kernel[i + radius] * pass[static_cast<size_t>(y + i) * width + x];
            out[x] = value;
        }
    }
}

// The alpha channel of a premultiplied ARGB image as floats 0..1.
std::vector<float> alphaOf(const QImage &image)
{
    std::vector<float> alpha(static_cast<size_t>(image.width()) * image.height());
    for (int y = 0; y < image.height(); ++y) {
        const QRgb *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            alpha[static_cast<size_t>(y) * image.width() + x] = qAlpha(row[x]) / 255.0f;
    }
    return alpha;
}

// A premultiplied black image whose alpha is `alpha` times `opacity`.
void fillShadow(QImage &image, const std::vector<float> &alpha, double opacity)
{
    for (int y = 0; y < image.height(); ++y) {
        QRgb *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const float a = std::clamp(alpha[static_cast<size_t>(y) * image.width() + x], 0.0f, 1.0f);
            row[x] = qRgba(0, 0, 0, static_cast<int>(std::lround(a * opacity * 255)));
        }
    }
}

// The pixels a painter draws on, where it lays a premultiplied picture
// straight onto them: the raster engine on an image of a format
// AffineSampler::drawOver() blends onto, at full opacity, source over, and
// clipped to nothing but the region it was begun for (the paint event's,
// in device pixels). A view of the image's own memory, not a copy.
struct DevicePixels
{
    QImage pixels;
    QRegion clip;
};

std::optional<DevicePixels> devicePixels(QPainter &painter)
{
    QPaintEngine *engine = painter.paintEngine();
    if (!engine || engine->type() != QPaintEngine::Raster || painter.hasClipping() || painter.opacity() != 1.0
        || painter.compositionMode() != QPainter::CompositionMode_SourceOver)
        return std::nullopt;
    const QPaintDevice *device = engine->paintDevice();
    if (!device || device->devType() != QInternal::Image)
        return std::nullopt;
    const QImage &image = *static_cast<const QImage *>(device);
    if (image.format() != QImage::Format_ARGB32_Premultiplied && image.format() != QImage::Format_RGB32)
        return std::nullopt;
    // A paint without such a region (a painter begun on the image by hand)
    // may be clipped in ways this cannot see.
    const QRegion clip = engine->systemClip() & image.rect();
    if (clip.isEmpty())
        return std::nullopt;
    // The engine draws on this memory; bits() could detach a shared image
    // and leave the drawing on a copy.
    QImage pixels(const_cast<uchar *>(image.constBits()), image.width(), image.height(), image.bytesPerLine(),
                  image.format());
    return DevicePixels{pixels, clip};
}

QSize rasterSize(const QSizeF &logical, double scale)
{
    const auto side = [scale](double v) {
        const double pixels = std::ceil(finiteOr(v, 0) * scale);
        return static_cast<int>(std::clamp(pixels, 1.0, static_cast<double>(kMaximumRasterSide)));
    };
    return QSize(side(logical.width()), side(logical.height()));
}

// The blurred shadow of a disc of `diameter` points, padded by kShadowPad on
// every side. Shared by all tiles (main thread only): edit mode repaints every
// badge on every wobble frame.
const QImage &discShadow(double diameter, double scale)
{
    static QHash<QPair<int, int>, QImage> cache;
    const QPair<int, int> key(static_cast<int>(std::lround(diameter * scale * 4)),
                              static_cast<int>(std::lround(scale * 100)));
    auto found = cache.constFind(key);
    if (found != cache.constEnd())
        return *found;
    if (cache.size() >= 16)
        cache.clear();

    const double side = diameter + 2 * kShadowPad;
    QImage mask(rasterSize(QSizeF(side, side), scale), QImage::Format_ARGB32_Premultiplied);
    mask.setDevicePixelRatio(scale);
    mask.fill(Qt::transparent);
    {
        QPainter painter(&mask);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::black);
        painter.drawEllipse(QRectF(kShadowPad, kShadowPad, diameter, diameter));
    }
    std::vector<float> alpha = alphaOf(mask);
    blurAlpha(alpha, mask.width(), mask.height(), kShadowBlur / 2 * scale);
    fillShadow(mask, alpha, kBadgeShadowAlpha);
    return *cache.insert(key, mask);
}

QString singleLine(QString text)
{
    for (QChar &c : text) {
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QLatin1Char('\t') || c == QChar::LineSeparator
            || c == QChar::ParagraphSeparator)
            c = QLatin1Char(' ');
    }
    return text;
}

bool sameImage(const std::optional<QImage> &a, const std::optional<QImage> &b)
{
    if (a.has_value() != b.has_value())
        return false;
    return !a || a->cacheKey() == b->cacheKey();
}

// A null image is no image: the tile then shows its placeholder.
std::optional<QImage> normalized(const std::optional<QImage> &image)
{
    if (image && image->isNull())
        return std::nullopt;
    return image;
}

// The plate a tile shows until its icon arrives, drawn once per size and
// scale for all tiles (main thread only): a page of tiles without icons
// would otherwise fill 35 anti-aliased rounded rectangles on every paint.
const QImage &placeholderPlate(const QSizeF &size, double radius, double scale)
{
    static QHash<QString, QImage> plates;
    const QString key = QStringLiteral("%1:%2:%3:%4").arg(size.width()).arg(size.height()).arg(radius).arg(scale);
    if (const auto found = plates.constFind(key); found != plates.constEnd())
        return *found;
    if (plates.size() >= 16)
        plates.clear(); // sizes come from a handful of grids
    QImage image(rasterSize(size, scale), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(white(0.16));
    painter.drawRoundedRect(QRectF(QPointF(0, 0), size), radius, radius);
    painter.end();
    return *plates.insert(key, image);
}

// Rasters kept for all tiles, by count: a few pages' worth (the grid keeps
// the icons of the pages next to the current one decoded, 35 tiles a page),
// so that memory follows what is shown, not how many applications there are.
constexpr int kSharedRasters = 160;

// Icons as rasterized for any tile, by source image, pixel side and scale
// (main thread only): a rebuild makes new tiles for the same icons, and
// smooth scaling is most of their first paint.
using RasterKey = QPair<qint64, QPair<int, int>>;
QCache<RasterKey, QImage> &sharedIconRasters()
{
    static QCache<RasterKey, QImage> cache(kSharedRasters); // cost 1 per raster
    return cache;
}

RasterKey rasterKey(const QImage &image, int pixels, double scale)
{
    return RasterKey(image.cacheKey(), QPair<int, int>(pixels, int(std::lround(scale * 1000))));
}

// The label's text with its blurred shadow, for `textRect` inside an area
// padded by kShadowPad. The image covers only the part of that area the text
// and its shadow can reach, half of it or less for most titles: one line of
// text centred in a rectangle the tile's width and two lines high. Its
// offset() is where it starts in that padded area, in device pixels. Kept in
// one cache for all tiles (main thread only): a rebuild makes new tiles with
// the same titles, and blurring is the costly part of a first paint.
QImage labelImage(const QString &title, const QRectF &textRect, double scale, bool dimmed)
{
    static QCache<QString, QImage> cache(kSharedRasters); // cost 1 per label
    const QFont font = AppTile::labelFont();
    const QString key = QStringLiteral("%1|%2|%3|%4|%5|%6|%7|%8")
                            .arg(textRect.x())
                            .arg(textRect.y())
                            .arg(textRect.width())
                            .arg(textRect.height())
                            .arg(scale)
                            .arg(dimmed)
                            .arg(font.key(), title);
    if (const QImage *cached = cache.object(key))
        return *cached;

    const QFontMetricsF metrics(font);
    const QString text = metrics.elidedText(singleLine(title), Qt::ElideRight, textRect.width());
    const QSizeF logical(textRect.width() + 2 * kShadowPad, textRect.height() + 2 * kShadowPad);
    const QSize full = rasterSize(logical, scale);
    // The line is centred on its advance; glyphs may reach a little past it
    // (overhangs, bearings), so a point more on each side before the pad.
    const double advance = std::min(metrics.horizontalAdvance(text), textRect.width());
    const double left = textRect.center().x() - advance / 2 - kShadowPad - 1;
    const double right = textRect.center().x() + advance / 2 + kShadowPad + 1;
    const double bottom = textRect.top() + metrics.height() + kLabelShadowDy + kShadowPad;
    const int x0 = std::clamp(static_cast<int>(std::floor(finiteOr(left, 0) * scale)), 0, full.width() - 1);
    const int x1 = std::clamp(static_cast<int>(std::ceil(finiteOr(right, 0) * scale)), x0 + 1, full.width());
    const int y1 = std::clamp(static_cast<int>(std::ceil(finiteOr(bottom, 0) * scale)), 1, full.height());
    const QPointF shift(-x0 / scale, 0);
    const int flags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine;
    QImage image(x1 - x0, y1, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return image;
    image.setDevicePixelRatio(scale);
    image.setOffset(QPoint(x0, 0));
    image.fill(Qt::transparent);
    {
        QPainter mask(&image);
        mask.setFont(font);
        mask.setPen(Qt::black);
        mask.drawText(textRect.translated(shift + QPointF(0, kLabelShadowDy)), flags, text);
    }
    std::vector<float> alpha = alphaOf(image);
    blurAlpha(alpha, image.width(), image.height(), kShadowBlur / 2 * scale);
    fillShadow(image, alpha, kLabelShadowAlpha);
    {
        QPainter glyphs(&image);
        glyphs.setFont(font);
        glyphs.setPen(white(dimmed ? 0.8 : 0.98));
        glyphs.drawText(textRect.translated(shift), flags, text);
    }
    cache.insert(key, new QImage(image));
    return image;
}

} // namespace

AppTile::AppTile(const QRectF &frame, LayoutEntry entry, QString title, QWidget *parent)
    : QWidget(parent), m_entry(std::move(entry))
{
    m_state.title = std::move(title);
    // The launcher view hit-tests tiles itself and receives drops on the grid.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setFrame(frame);
}

AppTile::~AppTile() = default;

QRectF AppTile::frame() const
{
    return QRectF(QPointF(pos()) + m_paintOffset - QPointF(m_slide, 0), m_size);
}

void AppTile::setFrame(const QRectF &frame)
{
    // Keep the geometry representable: no NaN, nothing beyond a million points.
    const auto clean = [](double v) { return std::clamp(finiteOr(v, 0), -1e6, 1e6); };
    const QRectF rect(clean(frame.x()), clean(frame.y()), std::max(0.0, clean(frame.width())),
                      std::max(0.0, clean(frame.height())));
    place(rect.translated(m_slide, 0));
}

void AppTile::setSlide(double x)
{
    if (!std::isfinite(x) || x == m_slide)
        return;
    const QRectF rest = frame();
    m_slide = x;
    place(rest.translated(x, 0));
}

void AppTile::place(const QRectF &rect)
{
    const QRect outer = rect.toAlignedRect().adjusted(-paintMargin, -paintMargin, paintMargin, paintMargin);
    if (rect.size() != m_size)
        contentChanged();
    m_size = rect.size();
    m_paintOffset = rect.topLeft() - QPointF(outer.topLeft());
    // Qt moves an opaque widget by copying its pixels, and with them the
    // backdrop of the place it left: moved as a see-through one, it is
    // painted afresh over the backdrop of its new place.
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    setGeometry(outer);
    updateUnderlaying();
    update();
}

void AppTile::setUnderlay(WallpaperBackdrop *backdrop)
{
    if (backdrop == m_underlay)
        return;
    m_underlay = backdrop;
    updateUnderlaying();
    update();
}

bool AppTile::underEffect() const
{
    for (const QWidget *widget = parentWidget(); widget; widget = widget->parentWidget()) {
        if (widget->graphicsEffect())
            return true;
    }
    return false;
}

void AppTile::updateUnderlaying()
{
    // Under a graphics effect the tile is painted into the effect's own
    // picture, which the backdrop is not part of.
    bool underlays = m_underlay && !m_underlay->isHidden() && !m_layerTransform.isIdentity() && !underEffect();
    // A widget beside the tile that reaches into its rectangle may show
    // there, under the tile or over it: Qt would leave out what it paints
    // under an opaque tile.
    if (const QWidget *parent = parentWidget(); underlays && parent) {
        const QRect mine = geometry();
        for (const QObject *child : parent->children()) {
            const auto *widget = qobject_cast<const QWidget *>(child);
            if (widget && widget != this && !widget->isHidden() && !widget->isWindow()
                && widget->geometry().intersects(mine)) {
                underlays = false;
                break;
            }
        }
    }
    if (underlays != testAttribute(Qt::WA_OpaquePaintEvent))
        setAttribute(Qt::WA_OpaquePaintEvent, underlays);
}

QRectF AppTile::bounds() const
{
    return QRectF(QPointF(0, 0), m_size);
}

void AppTile::setState(const TileState &state)
{
    TileState next = state;
    next.icon = normalized(state.icon);
    next.folderPreview = normalized(state.folderPreview);
    next.mergePreviewIcon = normalized(state.mergePreviewIcon);
    if (!sameImage(next.icon, m_state.icon))
        invalidateRenderedIcons();
    // Drawn differently at the next paint.
    const bool content = next.title != m_state.title || next.iconSide != m_state.iconSide
                         || next.showLabel != m_state.showLabel || next.folderPreview.has_value()
                         || m_state.folderPreview.has_value();
    // What editing shows: drawn again now.
    const bool redraw = next.selected != m_state.selected || next.mergeTarget != m_state.mergeTarget
                        || next.dimmed != m_state.dimmed || next.dragging != m_state.dragging
                        || !sameImage(next.mergePreviewIcon, m_state.mergePreviewIcon)
                        || next.showsDeleteBadge != m_state.showsDeleteBadge
                        || next.deleteBadgePressed != m_state.deleteBadgePressed
                        || next.badgePlacement != m_state.badgePlacement;
    m_state = std::move(next);
    if (content)
        contentChanged();
    redrawIf(redraw);
}

void AppTile::redrawIf(bool changed)
{
    if (!changed)
        return;
    contentChanged();
    update();
}

void AppTile::setLayerTransform(const QTransform &transform)
{
    if (transform == m_layerTransform)
        return;
    // Only where the drawn picture was and will be: the rest of the cell is
    // empty, and everything under a repainted part (the backdrop) is
    // painted again with it. One rectangle around both, not their union: a
    // pose differs from the last by a fraction of a degree, so it adds only
    // slivers, and a paint clipped to a plain rectangle lets the raster
    // engine blend the picture straight onto the rows, where a clip of
    // several rectangles sends every draw span by span through its generic
    // path.
    const QRect before = layerPaintRect();
    m_layerTransform = transform;
    if (transform.isIdentity())
        contentChanged(); // back to direct drawing: free the picture
    updateUnderlaying();
    const QRect after = layerPaintRect();
    if (before.isEmpty() || after.isEmpty())
        update();
    else
        update(before | after);
}

QTransform AppTile::layerPaintTransform() const
{
    // As paintEvent sets up its painter.
    const QPointF center = bounds().center();
    QTransform transform;
    transform.translate(m_paintOffset.x(), m_paintOffset.y());
    transform.translate(center.x(), center.y());
    transform = m_layerTransform * transform;
    transform.translate(-center.x(), -center.y());
    return transform;
}

QRect AppTile::layerPaintRect() const
{
    if (m_layerTransform.isIdentity() || m_composite.isNull())
        return {};
    const QRectF drawn(m_compositeOrigin, m_composite.deviceIndependentSize());
    // A pixel more for the filtering's edge and the rounding.
    return layerPaintTransform().mapRect(drawn).toAlignedRect().adjusted(-1, -1, 1, 1).intersected(rect());
}

double AppTile::renderScale() const
{
    const QWidget *top = window();
    if (const QWindow *handle = top ? top->windowHandle() : nullptr)
        return TileGeometry::sanitizedScale(handle->devicePixelRatio());
    return TileGeometry::scaleWithoutWindow;
}

TileGeometry AppTile::tileGeometry() const
{
    return TileGeometry(bounds(), m_state.iconSide, m_state.showLabel);
}

EditModeBadge AppTile::deleteBadge() const
{
    return tileGeometry().deleteBadge(m_state.badgePlacement);
}

QFont AppTile::labelFont()
{
    QFont font = QGuiApplication::font();
    // Logical pixels, as every size of the layout.
    font.setPixelSize(int(std::lround(kLabelFontSize)));
    font.setWeight(QFont::Medium);
    return font;
}

void AppTile::invalidateRenderedIcons()
{
    m_rasterizedIcons.clear();
    contentChanged();
}

QImage AppTile::rasterized(const QImage &image, double side)
{
    if (image.isNull())
        return image;
    const double scale = renderScale();
    const int pixels = TileGeometry::devicePixelSide(side, scale);
    const bool own = m_state.icon && m_state.icon->cacheKey() == image.cacheKey();
    if (own) {
        const auto found = m_rasterizedIcons.constFind(pixels);
        if (found != m_rasterizedIcons.constEnd())
            return *found;
        // A fifth size starts the cache afresh rather than evicting one entry.
        if (m_rasterizedIcons.size() >= maximumRasterizedSizes)
            m_rasterizedIcons.clear();
        if (const QImage *shared = sharedIconRasters().object(rasterKey(image, pixels, scale))) {
            m_rasterizedIcons.insert(pixels, *shared);
            return *shared;
        }
    }

    QImage source = image;
    if (source.format() != QImage::Format_ARGB32_Premultiplied)
        source = source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage result = source.width() == pixels && source.height() == pixels
                        ? source
                        : source.scaled(pixels, pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (result.isNull())
        return image; // out of memory: draw the source itself, cache nothing
    result.setDevicePixelRatio(scale);
    if (own) {
        m_rasterizedIcons.insert(pixels, result);
        sharedIconRasters().insert(rasterKey(image, pixels, scale), new QImage(result));
    }
    return result;
}

void AppTile::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    if (!painter.isActive())
        return;
    if (m_layerTransform.isIdentity()) {
        painter.translate(m_paintOffset);
        drawContents(painter);
    } else {
        // Told Qt that it paints its whole rectangle: what lies under the
        // tile first, all of the region, also where the picture no longer is.
        if (m_underlay && testAttribute(Qt::WA_OpaquePaintEvent) && !underEffect())
            m_underlay->paintUnder(painter, *this, event->region());
        // Qt's raster engine hands a draw of more than about a hundred rows
        // to its thread pool and waits for it; for a tile, waking the threads
        // costs more than the drawing, on every frame of a wobble. Drawn in
        // bands of fewer rows it stays on this thread, with the same pixels:
        // only the clip cuts the bands, the picture is sampled as a whole.
        QRect area = event->rect();
        if (const QRect drawn = layerPaintRect(); !drawn.isEmpty())
            area &= drawn;
        if (!drawLayerSampled(painter, area)) {
            for (int top = area.top(); top <= area.bottom(); top += kLayerBandRows) {
                painter.save();
                painter.setClipRect(
                    QRect(area.left(), top, area.width(), std::min(kLayerBandRows, area.bottom() + 1 - top)),
                    Qt::IntersectClip);
                painter.setTransform(layerPaintTransform(), true);
                drawComposite(painter);
                painter.restore();
            }
        }
    }
    painter.end();
    m_painted = true;
    m_paintedImage = m_paintedImage || m_state.icon || m_state.folderPreview;
    if (onPainted)
        onPainted();
}

bool AppTile::buildComposite()
{
    const double scale = renderScale();
    if (!m_composite.isNull() && m_composite.devicePixelRatio() == scale)
        return true;
    const QSizeF logical = m_size + QSizeF(2 * paintMargin, 2 * paintMargin);
    QImage whole(rasterSize(logical, scale), QImage::Format_ARGB32_Premultiplied);
    if (whole.isNull())
        return false;
    whole.setDevicePixelRatio(scale);
    whole.fill(Qt::transparent);
    {
        QPainter content(&whole);
        content.translate(paintMargin, paintMargin);
        drawContents(content);
    }
    // Most of a cell is empty around the icon and the name: only the
    // painted part is kept, with a pixel of transparent border so that
    // the filtered edges come out as they do from the whole cell. Each
    // frame of a wobble filters this part alone.
    QRect painted = PaintedBounds::of(whole, whole.rect());
    if (painted.isEmpty())
        painted = QRect(0, 0, 1, 1);
    painted = painted.adjusted(-1, -1, 1, 1).intersected(whole.rect());
    m_composite = whole.copy(painted);
    m_composite.setDevicePixelRatio(scale);
    m_sampledComposite = AffineSampler::Picture(m_composite);
    m_compositeOrigin = QPointF(painted.topLeft()) / scale - QPointF(paintMargin, paintMargin);
    return true;
}

void AppTile::drawComposite(QPainter &painter)
{
    if (!buildComposite()) {
        drawContents(painter); // out of memory: draw directly
        return;
    }
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(m_compositeOrigin, m_composite);
    painter.restore();
}

bool AppTile::drawLayerSampled(QPainter &painter, const QRect &area)
{
    // Only where the painter maps the widget onto device pixels by a scale
    // and a shift, as a window or an image does.
    const QTransform device = painter.deviceTransform();
    if (device.type() > QTransform::TxScale || area.isEmpty() || !buildComposite())
        return false;
    const double scale = m_composite.devicePixelRatio();
    const QTransform pictureToDevice = QTransform::fromScale(1 / scale, 1 / scale)
                                       * QTransform::fromTranslate(m_compositeOrigin.x(), m_compositeOrigin.y())
                                       * layerPaintTransform() * device;
    // Unturned, QPainter draws the picture as it is at the nearest pixel,
    // which costs little.
    if (pictureToDevice.type() < QTransform::TxRotate)
        return false;
    const QRect target = device.mapRect(QRectF(area)).toAlignedRect()
                         & pictureToDevice.mapRect(QRectF(m_composite.rect())).toAlignedRect().adjusted(-1, -1, 1, 1);
    if (target.isEmpty())
        return true;
    const QTransform pictureToTarget = pictureToDevice * QTransform::fromTranslate(-target.left(), -target.top());

    // Straight onto the device's pixels where nothing stands between them
    // and the painter: the same pixels as the blend below gives, without a
    // buffer written and read again and the engine's setting up of a draw.
    if (std::optional<DevicePixels> device = devicePixels(painter)) {
        const QRegion clip = device->clip & target;
        bool drawn = true;
        for (const QRect &rect : clip)
            drawn = drawn && AffineSampler::drawOver(m_sampledComposite, pictureToTarget, device->pixels, target, rect);
        if (drawn)
            return true;
    }

    // One buffer for every tile: tiles paint one after another on this thread.
    static std::vector<quint32> buffer;
    const size_t pixels = size_t(target.width()) * size_t(target.height());
    if (buffer.size() < pixels)
        buffer.resize(pixels);
    const qsizetype stride = qsizetype(target.width()) * 4;
    QImage sampled(reinterpret_cast<uchar *>(buffer.data()), target.width(), target.height(), stride,
                   QImage::Format_ARGB32_Premultiplied);
    if (!AffineSampler::draw(m_sampledComposite, pictureToTarget, sampled))
        return false;

    // Blended 1:1 onto the device pixels it was sampled for, by the raster
    // engine's own blend of one premultiplied image onto another (no
    // conversion, no copy: each band is a view of the buffer). Where the
    // paint's clip is not a plain rectangle, the engine takes a draw of more
    // than about a hundred rows span by span through its thread pool and
    // waits for it; for a tile, waking the threads costs more than the
    // drawing, so the picture goes in bands of fewer rows.
    const QTransform world = painter.worldTransform();
    const QTransform deviceOverWorld = world.inverted() * device;
    painter.setWorldTransform(deviceOverWorld.inverted());
    const uchar *bits = reinterpret_cast<const uchar *>(buffer.data());
    for (int top = 0; top < target.height(); top += kLayerBandRows) {
        const int rows = std::min(kLayerBandRows, target.height() - top);
        const QImage band(bits + top * stride, target.width(), rows, stride, QImage::Format_ARGB32_Premultiplied);
        painter.drawImage(QPointF(target.left(), target.top() + top), band);
    }
    painter.setWorldTransform(world);
    return true;
}

bool AppTile::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::ParentChange:
        // Other widgets beside it.
        updateUnderlaying();
        [[fallthrough]];
    case QEvent::ScreenChangeInternal:
        // Another window or screen may have another scale: render afresh.
        invalidateRenderedIcons();
        m_label = LabelRaster();
        break;
    case QEvent::FontChange:
    case QEvent::ApplicationFontChange:
        m_label = LabelRaster();
        contentChanged();
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

void AppTile::drawContents(QPainter &painter)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    // Cached rasters are drawn 1:1 into pixel-aligned rectangles and need no
    // filtering (filtering would also take a much slower path); only a
    // rotation such as the wobble does.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, painter.deviceTransform().type() > QTransform::TxScale);

    const double scale = renderScale();
    const TileGeometry geometry = tileGeometry();
    const QRectF plate = geometry.plateRect();
    const double plateRadius = geometry.plateCornerRadius();

    if (m_state.dragging) {
        // The slot the dragged tile left: nothing else of the tile shows.
        painter.setPen(Qt::NoPen);
        painter.setBrush(white(0.05));
        painter.drawRoundedRect(plate, plateRadius, plateRadius);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(white(0.16), 1));
        painter.drawRoundedRect(plate.adjusted(0.5, 0.5, -0.5, -0.5), plateRadius, plateRadius);
        painter.restore();
        return;
    }

    if (m_state.mergePreviewIcon) {
        drawMergePreview(painter, geometry.iconRect(), *m_state.mergePreviewIcon);
        painter.restore();
        return;
    }

    const QRectF highlight = geometry.highlightPlate();
    const double highlightRadius = TileGeometry::highlightCornerRadius;
    if (m_state.mergeTarget) {
        painter.setPen(QPen(white(0.65), 2));
        painter.setBrush(white(0.2));
        painter.drawRoundedRect(highlight, highlightRadius, highlightRadius);
    } else if (m_state.selected) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(white(kSelectedPlateAlpha));
        painter.drawRoundedRect(highlight, highlightRadius, highlightRadius);
    }

    painter.save();
    painter.setOpacity(painter.opacity() * (m_state.dimmed ? kDimmedAlpha : 1.0));
    if (m_entry.isFolder()) {
        // A folder ignores `icon` and is never enlarged.
        painter.setPen(Qt::NoPen);
        painter.setBrush(white(0.2));
        painter.drawRoundedRect(plate, plateRadius, plateRadius);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(white(0.3), 1));
        painter.drawRoundedRect(plate.adjusted(0.5, 0.5, -0.5, -0.5), plateRadius, plateRadius);
        if (m_state.folderPreview) {
            const double inset = 0.05 * plate.width();
            // The preview is drawn scaled: filter it.
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.drawImage(plate.adjusted(inset, inset, -inset, -inset), *m_state.folderPreview);
        }
    } else if (!m_state.icon) {
        painter.drawImage(plate.topLeft(), placeholderPlate(plate.size(), plateRadius, scale));
    } else {
        const QRectF destination = pixelAligned(geometry.iconDestination(m_state.mergeTarget));
        painter.drawImage(destination, rasterized(*m_state.icon, destination.width()));
    }
    if (m_state.showLabel)
        drawLabel(painter, geometry.labelRect(), scale);
    painter.restore();

    if (m_state.showsDeleteBadge)
        drawDeleteBadge(painter, deleteBadge());
    painter.restore();
}

void AppTile::drawMergePreview(QPainter &painter, const QRectF &rect, const QImage &incoming)
{
    const TileGeometry::MergePreview preview = TileGeometry::mergePreview(rect);
    painter.setPen(Qt::NoPen);
    painter.setBrush(white(0.26));
    painter.drawRoundedRect(preview.plate, preview.cornerRadius, preview.cornerRadius);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(white(0.4), 1));
    painter.drawRoundedRect(preview.plate.adjusted(0.5, 0.5, -0.5, -0.5), preview.cornerRadius,
                            preview.cornerRadius);

    // The tile's own icon on the left, the incoming one on the right.
    const QRectF left = pixelAligned(preview.left);
    const QRectF right = pixelAligned(preview.right);
    if (m_state.icon)
        painter.drawImage(left, rasterized(*m_state.icon, left.width()));
    painter.drawImage(right, rasterized(incoming, right.width()));
}

void AppTile::drawDeleteBadge(QPainter &painter, const EditModeBadge &badge)
{
    const double scale = renderScale();
    QRectF disc = badge.rect;
    if (m_state.deleteBadgePressed)
        disc = disc.adjusted(1, 1, -1, -1);

    // The shadow lies only under the disc; its position is snapped because a
    // blur gains nothing from sub-pixel placement.
    const QImage &shadow = discShadow(disc.width(), scale);
    painter.drawImage(QPointF(TileGeometry::snap(disc.x() - kShadowPad, scale),
                              TileGeometry::snap(disc.y() - kShadowPad + kBadgeShadowDy, scale)),
                      shadow);

    painter.setPen(Qt::NoPen);
    painter.setBrush(grey(0.97, 0.98));
    painter.drawEllipse(disc);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(black(0.2), 1));
    painter.drawEllipse(disc.adjusted(0.5, 0.5, -0.5, -0.5));

    // Arm and stroke come from the unpressed badge: pressing shrinks the
    // disc and darkens the cross but keeps the cross's size.
    const double arm = badge.crossArm();
    const QPointF c = disc.center();
    QPainterPath cross;
    cross.moveTo(c.x() - arm, c.y() - arm);
    cross.lineTo(c.x() + arm, c.y() + arm);
    cross.moveTo(c.x() + arm, c.y() - arm);
    cross.lineTo(c.x() - arm, c.y() + arm);
    painter.setPen(QPen(grey(m_state.deleteBadgePressed ? 0.16 : 0.28, 1), badge.crossLineWidth(), Qt::SolidLine,
                        Qt::RoundCap));
    painter.drawPath(cross);
}

void AppTile::drawLabel(QPainter &painter, const QRectF &labelRect, double scale)
{
    if (!(labelRect.width() > 0) || m_state.title.isEmpty())
        return;
    LabelRaster &label = m_label;
    if (label.image.isNull() || label.text != m_state.title || label.rect != labelRect || label.scale != scale
        || label.dimmed != m_state.dimmed) {
        const QPointF origin(TileGeometry::snap(labelRect.x() - kShadowPad, scale),
                             TileGeometry::snap(labelRect.y() - kShadowPad, scale));
        const QImage image = labelImage(m_state.title, QRectF(labelRect.topLeft() - origin, labelRect.size()), scale,
                                        m_state.dimmed);
        if (image.isNull())
            return;
        label.text = m_state.title;
        label.rect = labelRect;
        label.scale = scale;
        label.dimmed = m_state.dimmed;
        label.image = image;
        label.origin = origin;
    }
    painter.drawImage(label.origin + QPointF(label.image.offset()) / scale, label.image);
}
