#include "fake_input_platform.h"

#include "triggers/hot_corner_monitor.h"

#include "screen_pointer_locator.h"

#include <gtest/gtest.h>

namespace {

using Corner = Settings::HotCorner;

class HotCornerTest : public ::testing::Test
{
protected:
    HotCornerTest() : monitor(pointer, timers.factory())
    {
        monitor.action = [this] { ++fired; };
        monitor.isVisible = [this] { return visible; };
    }

    // `count` polls with the pointer at p.
    void pollAt(QPointF p, int count = 1)
    {
        pointer.pointer = p;
        for (int i = 0; i < count; ++i)
            timers.fireAll();
    }

    FakePointerLocator pointer; // one 1440 x 900 screen at the origin
    FakeTimers timers;
    HotCornerMonitor monitor;
    int fired = 0;
    bool visible = false;
};

struct CornerCase
{
    const char *name;
    Corner corner;
    QPointF point;
    bool inside;
};

class HotCornerGeometryTest : public HotCornerTest, public ::testing::WithParamInterface<CornerCase>
{
};

TEST_P(HotCornerGeometryTest, FiresOnlyInTheCorner)
{
    const CornerCase &c = GetParam();
    monitor.setCorner(c.corner);
    monitor.start();
    pollAt(c.point, 3);
    EXPECT_EQ(fired, c.inside ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Corners, HotCornerGeometryTest,
    ::testing::Values(CornerCase{"TopRightJustInside", Corner::topRight, {1439, 899}, true},
                      CornerCase{"TopRightEightAway", Corner::topRight, {1432, 892}, true},
                      CornerCase{"TopRightNineFromRight", Corner::topRight, {1431, 899}, false},
                      CornerCase{"TopRightNineFromTop", Corner::topRight, {1439, 891}, false},
                      CornerCase{"TopLeft", Corner::topLeft, {0, 899}, true},
                      CornerCase{"BottomLeftOrigin", Corner::bottomLeft, {0, 0}, true},
                      CornerCase{"BottomRight", Corner::bottomRight, {1439, 3}, true},
                      CornerCase{"BottomRightIsNotTopRight", Corner::bottomRight, {1439, 899}, false},
                      CornerCase{"NoneNeverFires", Corner::none, {0, 0}, false}),
    [](const ::testing::TestParamInfo<CornerCase> &info) { return std::string(info.param.name); });

TEST_F(HotCornerTest, FiresAtTheThirdPollOncePerVisit)
{
    monitor.setCorner(Corner::topLeft);
    monitor.start();
    pollAt({2, 898}, 2);
    EXPECT_EQ(fired, 0);
    pollAt({2, 898});
    EXPECT_EQ(fired, 1);
    pollAt({2, 898}, 10);
    EXPECT_EQ(fired, 1);
    pollAt({700, 450}); // leave for one poll
    pollAt({2, 898}, 2);
    EXPECT_EQ(fired, 1);
    pollAt({2, 898});
    EXPECT_EQ(fired, 2);
}

TEST_F(HotCornerTest, NothingCountsOrResetsWhileTheLauncherIsVisible)
{
    monitor.setCorner(Corner::topLeft);
    monitor.start();
    pollAt({2, 898}, 3);
    EXPECT_EQ(fired, 1);
    visible = true;
    pollAt({700, 450}, 2); // away while visible: not counted as leaving
    pollAt({2, 898}, 5);
    visible = false; // launcher hid while the pointer stayed in the corner
    pollAt({2, 898}, 5);
    EXPECT_EQ(fired, 1);
    pollAt({700, 450});
    pollAt({2, 898}, 3);
    EXPECT_EQ(fired, 2);
}

TEST_F(HotCornerTest, CornerIsThatOfTheScreenUnderThePointer)
{
    pointer.screens.append(QRectF(1440, 100, 1024, 768)); // right of the main screen, raised
    monitor.setCorner(Corner::topRight);
    monitor.start();
    pollAt({1439, 899}, 3); // main screen's corner
    EXPECT_EQ(fired, 1);
    pollAt({2000, 400});
    pollAt({2463, 867}, 3); // second screen's top right
    EXPECT_EQ(fired, 2);
    pollAt({2000, 400});
    pollAt({2463, 899}, 3); // above the second screen: main screen, far from its corner
    EXPECT_EQ(fired, 2);
}

TEST_F(HotCornerTest, NoScreenNoCount)
{
    pointer.screens.clear();
    pointer.mainScreen.reset();
    monitor.setCorner(Corner::bottomLeft);
    monitor.start();
    pollAt({0, 0}, 5);
    EXPECT_EQ(fired, 0);
}

TEST_F(HotCornerTest, CornerNoneKeepsTheCounters)
{
    monitor.setCorner(Corner::topLeft);
    monitor.start();
    pollAt({2, 898}, 2);
    monitor.setCorner(Corner::none);
    pollAt({700, 450}, 4);
    monitor.setCorner(Corner::topLeft);
    pollAt({2, 898});
    EXPECT_EQ(fired, 1);
}

TEST_F(HotCornerTest, StartAndStopManageOneTimer)
{
    monitor.setCorner(Corner::topLeft);
    monitor.start();
    monitor.start();
    EXPECT_EQ(timers.made, 1);
    ASSERT_EQ(timers.live.size(), 1u);
    EXPECT_DOUBLE_EQ(timers.live[0]->interval, 0.15);
    monitor.stop();
    monitor.stop();
    EXPECT_TRUE(timers.live.empty());
    EXPECT_FALSE(monitor.isRunning());
    monitor.start();
    EXPECT_EQ(timers.made, 2);
}

TEST_F(HotCornerTest, NoCornerArmsNoTimer)
{
    monitor.start();
    EXPECT_TRUE(monitor.isRunning());
    EXPECT_FALSE(monitor.isPolling());
    EXPECT_EQ(timers.made, 0);

    monitor.setCorner(Corner::bottomRight);
    ASSERT_EQ(timers.live.size(), 1u);
    EXPECT_TRUE(timers.live[0]->active);
    monitor.setCorner(Corner::topLeft); // another corner: the same timer
    EXPECT_EQ(timers.made, 1);

    monitor.setCorner(Corner::none);
    EXPECT_TRUE(timers.live.empty());
    EXPECT_TRUE(monitor.isRunning());

    // Stopped: a corner set now waits for the next start.
    monitor.stop();
    monitor.setCorner(Corner::topRight);
    EXPECT_TRUE(timers.live.empty());
    monitor.start();
    EXPECT_EQ(timers.live.size(), 1u);
    EXPECT_EQ(timers.made, 2);
}

TEST(ScreenPointerLocatorConversion, TopRowStaysInsideTheFrame)
{
    // Qt: primary 1440 x 900 at the origin, a second screen to its right.
    const int bottom = 900;
    EXPECT_EQ(ScreenPointerLocator::toUnflipped(QRect(0, 0, 1440, 900), bottom), QRectF(0, 0, 1440, 900));
    EXPECT_EQ(ScreenPointerLocator::toUnflipped(QRect(1440, -100, 1024, 768), bottom), QRectF(1440, 232, 1024, 768));
    EXPECT_EQ(ScreenPointerLocator::toUnflipped(QPoint(0, 0), bottom), QPointF(0, 899));
    EXPECT_EQ(ScreenPointerLocator::toUnflipped(QPoint(1439, 899), bottom), QPointF(1439, 0));
}

TEST(ScreenPointerLocatorConversion, TopRightPixelIsTheTopRightCorner)
{
    FakeTimers timers;
    FakePointerLocator pointer;
    pointer.pointer = ScreenPointerLocator::toUnflipped(QPoint(1439, 0), 900);
    HotCornerMonitor monitor(pointer, timers.factory());
    int fired = 0;
    monitor.action = [&] { ++fired; };
    monitor.setCorner(Corner::topRight);
    monitor.start();
    for (int i = 0; i < 3; ++i)
        timers.fireAll();
    EXPECT_EQ(fired, 1);
}

} // namespace
