#include "launcher/centered_scale_effect.h"

#include <QImage>
#include <QPainter>
#include <QWidget>

#include <gtest/gtest.h>

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

} // namespace
