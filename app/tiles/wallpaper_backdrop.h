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

// The bottom layer of the launcher: the desktop picture, looked up, scaled
// down and blurred off the main thread, drawn aspect-filled over a grey fill,
// with the launcher's tints (the frosted glass, the dim) laid over it. Only
// the newest render is ever shown: every refresh() that finds a new picture
// starts a new generation, and results of older generations are dropped.
class WallpaperBackdrop : public QWidget
{
public:
    // Decodes, scales and blurs the picture at a file URL; nothing when it
    // cannot be read. Runs off the main thread.
    using Renderer = std::function<std::optional<QImage>(const QUrl &url)>;
    // Runs a job off the main thread. A job may hand it further jobs.
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

    // Looks up the current desktop picture off the main thread (the desktop's
    // settings are read through GIO, whose loading alone costs milliseconds
    // before the first frame), then renders it, or declares the backdrop
    // ready when there is none. The picture already shown or being rendered
    // is not rendered again: the render does not depend on the view's size.
    // Look-ups are decided in the order of the refreshes: one answering after
    // a newer one has been decided is dropped.
    void refresh();

    // Colours laid over the picture, bottom first. They are part of the one
    // picture the backdrop draws: every frame of a show or a slide repaints
    // the whole backdrop, and full-screen translucent layers above it would
    // each cost another blend of every pixel.
    void setTints(const QList<QColor> &tints);
    QList<QColor> tints() const { return m_tints; }

    std::optional<QImage> blurredImage() const { return m_image; }
    // Whether the backdrop shows what the newest refresh found: its look-up
    // has answered, and the render it started (if any) has published.
    bool isReady() const { return m_ready && m_decided == m_refreshes; }
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

    struct Plan;
    // What a look-up found, measured against the picture shown or being rendered.
    enum class Finding { NoPicture, Same, NewPicture };

    void decided(int refresh, Finding finding, const std::optional<QUrl> &url);
    void publish(int token, const std::optional<QImage> &image);
    void becomeReady();

    std::shared_ptr<DesktopPicture> m_picture;
    // Shared with the jobs, which outlive the view.
    std::shared_ptr<Plan> m_plan;
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
    // Refreshes made, and the newest whose look-up has been decided.
    int m_refreshes = 0;
    int m_decided = 0;
    std::optional<QUrl> m_wallpaperURL;
    bool m_ready = false;
};
