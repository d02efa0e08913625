#pragma once

#include "model/layout_entry.h"
#include "policy/edit_mode_badge.h"
#include "policy/edit_mode_badge_placement.h"
#include "tiles/affine_sampler.h"
#include "tiles/tile_geometry.h"

#include <QFont>
#include <QImage>
#include <QMap>
#include <QPointer>
#include <QRectF>
#include <QString>
#include <QTransform>
#include <QWidget>

#include <functional>
#include <optional>

class QPainter;
class WallpaperBackdrop;

// What a tile shows besides its frame and transform, set as one value.
struct TileState
{
    QString title;
    std::optional<QImage> icon;
    // The mosaic of a folder's members, drawn inside the folder plate.
    std::optional<QImage> folderPreview;
    double iconSide = TileGeometry::defaultIconSide;
    bool showLabel = true;
    // A faint plate, so that a multiple selection made with Ctrl or Shift
    // can be seen.
    bool selected = false;
    // A dragged tile hovers over this one to form a folder.
    bool mergeTarget = false;
    // The entry is hidden by the user.
    bool dimmed = false;
    // This tile's entry is being dragged; only the empty placeholder is drawn.
    bool dragging = false;
    // The dragged entry's icon while this tile is the merge target.
    std::optional<QImage> mergePreviewIcon;
    bool showsDeleteBadge = false;
    bool deleteBadgePressed = false;
    EditModeBadgePlacement badgePlacement = EditModeBadgePlacement::topLeft;
};

// One slot of the launcher grid: an application icon or a folder plate with
// its preview, the name under it, and the states editing gives a tile
// (merge highlight, folder-to-be preview, drag placeholder, dimming for
// hidden entries, delete badge). Everything is painted by hand; the tile has
// no children and handles no input: it is transparent for mouse and drop
// events, so the launcher view hit-tests tiles (and deleteBadgeRect()) itself.
//
// Images are QImage rather than QPixmap so that tiles can be painted off the
// GUI thread's screen (offscreen tests, drag images). An image's identity is
// its cacheKey(): copies of one QImage are the same icon, an equal image
// loaded again is a different one.
//
// Icons are rasterised once per device-pixel size (at most four sizes per
// tile) from the source image with smooth scaling and drawn 1:1 into
// pixel-aligned rectangles. The rendering scale is the device pixel ratio of
// the tile's window, or 2 while the tile is in no window.
class AppTile : public QWidget
{
public:
    // Cached icon sizes per tile; one more empties the cache.
    static constexpr int maximumRasterizedSizes = 4;
    // Room kept around the frame so that a small layer transform (the
    // edit-mode wobble) does not clip the highlight plate.
    static constexpr int paintMargin = 2;

    AppTile(const QRectF &frame, LayoutEntry entry, QString title, QWidget *parent = nullptr);
    ~AppTile() override;

    // The tile's rectangle in its parent, with fractional coordinates: the
    // widget geometry is the enclosing integer rectangle grown by
    // paintMargin, and the fraction is applied while painting. Moving the
    // widget by whole pixels keeps the fraction.
    QRectF frame() const;
    void setFrame(const QRectF &frame);
    // How far the whole tile is moved sideways from its frame (the row
    // reflow while a tile is dragged over the row): the widget itself moves,
    // so the tile shows whole wherever it slides, and frame() stays the
    // place it rests at. 0 by default.
    double slide() const { return m_slide; }
    void setSlide(double x);
    // (0, 0, frame width, frame height): the coordinates of every geometry below.
    QRectF bounds() const;

    const LayoutEntry &entry() const { return m_entry; }

    const TileState &state() const { return m_state; }
    // Takes every field at once. A different icon (by identity) empties the
    // icon cache; a change of what editing shows (selection, merge target,
    // dimming, dragging, merge preview, delete badge) redraws; the other
    // fields are drawn at the next paint.
    void setState(const TileState &state);

    // The state, field by field.
    QString title() const { return m_state.title; }

    // Assigning a different image (by identity) empties the icon cache; no redraw.
    const std::optional<QImage> &icon() const { return m_state.icon; }

    // The mosaic of a folder's members, drawn inside the folder plate.
    const std::optional<QImage> &folderPreview() const { return m_state.folderPreview; }

    double iconSide() const { return m_state.iconSide; }

    bool showLabel() const { return m_state.showLabel; }

    // Redraw on change. A selected tile gets a faint plate so that a
    // multiple selection made with Command or Shift can be seen.
    bool selected() const { return m_state.selected; }

    // Redraw on change: a dragged tile hovers over this one to form a folder.
    bool mergeTarget() const { return m_state.mergeTarget; }

    // Redraw on change: the entry is hidden by the user.
    bool dimmed() const { return m_state.dimmed; }

    // Redraw on change: this tile's entry is being dragged; only the empty
    // placeholder is drawn.
    bool dragging() const { return m_state.dragging; }

    // Redraw when a different image (by identity) is set: the dragged
    // entry's icon while this tile is the merge target.
    const std::optional<QImage> &mergePreviewIcon() const { return m_state.mergePreviewIcon; }

    // Redraw on change.
    bool showsDeleteBadge() const { return m_state.showsDeleteBadge; }
    bool deleteBadgePressed() const { return m_state.deleteBadgePressed; }
    EditModeBadgePlacement badgePlacement() const { return m_state.badgePlacement; }

    // The delete badge in tile coordinates, also while it is not shown.
    QRectF deleteBadgeRect() const { return deleteBadge().rect; }
    // Whether a point of the tile presses the delete badge: its square grown
    // by the badge's slack, since the small square itself is easy to miss.
    bool deleteBadgeHit(QPointF point) const { return deleteBadge().hitTest(point); }

    // A transform applied about the centre of the bounds while painting,
    // like a layer transform about its anchor point (wobble, shifts). Redraw
    // on change; the identity by default. While it is not the identity the
    // tile is drawn once into an image that is then transformed on every
    // frame, so a wobbling page costs one filtered blit per tile.
    QTransform layerTransform() const { return m_layerTransform; }
    void setLayerTransform(const QTransform &transform);

    // The backdrop under the tile, with nothing else between them (the
    // tile's parent paints nothing), or null, the default. While the tile is
    // under a layer transform and overlaps none of the widgets beside it, it
    // then paints the backdrop under its picture itself and tells Qt that it
    // paints its whole rectangle (Qt::WA_OpaquePaintEvent): a new pose then
    // repaints the tile alone, where the backdrop would otherwise be painted
    // first and the picture blended over it in a second pass.
    void setUnderlay(WallpaperBackdrop *backdrop);

    // Called after every paint; unset by default. The owner learns from it
    // when what a page shows has reached the window.
    std::function<void()> onPainted;
    // Painted at least once with its icon or folder preview in place.
    bool paintedImage() const { return m_paintedImage; }
    // Painted at least once.
    bool painted() const { return m_painted; }

    // The device pixel ratio of the tile's window, or 2 in no window.
    double renderScale() const;
    TileGeometry tileGeometry() const;

    // Paints the tile into `painter` in bounds coordinates (no frame offset,
    // no layer transform): used by paintEvent and by drag images.
    void drawContents(QPainter &painter);

    // `image` at `side` points as a square raster of devicePixelSide(side,
    // renderScale()) pixels whose device pixel ratio is the scale. Renderings
    // of the tile's own icon are cached by pixel side; other images are made
    // afresh each time. A null image is returned unchanged.
    QImage rasterized(const QImage &image, double side);
    // Pixel sides currently cached, smallest first.
    QList<int> rasterizedIconSides() const { return m_rasterizedIcons.keys(); }
    void invalidateRenderedIcons();

    // The label's font: the application font at 12.5 points (logical pixels,
    // rounded to whole ones), medium weight.
    static QFont labelFont();

protected:
    void paintEvent(QPaintEvent *event) override;
    bool event(QEvent *event) override;

private:
    struct LabelRaster
    {
        QString text;
        QRectF rect;
        double scale = 0;
        bool dimmed = false;
        QImage image; // device pixel ratio = scale
        QPointF origin; // top-left of the padded label area in tile coordinates; the image starts at its offset()
    };

    // Puts the widget around `shown`, the frame moved by the slide.
    void place(const QRectF &shown);
    // Whether the tile paints the backdrop under itself now, and tells Qt so.
    void updateUnderlaying();
    // Whether a widget the tile lies on draws it through a graphics effect.
    bool underEffect() const;
    EditModeBadge deleteBadge() const;
    void redrawIf(bool changed);
    // The content changed: the transformed-drawing image is stale.
    void contentChanged()
    {
        m_composite = QImage();
        m_sampledComposite = {};
    }
    // Makes the picture of the tile the transformed drawing moves, if it is
    // stale; false when there is no memory for it.
    bool buildComposite();
    void drawComposite(QPainter &painter);
    // Draws the picture under the layer transform into `area` (widget
    // coordinates) by sampling it onto the device pixels; false, and nothing
    // drawn, where the painter's device is not in reach of that.
    bool drawLayerSampled(QPainter &painter, const QRect &area);
    // Bounds coordinates to widget coordinates under the layer transform.
    QTransform layerPaintTransform() const;
    // What the transformed picture covers in the widget; empty when not known
    // (no picture yet, no transform).
    QRect layerPaintRect() const;
    void drawMergePreview(QPainter &painter, const QRectF &rect, const QImage &incoming);
    void drawDeleteBadge(QPainter &painter, const EditModeBadge &badge);
    void drawLabel(QPainter &painter, const QRectF &labelRect, double scale);
    QRectF pixelAligned(const QRectF &rect) const { return TileGeometry::pixelAligned(rect, renderScale()); }

    const LayoutEntry m_entry;
    TileState m_state;
    QMap<int, QImage> m_rasterizedIcons;

    QSizeF m_size;
    QPointF m_paintOffset; // shown frame's origin minus widget origin
    double m_slide = 0;
    QTransform m_layerTransform;
    QPointer<WallpaperBackdrop> m_underlay;
    LabelRaster m_label;
    // The painted part of the whole tile (with paintMargin around it), device
    // pixel ratio = scale, and its top-left corner in bounds coordinates.
    QImage m_composite;
    QPointF m_compositeOrigin;
    // The same picture with what the sampled drawing needs of it.
    AffineSampler::Picture m_sampledComposite;
    bool m_painted = false;
    bool m_paintedImage = false;
};
