#include "tiles/wallpaper_backdrop.h"

#include "desktop_picture.h"
#include "foundation/log.h"
#include "tiles/gaussian_blur.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QThreadPool>

#include <algorithm>
#include <cmath>

WallpaperBackdrop::WallpaperBackdrop(QWidget *parent)
    : WallpaperBackdrop(DesktopPicture::system(), parent)
{
}

WallpaperBackdrop::WallpaperBackdrop(std::shared_ptr<DesktopPicture> picture, QWidget *parent)
    : QWidget(parent),
      m_picture(std::move(picture)),
      m_renderer(&WallpaperBackdrop::renderWallpaper),
      m_executor([](std::function<void()> job) { QThreadPool::globalInstance()->start(std::move(job)); })
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void WallpaperBackdrop::refresh()
{
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen && !QGuiApplication::screens().isEmpty())
        screen = QGuiApplication::screens().first();

    std::optional<QUrl> url;
    if (screen && m_picture)
        url = m_picture->desktopImageURL();
    if (url && QFileInfo(url->toLocalFile()).isFile()) {
        if (url == m_wallpaperURL && (!m_ready || m_image))
            return;
        m_wallpaperURL = url;
        m_ready = false;
        const int token = ++m_generation;
        // The job gets the URL by value and touches nothing of the view; the
        // view is looked at again only on the main thread, where a deleted
        // view has left its QPointer null.
        const QPointer<WallpaperBackdrop> self(this);
        const Renderer renderer = m_renderer;
        const QUrl picture = *url;
        m_executor([self, renderer, picture, token] {
            std::optional<QImage> image = renderer ? renderer(picture) : std::nullopt;
            QCoreApplication *application = QCoreApplication::instance();
            if (!application)
                return; // shutting down: nobody to show it
            QMetaObject::invokeMethod(
                application,
                [self, token, image = std::move(image)] {
                    if (self)
                        self->publish(token, image);
                },
                Qt::QueuedConnection);
        });
        return;
    }
    becomeReady();
}

void WallpaperBackdrop::publish(int token, const std::optional<QImage> &image)
{
    if (token != m_generation)
        return; // a newer render has started since
    m_image = image;
    m_pixmap = image && !image->isNull() ? QPixmap::fromImage(*image) : QPixmap();
    m_fitted = QPixmap();
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
    m_fitted = QPixmap();
    update();
}

void WallpaperBackdrop::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRectF bounds = rect();
    const QColor grey = QColor::fromRgbF(0.2f, 0.2f, 0.2f, 1.0f);
    if (m_pixmap.isNull() || m_pixmap.width() <= 0 || m_pixmap.height() <= 0) {
        // One opaque colour: the tints blended into the grey once.
        QImage pixel(1, 1, QImage::Format_ARGB32_Premultiplied);
        pixel.fill(grey);
        {
            QPainter tint(&pixel);
            for (const QColor &colour : std::as_const(m_tints))
                tint.fillRect(pixel.rect(), colour);
        }
        painter.fillRect(bounds, pixel.pixelColor(0, 0));
        return;
    }
    const double ratio = painter.device() ? painter.device()->devicePixelRatioF() : devicePixelRatioF();
    const QSize pixels(std::max(1, int(std::ceil(bounds.width() * ratio))),
                       std::max(1, int(std::ceil(bounds.height() * ratio))));
    if (m_fitted.size() != pixels || m_fitted.devicePixelRatioF() != ratio) {
        m_fitted = QPixmap(pixels);
        m_fitted.setDevicePixelRatio(ratio);
        m_fitted.fill(grey);
        QPainter fit(&m_fitted);
        // Aspect fill: covers the view, centred, the overflow clipped.
        const double w = m_pixmap.width();
        const double h = m_pixmap.height();
        const double s = std::max(bounds.width() / w, bounds.height() / h);
        const QRectF target((bounds.width() - w * s) / 2, (bounds.height() - h * s) / 2, w * s, h * s);
        fit.setRenderHint(QPainter::SmoothPixmapTransform);
        fit.drawPixmap(target, m_pixmap, QRectF(0, 0, w, h));
        for (const QColor &colour : std::as_const(m_tints))
            fit.fillRect(bounds, colour);
    }
    painter.drawPixmap(QPointF(0, 0), m_fitted);
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
