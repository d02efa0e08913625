#include "paging/paging_input_router.h"

#include "support/temp_env.h"

#include <gtest/gtest.h>

#include <QWheelEvent>

#include <algorithm>

namespace {

using Phase = WheelPageNavigator::Phase;
using Event = WheelPageNavigator::Event;

struct Host : PageTurnEngine::Host
{
    int current = 0;
    int count = 5;
    bool animate = false;
    double time = 0;
    bool clockRunning = false;

    int currentPage() const override { return current; }
    int pageCount() const override { return count; }
    bool pagingEnabled() const override { return animate; }
    double viewWidth() const override { return 1000; }
    double now() const override { return time; }
    bool detachCurrentTiles() override { return true; }
    void showPage(int page) override { current = std::clamp(page, 0, count - 1); }
    void setIncomingOrigin(double) override {}
    void setOutgoingOrigin(double) override {}
    void resetHosts() override {}
    void startSlideClock() override { clockRunning = true; }
    void stopSlideClock() override { clockRunning = false; }
    void scheduleGestureIdle(int, double) override {}
};

// The view's paging fields, the engine and the router over them.
class RouterTest : public ::testing::Test
{
protected:
    void runFrames()
    {
        while (host.clockRunning) {
            host.time += 1.0 / 60;
            engine.slideTick(host.time);
        }
    }
    static Event notch(double dy, double t)
    {
        Event e;
        e.deltaY = dy;
        e.timestamp = t;
        return e;
    }
    static Event precise(double dy, double t, Phase phase = Phase::none)
    {
        Event e;
        e.deltaY = dy;
        e.precise = true;
        e.phase = phase;
        e.timestamp = t;
        return e;
    }

    Host host;
    WheelPageNavigator wheel;
    PageDragGesture drag;
    SideButtonPagePolicy side;
    PointerPageDrag pointer;
    double lastPrecise = -1;
    PageTurnEngine engine{host};
    PagingInputRouter router{engine, {wheel, drag, side, pointer, lastPrecise}, false};
};

// --- Qt scroll events into the policies' event

struct TranslateCase
{
    const char *name;
    PagingInputRouter::QtScroll scroll;
    Event expected;
};

class TranslateTest : public ::testing::TestWithParam<TranslateCase>
{
};

TEST_P(TranslateTest, MapsDeltasPrecisionAndPhases)
{
    Host host;
    WheelPageNavigator wheel;
    PageDragGesture drag;
    SideButtonPagePolicy side;
    PointerPageDrag pointer;
    double lastPrecise = -1;
    PageTurnEngine engine(host);
    PagingInputRouter router(engine, {wheel, drag, side, pointer, lastPrecise}, false);
    EXPECT_EQ(router.translate(GetParam().scroll), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TranslateTest,
    ::testing::Values(
        TranslateCase{"WheelNotchDown",
                      {{}, {0, -120}, Qt::NoScrollPhase, false, 1.5},
                      {0, -1, false, false, Phase::none, Phase::none, 1.5}},
        TranslateCase{"TwoNotchesUp",
                      {{}, {0, 240}, Qt::NoScrollPhase, false, 2},
                      {0, 2, false, false, Phase::none, Phase::none, 2}},
        TranslateCase{"HorizontalNotch",
                      {{}, {-120, 0}, Qt::NoScrollPhase, false, 0},
                      {-1, 0, false, false, Phase::none, Phase::none, 0}},
        TranslateCase{"HighResolutionWheelIsPrecise",
                      {{}, {0, -15}, Qt::NoScrollPhase, false, 0},
                      {0, -1.875, true, false, Phase::none, Phase::none, 0}},
        TranslateCase{"X11TouchpadIsPrecise",
                      {{}, {36, -200}, Qt::NoScrollPhase, false, 0},
                      {4.5, -25, true, false, Phase::none, Phase::none, 0}},
        TranslateCase{"PixelDeltaIsPoints",
                      {{3, -7.5}, {24, -60}, Qt::NoScrollPhase, false, 0},
                      {3, -7.5, true, false, Phase::none, Phase::none, 0}},
        TranslateCase{"InvertedPassedOn",
                      {{0, 4}, {}, Qt::ScrollUpdate, true, 0},
                      {0, 4, true, true, Phase::changed, Phase::none, 0}},
        TranslateCase{"BeginWithoutDeltas",
                      {{}, {}, Qt::ScrollBegin, false, 0},
                      {0, 0, true, false, Phase::began, Phase::none, 0}},
        TranslateCase{"PhasedAnglesArePoints",
                      {{}, {0, 120}, Qt::ScrollUpdate, false, 0},
                      {0, 15, true, false, Phase::changed, Phase::none, 0}},
        TranslateCase{"EndWithoutMomentum",
                      {{}, {}, Qt::ScrollEnd, false, 0},
                      {0, 0, true, false, Phase::ended, Phase::none, 0}}),
    [](const ::testing::TestParamInfo<TranslateCase> &info) { return std::string(info.param.name); });

TEST_F(RouterTest, MomentumRunBeginsChangesAndEndsTheMomentum)
{
    auto at = [](Qt::ScrollPhase phase, double dy) {
        return PagingInputRouter::QtScroll{{0, dy}, {}, phase, false, 0};
    };
    EXPECT_EQ(router.translate(at(Qt::ScrollBegin, 0)).phase, Phase::began);
    EXPECT_EQ(router.translate(at(Qt::ScrollUpdate, -5)).phase, Phase::changed);
    const Event first = router.translate(at(Qt::ScrollMomentum, -4));
    EXPECT_EQ(first.phase, Phase::none);
    EXPECT_EQ(first.momentumPhase, Phase::began);
    EXPECT_EQ(router.translate(at(Qt::ScrollMomentum, -2)).momentumPhase, Phase::changed);
    const Event end = router.translate(at(Qt::ScrollEnd, 0));
    EXPECT_EQ(end.phase, Phase::none);
    EXPECT_EQ(end.momentumPhase, Phase::ended);
    // The next end belongs to a new gesture again.
    router.translate(at(Qt::ScrollBegin, 0));
    EXPECT_EQ(router.translate(at(Qt::ScrollEnd, 0)).phase, Phase::ended);
}

TEST_F(RouterTest, TranslatesAQWheelEvent)
{
    QWheelEvent event(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, true);
    event.setTimestamp(2500);
    const Event e = router.translate(event);
    EXPECT_EQ(e, (Event{0, -1, false, true, Phase::none, Phase::none, 2.5}));
}

TEST(PagingPhaseBits, AreThePlatformValues)
{
    EXPECT_EQ(PagingInputRouter::phaseBits(Phase::none), 0);
    EXPECT_EQ(PagingInputRouter::phaseBits(Phase::began), 1);
    EXPECT_EQ(PagingInputRouter::phaseBits(Phase::changed), 4);
    EXPECT_EQ(PagingInputRouter::phaseBits(Phase::ended), 8);
    EXPECT_EQ(PagingInputRouter::phaseBits(Phase::cancelled), 16);
    EXPECT_EQ(PagingInputRouter::phaseBits(Phase::mayBegin), 32);
}

// --- Notch versus precise

TEST_F(RouterTest, NotchStepsAPageAndPreciseInputDrags)
{
    router.scroll(notch(-1, 10));
    EXPECT_EQ(host.current, 1);
    EXPECT_FALSE(engine.isInteractivePaging());
    EXPECT_DOUBLE_EQ(lastPrecise, -1);

    router.scroll(precise(-30, 20));
    EXPECT_TRUE(engine.isInteractivePaging());
    EXPECT_EQ(engine.pagingFromPage(), 1);
    EXPECT_EQ(host.current, 2); // the page being entered
    EXPECT_DOUBLE_EQ(lastPrecise, 20);
}

TEST_F(RouterTest, NotchUpGoesBack)
{
    host.current = 3;
    router.scroll(notch(1, 10));
    EXPECT_EQ(host.current, 2);
}

TEST_F(RouterTest, SinglePageIgnoresScrolling)
{
    host.count = 1;
    router.scroll(notch(-1, 10));
    router.scroll(precise(-50, 11));
    EXPECT_EQ(host.current, 0);
    EXPECT_FALSE(engine.isInteractivePaging());
    EXPECT_DOUBLE_EQ(lastPrecise, -1);
}

struct SuppressionCase
{
    const char *name;
    double lastPrecise;
    double notchTime;
    bool turns;
};

class NotchSuppressionTest : public RouterTest, public ::testing::WithParamInterface<SuppressionCase>
{
};

TEST_P(NotchSuppressionTest, NotchesWaitAfterPreciseInput)
{
    lastPrecise = GetParam().lastPrecise;
    router.scroll(notch(-1, GetParam().notchTime));
    EXPECT_EQ(host.current, GetParam().turns ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NotchSuppressionTest,
    ::testing::Values(SuppressionCase{"NoPreciseInputYet", -1, 0.5, true},
                      SuppressionCase{"OneSecondAfter", 10, 11, false},
                      SuppressionCase{"JustInside", 10, 11.19, false},
                      SuppressionCase{"AfterTheWindow", 10, 11.3, true},
                      SuppressionCase{"ClockWentBack", 10, 9.5, false},
                      SuppressionCase{"PreciseAtTimeZero", 0, 0.5, false}),
    [](const ::testing::TestParamInfo<SuppressionCase> &info) { return std::string(info.param.name); });

TEST_F(RouterTest, PreciseInputDuringASlideIsIgnoredButStillSuppressesNotches)
{
    host.animate = true;
    router.scroll(notch(-1, 10));
    ASSERT_TRUE(engine.isPagingAnimating());
    router.scroll(precise(-80, 10.1));
    EXPECT_DOUBLE_EQ(lastPrecise, 10.1);
    EXPECT_EQ(engine.pagingFromPage(), 0); // no drag started over the slide
    EXPECT_FALSE(drag.isActive());
    router.scroll(notch(-1, 10.5));
    EXPECT_FALSE(engine.pendingDirection());
}

TEST_F(RouterTest, NotchDuringASlideIsQueued)
{
    host.animate = true;
    router.scroll(notch(-1, 10));
    ASSERT_TRUE(engine.isPagingAnimating());
    router.scroll(notch(-1, 10.4)); // past the wheel cooldown
    EXPECT_EQ(engine.pendingDirection(), 1);
    runFrames();
    runFrames();
    EXPECT_EQ(host.current, 2);
}

TEST_F(RouterTest, PhasedSwipeTurnsOnePageWithItsEnd)
{
    host.animate = true;
    router.scroll(precise(0, 1.0, Phase::began));
    for (int i = 1; i <= 8; ++i)
        router.scroll(precise(-15, 1.0 + i * 0.016, Phase::changed));
    EXPECT_TRUE(engine.isInteractivePaging());
    router.scroll(precise(0, 1.2, Phase::ended));
    EXPECT_TRUE(engine.isPagingAnimating());
    runFrames();
    EXPECT_EQ(host.current, 1);
    EXPECT_FALSE(engine.isInteractivePaging());
}

TEST_F(RouterTest, SwipeTowardsAMissingPageSettlesBack)
{
    host.animate = true;
    router.scroll(precise(0, 1.0, Phase::began));
    for (int i = 1; i <= 20; ++i)
        router.scroll(precise(30, 1.0 + i * 0.016, Phase::changed)); // towards the previous page
    EXPECT_EQ(host.current, 0);
    EXPECT_LE(engine.pagingProgress(), 0.22);
    router.scroll(precise(0, 1.4, Phase::ended));
    runFrames();
    EXPECT_EQ(host.current, 0);
    EXPECT_FALSE(engine.isInteractivePaging());
}

TEST_F(RouterTest, LogsWheelLinesWithDumpWindows)
{
    PagingInputRouter logging(engine, {wheel, drag, side, pointer, lastPrecise}, true);
    LogCapture log;
    logging.scroll(notch(-1, 3.25));
    EXPECT_EQ(log.lines(), QStringList({"[wheel-event] dx=0.0 dy=-1.0 precise=0 inverted=0 phase=0 momentum=0 t=3.250",
                                        "[wheel] direction=next from=0 to=1 precise=0", "[page] 1"}))
        << log.lines().join('\n').toStdString();
}

// --- Side buttons

struct SideCase
{
    const char *name;
    bool animate;
    QList<QPair<int, double>> presses; // button, time
    int expectedPage;
};

class SideButtonTest : public RouterTest, public ::testing::WithParamInterface<SideCase>
{
};

TEST_P(SideButtonTest, StepsWithCooldown)
{
    host.current = 2;
    host.animate = GetParam().animate;
    for (const auto &[button, t] : GetParam().presses) {
        host.time = t;
        router.sideButton(button, t, button, true);
        // Frames up to the next press only.
    }
    runFrames();
    EXPECT_EQ(host.current, GetParam().expectedPage);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SideButtonTest,
    ::testing::Values(SideCase{"Back", false, {{3, 1.0}}, 1}, SideCase{"Forward", false, {{4, 1.0}}, 3},
                      SideCase{"SecondPressInCooldown", false, {{3, 1.0}, {3, 1.1}}, 1},
                      SideCase{"SecondPressAfterCooldown", false, {{3, 1.0}, {3, 1.2}}, 0},
                      SideCase{"AlternatingAfterCooldown", false, {{3, 1.0}, {4, 1.15}}, 2},
                      SideCase{"OtherButtonsDoNothing", false, {{2, 1.0}, {5, 1.05}, {1, 1.1}}, 2},
                      SideCase{"OtherButtonUsesNoCooldown", false, {{5, 1.0}, {3, 1.01}}, 1},
                      SideCase{"IgnoredWhileSliding", true, {{3, 1.0}, {3, 1.2}, {4, 1.3}}, 1}),
    [](const ::testing::TestParamInfo<SideCase> &info) { return std::string(info.param.name); });

TEST_F(RouterTest, RefusedSideButtonUsesNoCooldown)
{
    host.current = 2;
    router.sideButton(3, 1.0, 3, false);
    EXPECT_EQ(host.current, 2);
    router.sideButton(3, 1.01, 3, true);
    EXPECT_EQ(host.current, 1);
}

TEST_F(RouterTest, SideButtonLogLines)
{
    PagingInputRouter logging(engine, {wheel, drag, side, pointer, lastPrecise}, true);
    host.current = 2;
    LogCapture log;
    logging.sideButton(3, 1.0, 3, true);
    EXPECT_TRUE(log.contains("[side-button] button=3 direction=previous from=2 to=1"));
    EXPECT_EQ(log.lines().last(), "[page] 1");
}

// --- Pointer drags

struct PointerCase
{
    const char *name;
    int page;
    QList<QPair<double, double>> moves; // x, time; the press is at x 600, time 0
    double releaseTime;
    bool begins;
    int expectedPage;
};

class PointerDragTest : public RouterTest, public ::testing::WithParamInterface<PointerCase>
{
};

TEST_P(PointerDragTest, TurnsOnlyPastItsThresholds)
{
    const PointerCase &c = GetParam();
    host.current = c.page;
    router.armPointer(600, 0);
    bool began = false;
    for (const auto &[x, t] : c.moves) {
        if (const auto signal = router.pointerMoved(x, t, 1000))
            began = began || signal->kind == PageDragGesture::Signal::Kind::begin;
    }
    EXPECT_EQ(began, c.begins);
    router.pointerReleased(c.releaseTime);
    runFrames();
    EXPECT_EQ(host.current, c.expectedPage);
    EXPECT_FALSE(engine.isInteractivePaging());
    EXPECT_FALSE(pointer.isArmed());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PointerDragTest,
    ::testing::Values(
        PointerCase{"BelowActivation", 1, {{593, 0.1}, {595, 0.5}}, 1.0, false, 1},
        PointerCase{"ActivatesAtEightPoints", 1, {{592, 0.1}}, 1.0, true, 1},
        PointerCase{"FarLeftTurnsToNext", 1, {{500, 0.5}, {400, 1.0}, {300, 1.5}}, 2.0, true, 2},
        PointerCase{"FarRightTurnsToPrevious", 1, {{700, 0.5}, {800, 1.0}, {900, 1.5}}, 2.0, true, 0},
        PointerCase{"ShortSlowDragSpringsBack", 1, {{560, 0.5}, {550, 1.0}}, 1.5, true, 1},
        PointerCase{"FlickCommits", 1, {{580, 0.01}, {560, 0.02}, {540, 0.03}}, 0.04, true, 2},
        PointerCase{"MovedBackBeforeReleaseSpringsBack", 1, {{300, 0.5}, {590, 1.0}}, 1.5, true, 1},
        PointerCase{"FirstPageResists", 0, {{700, 0.2}, {900, 0.4}, {1000, 0.6}}, 1.0, true, 0},
        PointerCase{"LastPageResists", 4, {{500, 0.2}, {300, 0.4}, {0, 0.6}}, 1.0, true, 4}),
    [](const ::testing::TestParamInfo<PointerCase> &info) { return std::string(info.param.name); });

TEST_F(RouterTest, PointerDragAtAnEdgeIsResisted)
{
    router.armPointer(600, 0);
    router.pointerMoved(1000, 0.5, 1000); // 400 points towards a missing previous page
    EXPECT_TRUE(engine.isInteractivePaging());
    EXPECT_EQ(host.current, 0);
    EXPECT_LT(engine.pagingProgress(), 0.22);
    EXPECT_GT(engine.pagingProgress(), 0.1);
}

TEST_F(RouterTest, UnarmedPointerMovesNothing)
{
    EXPECT_FALSE(router.pointerMoved(100, 0.5, 1000));
    EXPECT_FALSE(router.pointerReleased(0.6));
    EXPECT_FALSE(engine.isInteractivePaging());
}

} // namespace
