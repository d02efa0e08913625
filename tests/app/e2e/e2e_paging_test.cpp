// Paging through the real tessellon binary on its own virtual X display, with
// 80 applications (three pages of 7 x 5): the page-input automation, the
// start-up page options, real wheel, side-button, pointer and key input, and
// search, Escape and Return. The page shown is read back from the screen:
// the bright page dot and the cells that hold an icon.
#include "app/e2e/e2e_support.h"

#include "launcher/launcher_layout_plan.h"
#include "policy/grid_geometry.h"
#include "policy/page_dots_geometry.h"

#include <QImage>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <optional>

namespace {

using namespace e2e;

constexpr int kApps = 80;
constexpr int kColumns = 7;
constexpr int kRows = 5;
constexpr int kPageSize = kColumns * kRows;
constexpr int kPages = (kApps + kPageSize - 1) / kPageSize;

// The root window's pixels; none when the display cannot be read. Defined at
// the end of the file, apart from the X headers' macros.
std::optional<QImage> grabScreen(const QString &display);

int gray(QRgb pixel)
{
    return (qRed(pixel) + qGreen(pixel) + qBlue(pixel)) / 3;
}

// What the screen shows of the paged grid.
struct ShownGrid
{
    // The index of the one bright page dot; none when the dot row is not
    // drawn (one page) or no single dot is bright.
    std::optional<int> dot;
    // Per cell of the (unscrolled, unsearched) grid: an icon stands there.
    QList<bool> occupied;

    QString describe() const
    {
        QString cells;
        for (bool cell : occupied)
            cells += cell ? QLatin1Char('#') : QLatin1Char('.');
        return QStringLiteral("dot=%1 cells=%2").arg(dot ? QString::number(*dot) : QStringLiteral("none"), cells);
    }
};

ShownGrid readScreen(const QImage &image)
{
    ShownGrid screen;
    const double width = image.width();
    const double height = image.height();

    // The dots' row: bright for the current page, faint for the others, on
    // the dark backdrop.
    const double dotsY =
        height - LauncherLayoutPlan::pageDotsBottomOffset + LauncherLayoutPlan::pageDotsHeight / 2;
    int bright = 0;
    int faint = 0;
    std::optional<int> brightIndex;
    for (int i = 0; i < kPages; ++i) {
        const int level = gray(image.pixel(int(PageDotsGeometry::centerX(i, kPages, width)), int(dotsY)));
        if (level >= 200) {
            ++bright;
            brightIndex = i;
        } else if (level >= 80) {
            ++faint;
        }
    }
    if (bright == 1 && faint == kPages - 1)
        screen.dot = brightIndex;

    // Icons are blue-grey squares; the backdrop and the labels are grey.
    const GridGeometry geometry(kColumns, kRows, GridGeometry::contentRectIn(QRectF(0, 0, width, height)), 1);
    const double side = geometry.iconSide();
    for (int i = 0; i < kPageSize; ++i) {
        const QRectF cell = geometry.frame(i);
        const QRectF icon(cell.center().x() - side * 0.3, cell.top() + 4 + side * 0.2, side * 0.6, side * 0.6);
        int samples = 0;
        int bluish = 0;
        for (int y = int(icon.top()); y < int(icon.bottom()); y += 2) {
            for (int x = int(icon.left()); x < int(icon.right()); x += 2) {
                const QRgb pixel = image.pixel(x, y);
                ++samples;
                bluish += (qBlue(pixel) - qRed(pixel) >= 12 && qBlue(pixel) >= 80) ? 1 : 0;
            }
        }
        screen.occupied.append(samples > 0 && bluish * 4 >= samples);
    }
    return screen;
}

// The tiles of `page` stand in the first cells, all other cells are empty.
bool showsTiles(const ShownGrid &screen, int tiles)
{
    for (int i = 0; i < screen.occupied.size(); ++i) {
        if (screen.occupied.at(i) != (i < tiles))
            return false;
    }
    return true;
}

int tilesOnPage(int page)
{
    return std::min(kPageSize, kApps - page * kPageSize);
}

// What the final screen must show: the bright dot (none: no dot row) and,
// unless unchecked, how many cells from the first hold an icon.
struct Expected
{
    std::optional<int> dot;
    std::optional<int> tiles;

    static Expected page(int page) { return Expected{page, tilesOnPage(page)}; }
    static Expected dotOnly(int page) { return Expected{page, std::nullopt}; }
    static Expected noDots(std::optional<int> tiles) { return Expected{std::nullopt, tiles}; }

    bool matches(const ShownGrid &screen) const
    {
        return screen.dot == dot && (!tiles || showsTiles(screen, *tiles));
    }
};

class PagingEndToEndTest : public testing::Test
{
public:
    void SetUp() override
    {
        const std::optional<QString> failure = m_display.start();
        ASSERT_FALSE(failure) << failure->toStdString();
        // Each application, once opened, leaves a marker file in the home.
        for (int i = 1; i <= kApps; ++i) {
            const QString name = QStringLiteral("App%1").arg(i, 2, 10, QLatin1Char('0'));
            const QByteArray script = "#!/bin/sh\necho opened > '" + markerPath(name).toUtf8() + "'\n";
            ASSERT_NO_FATAL_FAILURE(m_home.addBundle(name, script));
        }
    }

    QString markerPath(const QString &name) const { return m_home.filePath(QStringLiteral("opened-") + name); }

    QProcessEnvironment environment() const { return m_home.environment(m_display.display()); }

    // Starts the launcher shown, with the paging log, and waits for it to be
    // ready and on the screen.
    void launch(const QStringList &extra)
    {
        m_launcher = std::make_unique<Launcher>(environment());
        ASSERT_TRUE(m_launcher->start(QStringList{QStringLiteral("--state-dir"), m_home.stateDirectory(),
                                                  QStringLiteral("--show"), QStringLiteral("--dump-windows")}
                                      + extra));
        ASSERT_TRUE(m_launcher->waitFor(QStringLiteral("[ready] "), 1, kStartTimeoutMs)) << output();
        ASSERT_TRUE(m_launcher->line(QStringLiteral("[ready] ")).contains(QStringLiteral(" apps=80 columns=7 rows=5 ")))
            << output();
        ASSERT_TRUE(eventually([&] { return launcherVisible(); })) << output();
    }

    Launcher &launcher() { return *m_launcher; }
    std::string output() { return m_launcher->output().toStdString(); }

    bool launcherVisible() const
    {
        return runTool(QStringLiteral("xdotool"),
                       {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                        QStringLiteral("^Tessellon$")},
                       environment())
                   .exitCode == 0;
    }

    void xdotool(const QStringList &arguments) const
    {
        const Outcome outcome = runTool(QStringLiteral("xdotool"), arguments, environment());
        ASSERT_EQ(outcome.exitCode, 0) << arguments.join(QLatin1Char(' ')).toStdString() << ": "
                                       << outcome.output.toStdString();
    }

    void click(int x, int y, int button = 1) const
    {
        xdotool({QStringLiteral("mousemove"), QString::number(x), QString::number(y), QStringLiteral("click"),
                 QString::number(button)});
    }

    void key(const QString &name) const { xdotool({QStringLiteral("key"), name}); }

    // Waits until the exact line has been logged.
    testing::AssertionResult logged(const QString &line)
    {
        if (m_launcher->waitForLine(line))
            return testing::AssertionSuccess();
        return testing::AssertionFailure() << "no line \"" << line.toStdString() << "\" in:\n" << output();
    }

    // Waits until the launcher says a page of `tiles` tiles has been drawn
    // with its icons: they come from a worker on their own schedule, late
    // on a busy machine. Icons once drawn stay cached, so an earlier line
    // for the same page counts too.
    testing::AssertionResult drawn(int page, int tiles)
    {
        const QString line = QStringLiteral("[icons] drawn page=%1 tiles=%2").arg(page).arg(tiles);
        if (m_launcher->waitForLine(line, kStartTimeoutMs))
            return testing::AssertionSuccess();
        return testing::AssertionFailure() << "no line \"" << line.toStdString() << "\" in:\n" << output();
    }

    // Waits until the screen shows what is expected.
    testing::AssertionResult shows(const Expected &expected, int timeoutMs = kStepTimeoutMs)
    {
        if (expected.tiles) {
            testing::AssertionResult icons = drawn(expected.dot.value_or(0), *expected.tiles);
            if (!icons)
                return icons;
        }
        ShownGrid last;
        const bool found = eventually(
            [&] {
                const std::optional<QImage> image = grabScreen(m_display.display());
                if (!image)
                    return false;
                last = readScreen(*image);
                return expected.matches(last);
            },
            timeoutMs);
        if (found)
            return testing::AssertionSuccess();
        return testing::AssertionFailure() << "the screen shows " << last.describe().toStdString() << ", expected dot "
                                           << (expected.dot ? std::to_string(*expected.dot) : "none") << " and "
                                           << (expected.tiles ? std::to_string(*expected.tiles) : "any")
                                           << " tiles";
    }

    // Waits for the `times`-th end of a slide and the finish that follows it.
    testing::AssertionResult slidesEnded(int times)
    {
        if (m_launcher->waitFor(QStringLiteral("[slide] end at="), times))
            return testing::AssertionSuccess();
        return testing::AssertionFailure() << "fewer than " << times << " slide ends in:\n" << output();
    }

protected:
    VirtualDisplay m_display;
    Home m_home;
    std::unique_ptr<Launcher> m_launcher;
};

// --- The page-input automation and the paging options --------------------------------

struct AutomationCase
{
    const char *name;
    QStringList options;
    // Exact lines that must be logged; a line ending in a space is a prefix.
    QStringList lines;
    // Fragments no line may contain once the final screen is shown.
    QStringList absent;
    Expected screen;
    // Slides that end before the final screen (0: none need to).
    int slideEnds = 0;
};

// Failures name the row, not its bytes.
void PrintTo(const AutomationCase &row, std::ostream *out)
{
    *out << row.name;
}

class PagingAutomationTest : public PagingEndToEndTest, public testing::WithParamInterface<AutomationCase>
{
};

const QString kNoAnimation = QStringLiteral("--no-animation");
const QString kSimulate = QStringLiteral("--simulate-page-input");

const AutomationCase kAutomationCases[] = {
    {"PageWithoutAnimationTurnsEveryStep",
     {kNoAnimation, kSimulate, QStringLiteral("page:2")},
     {QStringLiteral("[page-input] goto=2 current=2 pages=3")},
     {QStringLiteral("[slide] start ")},
     Expected::page(2)},
    {"PageWithAnimationSlidesOnceAndQueuesOneStep",
     {kSimulate, QStringLiteral("page:2")},
     {QStringLiteral("[page-input] goto=2 current=1 pages=3"),
      QStringLiteral("[slide] start from=0.000 to=1.000 duration=0.420")},
     {},
     Expected::page(2),
     2},
    {"PageBeyondTheLastIsClamped",
     {kNoAnimation, kSimulate, QStringLiteral("page:99")},
     {QStringLiteral("[page-input] goto=2 current=2 pages=3")},
     {},
     Expected::page(2)},
    {"PageThatIsNoNumberGoesToTheFirstPage",
     {QStringLiteral("--page"), QStringLiteral("1"), kNoAnimation, kSimulate, QStringLiteral("page:x")},
     {QStringLiteral("[page-input] goto=0 current=0 pages=3")},
     {},
     Expected::page(0)},
    {"SideNextTurnsForward",
     {kSimulate, QStringLiteral("side-next")},
     {QStringLiteral("[side-button] button=4 direction=next from=0 to=1"), QStringLiteral("[page] 1")},
     {},
     Expected::page(1),
     1},
    {"SideBackWithoutAnimationTurnsForwardThenBack",
     {kNoAnimation, kSimulate, QStringLiteral("side-back")},
     {QStringLiteral("[side-button] button=3 direction=previous from=1 to=0"), QStringLiteral("[page] 0")},
     {},
     Expected::page(0)},
    {"SideBackWithAnimationFindsTheSlideRunning",
     {kSimulate, QStringLiteral("side-back")},
     {QStringLiteral("[slide] start from=0.000 to=1.000 duration=0.420")},
     {QStringLiteral("[side-button]")},
     Expected::page(1),
     1},
    {"DragNextCommitsToTheNextPage",
     {kSimulate, QStringLiteral("drag-next")},
     {QStringLiteral("[pointer-drag] begin direction=1 progress=0.082"),
      QStringLiteral("[pointer-drag] settle commit=1 from=0.818 duration=0.168"),
      QStringLiteral("[slide] start from=0.818 to=1.000 duration=0.168")},
     {},
     Expected::page(1),
     1},
    {"DragNextSlidesEvenWithoutAnimation",
     {kNoAnimation, kSimulate, QStringLiteral("drag-next")},
     {QStringLiteral("[slide] apply p=0.818 inX=233 outX=-1047"),
      QStringLiteral("[slide] start from=0.818 to=1.000 duration=0.168")},
     {},
     Expected::page(1),
     1},
    {"EdgePageWithAnimationQueuesTheFurtherTurns",
     {kSimulate, QStringLiteral("edge-page")},
     {QStringLiteral("[edge-page] turn direction=1 from=0 to=1 app=automation.edge"),
      QStringLiteral("[page-input] edge actions=wait/turn/turn pages=3 transient=0 current=1")},
     {},
     Expected::page(2),
     2},
    {"EdgePageWithoutAnimationReachesTheLastPageAndAsksForANewOne",
     {kNoAnimation, kSimulate, QStringLiteral("edge-page")},
     // The transient page is shown, then dropped again before the automation returns.
     {QStringLiteral("[edge-page] create page=3 transient=1"),
      QStringLiteral("[page-input] edge actions=wait/turn/createPage pages=4 transient=1 current=3")},
     {},
     Expected::page(2)},
    {"UnknownInputWordIsLoggedAndIgnored",
     {kSimulate, QStringLiteral("bogus")},
     {QStringLiteral("[page-input] unknown spec=bogus")},
     {QStringLiteral("[slide] start ")},
     Expected::page(0)},
    {"OnePageOfSearchResultsSkips",
     {QStringLiteral("--search"), QStringLiteral("App7"), kSimulate, QStringLiteral("page:2")},
     {QStringLiteral("[page-input] skip spec=page:2 pages=1")},
     {},
     Expected::noDots(10)},
    {"ScrollModeSkips",
     {QStringLiteral("--scroll"), kSimulate, QStringLiteral("page:2")},
     {QStringLiteral("[page-input] skip spec=page:2 pages=1")},
     {},
     Expected::noDots(std::nullopt)},
    {"LockedPageStillTurnsForThePageAutomation",
     {QStringLiteral("--lock-page"), kNoAnimation, kSimulate, QStringLiteral("page:2")},
     {QStringLiteral("[page-input] goto=2 current=2 pages=3")},
     {},
     Expected::page(2)},
    {"StartPage",
     {QStringLiteral("--page"), QStringLiteral("1")},
     {},
     {QStringLiteral("[slide] start ")},
     Expected::page(1)},
    {"StartPageBeyondTheLastIsClamped",
     {QStringLiteral("--page"), QStringLiteral("7")},
     {},
     {},
     Expected::page(2)},
    {"SlideProgressFreezesTheTurnHalfWay",
     {QStringLiteral("--slide-progress"), QStringLiteral("0.5")},
     {QStringLiteral("[slide] apply p=0.000 inX=1280 outX=0"), QStringLiteral("[slide] apply p=0.500 inX=640 outX=-640")},
     {QStringLiteral("[slide] start ")},
     Expected::dotOnly(1)},
    {"DragProgressFreezesADrag",
     {QStringLiteral("--drag-progress"), QStringLiteral("0.3")},
     {QStringLiteral("[slide] apply p=0.300 inX=896 outX=-384"), QStringLiteral("[drag] static progress=0.300 direction=1")},
     {QStringLiteral("[slide] start ")},
     Expected::dotOnly(1)},
    {"SlideDurationIsNeverBelowTheMinimum",
     {QStringLiteral("--slide-duration"), QStringLiteral("0.01"), kSimulate, QStringLiteral("side-next")},
     {QStringLiteral("[slide] start from=0.000 to=1.000 duration=0.050")},
     {},
     Expected::page(1),
     1},
};

TEST_P(PagingAutomationTest, LogsTheTurnsAndShowsTheFinalPage)
{
    const AutomationCase &row = GetParam();
    ASSERT_NO_FATAL_FAILURE(launch(row.options));
    for (const QString &line : row.lines) {
        if (line.endsWith(QLatin1Char(' '))) {
            EXPECT_TRUE(launcher().waitFor(line)) << line.toStdString() << "\n" << output();
        } else {
            EXPECT_TRUE(logged(line));
        }
    }
    if (row.slideEnds > 0) {
        EXPECT_TRUE(slidesEnded(row.slideEnds));
    }
    EXPECT_TRUE(shows(row.screen));
    for (const QString &fragment : row.absent)
        EXPECT_EQ(launcher().count(fragment), 0) << fragment.toStdString() << "\n" << output();
    EXPECT_EQ(launcher().terminate(), 0) << output();
}

INSTANTIATE_TEST_SUITE_P(Automation, PagingAutomationTest, testing::ValuesIn(kAutomationCases),
                         [](const testing::TestParamInfo<AutomationCase> &info) { return info.param.name; });

// --- Real input -------------------------------------------------------------------------

// A point on empty space: below the grid, above the page dots.
constexpr int kEmptyX = 640;
constexpr int kEmptyY = 700;

TEST_F(PagingEndToEndTest, WheelNotchesTurnOnePageEachWayAndSideways)
{
    ASSERT_NO_FATAL_FAILURE(launch({}));
    // Each notch waits for the slide of the one before: notches closer
    // together count as the tail of one spin.
    click(kEmptyX, kEmptyY - 300, 5);
    ASSERT_TRUE(logged(QStringLiteral("[wheel] direction=next from=0 to=1 precise=0")));
    EXPECT_TRUE(launcher().line(QStringLiteral("[wheel-event] ")).startsWith(
        QStringLiteral("[wheel-event] dx=0.0 dy=-1.0 precise=0 inverted=0 phase=0 momentum=0 t=")))
        << output();
    ASSERT_TRUE(slidesEnded(1));
    click(kEmptyX, kEmptyY - 300, 5);
    ASSERT_TRUE(logged(QStringLiteral("[wheel] direction=next from=1 to=2 precise=0")));
    ASSERT_TRUE(slidesEnded(2));
    EXPECT_TRUE(shows(Expected::page(2)));
    click(kEmptyX, kEmptyY - 300, 4);
    ASSERT_TRUE(logged(QStringLiteral("[wheel] direction=previous from=2 to=1 precise=0")));
    ASSERT_TRUE(slidesEnded(3));
    // Buttons 6 and 7: the wheel tilted left and right.
    click(kEmptyX, kEmptyY - 300, 6);
    ASSERT_TRUE(logged(QStringLiteral("[wheel] direction=previous from=1 to=0 precise=0")));
    ASSERT_TRUE(slidesEnded(4));
    click(kEmptyX, kEmptyY - 300, 7);
    ASSERT_TRUE(logged(QStringLiteral("[wheel] direction=next from=0 to=1 precise=0")));
    ASSERT_TRUE(launcher().waitFor(QStringLiteral("[page] "), 5));
    EXPECT_EQ(launcher().linesStartingWith(QStringLiteral("[page] ")),
              (QStringList{QStringLiteral("[page] 1"), QStringLiteral("[page] 2"), QStringLiteral("[page] 1"),
                           QStringLiteral("[page] 0"), QStringLiteral("[page] 1")}));
    EXPECT_TRUE(shows(Expected::page(1)));
    EXPECT_EQ(launcher().terminate(), 0);
}

TEST_F(PagingEndToEndTest, SideButtonsTurnForwardAndBack)
{
    ASSERT_NO_FATAL_FAILURE(launch({}));
    click(kEmptyX, kEmptyY, 9);
    ASSERT_TRUE(logged(QStringLiteral("[side-button] button=4 direction=next from=0 to=1")));
    ASSERT_TRUE(slidesEnded(1));
    click(kEmptyX, kEmptyY, 9);
    ASSERT_TRUE(logged(QStringLiteral("[side-button] button=4 direction=next from=1 to=2")));
    ASSERT_TRUE(slidesEnded(2));
    EXPECT_TRUE(shows(Expected::page(2)));
    click(kEmptyX, kEmptyY, 8);
    ASSERT_TRUE(logged(QStringLiteral("[side-button] button=3 direction=previous from=2 to=1")));
    EXPECT_TRUE(shows(Expected::page(1)));
    // A side button is no click on the background.
    EXPECT_EQ(launcher().count(QStringLiteral("[dismiss]")), 0);
    EXPECT_TRUE(launcherVisible());
    EXPECT_EQ(launcher().terminate(), 0);
}

TEST_F(PagingEndToEndTest, APointerDraggedAcrossEmptySpaceTurnsToTheNextPage)
{
    ASSERT_NO_FATAL_FAILURE(launch({}));
    xdotool({QStringLiteral("mousemove"), QStringLiteral("1100"), QString::number(kEmptyY), QStringLiteral("mousedown"),
             QStringLiteral("1")});
    for (int x = 1050; x >= 500; x -= 50)
        xdotool({QStringLiteral("mousemove"), QString::number(x), QString::number(kEmptyY)});
    xdotool({QStringLiteral("mouseup"), QStringLiteral("1")});
    ASSERT_TRUE(launcher().waitFor(QStringLiteral("[pointer-drag] settle commit=1 "))) << output();
    EXPECT_TRUE(launcher().line(QStringLiteral("[pointer-drag] begin ")).startsWith(
        QStringLiteral("[pointer-drag] begin direction=1 progress=")))
        << output();
    EXPECT_TRUE(shows(Expected::page(1)));
    // A drag that turned the page neither hides the launcher nor opens anything.
    EXPECT_EQ(launcher().count(QStringLiteral("[dismiss]")), 0);
    EXPECT_TRUE(launcherVisible());
    EXPECT_EQ(launcher().terminate(), 0);
}

TEST_F(PagingEndToEndTest, APageDotAndTheArrowKeysTurnOnePageAtATime)
{
    ASSERT_NO_FATAL_FAILURE(launch({QStringLiteral("--no-animation")}));
    // The last dot, two pages away: one page per click.
    click(int(PageDotsGeometry::centerX(2, kPages, VirtualDisplay::width)),
          int(VirtualDisplay::height - LauncherLayoutPlan::pageDotsBottomOffset
              + LauncherLayoutPlan::pageDotsHeight / 2));
    EXPECT_TRUE(shows(Expected::page(1)));
    key(QStringLiteral("Right"));
    EXPECT_TRUE(shows(Expected::page(2)));
    // Past the last page nothing turns; the next key still turns back.
    key(QStringLiteral("Right"));
    key(QStringLiteral("Left"));
    EXPECT_TRUE(shows(Expected::page(1)));
    key(QStringLiteral("Left"));
    EXPECT_TRUE(shows(Expected::page(0)));
    // Four turns without animation, each a finish, one frame at rest and a finish.
    EXPECT_EQ(launcher().count(QStringLiteral("[slide] apply p=0.000 inX=0 outX=0")), 4) << output();
    EXPECT_EQ(launcher().terminate(), 0);
}

TEST_F(PagingEndToEndTest, LockPageRefusesWheelSideButtonsAndPointerDragsButNotKeys)
{
    ASSERT_NO_FATAL_FAILURE(launch({QStringLiteral("--lock-page")}));
    click(kEmptyX, kEmptyY, 5);
    click(kEmptyX, kEmptyY, 9);
    xdotool({QStringLiteral("mousemove"), QStringLiteral("1100"), QString::number(kEmptyY), QStringLiteral("mousedown"),
             QStringLiteral("1")});
    for (int x = 1000; x >= 500; x -= 100)
        xdotool({QStringLiteral("mousemove"), QString::number(x), QString::number(kEmptyY)});
    xdotool({QStringLiteral("mouseup"), QStringLiteral("1")});
    // Handled after everything above: the X server keeps the order.
    key(QStringLiteral("Right"));
    ASSERT_TRUE(slidesEnded(1));
    EXPECT_TRUE(shows(Expected::page(1)));
    for (const char *fragment : {"[wheel-event]", "[wheel]", "[side-button]", "[pointer-drag]", "[page] ", "[dismiss]"})
        EXPECT_EQ(launcher().count(QString::fromLatin1(fragment)), 0) << fragment << "\n" << output();
    EXPECT_EQ(launcher().terminate(), 0);
}

TEST_F(PagingEndToEndTest, AClickOnEmptySpaceHidesTheLauncher)
{
    ASSERT_NO_FATAL_FAILURE(launch({}));
    click(kEmptyX, kEmptyY);
    EXPECT_TRUE(logged(QStringLiteral("[dismiss] source=background-click x=640.0 y=700.0 page=0")));
    EXPECT_TRUE(eventually([&] { return !launcherVisible(); })) << output();
    EXPECT_EQ(launcher().terminate(), 0);
}

TEST_F(PagingEndToEndTest, EscapeClearsTheSearchFirstAndThenHides)
{
    ASSERT_NO_FATAL_FAILURE(launch({}));
    key(QStringLiteral("Right"));
    ASSERT_TRUE(slidesEnded(1));
    xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("30"), QStringLiteral("App7")});
    // Typing starts on the first page of the results, without page dots.
    EXPECT_TRUE(shows(Expected::noDots(10)));
    key(QStringLiteral("Escape"));
    // The full grid returns on the page of the search: the first.
    EXPECT_TRUE(shows(Expected::page(0)));
    EXPECT_TRUE(launcherVisible());
    key(QStringLiteral("Escape"));
    EXPECT_TRUE(eventually([&] { return !launcherVisible(); })) << output();
    EXPECT_EQ(launcher().count(QStringLiteral("[dismiss]")), 0);
    EXPECT_EQ(launcher().terminate(), 0);
}

TEST_F(PagingEndToEndTest, TypingFiltersAndReturnOpensTheFirstResultAndHides)
{
    ASSERT_NO_FATAL_FAILURE(launch({}));
    xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("30"), QStringLiteral("App42")});
    // One result, centred in the first row.
    const auto oneCentredTile = [&] {
        const std::optional<QImage> image = grabScreen(m_display.display());
        if (!image)
            return false;
        const ShownGrid screen = readScreen(*image);
        return !screen.dot && screen.occupied.count(true) == 1 && screen.occupied.at(kColumns / 2);
    };
    EXPECT_TRUE(drawn(0, 1));
    EXPECT_TRUE(eventually(oneCentredTile));
    key(QStringLiteral("Return"));
    EXPECT_TRUE(eventually([&] { return QFileInfo::exists(markerPath(QStringLiteral("App42"))); }))
        << output();
    EXPECT_TRUE(eventually([&] { return !launcherVisible(); })) << output();
    const QStringList markers =
        QDir(m_home.path()).entryList({QStringLiteral("opened-*")}, QDir::Files, QDir::Name);
    EXPECT_EQ(markers, QStringList{QStringLiteral("opened-App42")});
    EXPECT_EQ(launcher().terminate(), 0);
}

} // namespace

// The X headers come last: their macros (None, Bool, Status, ...) would
// collide with Qt's and GoogleTest's names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

std::optional<QImage> grabScreen(const QString &display)
{
    ::Display *connection = XOpenDisplay(display.toLocal8Bit().constData());
    if (!connection)
        return std::nullopt;
    const int screen = DefaultScreen(connection);
    const int width = DisplayWidth(connection, screen);
    const int height = DisplayHeight(connection, screen);
    XImage *pixels = XGetImage(connection, RootWindow(connection, screen), 0, 0, unsigned(width), unsigned(height),
                               AllPlanes, ZPixmap);
    std::optional<QImage> result;
    if (pixels) {
        // Visuals of depth 24 keep each channel in one byte of the pixel;
        // the masks say which.
        const auto shiftOf = [](unsigned long mask) {
            int shift = 0;
            while (mask && !(mask & 1)) {
                mask >>= 1;
                ++shift;
            }
            return shift;
        };
        const int red = shiftOf(pixels->red_mask);
        const int green = shiftOf(pixels->green_mask);
        const int blue = shiftOf(pixels->blue_mask);
        QImage image(width, height, QImage::Format_RGB32);
        for (int y = 0; y < height; ++y) {
            auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < width; ++x) {
                const unsigned long pixel = XGetPixel(pixels, x, y);
                line[x] = qRgb(int((pixel >> red) & 0xff), int((pixel >> green) & 0xff), int((pixel >> blue) & 0xff));
            }
        }
        result = image;
        XDestroyImage(pixels);
    }
    XCloseDisplay(connection);
    return result;
}

} // namespace
