#include "tiles/page_dots_view.h"

#include "policy/page_dots_geometry.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

#include <optional>

namespace {

// Records the clicks that reach it: those the dots let through.
class Background : public QWidget
{
public:
    int presses = 0;

protected:
    void mousePressEvent(QMouseEvent *event) override
    {
        ++presses;
        event->accept();
    }
};

class CountingDots : public PageDotsView
{
public:
    using PageDotsView::PageDotsView;
    int paints = 0;

protected:
    void paintEvent(QPaintEvent *event) override
    {
        ++paints;
        PageDotsView::paintEvent(event);
    }
};

QImage rendered(PageDotsView &view)
{
    QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    view.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

void click(QWidget *view, QPointF at)
{
    QMouseEvent press(QEvent::MouseButtonPress, at, view->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(view, &press);
}

class PageDotsViewTest : public ::testing::Test
{
protected:
    PageDotsViewTest()
    {
        background.resize(200, 100);
        dots = new PageDotsView(&background);
        dots->setGeometry(0, 40, 100, 20);
        dots->onClick = [this](int index) { clicks << index; };
    }

    Background background;
    PageDotsView *dots;
    QList<int> clicks;
};

TEST_F(PageDotsViewTest, DrawsTheCurrentDotBrightAndTheOthersFaint)
{
    dots->setCount(3);
    dots->setCurrent(1);
    const QImage image = rendered(*dots);
    // Three dots 7 across, 15 apart, centred in 100 x 20: centres 35, 50, 65.
    for (int i = 0; i < 3; ++i)
        EXPECT_DOUBLE_EQ(PageDotsGeometry::centerX(i, 3, 100), 35.0 + 15 * i);
    EXPECT_EQ(image.pixelColor(50, 10).alpha(), 242);
    EXPECT_EQ(image.pixelColor(35, 10).alpha(), 89);
    EXPECT_EQ(image.pixelColor(65, 10).alpha(), 89);
    EXPECT_EQ(image.pixelColor(50, 10).red(), 255);
    EXPECT_EQ(image.pixelColor(50, 10).blue(), 255);
    // Between dots, above and below them: nothing.
    EXPECT_EQ(image.pixelColor(42, 10).alpha(), 0);
    EXPECT_EQ(image.pixelColor(50, 4).alpha(), 0);
    EXPECT_EQ(image.pixelColor(50, 16).alpha(), 0);
    EXPECT_EQ(image.pixelColor(20, 10).alpha(), 0);
}

TEST_F(PageDotsViewTest, CurrentOutsideTheRangeLightsNoDot)
{
    dots->setCount(2);
    dots->setCurrent(5);
    const QImage image = rendered(*dots);
    EXPECT_EQ(image.pixelColor(int(PageDotsGeometry::centerX(0, 2, 100)), 10).alpha(), 89);
    EXPECT_EQ(image.pixelColor(int(PageDotsGeometry::centerX(1, 2, 100)), 10).alpha(), 89);
}

TEST_F(PageDotsViewTest, OneOrNoPageDrawsNothingAndLetsClicksThrough)
{
    for (int count : {0, 1}) {
        SCOPED_TRACE(count);
        dots->setCount(count);
        const QImage image = rendered(*dots);
        for (int x = 0; x < 100; ++x)
            ASSERT_EQ(image.pixelColor(x, 10).alpha(), 0);
        const int before = background.presses;
        click(dots, QPointF(50, 10));
        EXPECT_EQ(background.presses, before + 1);
    }
    EXPECT_TRUE(clicks.isEmpty());
}

TEST_F(PageDotsViewTest, ClickOnADotReportsItsIndexAndStopsThere)
{
    dots->setCount(3);
    dots->setCurrent(1);
    click(dots, QPointF(35, 10));
    click(dots, QPointF(50 + 3.5 + 3, 2)); // the current dot, at the edge of its reach; y plays no part
    click(dots, QPointF(65 - 6.5, 18));
    EXPECT_EQ(clicks, (QList<int>{0, 1, 2}));
    EXPECT_EQ(background.presses, 0);
}

TEST_F(PageDotsViewTest, ClickBetweenDotsGoesToTheBackground)
{
    dots->setCount(3);
    click(dots, QPointF(42.5, 10)); // 7.5 from both centres, reach is 7
    click(dots, QPointF(5, 10));
    EXPECT_TRUE(clicks.isEmpty());
    EXPECT_EQ(background.presses, 2);
}

TEST(PageDotsRedrawTest, OnlyAChangedValueRedraws)
{
    CountingDots dots;
    dots.resize(100, 20);
    dots.setCount(4);
    dots.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dots));
    QCoreApplication::processEvents();
    dots.paints = 0;

    dots.setCurrent(0);
    dots.setCount(4);
    QCoreApplication::processEvents();
    EXPECT_EQ(dots.paints, 0);

    dots.setCurrent(2);
    QCoreApplication::processEvents();
    EXPECT_EQ(dots.paints, 1);

    dots.setCount(5);
    QCoreApplication::processEvents();
    EXPECT_EQ(dots.paints, 2);
}

} // namespace
