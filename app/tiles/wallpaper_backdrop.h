#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QRegion>
#include <QUrl>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class DesktopPicture;
class QPainter;

// The bottom layer of the launcher: the desktop picture, scaled down and
// blurred off the main thread, drawn aspect-filled over a grey fill, with the
// launcher's tints (the frosted glass, the dim) laid over it. Only the
// newest render is ever shown: every refresh() that finds a picture starts a
// new generation, and results of older generations are dropped.
class WallpaperBackdrop : public QWidget
{
public:
    // Decodes, scales and blurs the picture at a file URL; nothing when it
    // cannot be read. Runs off the main thread.
    using Renderer = std::function<std::optional<QImage>(const QUrl &url)>;
    // Runs a job off the main thread.
    using Executor = std::function<void(std::function<void()> job)>;

    static constexpr double blurRadius = 13;
    static constexpr int maximumWidth = 1600;

    explicit WallpaperBackdrop(QWidget *parent = nullptr);
    WallpaperBackdrop(std::shared_ptr<DesktopPicture> picture, QWidget *parent = nullptr);
    // Tests replace the render and where it runs.
    void setRenderer(Renderer renderer) { m_renderer = std::move(renderer); }
    void setExecutor(Executor executor) { m_executor = std::move(executor); }

    // Called on the main thread each time the backdrop becomes ready.
    std::function<void()> onReady;

    // Starts a render of the current desktop picture, or declares the
    // backdrop ready at once when there is none. The picture already shown or
    // being rendered is not rendered again: the render does not depend on
    // the view's size.
    void refresh();

    // Colours laid over the picture, bottom first. They are part of the one
    // picture the backdrop draws: every frame of a show or a slide repaints
    // the whole backdrop, and full-screen translucent layers above it would
    // each cost another blend of every pixel.
    void setTints(const QList<QColor> &tints);
    QList<QColor> tints() const { return m_tints; }

    std::optional<QImage> blurredImage() const { return m_image; }
    bool isReady() const { return m_ready; }
    // The desktop picture of the newest render started.
    std::optional<QUrl> wallpaperURL() const { return m_wallpaperURL; }

    // Paints what the backdrop shows over `region` (in `widget`'s
    // coordinates) with `painter`, which paints `widget`: for a widget over
    // the backdrop, with nothing between them, that paints its whole
    // rectangle itself (Qt::WA_OpaquePaintEvent) and so what lies under it
    // too. The same pixels as the backdrop's own paint.
    void paintUnder(QPainter &painter, const QWidget &widget, const QRegion &region);

    // The render used unless a test replaces it: the picture decoded, scaled
    // to at most maximumWidth pixels wide (never enlarged) and blurred with a
    // Gaussian of blurRadius.
    static std::optional<QImage> renderWallpaper(const QUrl &url);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // Paints `region` (the backdrop's coordinates) with a painter that maps
    // the backdrop's coordinates onto its device.
    void paintRegion(QPainter &painter, const QRegion &region);
    void publish(int token, const std::optional<QImage> &image);
    void becomeReady();

    std::shared_ptr<DesktopPicture> m_picture;
    Renderer m_renderer;
    Executor m_executor;
    // The picture aspect-filled into the view's device pixels with the tints
    // laid over it, in the format of the device it was last drawn on: made
    // once per picture, size and device format, so that every frame (a slide
    // repaints the whole backdrop, the edit-mode wobble the room under each
    // tile) is a plain copy of pixels, with no scaling, blending or
    // conversion. Null until first drawn, and again after a change.
    const QImage &fittedFor(const QSize &pixels, QImage::Format format);
    // The grey with the tints blended in: what shows while there is no picture.
    void updatePlainColor();

    std::optional<QImage> m_image;
    QImage m_fitted;
    QColor m_plainColor;
    QList<QColor> m_tints;
    int m_generation = 0;
    std::optional<QUrl> m_wallpaperURL;
    bool m_ready = false;
};
