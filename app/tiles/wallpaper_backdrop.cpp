#include "tiles/wallpaper_backdrop.h"

#include "desktop_picture.h"
#include "foundation/log.h"
#include "tiles/gaussian_blur.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QThreadPool>

#include <algorithm>
#include <cmath>
#include <mutex>

// The state a look-up is decided against, shared by the view and its jobs.
// The look-ups answer on workers, so whether a picture is new is decided
// there, under the lock, against what the decisions and publishes before it
// left. The view keeps its own copy (m_ready, m_wallpaperURL), brought up to
// date as the decisions reach the main thread, in the order they were made.
struct WallpaperBackdrop::Plan
{
    std::mutex mutex;
    // The newest refresh whose look-up has been decided.
    int decided = 0;
    // The picture of the newest render started, and the refresh that started
    // it: only that render's result is shown.
    std::optional<QUrl> url;
    int generation = 0;
    // What isReady() and blurredImage() tell once the view has caught up.
    bool ready = false;
    bool hasImage = false;

    // What refresh `refresh`'s look-up found (an existing file, or nothing)
    // means; nothing when a newer refresh has been decided already.
    std::optional<Finding> decide(int refresh, const std::optional<QUrl> &found)
    {
        if (refresh < decided)
            return std::nullopt;
        decided = refresh;
        if (!found) {
            ready = true;
            return Finding::NoPicture;
        }
        // Pending, or shown: a render that read nothing is tried again.
        if (found == url && (!ready || hasImage))
            return Finding::Same;
        url = found;
        ready = false;
        generation = refresh;
        return Finding::NewPicture;
    }
};

WallpaperBackdrop::WallpaperBackdrop(QWidget *parent)
    : WallpaperBackdrop(DesktopPicture::system(), parent)
{
}

WallpaperBackdrop::WallpaperBackdrop(std::shared_ptr<DesktopPicture> picture, QWidget *parent)
    : QWidget(parent),
      m_picture(std::move(picture)),
      m_plan(std::make_shared<Plan>()),
      m_renderer(&WallpaperBackdrop::renderWallpaper),
      m_executor([](std::function<void()> job) { QThreadPool::globalInstance()->start(std::move(job)); })
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    updatePlainColor();
}

void WallpaperBackdrop::refresh()
{
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen && !QGuiApplication::screens().isEmpty())
        screen = QGuiApplication::screens().first();

    const int refresh = ++m_refreshes;
    // Without a screen there is no picture; the answer still goes through a
    // job, so that it is decided in its turn among the look-ups.
    const std::shared_ptr<DesktopPicture> picture = screen ? m_picture : nullptr;
    // The jobs get everything by value and touch nothing of the view; the
    // view is looked at again only on the main thread, where a deleted view
    // has left its QPointer null.
    const QPointer<WallpaperBackdrop> self(this);
    m_executor([self, plan = m_plan, picture, renderer = m_renderer, executor = m_executor, refresh] {
        std::optional<QUrl> url = picture ? picture->desktopImageURL() : std::nullopt;
        if (url && !QFileInfo(url->toLocalFile()).isFile())
            url.reset();
        QCoreApplication *application = QCoreApplication::instance();
        if (!application)
            return; // shutting down: nobody to show it
        std::unique_lock lock(plan->mutex);
        const std::optional<Finding> finding = plan->decide(refresh, url);
        if (!finding)
            return; // a newer refresh has been decided since
        // Posted under the lock: the view gets the decisions in the order
        // they were made, and each before its render's result.
        QMetaObject::invokeMethod(
            application,
            [self, refresh, finding = *finding, url] {
                if (self)
                    self->decided(refresh, finding, url);
            },
            Qt::QueuedConnection);
        lock.unlock();
        if (*finding != Finding::NewPicture)
            return;
        executor([self, renderer, picture = *url, refresh] {
            std::optional<QImage> image = renderer ? renderer(picture) : std::nullopt;
            QCoreApplication *application = QCoreApplication::instance();
            if (!application)
                return;
            QMetaObject::invokeMethod(
                application,
                [self, refresh, image = std::move(image)] {
                    if (self)
                        self->publish(refresh, image);
                },
                Qt::QueuedConnection);
        });
    });
}

void WallpaperBackdrop::decided(int refresh, Finding finding, const std::optional<QUrl> &url)
{
    m_decided = refresh;
    switch (finding) {
    case Finding::NoPicture:
        becomeReady();
        break;
    case Finding::Same:
        break; // shown, or on its way
    case Finding::NewPicture:
        m_wallpaperURL = url;
        m_ready = false;
        break;
    }
}

void WallpaperBackdrop::publish(int token, const std::optional<QImage> &image)
{
    {
        const std::lock_guard lock(m_plan->mutex);
        if (token != m_plan->generation)
            return; // a newer render has started since
        m_plan->ready = true;
        m_plan->hasImage = image.has_value();
    }
    m_image = image;
    m_fitted = QImage();
    update();
    becomeReady();
}

void WallpaperBackdrop::becomeReady()
{
    m_ready = true;
    if (onReady)
        onReady();
}

void WallpaperBackdrop::setTints(const QList<QColor> &tints)
{
    if (tints == m_tints)
        return;
    m_tints = tints;
    m_fitted = QImage();
    updatePlainColor();
    update();
}

namespace {

const QColor kGrey = QColor::fromRgbF(0.2f, 0.2f, 0.2f, 1.0f);

// The format the painter's pixels are stored in, without its alpha where an
// opaque twin shares its layout: an opaque picture in it is copied row by
// row, never converted or blended.
QImage::Format opaqueDeviceFormat(QPainter &painter)
{
    const QPaintEngine *engine = painter.paintEngine();
    const QPaintDevice *device = engine ? engine->paintDevice() : nullptr;
    if (!device || device->devType() != QInternal::Image)
        return QImage::Format_RGB32;
    const QImage::Format format = static_cast<const QImage *>(device)->format();
    switch (format) {
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
        return QImage::Format_RGB32;
    case QImage::Format_RGBA8888:
    case QImage::Format_RGBA8888_Premultiplied:
        return QImage::Format_RGBX8888;
    case QImage::Format_A2RGB30_Premultiplied:
        return QImage::Format_RGB30;
    case QImage::Format_A2BGR30_Premultiplied:
        return QImage::Format_BGR30;
    default:
        // An opaque picture in any other format is still copied as it is
        // (CompositionMode_Source), only without the fastest path.
        return QImage::toPixelFormat(format).bitsPerPixel() >= 8 ? format : QImage::Format_RGB32;
    }
}

} // namespace

void WallpaperBackdrop::updatePlainColor()
{
    // One opaque colour: the tints blended into the grey once.
    QImage pixel(1, 1, QImage::Format_ARGB32_Premultiplied);
    pixel.fill(kGrey);
    {
        QPainter tint(&pixel);
        for (const QColor &colour : std::as_const(m_tints))
            tint.fillRect(pixel.rect(), colour);
    }
    m_plainColor = pixel.pixelColor(0, 0);
}

const QImage &WallpaperBackdrop::fittedFor(const QSize &pixels, QImage::Format format)
{
    if (m_fitted.size() == pixels && m_fitted.format() == format)
        return m_fitted;
    QImage fitted(pixels, QImage::Format_RGB32);
    if (fitted.isNull()) {
        m_fitted = QImage();
        return m_fitted;
    }
    fitted.fill(kGrey);
    {
        QPainter fit(&fitted);
        // Aspect fill: covers the view, centred, the overflow clipped.
        const QRectF bounds(QPointF(0, 0), QSizeF(pixels));
        const double w = m_image->width();
        const double h = m_image->height();
        const double s = std::max(bounds.width() / w, bounds.height() / h);
        const QRectF target((bounds.width() - w * s) / 2, (bounds.height() - h * s) / 2, w * s, h * s);
        fit.setRenderHint(QPainter::SmoothPixmapTransform);
        fit.drawImage(target, *m_image, QRectF(0, 0, w, h));
        for (const QColor &colour : std::as_const(m_tints))
            fit.fillRect(bounds, colour);
    }
    if (format != fitted.format())
        fitted.convertTo(format);
    m_fitted = fitted;
    return m_fitted;
}

void WallpaperBackdrop::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    paintRegion(painter, event->region());
}

void WallpaperBackdrop::paintUnder(QPainter &painter, const QWidget &widget, const QRegion &region)
{
    // The backdrop's top left in the widget's coordinates.
    const QPoint origin = mapTo(window(), QPoint()) - widget.mapTo(widget.window(), QPoint());
    painter.save();
    painter.translate(origin);
    paintRegion(painter, region.translated(-origin));
    painter.restore();
}

void WallpaperBackdrop::paintRegion(QPainter &painter, const QRegion &region)
{
    // Opaque everywhere: every pixel is replaced, nothing under it is read.
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    // Only the rectangles asked for, each on its own: a rectangle of the
    // painted region lies wholly inside the painter's clip, where the raster
    // engine fills or copies rows directly; a fill of the whole view through
    // a clip of many rectangles goes span by span, handed to a thread pool.
    if (!m_image || m_image->isNull() || m_image->width() <= 0 || m_image->height() <= 0) {
        for (const QRect &rect : region)
            painter.fillRect(rect, m_plainColor);
        return;
    }
    const QTransform device = painter.deviceTransform();
    if (device.type() > QTransform::TxScale || device.m11() <= 0 || device.m22() <= 0) {
        // Turned or mirrored (never on screen): the picture scaled as a whole.
        const double ratio = devicePixelRatioF();
        const QSize pixels(std::max(1, int(std::ceil(width() * ratio))), std::max(1, int(std::ceil(height() * ratio))));
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRectF(rect()), fittedFor(pixels, QImage::Format_RGB32));
        return;
    }
    const QSize pixels(std::max(1, int(std::ceil(width() * device.m11()))),
                       std::max(1, int(std::ceil(height() * device.m22()))));
    const QImage &fitted = fittedFor(pixels, opaqueDeviceFormat(painter));
    if (fitted.isNull()) {
        for (const QRect &rect : region)
            painter.fillRect(rect, m_plainColor);
        return;
    }
    // Drawn in device pixels, one to one.
    const QTransform deviceOverWorld = painter.worldTransform().inverted() * device;
    painter.setWorldTransform(deviceOverWorld.inverted());
    const QRect shown(device.map(QPointF(0, 0)).toPoint(), fitted.size());
    for (const QRect &rect : region) {
        const QRect target = device.mapRect(QRectF(rect)).toAlignedRect() & shown;
        if (target.isEmpty())
            continue;
        // The painter's clip, replaced by this one rectangle of it: the raster
        // engine copies rows only into a clip that is a plain rectangle.
        painter.setClipRect(target, Qt::ReplaceClip);
        painter.drawImage(QPointF(target.topLeft()), fitted, QRectF(target.translated(-shown.topLeft())));
    }
}

std::optional<QImage> WallpaperBackdrop::renderWallpaper(const QUrl &url)
{
    QImageReader reader(url.toLocalFile());
    reader.setAutoTransform(true);
    // Decoders that can scale while decoding (JPEG) save most of the work on
    // large pictures.
    const QSize full = reader.size();
    if (full.isValid() && full.width() > maximumWidth) {
        const double scale = double(maximumWidth) / full.width();
        reader.setScaledSize(QSize(maximumWidth, std::max(1, int(std::lround(full.height() * scale)))));
    }
    QImage image = reader.read();
    if (image.isNull()) {
        Log::write("[wallpaper] unreadable file=%@ error=%@", url.toLocalFile(), reader.errorString());
        return std::nullopt;
    }
    const double scale = std::min(1.0, double(maximumWidth) / std::max(1, image.width()));
    if (scale < 1.0) {
        const QSize scaled(std::max(1, int(std::lround(image.width() * scale))),
                           std::max(1, int(std::lround(image.height() * scale))));
        image = image.scaled(scaled, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    return GaussianBlur::apply(image, blurRadius);
}
