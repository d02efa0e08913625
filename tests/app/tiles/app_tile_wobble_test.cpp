#include "desktop_picture.h"
#include "model/layout_entry.h"
#include "tiles/app_tile.h"
#include "tiles/wallpaper_backdrop.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QTemporaryFile>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

// A tile under a layer transform (the edit-mode wobble) draws a picture of
// itself made once; these check that the picture gives the pixels the whole
// tile gives transformed, that a new pose repaints only where the tile is
// drawn, not its whole cell and what lies under it, and that what a window
// shows after many poses is what a fresh paint of the last one shows.
namespace {

const QColor kBackground(60, 60, 60);

void setIcon(AppTile &tile, QColor colour, double iconSide)
{
    QImage icon(256, 256, QImage::Format_ARGB32_Premultiplied);
    icon.fill(colour);
    TileState state = tile.state();
    state.icon = icon;
    state.iconSide = iconSide;
    tile.setState(state);
}

struct WobbleCase
{
    const char *name;
    double degrees;
    QPointF translation;
    double scale; // device pixels per point of the picture rendered into
    bool badge;
};

class WobbleDrawing : public ::testing::TestWithParam<WobbleCase>
{
};

// The whole tile drawn into one picture and that picture drawn under the
// transform, in one piece: what the tile drew before it kept only the
// painted part and drew it in bands.
QImage wholeTileTransformed(AppTile &tile, const QTransform &layer, double targetScale)
{
    const double scale = tile.renderScale();
    const int margin = AppTile::paintMargin;
    const QSizeF logical = tile.frame().size() + QSizeF(2 * margin, 2 * margin);
    QImage whole(QSize(int(std::ceil(logical.width() * scale)), int(std::ceil(logical.height() * scale))),
                 QImage::Format_ARGB32_Premultiplied);
    whole.setDevicePixelRatio(scale);
    whole.fill(Qt::transparent);
    {
        QPainter painter(&whole);
        painter.translate(margin, margin);
        tile.drawContents(painter);
    }
    QImage target(QSize(int(std::lround(tile.width() * targetScale)), int(std::lround(tile.height() * targetScale))),
                  QImage::Format_ARGB32_Premultiplied);
    target.setDevicePixelRatio(targetScale);
    target.fill(kBackground);
    QPainter painter(&target);
    const QPointF offset = tile.frame().topLeft() - QPointF(tile.pos());
    const QPointF center = tile.bounds().center();
    painter.translate(offset);
    painter.translate(center);
    painter.setTransform(layer, true);
    painter.translate(-center);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QPointF(-margin, -margin), whole);
    return target;
}

// A blue icon, the delete badge as asked, and the layer moved and turned.
void pose(AppTile &tile, bool badge, QPointF translation, double degrees)
{
    setIcon(tile, QColor(30, 140, 220), 64);
    TileState state = tile.state();
    state.showsDeleteBadge = badge;
    tile.setState(state);
    QTransform layer;
    layer.translate(translation.x(), translation.y());
    layer.rotate(degrees);
    tile.setLayerTransform(layer);
}

QImage rendered(AppTile &tile, double targetScale)
{
    QImage target(QSize(int(std::lround(tile.width() * targetScale)), int(std::lround(tile.height() * targetScale))),
                  QImage::Format_ARGB32_Premultiplied);
    target.setDevicePixelRatio(targetScale);
    target.fill(kBackground);
    tile.render(&target, QPoint(), QRegion(), QWidget::DrawChildren);
    return target;
}

TEST_P(WobbleDrawing, GivesThePixelsOfTheWholeTileTransformed)
{
    const WobbleCase &c = GetParam();
    // A wide cell around a small icon, at a fractional position.
    AppTile tile(QRectF(10.5, 20.25, 180, 150), LayoutEntry::app("com.example.notes"), "Notes");
    pose(tile, c.badge, c.translation, c.degrees);

    const QImage expected = wholeTileTransformed(tile, tile.layerTransform(), c.scale);
    const QImage actual = rendered(tile, c.scale);
    ASSERT_EQ(actual.size(), expected.size());
    int differing = 0;
    int largest = 0;
    int icon = 0;
    for (int y = 0; y < actual.height(); ++y) {
        for (int x = 0; x < actual.width(); ++x) {
            const QRgb a = actual.pixel(x, y);
            const QRgb e = expected.pixel(x, y);
            const int difference = std::max({std::abs(qRed(a) - qRed(e)), std::abs(qGreen(a) - qGreen(e)),
                                             std::abs(qBlue(a) - qBlue(e)), std::abs(qAlpha(a) - qAlpha(e))});
            largest = std::max(largest, difference);
            if (difference > 0)
                ++differing;
            if (actual.pixelColor(x, y) == QColor(30, 140, 220))
                ++icon;
        }
    }
    // Qt's filtered sampling steps in sixteenths of a pixel: a picture whose
    // origin moved by whole pixels may land a rare edge pixel on the next
    // step, never further.
    EXPECT_LE(largest, 255 / 16 + 1);
    EXPECT_LT(differing, actual.width() * actual.height() / 200) << "largest difference " << largest;
    // And the tile was drawn: most of its icon shows in its own colour.
    EXPECT_GT(icon, int(40 * 40 * c.scale * c.scale));
}

INSTANTIATE_TEST_SUITE_P(
    Poses, WobbleDrawing,
    ::testing::Values(WobbleCase{"TiltedRight", 0.8, {0.6, -0.4}, 1.0, true},
                      WobbleCase{"TiltedLeftAtScale2", -0.55, {-0.3, 0.25}, 2.0, true},
                      WobbleCase{"SteepWithoutBadge", 12, {3, 2}, 1.0, false},
                      WobbleCase{"ShiftOnly", 0, {0.5, 0.5}, 2.0, false}),
    [](const ::testing::TestParamInfo<WobbleCase> &info) { return std::string(info.param.name); });

// Where a tile paints straight onto the pixels of the device (a window's
// backing store, an image), the picture is laid over them by the sampler
// itself; where the painter has a clip of its own it is blended by QPainter
// from a buffer. Both must give the same pixels, whatever part of the tile
// is painted and wherever the tile lies, partly outside the device too.
struct DevicePaintCase
{
    const char *name;
    double degrees;
    QPointF translation;
    double scale; // device pixels per point
    QPoint offset; // where the tile's top left lands on the device, in points
    QList<QRect> region; // the part painted, in tile coordinates; empty: all of it
};

class WobbleOntoDevice : public ::testing::TestWithParam<DevicePaintCase>
{
};

// Every pixel different, so that a pixel blended onto the wrong one shows.
QImage busyUnderlay(QSize size, double scale)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgb((x * 7) % 256, (y * 5) % 256, (x * 3 + y * 11) % 256));
    image.setDevicePixelRatio(scale);
    return image;
}

TEST_P(WobbleOntoDevice, GivesThePixelsOfTheBufferedBlend)
{
    const DevicePaintCase &c = GetParam();
    AppTile tile(QRectF(10.5, 20.25, 120, 150), LayoutEntry::app("com.example.notes"), "Notes");
    pose(tile, true, c.translation, c.degrees);
    QRegion region;
    for (const QRect &rect : c.region)
        region += rect;
    if (c.region.isEmpty())
        region = tile.rect();
    const QImage under = busyUnderlay(QSize(int(std::lround(110 * c.scale)), int(std::lround(130 * c.scale))), c.scale);

    // render() puts the top left of the region at the offset.
    const QRegion landing = region.translated(c.offset - region.boundingRect().topLeft());
    QImage direct = under.copy();
    tile.render(&direct, c.offset, region, QWidget::DrawChildren);
    QImage buffered = under.copy();
    {
        QPainter painter(&buffered);
        // A clip of the painter's own: the tile cannot tell where it ends,
        // and blends through QPainter.
        painter.setClipRegion(landing);
        tile.render(&painter, c.offset, region, QWidget::DrawChildren);
    }

    ASSERT_EQ(direct.size(), buffered.size());
    int differing = 0;
    QPoint first(-1, -1);
    for (int y = 0; y < direct.height(); ++y) {
        for (int x = 0; x < direct.width(); ++x) {
            if (direct.pixel(x, y) != buffered.pixel(x, y) && differing++ == 0)
                first = QPoint(x, y);
        }
    }
    EXPECT_EQ(differing, 0) << "first at " << first.x() << "," << first.y();
    // Nothing outside the region painted, and the tile drawn at all.
    const QRegion landed = QTransform::fromScale(c.scale, c.scale).map(landing);
    int outside = 0;
    for (int y = 0; y < direct.height(); ++y)
        for (int x = 0; x < direct.width(); ++x)
            outside += direct.pixel(x, y) != under.pixel(x, y) && !landed.contains(QPoint(x, y));
    EXPECT_EQ(outside, 0);
    EXPECT_NE(direct, under);
}

INSTANTIATE_TEST_SUITE_P(
    Paints, WobbleOntoDevice,
    ::testing::Values(DevicePaintCase{"Whole", 0.8, {0.6, -0.4}, 1.0, {-10, -15}, {}},
                      DevicePaintCase{"WholeAtScale2", -0.55, {-0.3, 0.25}, 2.0, {-10, -15}, {}},
                      DevicePaintCase{"PartOfTheIcon", -0.8, {0.2, 0.1}, 1.0, {-10, -15}, {QRect(30, 25, 40, 33)}},
                      DevicePaintCase{"PartAtScale2", 0.4, {0.45, -0.2}, 2.0, {-10, -15}, {QRect(45, 60, 50, 70)}},
                      // Parts of the tile lie left of and above the device.
                      DevicePaintCase{"OffTheTopLeft", 0.7, {0.1, 0.3}, 1.0, {-60, -70}, {}},
                      // And right of and below it.
                      DevicePaintCase{"OffTheBottomRight", -0.7, {0.3, 0.1}, 1.0, {45, 40}, {}},
                      DevicePaintCase{"PartOffTheBottomRightAtScale2", 0.6, {0.5, 0.5}, 2.0, {40, 30},
                                      {QRect(20, 20, 90, 90)}},
                      DevicePaintCase{"Steep", 12, {3, 2}, 1.0, {-10, -15}, {QRect(20, 10, 90, 120)}},
                      // A region of several rectangles: the tile draws
                      // inside each, not across the room between them.
                      DevicePaintCase{"SeveralParts", -0.6, {0.4, 0.2}, 1.0, {-10, -15},
                                      {QRect(25, 20, 30, 50), QRect(70, 40, 20, 20), QRect(30, 90, 70, 8)}},
                      DevicePaintCase{"SeveralPartsAtScale2", 0.7, {-0.2, 0.3}, 2.0, {-10, -15},
                                      {QRect(20, 30, 90, 10), QRect(50, 60, 15, 40)}}),
    [](const ::testing::TestParamInfo<DevicePaintCase> &info) { return std::string(info.param.name); });

// Records the region of every paint it receives.
class PaintRecorder : public QObject
{
public:
    QRegion painted;

protected:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent *>(event)->region();
        return QObject::eventFilter(object, event);
    }
};

TEST(WobbleRepaint, NewPoseRepaintsOnlyWhereTheTileIsDrawn)
{
    // A window with an opaque layer under a wide tile, as the backdrop is.
    QWidget window;
    window.resize(400, 300);
    auto *under = new QWidget(&window);
    under->setGeometry(window.rect());
    under->setAutoFillBackground(true);
    auto *tile = new AppTile(QRectF(100, 50, 200, 160), LayoutEntry::app("com.example.mail"), "Mail", &window);
    setIcon(*tile, Qt::red, 60);
    window.show();
    QApplication::processEvents();

    const auto pose = [](double degrees) {
        QTransform t;
        t.translate(0.3, -0.2);
        t.rotate(degrees);
        return t;
    };
    // The first pose draws the picture; later ones only move it.
    tile->setLayerTransform(pose(0.8));
    QApplication::processEvents();

    PaintRecorder underPaints;
    PaintRecorder tilePaints;
    under->installEventFilter(&underPaints);
    tile->installEventFilter(&tilePaints);
    for (double degrees : {0.4, -0.2, -0.8}) {
        tile->setLayerTransform(pose(degrees));
        QApplication::processEvents();
    }

    ASSERT_FALSE(tilePaints.painted.isEmpty());
    const QRect cell = tile->rect();
    const QRect drawn = tilePaints.painted.boundingRect();
    EXPECT_TRUE(cell.contains(drawn));
    // The icon (60 points) and the name, not the 200 x 160 cell.
    EXPECT_LT(drawn.width(), cell.width() * 3 / 4) << drawn.width();
    EXPECT_LT(drawn.height(), cell.height() * 3 / 4) << drawn.height();
    // Under the tile, only the same part is painted again.
    const QRegion underInTile = underPaints.painted.translated(-tile->pos());
    EXPECT_FALSE(underInTile.isEmpty());
    EXPECT_TRUE((underInTile - QRegion(drawn)).isEmpty()) << underInTile.boundingRect().width();
}

class FixedDesktopPicture : public DesktopPicture
{
public:
    explicit FixedDesktopPicture(QUrl url) : m_url(std::move(url)) {}
    std::optional<QUrl> desktopImageURL() const override { return m_url; }

private:
    QUrl m_url;
};

class WobblingPage : public ::testing::TestWithParam<bool>
{
};

// A backdrop over all of `window`, tinted, rendered at once: with `picture`
// one that differs at every pixel, so that a copy from the wrong place shows;
// without, the plain grey.
WallpaperBackdrop *fullBackdrop(QWidget &window, const QString &pictureFile, bool picture)
{
    auto *backdrop =
        new WallpaperBackdrop(std::make_shared<FixedDesktopPicture>(QUrl::fromLocalFile(pictureFile)), &window);
    backdrop->setGeometry(window.rect());
    backdrop->setTints({QColor(255, 255, 255, 40), QColor(0, 0, 0, 60)});
    backdrop->setRenderer([picture](const QUrl &) -> std::optional<QImage> {
        if (!picture)
            return std::nullopt;
        QImage image(300, 160, QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                image.setPixel(x, y, qRgb(x * 255 / 299, y * 255 / 159, (x * 5 + y * 11) % 256));
        return image;
    });
    backdrop->setExecutor([](std::function<void()> job) { job(); });
    backdrop->refresh();
    return backdrop;
}

// A page as the launcher shows it in edit mode: the backdrop, a canvas that
// paints nothing, and a row of touching cells whose tiles wobble. After many
// poses the window's own pixels (what was painted part by part, frame after
// frame) must be those of one paint of the whole window in the last pose:
// nothing of an old pose left behind, the backdrop under and around each
// tile where it belongs.
TEST_P(WobblingPage, ShowsAfterManyPosesWhatOnePaintOfTheLastPoseShows)
{
    const bool picture = GetParam();
    QTemporaryFile file;
    ASSERT_TRUE(file.open());
    QWidget window;
    window.resize(420, 220);
    WallpaperBackdrop *backdrop = fullBackdrop(window, file.fileName(), picture);
    auto *canvas = new QWidget(&window);
    canvas->setAttribute(Qt::WA_NoSystemBackground);
    canvas->setGeometry(window.rect());
    QList<AppTile *> tiles;
    const QList<QColor> colours{QColor(30, 140, 220), QColor(220, 90, 40), QColor(60, 190, 90)};
    for (int i = 0; i < 3; ++i) {
        const QString number = QString::number(i);
        auto *tile = new AppTile(QRectF(20.5 + i * 120, 30.25, 120, 150), LayoutEntry::app("com.example.app" + number),
                                 "Application " + number, canvas);
        setIcon(*tile, colours.at(i), 64);
        TileState state = tile->state();
        state.showsDeleteBadge = true;
        tile->setState(state);
        tiles.append(tile);
    }
    window.show();
    QApplication::processEvents();
    ASSERT_TRUE(backdrop->isReady());
    ASSERT_EQ(backdrop->blurredImage().has_value(), picture);

    for (int frame = 0; frame < 12; ++frame) {
        for (int i = 0; i < tiles.size(); ++i) {
            QTransform pose;
            pose.translate(2 * std::sin(frame + i), 1.5 * std::cos(frame * 1.3 + i));
            pose.rotate(6 * std::sin(frame * 0.9 + i * 2));
            tiles.at(i)->setLayerTransform(pose);
        }
        QApplication::processEvents();
    }

    // The screen's copy of the window is what the frames left in it; grab()
    // paints the whole window afresh.
    const QImage shown = window.screen()->grabWindow(window.winId()).toImage().convertToFormat(QImage::Format_RGB32);
    const QImage fresh = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shown.size(), fresh.size());
    int differing = 0;
    QPoint first(-1, -1);
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            if (shown.pixel(x, y) != fresh.pixel(x, y)) {
                if (differing++ == 0)
                    first = QPoint(x, y);
            }
        }
    }
    EXPECT_EQ(differing, 0) << "first at " << first.x() << "," << first.y();
    // And the tiles were drawn in their wobbling poses.
    EXPECT_TRUE(tiles.at(0)->painted());
    EXPECT_FALSE(tiles.at(0)->layerTransform().isIdentity());
}

INSTANTIATE_TEST_SUITE_P(Backdrops, WobblingPage, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool> &info) {
                             return std::string(info.param ? "Picture" : "Grey");
                         });

// Over a backdrop with nothing between, a wobbling tile paints the backdrop
// under itself and tells Qt it paints its whole rectangle, so that a new
// pose repaints the tile alone. What the window shows must be what it shows
// where the backdrop is painted first and the tile over it: the backdrop's
// grey or picture, partly off the window too, and where cells touch (the
// tiles reach into each other's rectangles) also with a plate drawn to the
// cell's edges.
struct UnderlayCase
{
    const char *name;
    bool picture; // a desktop picture under the tiles, else the plain grey
    double pitch; // from one cell's left to the next; 120, the cells' width, makes them touch
    QPointF firstAt; // the first cell's top left; left of or above the window: partly off it
    bool selected; // a plate drawn to the cell's edges
};

class UnderlaidPage : public ::testing::TestWithParam<UnderlayCase>
{
};

struct PageOfTiles
{
    WallpaperBackdrop *backdrop = nullptr;
    QList<AppTile *> tiles;
};

PageOfTiles buildPage(QWidget &window, const UnderlayCase &c, const QString &pictureFile, bool underlay)
{
    window.resize(420, 220);
    PageOfTiles page;
    page.backdrop = fullBackdrop(window, pictureFile, c.picture);
    auto *canvas = new QWidget(&window);
    canvas->setAttribute(Qt::WA_NoSystemBackground);
    canvas->setGeometry(window.rect());
    const QList<QColor> colours{QColor(30, 140, 220), QColor(220, 90, 40), QColor(60, 190, 90)};
    for (int i = 0; i < 3; ++i) {
        const QString number = QString::number(i);
        auto *tile = new AppTile(QRectF(c.firstAt + QPointF(i * c.pitch, 0), QSizeF(120, 150)),
                                 LayoutEntry::app("com.example.app" + number), "Application " + number, canvas);
        setIcon(*tile, colours.at(i), 64);
        TileState state = tile->state();
        state.showsDeleteBadge = true;
        state.selected = c.selected;
        tile->setState(state);
        if (underlay)
            tile->setUnderlay(page.backdrop);
        page.tiles.append(tile);
    }
    return page;
}

void pose(const PageOfTiles &page, int frame)
{
    for (int i = 0; i < page.tiles.size(); ++i) {
        QTransform transform;
        transform.translate(2 * std::sin(frame + i), 1.5 * std::cos(frame * 1.3 + i));
        transform.rotate(6 * std::sin(frame * 0.9 + i * 2));
        page.tiles.at(i)->setLayerTransform(transform);
    }
}

QImage shownBy(QWidget &window)
{
    return window.screen()->grabWindow(window.winId()).toImage().convertToFormat(QImage::Format_RGB32);
}

int differingPixels(const QImage &a, const QImage &b, QPoint &first)
{
    int differing = 0;
    for (int y = 0; y < std::min(a.height(), b.height()); ++y) {
        for (int x = 0; x < std::min(a.width(), b.width()); ++x) {
            if (a.pixel(x, y) != b.pixel(x, y) && differing++ == 0)
                first = QPoint(x, y);
        }
    }
    return differing;
}

TEST_P(UnderlaidPage, ShowsWhatTheBackdropUnderTheTilesShows)
{
    const UnderlayCase &c = GetParam();
    QTemporaryFile file;
    ASSERT_TRUE(file.open());
    QWidget plainWindow;
    QWidget underlaidWindow;
    const PageOfTiles plain = buildPage(plainWindow, c, file.fileName(), false);
    const PageOfTiles underlaid = buildPage(underlaidWindow, c, file.fileName(), true);
    plainWindow.show();
    underlaidWindow.show();
    QApplication::processEvents();
    ASSERT_EQ(underlaid.backdrop->blurredImage().has_value(), c.picture);

    PaintRecorder backdropPaints;
    for (int frame = 0; frame < 12; ++frame) {
        pose(plain, frame);
        pose(underlaid, frame);
        QApplication::processEvents();
        if (frame == 0)
            underlaid.backdrop->installEventFilter(&backdropPaints);
    }

    underlaid.backdrop->removeEventFilter(&backdropPaints);
    // Cells apart, the poses repainted the tiles alone.
    if (c.pitch > 120) {
        EXPECT_TRUE(backdropPaints.painted.isEmpty()) << backdropPaints.painted.boundingRect().width();
    }

    const QImage expected = shownBy(plainWindow);
    const QImage shown = shownBy(underlaidWindow);
    ASSERT_EQ(shown.size(), expected.size());
    QPoint first(-1, -1);
    EXPECT_EQ(differingPixels(shown, expected, first), 0) << "first at " << first.x() << "," << first.y();
    // What the frames left is what one paint of the last pose gives.
    const QImage fresh = underlaidWindow.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(differingPixels(shown, fresh, first), 0) << "first at " << first.x() << "," << first.y();
}

INSTANTIATE_TEST_SUITE_P(
    Pages, UnderlaidPage,
    ::testing::Values(UnderlayCase{"GreyApart", false, 135, {20.5, 30.25}, false},
                      UnderlayCase{"PictureApart", true, 135, {20.5, 30.25}, false},
                      UnderlayCase{"PictureApartSelected", true, 135, {20.5, 30.25}, true},
                      UnderlayCase{"PicturePartlyOffTheWindow", true, 140, {-45.5, -20.75}, false},
                      UnderlayCase{"GreyPartlyOffTheWindow", false, 140, {330.5, 100.25}, true},
                      UnderlayCase{"PictureTouchingSelected", true, 120, {20.5, 30.25}, true}),
    [](const ::testing::TestParamInfo<UnderlayCase> &info) { return std::string(info.param.name); });

} // namespace
