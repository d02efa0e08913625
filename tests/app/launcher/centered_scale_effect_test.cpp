#include "launcher/centered_scale_effect.h"
#include "launcher/picture_reserve.h"

#include <QApplication>
#include <QBackingStore>
#include <QImage>
#include <QPainter>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace {

// A child that fills itself and counts how often it is painted.
class CountingView : public QWidget
{
public:
    using QWidget::QWidget;
    int paints = 0;

protected:
    void paintEvent(QPaintEvent *) override
    {
        ++paints;
        QPainter(this).fillRect(rect(), Qt::red);
    }
};

struct ScaledHost
{
    ScaledHost()
    {
        window.resize(200, 100);
        host = new QWidget(&window);
        host->setGeometry(window.rect());
        child = new CountingView(host);
        child->setGeometry(50, 25, 100, 50);
        effect = new CenteredScaleEffect(host);
        host->setGraphicsEffect(effect);
        effect->setScale(0.5);
        // Visible, as a window's grid is, without reaching a screen.
        window.setAttribute(Qt::WA_DontShowOnScreen);
        window.show();
    }

    QImage render()
    {
        QImage image(window.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        window.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        return image;
    }

    QWidget window;
    QWidget *host = nullptr;
    CountingView *child = nullptr;
    CenteredScaleEffect *effect = nullptr;
};

// The host is pictured once and the picture is drawn at every scale; its
// content is rendered again only when said to have changed, and the picture
// goes with the effect.
TEST(CenteredScaleEffectTest, PicturesTheHostOnceAndDrawsThePictureAtEachScale)
{
    ScaledHost scaled;
    const QImage half = scaled.render();
    EXPECT_EQ(scaled.child->paints, 1);
    EXPECT_TRUE(scaled.effect->hasPicture());
    // The child, 100 x 50 about the centre, drawn at half size: 75..125 x 37..62.
    EXPECT_EQ(half.pixelColor(100, 50), QColor(Qt::red));
    EXPECT_EQ(half.pixelColor(80, 45), QColor(Qt::red));
    EXPECT_EQ(half.pixelColor(60, 50).alpha(), 0);
    EXPECT_EQ(half.pixelColor(100, 30).alpha(), 0);

    scaled.effect->setScale(0.9);
    const QImage nine = scaled.render();
    EXPECT_EQ(scaled.child->paints, 1);
    // 100 x 50 at 0.9: 55..145 x 27.5..72.5.
    EXPECT_EQ(nine.pixelColor(60, 50), QColor(Qt::red));
    EXPECT_EQ(nine.pixelColor(50, 50).alpha(), 0);

    scaled.effect->refreshPicture();
    scaled.render();
    EXPECT_EQ(scaled.child->paints, 2);

    scaled.host->setGraphicsEffect(nullptr);
    const QImage full = scaled.render();
    EXPECT_EQ(scaled.child->paints, 3);
    EXPECT_EQ(full.pixelColor(52, 27), QColor(Qt::red));
}

// Children that paint a disc in the middle of their rectangle, leaving
// transparent margins: as tiles do, an icon in its cell.
class DiscView : public QWidget
{
public:
    DiscView(QColor colour, QWidget *parent) : QWidget(parent), m_colour(colour) {}

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(m_colour);
        painter.drawEllipse(QRectF(rect()).adjusted(10.5, 8.5, -12, -9));
    }

private:
    QColor m_colour;
};

// A window over an opaque background, with a host of discs scaled about its
// centre: a grid of tiles over the backdrop.
struct DiscGrid
{
    DiscGrid()
    {
        window.resize(320, 200);
        window.setAutoFillBackground(true);
        QPalette palette = window.palette();
        palette.setColor(QPalette::Window, QColor(20, 40, 60));
        window.setPalette(palette);
        host = new QWidget(&window);
        host->setGeometry(window.rect());
        const QColor colours[] = {Qt::red, Qt::green, Qt::blue, Qt::yellow, Qt::cyan, Qt::magenta};
        for (int i = 0; i < 6; ++i)
            (new DiscView(colours[i], host))->setGeometry(30 + (i % 3) * 90, 30 + (i / 3) * 80, 80, 70);
        effect = new CenteredScaleEffect(host);
        host->setGraphicsEffect(effect);
    }

    QImage render()
    {
        QImage image(window.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        window.render(&image);
        return image;
    }

    QWidget window;
    QWidget *host = nullptr;
    CenteredScaleEffect *effect = nullptr;
};

// The largest difference of any channel of any pixel.
int largestDifference(const QImage &a, const QImage &b)
{
    int largest = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QColor p = a.pixelColor(x, y);
            const QColor q = b.pixelColor(x, y);
            largest = std::max({largest, std::abs(p.red() - q.red()), std::abs(p.green() - q.green()),
                                std::abs(p.blue() - q.blue()), std::abs(p.alpha() - q.alpha())});
        }
    }
    return largest;
}

// Drawing only the parts of the picture that hold paint shows what drawing
// the whole picture would: every disc, smoothly scaled, nothing cut off.
TEST(CenteredScaleEffectTest, DrawingThePaintedPartsShowsWhatTheWholePictureWould)
{
    DiscGrid grid;
    grid.window.setAttribute(Qt::WA_DontShowOnScreen);
    grid.window.show();
    QImage whole(grid.host->size(), QImage::Format_ARGB32_Premultiplied);
    whole.fill(Qt::transparent);
    grid.host->render(&whole);

    for (const double scale : {0.94, 0.97, 0.5}) {
        grid.effect->setScale(scale);
        QImage expected(grid.window.size(), QImage::Format_ARGB32_Premultiplied);
        expected.fill(QColor(20, 40, 60));
        {
            QPainter painter(&expected);
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.translate(160, 100);
            painter.scale(scale, scale);
            painter.translate(-160, -100);
            painter.drawImage(QPointF(0, 0), whole);
        }
        EXPECT_LE(largestDifference(grid.render(), expected), 2) << "scale " << scale;
    }
}

// Between frames of a show only what the parts covered and will cover is
// painted again; the window's own pixels afterwards are those of a full
// paint at the new scale, with nothing of the previous frame left over.
TEST(CenteredScaleEffectTest, FramesRepaintOnlyThePartsAndLeaveNothingBehind)
{
    DiscGrid grid;
    grid.window.show();
    QBackingStore *store = grid.window.backingStore();
    ASSERT_NE(store, nullptr);
    for (const double scale : {0.5, 0.7, 0.94, 0.6}) {
        grid.effect->setScale(scale);
        QApplication::processEvents();
        const auto *shown = dynamic_cast<const QImage *>(store->paintDevice());
        ASSERT_NE(shown, nullptr);
        EXPECT_LE(largestDifference(shown->copy(grid.window.rect()).convertToFormat(QImage::Format_ARGB32_Premultiplied),
                                    grid.render()),
                  0)
            << "scale " << scale;
    }
}

// A changed host is pictured again in the memory the picture had, and
// nothing of what it showed before is left in it: a child that moved shows
// only where it is now.
TEST(CenteredScaleEffectTest, ARefreshedPictureShowsOnlyTheHostAsItIsNow)
{
    ScaledHost scaled;
    scaled.render();
    const uchar *memory = scaled.effect->pictureBits();
    ASSERT_NE(memory, nullptr);

    scaled.child->setGeometry(0, 0, 40, 20);
    scaled.effect->refreshPicture();
    EXPECT_FALSE(scaled.effect->hasPicture());
    const QImage moved = scaled.render();
    EXPECT_EQ(scaled.effect->pictureBits(), memory);
    // Where the child was (drawn at half size about the centre): nothing.
    EXPECT_EQ(moved.pixelColor(100, 50).alpha(), 0);
    // Where it is now: 0..40 x 0..20 at half size about (100, 50) is 50..70 x 25..35.
    EXPECT_EQ(moved.pixelColor(60, 30), QColor(Qt::red));
}

// A show's first picture is drawn in the memory prepared for it when that
// has the host's size; otherwise the effect makes its own and the prepared
// memory goes back. Either way the frame is the same.
TEST(CenteredScaleEffectTest, TheFirstPictureUsesPreparedMemoryOfItsSize)
{
    for (const QSize prepared : {QSize(200, 100), QSize(300, 100)}) {
        QWidget window;
        window.resize(200, 100);
        window.setAttribute(Qt::WA_DontShowOnScreen);
        auto *host = new QWidget(&window);
        host->setGeometry(window.rect());
        auto *child = new CountingView(host);
        child->setGeometry(50, 25, 100, 50);
        auto reserve = std::make_shared<PictureReserve>();
        reserve->prepare(prepared);
        CenteredScaleEffect::applyTo(host, 0.5, reserve);
        window.show();

        QImage image(window.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        window.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        EXPECT_TRUE(reserve->isEmpty()) << prepared.width();
        EXPECT_EQ(image.pixelColor(100, 50), QColor(Qt::red)) << prepared.width();
        EXPECT_EQ(image.pixelColor(60, 50).alpha(), 0) << prepared.width();
    }
}

// What the reserve hands out: transparent memory of the size asked for, once.
TEST(PictureReserveTest, HandsOutTransparentMemoryOfTheSizePreparedOnce)
{
    PictureReserve reserve;
    EXPECT_TRUE(reserve.take(QSize(8, 4)).isNull());
    reserve.prepare(QSize(8, 4));
    EXPECT_FALSE(reserve.isEmpty());
    const QImage picture = reserve.take(QSize(8, 4));
    ASSERT_EQ(picture.size(), QSize(8, 4));
    EXPECT_EQ(picture.format(), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            EXPECT_EQ(picture.pixel(x, y), 0u);
    EXPECT_TRUE(reserve.isEmpty());
    EXPECT_TRUE(reserve.take(QSize(8, 4)).isNull());

    reserve.prepare(QSize(8, 4));
    EXPECT_TRUE(reserve.take(QSize(4, 8)).isNull());
    EXPECT_TRUE(reserve.isEmpty());

    reserve.prepare(QSize());
    EXPECT_TRUE(reserve.isEmpty());
    reserve.prepare(QSize(8, 4));
    reserve.release();
    EXPECT_TRUE(reserve.isEmpty());
}

} // namespace
