#include "launcher/launcher_view.h"

#include "app/session/launcher_session_test_support.h"

#include "tiles/app_tile.h"
#include "tiles/icon_provider.h"
#include "tiles/page_dots_view.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QWheelEvent>

#include <functional>
#include <memory>
#include <ostream>

using session_test::SessionTest;

namespace {

// Runs the main thread's events until `done` holds (icons arrive from a
// worker thread); the bound only stops a broken build from hanging.
bool waitUntil(const std::function<bool()> &done)
{
    QDeadlineTimer deadline(20000);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// A launcher of 30 applications on a 4 x 3 grid: three pages of 12, 12 and 6.
class LauncherViewPagingTest : public SessionTest
{
protected:
    void SetUp() override
    {
        SessionTest::SetUp();
        for (int i = 0; i < 30; ++i)
            makeApp(QStringLiteral("App%1").arg(i, 2, 10, QLatin1Char('0')));
    }

    LauncherView &build(const QStringList &extra = {})
    {
        const QStringList options = QStringList{"--columns", "4", "--rows", "3"} + extra;
        session = makeSession(options);
        session->start();
        const LaunchOptions launch =
            LaunchOptions::parse(QStringList{"tessellon", "--state-dir", stateDir()} + options);
        view = std::make_unique<LauncherView>(QRect(0, 0, 1200, 800), *session, icons, launch);
        view->setTimeSource([this] { return now; });
        return *view;
    }

    // Frames of the slide clock until it stops.
    void runSlide()
    {
        for (int i = 0; i < 600 && view->slideClock().isRunning(); ++i) {
            now += 1.0 / 60;
            view->slideClock().fire();
        }
    }

    void wheel(QPoint angle, QPointF pixels = {}, Qt::ScrollPhase phase = Qt::NoScrollPhase, double t = 0)
    {
        QWheelEvent event(QPointF(600, 780), QPointF(600, 780), pixels.toPoint(), angle, Qt::NoButton,
                          Qt::NoModifier, phase, false);
        event.setTimestamp(ulong(t * 1000));
        QApplication::sendEvent(view.get(), &event);
    }

    void mouse(QEvent::Type type, QPointF at, Qt::MouseButton button = Qt::LeftButton,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier, double t = 0)
    {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
        QMouseEvent event(type, at, view->mapToGlobal(at), button, held, modifiers);
        event.setTimestamp(ulong(t * 1000));
        QApplication::sendEvent(view.get(), &event);
    }
    void click(QPointF at, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        mouse(QEvent::MouseButtonPress, at, Qt::LeftButton, modifiers);
        mouse(QEvent::MouseButtonRelease, at, Qt::LeftButton, modifiers);
    }
    void sideButton(Qt::MouseButton button, double t)
    {
        now = t;
        mouse(QEvent::MouseButtonPress, {600, 780}, button);
    }

    // The middle of tile `index`'s icon, in view coordinates.
    QPointF iconCentre(int index) const
    {
        const QRectF frame = view->tileFrames().at(index);
        return view->tilesHost()->mapTo(view.get(), QPointF(frame.center().x(), frame.top() + 10));
    }

    // Indices of the tiles shown highlighted.
    QList<int> highlighted() const
    {
        QList<int> result;
        for (int i = 0; i < view->tiles().size(); ++i) {
            if (view->tiles().at(i)->selected())
                result.append(i);
        }
        return result;
    }

    // Below the grid, above the page dots: empty space.
    static constexpr QPointF background{600, 700};

    std::unique_ptr<LauncherSession> session;
    IconProvider icons;
    std::unique_ptr<LauncherView> view;
    double now = 50;
};

TEST_F(LauncherViewPagingTest, BuildsThreePages)
{
    LauncherView &v = build();
    EXPECT_EQ(v.pageCount(), 3);
    EXPECT_EQ(v.tiles().size(), 12);
    EXPECT_FALSE(v.hitTileIndex(background));
}

// --- Wheel and trackpad

TEST_F(LauncherViewPagingTest, WheelNotchTurnsOnePageAndLogs)
{
    LauncherView &v = build({"--no-animation", "--dump-windows"});
    LogCapture log;
    wheel({0, -120}, {}, Qt::NoScrollPhase, 1.0);
    EXPECT_EQ(v.currentPage(), 1);
    EXPECT_TRUE(log.contains("[wheel-event] dx=0.0 dy=-1.0 precise=0 inverted=0 phase=0 momentum=0 t=1.000"));
    EXPECT_TRUE(log.contains("[wheel] direction=next from=0 to=1 precise=0"));
    EXPECT_EQ(log.lines().last(), "[page] 1");
}

TEST_F(LauncherViewPagingTest, WheelNotchRightAfterATrackpadSwipeIsIgnored)
{
    LauncherView &v = build({"--no-animation"});
    wheel({}, {0, -2}, Qt::NoScrollPhase, 1.0); // a precise event: a small drag
    wheel({0, -120}, {}, Qt::NoScrollPhase, 2.0);
    EXPECT_EQ(v.currentPage(), 1); // the drag's page, not one more
    wheel({0, -120}, {}, Qt::NoScrollPhase, 2.3);
    EXPECT_EQ(v.currentPage(), 2);
}

TEST_F(LauncherViewPagingTest, TrackpadSwipeSlidesAndTurns)
{
    LauncherView &v = build();
    wheel({}, {}, Qt::ScrollBegin, 1.0);
    for (int i = 1; i <= 8; ++i)
        wheel({}, {0, -15}, Qt::ScrollUpdate, 1.0 + i * 0.016);
    EXPECT_EQ(v.currentPage(), 1); // the page being entered
    EXPECT_GT(v.tilesHost()->x(), 0); // still coming in from the right
    EXPECT_LT(v.tilesHost()->x(), 1200);
    wheel({}, {}, Qt::ScrollEnd, 1.2);
    runSlide();
    EXPECT_EQ(v.currentPage(), 1);
    EXPECT_EQ(v.tilesHost()->x(), 0);
    EXPECT_EQ(v.tiles().size(), 12);
}

TEST_F(LauncherViewPagingTest, LockPageRefusesEveryPagingInput)
{
    LauncherView &v = build({"--no-animation", "--lock-page", "--page", "1"});
    wheel({0, -120}, {}, Qt::NoScrollPhase, 1.0);
    sideButton(Qt::ForwardButton, 60.0);
    mouse(QEvent::MouseButtonPress, {900, 700});
    mouse(QEvent::MouseMove, {300, 700});
    mouse(QEvent::MouseButtonRelease, {300, 700});
    EXPECT_EQ(v.currentPage(), 1);
    EXPECT_FALSE(v.acceptsPointerPaging());
}

// --- Decoded icons

// Every page seen once: the icons of the page shown and its neighbours stay
// decoded, the others are dropped (and come back when their page does).
TEST_F(LauncherViewPagingTest, KeepsTheIconsOfThePagesNearTheCurrentOne)
{
    for (int i = 30; i < 48; ++i)
        makeApp(QStringLiteral("App%1").arg(i, 2, 10, QLatin1Char('0')));
    LauncherView &v = build({"--no-animation"});
    ASSERT_EQ(v.pageCount(), 4);
    // Sorted names, one string: a difference reads at a glance.
    const auto names = [](const QSet<QString> &paths) {
        QStringList list;
        for (const QString &path : paths)
            list.append(QFileInfo(path).completeBaseName());
        list.sort();
        return list.join(' ').toStdString();
    };
    const auto page = [&](int index) {
        QSet<QString> paths;
        const QList<QList<LayoutEntry>> pages = session->displayPages();
        for (const LayoutEntry &entry : pages.at(index))
            paths.insert(session->appFor(entry)->path);
        return paths;
    };
    const auto cached = [&] {
        const QStringList list = icons.cachedPaths();
        return QSet<QString>(list.begin(), list.end());
    };
    // One page at a time, as the arrow keys turn them.
    const auto showPage = [&](int index) {
        v.goToPage(index);
        v.finishPaging();
        ASSERT_EQ(v.currentPage(), index);
        ASSERT_TRUE(waitUntil([&] { return icons.pendingCount() == 0; }));
    };
    for (int index = 0; index < 4; ++index)
        showPage(index);
    EXPECT_EQ(names(cached()), names(page(2) + page(3)));
    showPage(2);
    EXPECT_EQ(names(cached()), names(page(1) + page(2) + page(3)));
    showPage(1);
    EXPECT_EQ(names(cached()), names(page(0) + page(1) + page(2)));
    showPage(0);
    EXPECT_EQ(names(cached()), names(page(0) + page(1)));
    // The tiles shown have their icons.
    for (const AppTile *tile : v.tiles())
        EXPECT_TRUE(tile->icon().has_value()) << tile->title().toStdString();
}

// --- Side buttons

TEST_F(LauncherViewPagingTest, SideButtonsStepWithCooldown)
{
    LauncherView &v = build({"--no-animation", "--page", "2", "--dump-windows"});
    ASSERT_EQ(v.currentPage(), 2);
    LogCapture log;
    sideButton(Qt::BackButton, 60.0);
    EXPECT_EQ(v.currentPage(), 1);
    sideButton(Qt::BackButton, 60.1);
    EXPECT_EQ(v.currentPage(), 1);
    sideButton(Qt::BackButton, 60.2);
    EXPECT_EQ(v.currentPage(), 0);
    sideButton(Qt::MiddleButton, 61.0);
    EXPECT_EQ(v.currentPage(), 0);
    sideButton(Qt::ForwardButton, 62.0);
    EXPECT_EQ(v.currentPage(), 1);
    EXPECT_TRUE(log.contains("[side-button] button=3 direction=previous from=2 to=1"));
    EXPECT_TRUE(log.contains("[side-button] button=4 direction=next from=0 to=1"));
}

TEST_F(LauncherViewPagingTest, SideButtonDuringASlideIsIgnored)
{
    LauncherView &v = build();
    sideButton(Qt::ForwardButton, 60.0);
    ASSERT_TRUE(v.slideClock().isRunning());
    sideButton(Qt::ForwardButton, 60.3);
    runSlide();
    EXPECT_EQ(v.currentPage(), 1);
}

// --- Pointer drags, clicks and opening

TEST_F(LauncherViewPagingTest, PointerDragOnEmptySpaceTurnsThePage)
{
    LauncherView &v = build({"--no-animation"});
    bool hidden = false;
    v.onHide = [&] { hidden = true; };
    mouse(QEvent::MouseButtonPress, {900, 700});
    for (int x = 850; x >= 300; x -= 50) {
        now += 0.016;
        mouse(QEvent::MouseMove, {double(x), 700});
    }
    // Even without animation the page being left is shown sliding away.
    EXPECT_LT(v.tilesHost()->x(), 1200);
    EXPECT_GT(v.tilesHost()->x(), 0);
    mouse(QEvent::MouseButtonRelease, {300, 700});
    runSlide();
    EXPECT_EQ(v.currentPage(), 1);
    EXPECT_FALSE(hidden);
}

TEST_F(LauncherViewPagingTest, BackgroundClickHides)
{
    LauncherView &v = build();
    int hides = 0;
    v.onHide = [&] { ++hides; };
    LogCapture log;
    mouse(QEvent::MouseButtonPress, background);
    mouse(QEvent::MouseButtonRelease, background + QPointF(3, 5));
    EXPECT_EQ(hides, 1);
    EXPECT_TRUE(log.contains("[dismiss] source=background-click x=603.0 y=705.0 page=0"));
}

TEST_F(LauncherViewPagingTest, BackgroundPressReleasedFarAwayDoesNothing)
{
    LauncherView &v = build();
    int hides = 0;
    v.onHide = [&] { ++hides; };
    mouse(QEvent::MouseButtonPress, background);
    mouse(QEvent::MouseMove, background + QPointF(0, 9));
    mouse(QEvent::MouseButtonRelease, background + QPointF(0, 9));
    EXPECT_EQ(hides, 0);
    EXPECT_EQ(v.currentPage(), 0);
}

TEST_F(LauncherViewPagingTest, ClickOnATileOpensItsApplication)
{
    LauncherView &v = build();
    QStringList opened;
    v.onOpenApp = [&](const AppItem &app) { opened << app.stableID(); };
    const QString expected = v.entries().at(5).appID.value_or(QString());
    mouse(QEvent::MouseButtonPress, iconCentre(5));
    EXPECT_EQ(v.selection(), QSet<QString>{v.entries().at(5).id});
    EXPECT_EQ(highlighted(), QList<int>{5}) << "the pressed tile shows it";
    mouse(QEvent::MouseButtonRelease, iconCentre(5));
    EXPECT_EQ(opened, QStringList{expected});
    // The highlight ends with the press: nothing stays marked that Return would not open.
    EXPECT_TRUE(v.selection().isEmpty());
    EXPECT_TRUE(highlighted().isEmpty());
}

// A Ctrl or Shift click only changes the selection; a plain click opens.
TEST_F(LauncherViewPagingTest, ModifierClickTogglesSelectionWithoutOpening)
{
    LauncherView &v = build();
    int opened = 0;
    v.onOpenApp = [&](const AppItem &) { ++opened; };
    click(iconCentre(1), Qt::ControlModifier);
    click(iconCentre(2), Qt::ControlModifier);
    EXPECT_EQ(v.selection(), (QSet<QString>{v.entries().at(1).id, v.entries().at(2).id}));
    EXPECT_EQ(highlighted(), (QList<int>{1, 2}));
    click(iconCentre(1), Qt::ShiftModifier);
    EXPECT_EQ(v.selection(), QSet<QString>{v.entries().at(2).id});
    EXPECT_EQ(opened, 0);
    // A plain click replaces the selection with its own press, which ends with it.
    click(iconCentre(3));
    EXPECT_TRUE(v.selection().isEmpty());
    EXPECT_TRUE(highlighted().isEmpty());
    EXPECT_EQ(opened, 1);
}

TEST_F(LauncherViewPagingTest, PressInACellMarginIsEmptySpace)
{
    LauncherView &v = build();
    click(iconCentre(0), Qt::ControlModifier);
    ASSERT_FALSE(v.selection().isEmpty());
    const QRectF frame = v.tileFrames().at(0);
    const QRectF hit = GridGeometry::iconHitRect(frame, v.geometry().iconSide(), true);
    // Beside or below the icon and its label, still inside the cell.
    ASSERT_TRUE(hit.left() > frame.left() + 1 || hit.bottom() < frame.bottom() - 1);
    const QPointF margin = hit.left() > frame.left() + 1 ? QPointF(frame.left() + 0.5, frame.top() + 10)
                                                         : QPointF(frame.center().x(), frame.bottom() - 0.5);
    ASSERT_TRUE(v.tileIndex(margin));
    EXPECT_FALSE(v.hitTileIndex(margin));
    int hides = 0;
    v.onHide = [&] { ++hides; };
    click(margin);
    EXPECT_TRUE(v.selection().isEmpty());
    EXPECT_EQ(hides, 1);
}

// A pressed tile is highlighted only while its press lasts: whatever ends the
// press (a tile drag, a page turn, a hide) takes the highlight off, and the
// release then opens nothing, least of all the entry that took its place.
struct PressEndCase
{
    const char *name;
    std::function<void(LauncherView &)> interrupt;
};

void PrintTo(const PressEndCase &row, std::ostream *out)
{
    *out << row.name;
}

class LauncherViewPressEndTest : public LauncherViewPagingTest, public testing::WithParamInterface<PressEndCase>
{
};

TEST_P(LauncherViewPressEndTest, EndsTheHighlightAndTheRelease)
{
    LauncherView &v = build({"--no-animation"});
    QStringList opened;
    v.onOpenApp = [&](const AppItem &app) { opened << app.stableID(); };
    mouse(QEvent::MouseButtonPress, iconCentre(5));
    ASSERT_EQ(highlighted(), QList<int>{5});

    GetParam().interrupt(v);
    EXPECT_TRUE(highlighted().isEmpty());
    EXPECT_TRUE(v.selection().isEmpty());
    mouse(QEvent::MouseButtonRelease, iconCentre(5) + QPointF(20, 0));
    EXPECT_TRUE(opened.isEmpty()) << opened.join(' ').toStdString();

    // Back on the first page and shown again: still nothing highlighted.
    v.goToPage(0);
    v.animateIn();
    EXPECT_TRUE(highlighted().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Interruptions, LauncherViewPressEndTest,
    testing::Values(PressEndCase{"TileDrag",
                                 [](LauncherView &v) {
                                     const QPointF from = v.tilesHost()->mapTo(
                                         &v, QPointF(v.tileFrames().at(5).center().x(), v.tileFrames().at(5).top() + 10));
                                     QMouseEvent move(QEvent::MouseMove, from + QPointF(20, 0),
                                                      v.mapToGlobal(from + QPointF(20, 0)), Qt::NoButton,
                                                      Qt::LeftButton, Qt::NoModifier);
                                     QApplication::sendEvent(&v, &move);
                                 }},
                    PressEndCase{"PageTurn", [](LauncherView &v) { v.goToPage(1); }},
                    PressEndCase{"Hide", [](LauncherView &v) { v.animateOut(nullptr); }},
                    PressEndCase{"Rebuild", [](LauncherView &v) { v.rebuild(); }}),
    [](const testing::TestParamInfo<PressEndCase> &info) { return std::string(info.param.name); });

// --- Page turns through the view

TEST_F(LauncherViewPagingTest, PageDotClickMovesOnePage)
{
    LauncherView &v = build({"--no-animation"});
    v.pageDots()->onClick(2);
    EXPECT_EQ(v.currentPage(), 1);
}

TEST_F(LauncherViewPagingTest, ShowingAgainDropsAStepQueuedDuringTheCutSlide)
{
    LauncherView &v = build();
    v.goToPage(1);
    v.goToPage(2); // queued while the first slide runs
    v.animateIn(); // the launcher is shown again: the half-done turn ends
    runSlide();
    EXPECT_EQ(v.currentPage(), 1);
    // A later turn lands exactly where it was asked to.
    v.goToPage(0);
    runSlide();
    runSlide();
    EXPECT_EQ(v.currentPage(), 0);
}

TEST_F(LauncherViewPagingTest, SlideKeepsTheLeftPageUntilTheEnd)
{
    LauncherView &v = build();
    const QPointer<QWidget> left = v.tiles().at(0);
    v.goToPage(1);
    ASSERT_EQ(v.tiles().size(), 12);
    // The tiles of the page left moved, as they were, into a host of their own.
    ASSERT_TRUE(left);
    QWidget *outgoing = left->parentWidget();
    ASSERT_NE(outgoing, v.tilesHost());
    EXPECT_TRUE(left->isVisibleTo(&v));
    EXPECT_EQ(v.tilesHost()->x(), 1200);
    EXPECT_EQ(outgoing->x(), 0);
    now += 0.21;
    v.slideClock().fire();
    EXPECT_EQ(v.tilesHost()->x(), 600);
    EXPECT_EQ(outgoing->x(), -600);
    runSlide();
    EXPECT_EQ(v.tilesHost()->x(), 0);
    EXPECT_FALSE(left->isVisibleTo(&v));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(left);
}

TEST_F(LauncherViewPagingTest, TileIsHitAtItsRestingPlaceWhileThePageSlides)
{
    LauncherView &v = build({"--slide-progress", "0.5"});
    v.goToPage(1); // frozen half way
    ASSERT_EQ(v.tilesHost()->x(), 600);
    QStringList opened;
    v.onOpenApp = [&](const AppItem &app) { opened << app.stableID(); };
    const QRectF frame = v.tileFrames().at(0);
    click(QPointF(frame.center().x(), frame.top() + 10));
    EXPECT_EQ(opened, QStringList{v.entries().at(0).appID.value_or(QString())});
}

TEST_F(LauncherViewPagingTest, ScrollModeScrollsTheGridFromAnywhere)
{
    LauncherView &v = build({"--scroll"});
    v.show();
    QScrollBar *bar = v.scrollContainer()->verticalScrollBar();
    if (bar->maximum() <= 0)
        GTEST_SKIP() << "the grid fits without scrolling";
    ASSERT_FALSE(v.scrollContainer()->geometry().contains(QPoint(10, 10)));
    QWheelEvent event(QPointF(10, 10), v.mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&v, &event);
    EXPECT_GT(bar->value(), 0);
    EXPECT_EQ(v.currentPage(), 0);
}

// --- Automation

struct PageInputCase
{
    const char *name;
    QStringList options;
    QString spec;
    int expectedPage;
    QString expectedLine;
};

class PageInputAutomationTest : public LauncherViewPagingTest, public ::testing::WithParamInterface<PageInputCase>
{
};

TEST_P(PageInputAutomationTest, PlaysTheInput)
{
    const PageInputCase &c = GetParam();
    LauncherView &v = build(c.options);
    LogCapture log;
    v.simulatePageInputForAutomation(c.spec);
    if (c.options.contains("--no-animation"))
        runSlide(); // a pointer drag's settle animates even then
    EXPECT_EQ(v.currentPage(), c.expectedPage);
    if (!c.expectedLine.isEmpty()) {
        EXPECT_TRUE(log.contains(c.expectedLine)) << log.lines().join('\n').toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PageInputAutomationTest,
    ::testing::Values(
        PageInputCase{"PageWithoutAnimation", {"--no-animation"}, "page:2", 2, "[page-input] goto=2 current=2 pages=3"},
        PageInputCase{"PageWithAnimationStartsOneTurn", {}, "page:2", 1, "[page-input] goto=2 current=1 pages=3"},
        PageInputCase{"PageNotANumber", {"--no-animation", "--page", "2"}, "page:x", 0,
                      "[page-input] goto=0 current=0 pages=3"},
        PageInputCase{"PageBeyondTheLast", {"--no-animation"}, "page:99", 2, "[page-input] goto=2 current=2 pages=3"},
        PageInputCase{"SideNext", {"--no-animation"}, "side-next", 1, ""},
        PageInputCase{"SideBackWithAnimationOnlyStartsTheTurn", {}, "side-back", 1, ""},
        PageInputCase{"DragNext", {"--no-animation"}, "drag-next", 1, ""},
        // The last step opens an empty transient page and shows it; the page goes
        // again when the automation ends, back on the last real page.
        PageInputCase{"EdgePage", {"--no-animation"}, "edge-page", 2,
                      "[page-input] edge actions=wait/turn/createPage pages=4 transient=1 current=3"},
        PageInputCase{"Unknown", {"--no-animation"}, "sideways", 0, "[page-input] unknown spec=sideways"}),
    [](const ::testing::TestParamInfo<PageInputCase> &info) { return std::string(info.param.name); });

TEST_F(LauncherViewPagingTest, PageInputOnOnePageIsSkipped)
{
    for (int i = 12; i < 30; ++i)
        QDir(appsDir() + QStringLiteral("/App%1.app").arg(i)).removeRecursively();
    LauncherView &v = build();
    ASSERT_EQ(v.pageCount(), 1);
    LogCapture log;
    v.simulatePageInputForAutomation("page:1");
    EXPECT_EQ(log.lines(), QStringList{"[page-input] skip spec=page:1 pages=1"});
}

} // namespace
