#include "model/layout_entry.h"
#include "tiles/app_tile.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

// A tile under a layer transform (the edit-mode wobble) draws a picture of
// itself made once; these check that the picture gives the pixels the whole
// tile gives transformed, and that a new pose repaints only where the tile
// is drawn, not its whole cell and what lies under it.
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
    setIcon(tile, QColor(30, 140, 220), 64);
    TileState state = tile.state();
    state.showsDeleteBadge = c.badge;
    tile.setState(state);
    QTransform layer;
    layer.translate(c.translation.x(), c.translation.y());
    layer.rotate(c.degrees);
    tile.setLayerTransform(layer);

    const QImage expected = wholeTileTransformed(tile, layer, c.scale);
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

} // namespace
