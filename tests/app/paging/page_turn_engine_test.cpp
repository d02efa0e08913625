#include "paging/page_turn_engine.h"

#include "support/temp_env.h"

#include <gtest/gtest.h>

#include <QList>
#include <QSet>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

using Signal = PageDragGesture::Signal;

// The launcher view as the engine sees it, with a clock the test drives.
struct FakeHost : PageTurnEngine::Host
{
    int current = 0;
    int count = 5;
    bool animate = true;
    double width = 1000;
    double time = 100;
    QSet<int> emptyPages;

    bool clockRunning = false;
    bool outgoing = false;
    double inX = 0;
    double outX = 0;
    std::vector<double> inXHistory;
    QList<int> shownPages;
    struct Idle
    {
        int token;
        double due;
    };
    QList<Idle> idleChecks;

    int currentPage() const override { return current; }
    int pageCount() const override { return count; }
    bool pagingEnabled() const override { return animate; }
    double viewWidth() const override { return width; }
    double now() const override { return time; }
    bool detachCurrentTiles() override
    {
        outgoing = !emptyPages.contains(current);
        return outgoing;
    }
    void showPage(int page) override
    {
        current = std::clamp(page, 0, count - 1);
        shownPages.append(current);
    }
    void setIncomingOrigin(double x) override
    {
        inX = x;
        inXHistory.push_back(x);
    }
    void setOutgoingOrigin(double x) override { outX = x; }
    void resetHosts() override
    {
        inX = 0;
        outX = 0;
        outgoing = false;
    }
    void startSlideClock() override { clockRunning = true; }
    void stopSlideClock() override { clockRunning = false; }
    void scheduleGestureIdle(int token, double delay) override { idleChecks.append({token, time + delay}); }
};

PageTurnEngine::Configuration options(bool dumpWindows, std::optional<double> slideProgress = std::nullopt,
                               std::optional<double> slideDuration = std::nullopt)
{
    PageTurnEngine::Configuration result;
    result.dumpWindows = dumpWindows;
    result.slideProgress = slideProgress;
    result.slideDuration = slideDuration;
    return result;
}

class PageTurnEngineTest : public ::testing::Test
{
protected:
    // Frames at 60 Hz until the slide clock stops (or `seconds` pass).
    void runFrames(PageTurnEngine &engine, double seconds = 5)
    {
        const double end = host.time + seconds;
        while (host.clockRunning && host.time < end) {
            host.time += 1.0 / 60;
            engine.slideTick(host.time);
        }
    }
    void advance(PageTurnEngine &engine, double seconds)
    {
        const double end = host.time + seconds;
        while (host.clockRunning && host.time + 1.0 / 60 <= end) {
            host.time += 1.0 / 60;
            engine.slideTick(host.time);
        }
        host.time = end;
        if (host.clockRunning)
            engine.slideTick(host.time);
    }

    FakeHost host;
};

TEST_F(PageTurnEngineTest, AnimatedTurnSlidesBothPagesAndEndsIdle)
{
    PageTurnEngine engine(host);
    engine.goToPage(1);
    // From the preparation on, the current page is the page entered.
    EXPECT_EQ(host.current, 1);
    EXPECT_EQ(engine.pagingFromPage(), 0);
    EXPECT_TRUE(engine.isInteractivePaging());
    EXPECT_TRUE(engine.isPagingAnimating());
    EXPECT_TRUE(host.outgoing);
    EXPECT_DOUBLE_EQ(host.inX, 1000);
    EXPECT_DOUBLE_EQ(engine.slideDuration(), 0.42);

    advance(engine, 0.21); // half the time, half the way (smoothstep)
    EXPECT_NEAR(host.inX, 500, 1e-6);
    EXPECT_NEAR(host.outX, -500, 1e-6);

    runFrames(engine);
    EXPECT_EQ(host.current, 1);
    EXPECT_FALSE(engine.isInteractivePaging());
    EXPECT_FALSE(engine.isPagingAnimating());
    EXPECT_FALSE(host.outgoing);
    EXPECT_DOUBLE_EQ(host.inX, 0);
    EXPECT_DOUBLE_EQ(engine.slideOffset(), 0);
}

TEST_F(PageTurnEngineTest, TurnToThePreviousPageEntersFromTheLeft)
{
    host.current = 2;
    PageTurnEngine engine(host);
    engine.goToPage(1);
    EXPECT_DOUBLE_EQ(host.inX, -1000);
    advance(engine, 0.21);
    EXPECT_NEAR(host.inX, -500, 1e-6);
    EXPECT_NEAR(host.outX, 500, 1e-6);
}

struct GoToCase
{
    const char *name;
    int from;
    int request;
    int expectedPage; // after the turn has ended
    bool turns;
};

class GoToPageTest : public PageTurnEngineTest, public ::testing::WithParamInterface<GoToCase>
{
};

TEST_P(GoToPageTest, MovesAtMostOnePage)
{
    const GoToCase &c = GetParam();
    host.current = c.from;
    LogCapture log;
    PageTurnEngine engine(host, options(true));
    engine.goToPage(c.request);
    EXPECT_EQ(engine.isPagingAnimating(), c.turns);
    runFrames(engine);
    EXPECT_EQ(host.current, c.expectedPage);
    if (!c.turns) {
        EXPECT_TRUE(log.lines().isEmpty()) << log.lines().join('\n').toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GoToPageTest,
    ::testing::Values(GoToCase{"Next", 0, 1, 1, true}, GoToCase{"DistantPageOneStep", 0, 3, 1, true},
                      GoToCase{"DistantBackOneStep", 4, 0, 3, true}, GoToCase{"SamePage", 2, 2, 2, false},
                      GoToCase{"ClampsToCurrentFirst", 0, -5, 0, false},
                      GoToCase{"ClampsToCurrentLast", 4, 99, 4, false}),
    [](const ::testing::TestParamInfo<GoToCase> &info) { return std::string(info.param.name); });

TEST_F(PageTurnEngineTest, SinglePageNeverTurns)
{
    host.count = 1;
    PageTurnEngine engine(host);
    engine.goToPage(1);
    EXPECT_FALSE(engine.isInteractivePaging());
    EXPECT_EQ(host.current, 0);
}

struct DurationCase
{
    const char *name;
    std::optional<double> option;
    double expected;
};

class SlideDurationTest : public PageTurnEngineTest, public ::testing::WithParamInterface<DurationCase>
{
};

TEST_P(SlideDurationTest, UsesTheOptionWithAFloor)
{
    PageTurnEngine engine(host, options(false, std::nullopt, GetParam().option));
    engine.goToPage(1);
    EXPECT_DOUBLE_EQ(engine.slideDuration(), GetParam().expected);
    advance(engine, GetParam().expected - 0.001);
    EXPECT_TRUE(engine.isPagingAnimating());
    advance(engine, 0.002);
    EXPECT_FALSE(engine.isPagingAnimating());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SlideDurationTest,
    ::testing::Values(DurationCase{"Default", std::nullopt, 0.42}, DurationCase{"Given", 0.8, 0.8},
                      DurationCase{"RaisedToMinimum", 0.01, 0.05}, DurationCase{"Negative", -3, 0.05},
                      DurationCase{"NotANumberIsDefault", std::nan(""), 0.42},
                      DurationCase{"InfiniteIsDefault", INFINITY, 0.42}),
    [](const ::testing::TestParamInfo<DurationCase> &info) { return std::string(info.param.name); });

TEST_F(PageTurnEngineTest, WithoutAnimationTheNewPageShowsAtOnce)
{
    host.animate = false;
    LogCapture log;
    PageTurnEngine engine(host, options(true));
    engine.goToPage(1);
    EXPECT_EQ(host.current, 1);
    EXPECT_FALSE(engine.isInteractivePaging());
    EXPECT_FALSE(host.clockRunning);
    EXPECT_FALSE(host.outgoing);
    EXPECT_DOUBLE_EQ(host.inX, 0);
    EXPECT_EQ(log.lines(), QStringList({"[slide] done progress=0.000", "[slide] apply p=0.000 inX=0 outX=0",
                                        "[slide] done progress=0.000"}));
}

TEST_F(PageTurnEngineTest, SlideProgressOptionFreezesTheTurn)
{
    LogCapture log;
    PageTurnEngine engine(host, options(true, 0.5));
    engine.goToPage(1);
    EXPECT_EQ(host.current, 1);
    EXPECT_TRUE(engine.isInteractivePaging());
    EXPECT_FALSE(engine.isPagingAnimating());
    EXPECT_FALSE(host.clockRunning);
    EXPECT_DOUBLE_EQ(host.inX, 500);
    EXPECT_DOUBLE_EQ(host.outX, -500);
    EXPECT_EQ(log.lines(), QStringList({"[slide] done progress=0.000", "[slide] apply p=0.000 inX=1000 outX=0",
                                        "[slide] apply p=0.500 inX=500 outX=-500"}));
}

TEST_F(PageTurnEngineTest, NotANumberSlideProgressCountsAsTheStart)
{
    PageTurnEngine engine(host, options(false, std::nan("")));
    engine.goToPage(1);
    EXPECT_DOUBLE_EQ(engine.pagingProgress(), 0);
    EXPECT_DOUBLE_EQ(host.inX, 1000);
}

TEST_F(PageTurnEngineTest, AnimatedTurnLogsStartEndAndDone)
{
    LogCapture log;
    PageTurnEngine engine(host, options(true));
    engine.goToPage(1);
    runFrames(engine);
    EXPECT_EQ(log.lines(), QStringList({"[slide] done progress=0.000", "[slide] apply p=0.000 inX=1000 outX=0",
                                        "[slide] start from=0.000 to=1.000 duration=0.420", "[slide] end at=1.000",
                                        "[slide] done progress=0.000"}));
}

// Turning away from a page without tiles: nothing leaves, and the entering
// page must still come in from the side and stop at 0, never running the
// wrong way and jumping back at the end.
TEST_F(PageTurnEngineTest, TurnFromAnEmptyPageEntersWithoutAJump)
{
    host.emptyPages = {0};
    PageTurnEngine engine(host);
    engine.goToPage(1);
    EXPECT_FALSE(engine.hasOutgoingHost());
    EXPECT_DOUBLE_EQ(host.inX, 1000);
    runFrames(engine);
    ASSERT_FALSE(host.inXHistory.empty());
    for (size_t i = 1; i < host.inXHistory.size(); ++i)
        EXPECT_LE(host.inXHistory[i], host.inXHistory[i - 1]) << "frame " << i;
    EXPECT_DOUBLE_EQ(host.inXHistory.front(), 1000);
    EXPECT_DOUBLE_EQ(host.inX, 0);
}

TEST_F(PageTurnEngineTest, DragFromAnEmptyPageFollowsTheProgress)
{
    host.emptyPages = {0};
    PageTurnEngine engine(host);
    engine.handle(Signal::begin(1, 0.1));
    EXPECT_DOUBLE_EQ(host.inX, 900);
    engine.handle(Signal::move(0.6));
    EXPECT_DOUBLE_EQ(host.inX, 400);
}

// With animation off a drag still changes the page, but the page entered
// stands still instead of being dragged away and snapping back.
TEST_F(PageTurnEngineTest, DragWithoutAnimationKeepsTheEnteredPageInPlace)
{
    host.animate = false;
    PageTurnEngine engine(host);
    engine.handle(Signal::begin(1, 0.1));
    EXPECT_EQ(host.current, 1);
    EXPECT_FALSE(host.outgoing);
    engine.handle(Signal::move(0.7));
    EXPECT_DOUBLE_EQ(host.inX, 0);
    engine.handle(Signal::settle(true, 0.2));
    runFrames(engine);
    EXPECT_EQ(host.current, 1);
    for (double x : host.inXHistory)
        EXPECT_DOUBLE_EQ(x, 0);
}

struct QueueCase
{
    const char *name;
    QList<int> requestsDuringSlide;
    int expectedPage;
};

class QueuedTurnTest : public PageTurnEngineTest, public ::testing::WithParamInterface<QueueCase>
{
};

TEST_P(QueuedTurnTest, KeepsOnlyTheLastDirection)
{
    host.current = 2;
    PageTurnEngine engine(host);
    engine.goToPage(3);
    advance(engine, 0.1);
    for (int request : GetParam().requestsDuringSlide)
        engine.goToPage(request);
    EXPECT_EQ(host.current, 3); // nothing changes until the slide ends
    runFrames(engine);
    runFrames(engine);
    EXPECT_EQ(host.current, GetParam().expectedPage);
    EXPECT_FALSE(engine.pendingDirection());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, QueuedTurnTest,
    ::testing::Values(QueueCase{"None", {}, 3}, QueueCase{"OneMore", {4}, 4}, QueueCase{"Back", {0}, 2},
                      QueueCase{"LastWins", {4, 0, 4, 1}, 2}, QueueCase{"SamePageIgnored", {3}, 3},
                      QueueCase{"ManyStepsOneTurn", {4, 4, 4}, 4}),
    [](const ::testing::TestParamInfo<QueueCase> &info) { return std::string(info.param.name); });

TEST_F(PageTurnEngineTest, QueuedStepDiesWithASlideCutShort)
{
    PageTurnEngine engine(host);
    engine.goToPage(1);
    advance(engine, 0.1);
    engine.goToPage(2);
    ASSERT_TRUE(engine.pendingDirection());
    // The launcher hides: the half-done turn is finished, and the step asked
    // for during it goes with it.
    engine.finishPaging();
    EXPECT_FALSE(engine.pendingDirection());
    EXPECT_EQ(host.current, 1);

    // A later, unrelated turn ends exactly where it was asked to go.
    engine.goToPage(0);
    runFrames(engine);
    runFrames(engine);
    EXPECT_EQ(host.current, 0);
    EXPECT_FALSE(engine.isInteractivePaging());
}

TEST_F(PageTurnEngineTest, QueuedStepDiesWithACancelledSettle)
{
    host.current = 1;
    PageTurnEngine engine(host);
    engine.handle(Signal::begin(1, 0.05));
    engine.handle(Signal::settle(false, 0.2));
    ASSERT_TRUE(engine.isPagingAnimating());
    engine.goToPage(4); // queued while the page springs back
    ASSERT_EQ(engine.pendingDirection(), 1);
    runFrames(engine);
    EXPECT_EQ(host.current, 1);
    EXPECT_FALSE(engine.pendingDirection());

    engine.goToPage(0);
    runFrames(engine);
    runFrames(engine);
    EXPECT_EQ(host.current, 0);
}

TEST_F(PageTurnEngineTest, QueuedStepDuringACommittingSettleIsPerformed)
{
    PageTurnEngine engine(host);
    engine.handle(Signal::begin(1, 0.3));
    engine.handle(Signal::settle(true, 0.2));
    engine.goToPage(4);
    runFrames(engine);
    runFrames(engine);
    EXPECT_EQ(host.current, 2);
}

TEST_F(PageTurnEngineTest, CompletionOfAReplacedSlideNeverRuns)
{
    PageTurnEngine engine(host);
    engine.goToPage(1);
    advance(engine, 0.1);
    engine.goToPage(2); // queued
    // A drag signal prepares a new turn: the running slide is dropped.
    engine.preparePaging(1, 0.2);
    runFrames(engine);
    EXPECT_EQ(host.current, 2);
    EXPECT_TRUE(engine.isInteractivePaging());
    EXPECT_FALSE(engine.isPagingAnimating());
}

TEST_F(PageTurnEngineTest, StaleTickAfterFinishMovesNothing)
{
    PageTurnEngine engine(host);
    engine.goToPage(1);
    engine.finishPaging();
    const size_t frames = host.inXHistory.size();
    engine.slideTick(host.time + 1);
    EXPECT_EQ(host.inXHistory.size(), frames);
}

TEST_F(PageTurnEngineTest, DragCommitTurnsThePage)
{
    LogCapture log;
    PageTurnEngine engine(host, options(true));
    engine.handle(Signal::begin(1, 0.1));
    EXPECT_EQ(host.current, 1);
    EXPECT_DOUBLE_EQ(host.inX, 900);
    EXPECT_DOUBLE_EQ(host.outX, -100);
    engine.handle(Signal::move(0.5));
    EXPECT_DOUBLE_EQ(host.inX, 500);
    EXPECT_FALSE(engine.isPagingAnimating());
    engine.handle(Signal::settle(true, 0.2));
    EXPECT_TRUE(engine.isPagingAnimating());
    EXPECT_DOUBLE_EQ(engine.slideFrom(), 0.5);
    EXPECT_DOUBLE_EQ(engine.slideTo(), 1);
    runFrames(engine);
    EXPECT_EQ(host.current, 1);
    EXPECT_FALSE(engine.isInteractivePaging());
    EXPECT_TRUE(log.contains("[drag] begin direction=1 progress=0.100"));
    EXPECT_TRUE(log.contains("[drag] move progress=0.500"));
    EXPECT_TRUE(log.contains("[drag] settle commit=1 from=0.500 duration=0.200"));
}

TEST_F(PageTurnEngineTest, DragCancelReturnsToThePageItStartedFrom)
{
    host.current = 3;
    PageTurnEngine engine(host);
    engine.handle(Signal::begin(-1, 0.1));
    EXPECT_EQ(host.current, 2);
    engine.handle(Signal::move(0.2));
    engine.handle(Signal::settle(false, 0.15));
    EXPECT_DOUBLE_EQ(engine.slideTo(), 0);
    runFrames(engine);
    EXPECT_EQ(host.current, 3);
    EXPECT_EQ(host.shownPages.last(), 3);
    EXPECT_FALSE(engine.isInteractivePaging());
}

struct EdgeCase
{
    const char *name;
    int page;
    int direction;
    double expectedInX; // for progress 0.2
};

class EdgePullTest : public PageTurnEngineTest, public ::testing::WithParamInterface<EdgeCase>
{
};

TEST_P(EdgePullTest, OnlyTheCurrentPageFollowsAndSettlesBack)
{
    host.current = GetParam().page;
    PageTurnEngine engine(host);
    engine.handle(Signal::begin(GetParam().direction, 0.05));
    EXPECT_EQ(host.current, GetParam().page);
    EXPECT_FALSE(engine.hasOutgoingHost());
    engine.handle(Signal::move(0.2));
    EXPECT_DOUBLE_EQ(host.inX, GetParam().expectedInX);
    engine.handle(Signal::settle(false, 0.2));
    runFrames(engine);
    EXPECT_EQ(host.current, GetParam().page);
    EXPECT_DOUBLE_EQ(host.inX, 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, EdgePullTest,
                         ::testing::Values(EdgeCase{"FirstPage", 0, -1, 200}, EdgeCase{"LastPage", 4, 1, -200}),
                         [](const ::testing::TestParamInfo<EdgeCase> &info) { return std::string(info.param.name); });

TEST_F(PageTurnEngineTest, SignalsWithoutAPreparedTurnAreIgnored)
{
    host.current = 2;
    PageTurnEngine engine(host);
    engine.handle(Signal::begin(1, 0.2));
    // Something else finished the turn under the drag (the launcher showed
    // again, a key turned the page): its later signals change nothing.
    engine.finishPaging();
    engine.handle(Signal::move(0.7));
    engine.handle(Signal::settle(false, 0.2));
    runFrames(engine);
    EXPECT_EQ(host.current, 3);
    EXPECT_DOUBLE_EQ(host.inX, 0);
}

TEST_F(PageTurnEngineTest, PointerSignalsAreAlwaysShownSliding)
{
    host.animate = false;
    LogCapture log;
    PageTurnEngine engine(host, options(true));
    const int token = engine.gestureToken();
    engine.handlePointer(Signal::begin(1, 0.05));
    EXPECT_TRUE(host.outgoing);
    EXPECT_DOUBLE_EQ(host.inX, 950);
    engine.handlePointer(Signal::move(0.4));
    EXPECT_DOUBLE_EQ(host.outX, -400);
    engine.handlePointer(Signal::settle(true, 0.2));
    runFrames(engine);
    EXPECT_EQ(host.current, 1);
    // The release settles a pointer drag: no idle check.
    EXPECT_EQ(engine.gestureToken(), token);
    EXPECT_TRUE(host.idleChecks.isEmpty());
    EXPECT_TRUE(log.contains("[pointer-drag] begin direction=1 progress=0.050"));
    EXPECT_TRUE(log.contains("[pointer-drag] move progress=0.400"));
    EXPECT_TRUE(log.contains("[pointer-drag] settle commit=1 from=0.400 duration=0.200"));
}

// The trackpad check: a drag whose events stop settles 0.22 s after its last
// signal; earlier checks are voided by later signals.
class GestureIdleTest : public PageTurnEngineTest
{
protected:
    WheelPageNavigator::Event swipe(double dy, double t)
    {
        WheelPageNavigator::Event e;
        e.deltaY = dy;
        e.precise = true;
        e.timestamp = t;
        return e;
    }
    void feed(PageTurnEngine &engine, double dy)
    {
        const int base = engine.basePage();
        if (auto signal = gesture.consume(swipe(dy, host.time), base + 1 < host.count, base > 0))
            engine.handle(*signal);
    }
    PageDragGesture gesture;
};

TEST_F(GestureIdleTest, StaleChecksDoNothingAndTheLastOneSettles)
{
    PageTurnEngine engine(host);
    feed(engine, -20); // begins towards the next page
    ASSERT_TRUE(engine.isInteractivePaging());
    host.time += 0.05;
    feed(engine, -20);
    ASSERT_EQ(host.idleChecks.size(), 2);
    EXPECT_NEAR(host.idleChecks[1].due - host.time, PageTurnEngine::gestureIdleDelay, 1e-9);

    engine.idleCheck(host.idleChecks[0].token, gesture);
    EXPECT_FALSE(engine.isPagingAnimating());
    EXPECT_TRUE(gesture.isActive());

    engine.idleCheck(host.idleChecks[1].token, gesture);
    EXPECT_TRUE(engine.isPagingAnimating());
    EXPECT_FALSE(gesture.isActive());
    runFrames(engine);
    // 40 points without phases is past the discrete threshold: committed.
    EXPECT_EQ(host.current, 1);
}

TEST_F(GestureIdleTest, CheckLeavesASettlingDragAlone)
{
    PageTurnEngine engine(host);
    feed(engine, -30);
    const int token = host.idleChecks.last().token;
    // The drag is already settling (its own end came in): the token moved on
    // and the check must not end a drag a second time.
    engine.handle(*gesture.end(false));
    engine.idleCheck(token, gesture);
    EXPECT_TRUE(engine.isPagingAnimating());
    runFrames(engine);
    EXPECT_EQ(host.current, 1);
}

TEST_F(GestureIdleTest, CheckWhileAnimatingDoesNothingEvenWithTheCurrentToken)
{
    PageTurnEngine engine(host);
    feed(engine, -30);
    const int token = engine.gestureToken();
    engine.animateSlide(1, 0.3, nullptr);
    engine.idleCheck(token, gesture);
    EXPECT_TRUE(gesture.isActive());
}

TEST(PageTurnEase, IsSmoothstepClamped)
{
    EXPECT_DOUBLE_EQ(PageTurnEngine::slideEase(-1), 0);
    EXPECT_DOUBLE_EQ(PageTurnEngine::slideEase(0.25), 0.15625);
    EXPECT_DOUBLE_EQ(PageTurnEngine::slideEase(0.5), 0.5);
    EXPECT_DOUBLE_EQ(PageTurnEngine::slideEase(2), 1);
}

} // namespace
