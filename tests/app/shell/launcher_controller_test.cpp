#include "shell/launcher_controller.h"

#include "support/temp_env.h"
#include "window_decorator.h"
#include "window_level.h"

#include <QBackingStore>
#include <QCoreApplication>
#include <QGraphicsOpacityEffect>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>

#include <QPixmap>
#include <QPixmapCache>

#include <gtest/gtest.h>

namespace {

// Stands in for the launcher view: records the calls, and keeps a hide's
// completion for the test to run when the "animation" ends. Unlike the real
// view it never drops a superseded completion.
class StandInContent : public LauncherController::Content
{
public:
    QWidget *view() override { return m_view; }
    void syncOptionKeyBaseline() override { record(QStringLiteral("sync")); }
    void animateIn() override { record(QStringLiteral("in")); }
    void animateOut(std::function<void()> completion) override
    {
        record(QStringLiteral("out"));
        completions.append(std::move(completion));
    }

    QStringList calls;
    QList<std::function<void()>> completions;
    QWidget *m_view = new QWidget; // the window takes ownership

private:
    void record(const QString &call)
    {
        calls.append(call);
        Log::write("[stand-in] %@", call);
    }
};

class RecordingDecorator : public WindowDecorator
{
public:
    void applyOverlayHints(QWidget *window) override { visibleWhenApplied.append(window->isVisible()); }
    bool compositing() override { return desktopComposites; }
    void setBackground(QWidget *, const QColor &color) override { backgrounds.append(color); }

    QList<bool> visibleWhenApplied;
    bool desktopComposites = true;
    QList<QColor> backgrounds;
};

using Screen = LauncherController::Screen;

class LauncherControllerTest : public ::testing::Test
{
protected:
    std::unique_ptr<LauncherController> make(LaunchOptions options = {})
    {
        auto content = std::make_unique<StandInContent>();
        stand = content.get();
        decorator = std::make_shared<RecordingDecorator>();
        decorator->desktopComposites = compositing;
        LauncherController::Environment environment;
        environment.screens = [this] { return screens; };
        environment.decorator = decorator;
        environment.observeScreens = [this](QObject *, std::function<void()> changed) {
            screensChanged = std::move(changed);
        };
        return std::make_unique<LauncherController>(std::move(content), options, environment);
    }

    // The window alone, its content to come.
    std::unique_ptr<LauncherController> makeBare()
    {
        decorator = std::make_shared<RecordingDecorator>();
        decorator->desktopComposites = compositing;
        LauncherController::Environment environment;
        environment.screens = [this] { return screens; };
        environment.decorator = decorator;
        environment.observeScreens = [](QObject *, std::function<void()>) {};
        return std::make_unique<LauncherController>(LaunchOptions{}, environment);
    }

    // The colour at the window's centre as the window itself paints it.
    static QColor paintedCentre(LauncherWindow *window)
    {
        QImage image(window->size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        window->render(&image, QPoint(), QRegion(), QWidget::DrawWindowBackground);
        return image.pixelColor(image.rect().center());
    }

    static QStringList tagged(const LogCapture &log, const QString &prefix)
    {
        QStringList result;
        for (const QString &line : log.lines()) {
            if (line.startsWith(prefix))
                result.append(line);
        }
        return result;
    }

    QList<Screen> screens{
        Screen{QRectF(0, 0, 1280, 800), QRectF(0, 25, 1280, 775), false},
        Screen{QRectF(1280, 0, 1920, 1080), QRectF(1280, 0, 1920, 1040), true},
    };
    // Whether the desktop of the next controller made composites.
    bool compositing = true;
    StandInContent *stand = nullptr;
    std::shared_ptr<RecordingDecorator> decorator;
    // What the controller asked to hear when the screens change.
    std::function<void()> screensChanged;
};

TEST_F(LauncherControllerTest, ConstructionBuildsAHiddenOverlayOnTheMainScreen)
{
    const auto controller = make();
    LauncherWindow *window = controller->window();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(controller->isVisible());
    EXPECT_EQ(window->geometry(), QRect(1280, 0, 1920, 1080));
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(WindowLevel::of(window), WindowLevel::launcher);
    EXPECT_TRUE(window->testAttribute(Qt::WA_TranslucentBackground));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Tessellon"));
    EXPECT_EQ(window->contentView(), stand->m_view);
    EXPECT_EQ(stand->m_view->parentWidget(), window);
    EXPECT_TRUE(stand->calls.isEmpty());
}

TEST_F(LauncherControllerTest, FirstScreenWhenNoneIsMainAndFallbackFrameWithoutScreens)
{
    screens[1].isMain = false;
    EXPECT_EQ(make()->window()->geometry(), QRect(0, 0, 1280, 800));

    screens.clear();
    const auto controller = make();
    EXPECT_EQ(controller->window()->geometry(), QRect(0, 0, 1440, 900));
    controller->show();
    EXPECT_TRUE(controller->isVisible());
    EXPECT_EQ(controller->window()->geometry(), QRect(0, 0, 1440, 900));
}

TEST_F(LauncherControllerTest, ShowRefitsAppliesHintsWhileHiddenAndAnimatesInEveryTime)
{
    const auto controller = make();
    controller->show();
    EXPECT_TRUE(controller->isVisible());
    EXPECT_EQ(stand->calls, (QStringList{"sync", "in"}));
    EXPECT_EQ(decorator->visibleWhenApplied, QList<bool>{false});

    // The main screen changed meanwhile: no guard, refit and animate again.
    screens[0].isMain = true;
    screens[1].isMain = false;
    controller->show();
    EXPECT_EQ(controller->window()->geometry(), QRect(0, 0, 1280, 800));
    EXPECT_EQ(stand->calls, (QStringList{"sync", "in", "sync", "in"}));
    EXPECT_EQ(decorator->visibleWhenApplied.size(), 2);
}

TEST_F(LauncherControllerTest, DumpWindowsLogsOneWindowAndOneScreensLineAfterEachShow)
{
    LaunchOptions options;
    options.dumpWindows = true;
    screens[0].visibleFrame = QRectF(0, 25.5, 1280, 774.5);
    const auto controller = make(options);
    LogCapture log;
    controller->show();
    controller->show();

    const QStringList lines = log.lines();
    const QStringList relevant = [&] {
        QStringList out;
        for (const QString &line : lines) {
            if (line.startsWith(QStringLiteral("[windows]")))
                out.append(QStringLiteral("windows"));
            else if (line.startsWith(QStringLiteral("[screens]")))
                out.append(QStringLiteral("screens"));
            else if (line == QStringLiteral("[stand-in] in"))
                out.append(QStringLiteral("in"));
        }
        return out;
    }();
    EXPECT_EQ(relevant, (QStringList{"in", "windows", "screens", "in", "windows", "screens"}));

    const QString windowLine = tagged(log, QStringLiteral("[windows]")).value(0);
    const QRegularExpression windowPattern(QStringLiteral("^\\[windows\\] launcher x=1280 y=0 w=1920 h=1080 id=\\d+$"));
    EXPECT_TRUE(windowPattern.match(windowLine).hasMatch()) << windowLine.toStdString();
    EXPECT_EQ(tagged(log, QStringLiteral("[screens]")).value(0),
              QStringLiteral("[screens] [\"frame=(0.0, 0.0, 1280.0, 800.0) visible=(0.0, 25.5, 1280.0, 774.5) "
                             "main=false\", \"frame=(1280.0, 0.0, 1920.0, 1080.0) visible=(1280.0, 0.0, 1920.0, "
                             "1040.0) main=true\"]"));
}

// A screen that changes size (or another screen becoming main) while the
// launcher is shown: the window and its content take the new frame at once,
// not at the next show.
TEST_F(LauncherControllerTest, AShownLauncherFollowsTheScreenAtOnce)
{
    LaunchOptions options;
    options.dumpWindows = true;
    const auto controller = make(options);
    ASSERT_TRUE(screensChanged);
    controller->show();
    ASSERT_EQ(controller->window()->geometry(), QRect(1280, 0, 1920, 1080));

    LogCapture log;
    screens[1].frame = QRectF(1280, 0, 1280, 720);
    screensChanged();
    EXPECT_EQ(controller->window()->geometry(), QRect(1280, 0, 1280, 720));
    EXPECT_EQ(stand->m_view->geometry(), QRect(0, 0, 1280, 720));
    const QRegularExpression windowPattern(QStringLiteral("^\\[windows\\] launcher x=1280 y=0 w=1280 h=720 id=\\d+$"));
    EXPECT_TRUE(windowPattern.match(tagged(log, QStringLiteral("[windows]")).value(0)).hasMatch()) << log.lines().join('\n').toStdString();

    screens[0].isMain = true;
    screens[1].isMain = false;
    screensChanged();
    EXPECT_EQ(controller->window()->geometry(), QRect(0, 0, 1280, 800));
    EXPECT_EQ(stand->m_view->geometry(), QRect(0, 0, 1280, 800));
    EXPECT_EQ(stand->calls, (QStringList{"sync", "in"})) << "no new show";

    // Hidden, it waits for the next show to be fitted.
    controller->hide();
    stand->completions.first()();
    ASSERT_FALSE(controller->isVisible());
    screens[0].frame = QRectF(0, 0, 1024, 768);
    screensChanged();
    EXPECT_EQ(controller->window()->geometry(), QRect(0, 0, 1280, 800));
    controller->show();
    EXPECT_EQ(controller->window()->geometry(), QRect(0, 0, 1024, 768));
}

TEST_F(LauncherControllerTest, WithoutDumpWindowsShowLogsNothing)
{
    const auto controller = make();
    LogCapture log;
    controller->show();
    EXPECT_TRUE(tagged(log, QStringLiteral("[windows]")).isEmpty());
    EXPECT_TRUE(tagged(log, QStringLiteral("[screens]")).isEmpty());
}

TEST_F(LauncherControllerTest, ScreensLineWithoutScreensIsAnEmptyList)
{
    EXPECT_EQ(LauncherController::screensLine({}), QStringLiteral("[screens] []"));
    EXPECT_EQ(LauncherController::describeNumber(-0.25), QStringLiteral("-0.25"));
    EXPECT_EQ(LauncherController::describeNumber(3), QStringLiteral("3.0"));
}

TEST_F(LauncherControllerTest, HideTwiceRunsOneAnimationAndOrdersOutOnce)
{
    const auto controller = make();
    controller->show();
    controller->hide();
    controller->hide();
    EXPECT_EQ(stand->calls, (QStringList{"sync", "in", "out"}));
    EXPECT_TRUE(controller->isHiding());
    EXPECT_TRUE(controller->isVisible()) << "the window stays until the animation ends";

    ASSERT_EQ(stand->completions.size(), 1);
    stand->completions.first()();
    EXPECT_FALSE(controller->isVisible());
    EXPECT_FALSE(controller->isHiding());
}

// Qt's pixmap cache wakes the process every 30 s for as long as it holds
// anything: a hidden launcher leaves it empty.
TEST_F(LauncherControllerTest, HiddenLauncherLeavesQtsPixmapCacheEmpty)
{
    const auto controller = make();
    controller->show();
    QPixmap drawn(8, 8);
    drawn.fill(Qt::red);
    const QPixmapCache::Key key = QPixmapCache::insert(drawn);
    drawn = QPixmap(); // only the cache holds it, as the style's frames
    controller->hide();
    QPixmap found;
    EXPECT_TRUE(QPixmapCache::find(key, &found)) << "kept while the window is up";
    ASSERT_EQ(stand->completions.size(), 1);
    stand->completions.first()();
    EXPECT_FALSE(controller->isVisible());
    EXPECT_FALSE(QPixmapCache::find(key, &found));
}

TEST_F(LauncherControllerTest, HideOfAHiddenLauncherDoesNothing)
{
    const auto controller = make();
    controller->hide();
    EXPECT_TRUE(stand->calls.isEmpty());
    EXPECT_FALSE(controller->isHiding());
}

TEST_F(LauncherControllerTest, ToggleShowsHidesAndShowsAgainDuringAHide)
{
    const auto controller = make();
    controller->toggle();
    EXPECT_TRUE(controller->isVisible());
    controller->toggle();
    EXPECT_TRUE(controller->isHiding());
    ASSERT_EQ(stand->completions.size(), 1);

    // Toggled again while the hide animation runs: shows.
    controller->toggle();
    EXPECT_FALSE(controller->isHiding());
    EXPECT_EQ(stand->calls, (QStringList{"sync", "in", "out", "sync", "in"}));

    // The superseded hide completes late: the launcher stays up.
    stand->completions.first()();
    EXPECT_TRUE(controller->isVisible());
    EXPECT_FALSE(controller->isHiding());

    // And the next toggle hides it normally.
    controller->toggle();
    ASSERT_EQ(stand->completions.size(), 2);
    stand->completions.last()();
    EXPECT_FALSE(controller->isVisible());
}

TEST_F(LauncherControllerTest, CompletionAfterTheControllerIsGoneDoesNothing)
{
    auto controller = make();
    controller->show();
    controller->hide();
    std::function<void()> completion = stand->completions.first();
    controller.reset();
    completion();
    SUCCEED();
}

TEST_F(LauncherControllerTest, WindowManagerCloseHidesInsteadOfClosing)
{
    const auto controller = make();
    controller->show();
    controller->window()->close();
    EXPECT_TRUE(controller->isVisible());
    EXPECT_EQ(stand->calls, (QStringList{"sync", "in", "out"}));
    stand->completions.first()();
    EXPECT_FALSE(controller->isVisible());
    EXPECT_NE(controller->window(), nullptr);
}

TEST_F(LauncherControllerTest, AWindowWithoutContentShowsItsPlaceholderAndHidesAtOnce)
{
    const auto controller = makeBare();
    EXPECT_FALSE(controller->hasContent());
    controller->setPlaceholder(QColor(0, 0, 0, 87));
    controller->show();
    EXPECT_TRUE(controller->isVisible());
    EXPECT_EQ(decorator->visibleWhenApplied, (QList<bool>{false}));
    EXPECT_EQ(paintedCentre(controller->window()), QColor(0, 0, 0, 87));

    // Nothing to animate out: the window goes at once, and so does the
    // placeholder.
    controller->hide();
    EXPECT_FALSE(controller->isVisible());
    EXPECT_FALSE(controller->isHiding());
    EXPECT_FALSE(controller->window()->placeholder().isValid());
    EXPECT_EQ(paintedCentre(controller->window()).alpha(), 0);
}

TEST_F(LauncherControllerTest, ContentArrivingInAShownWindowFadesInOverThePlaceholderUntilTheFirstHide)
{
    const auto controller = makeBare();
    controller->setPlaceholder(QColor(0, 0, 0, 87));
    controller->show();

    auto content = std::make_unique<StandInContent>();
    stand = content.get();
    controller->setContent(std::move(content));
    EXPECT_TRUE(controller->hasContent());
    EXPECT_EQ(controller->window()->contentView(), stand->m_view);
    EXPECT_EQ(stand->m_view->geometry(), controller->window()->rect());
    EXPECT_TRUE(stand->m_view->isVisible());
    EXPECT_TRUE(stand->calls.isEmpty()) << "attaching alone neither syncs nor animates";

    controller->show();
    EXPECT_EQ(stand->calls, (QStringList{"sync", "in"}));
    EXPECT_EQ(controller->window()->placeholder(), QColor(0, 0, 0, 87));

    controller->hide();
    EXPECT_FALSE(controller->window()->placeholder().isValid()) << "the fade out goes to the desktop";
    ASSERT_EQ(stand->completions.size(), 1);
    stand->completions.first()();
    EXPECT_FALSE(controller->isVisible());

    controller->show();
    EXPECT_FALSE(controller->window()->placeholder().isValid());
}

TEST_F(LauncherControllerTest, TheWindowSaysWhenItHasPainted)
{
    const auto controller = makeBare();
    int painted = 0;
    QObject::connect(controller->window(), &LauncherWindow::framePainted, [&painted] { ++painted; });
    paintedCentre(controller->window());
    EXPECT_EQ(painted, 1);

    // A content view that repaints alone, over all of the window, never
    // reaches the window's own paint; its frame is announced all the same,
    // once for each update.
    auto *content = new QWidget;
    content->setAttribute(Qt::WA_OpaquePaintEvent);
    content->setAutoFillBackground(true);
    controller->window()->setContentView(content);
    controller->window()->show();
    QCoreApplication::processEvents();
    painted = 0;
    content->update();
    QEvent request(QEvent::UpdateRequest);
    QCoreApplication::sendEvent(controller->window(), &request);
    EXPECT_EQ(painted, 1);
    controller->window()->hide();
}

// What the window last put on screen at its centre: its backing store, as
// painted through Qt's repaint path, children and their effects included.
QColor storedCentre(LauncherWindow *window)
{
    // Qt paints a window once the platform has said it is exposed.
    QCoreApplication::processEvents();
    window->repaint();
    QBackingStore *store = window->backingStore();
    if (store == nullptr || store->paintDevice()->devType() != QInternal::Image)
        return {};
    const auto *image = static_cast<const QImage *>(store->paintDevice());
    return image->pixelColor(image->rect().center());
}

// A stand-in view that fades as the launcher view does: white behind an
// opacity effect.
class FadingView : public QWidget
{
public:
    FadingView() { setGraphicsEffect(m_effect); }
    void setOpacity(double opacity) { m_effect->setOpacity(opacity); }

protected:
    void paintEvent(QPaintEvent *) override { QPainter(this).fillRect(rect(), Qt::white); }

private:
    QGraphicsOpacityEffect *m_effect = new QGraphicsOpacityEffect;
};

// Without a compositing manager the desktop would show a translucent window's
// colour channels alone, the window as drawn over black; the server would
// still keep an off-screen copy of it. The window is translucent only where
// that shows, decided before any native window is made.
TEST_F(LauncherControllerTest, TheWindowIsTranslucentOnlyWhenTheDesktopComposites)
{
    for (const bool composites : {true, false}) {
        SCOPED_TRACE(composites ? "compositing" : "not compositing");
        compositing = composites;
        const auto controller = makeBare();
        EXPECT_EQ(controller->window()->isTranslucent(), composites);
        EXPECT_FALSE(controller->window()->testAttribute(Qt::WA_WState_Created));

        controller->setPlaceholder(QColor(200, 100, 50, 128));
        EXPECT_EQ(decorator->backgrounds, QList<QColor>{QColor(200, 100, 50, 128)})
            << "the server fills the window as it maps";
        controller->show();
        controller->hide();
        EXPECT_EQ(decorator->backgrounds.size(), 2);
        EXPECT_FALSE(decorator->backgrounds.last().isValid()) << "no fill once the placeholder is gone";
        controller->show();
        controller->hide();
        EXPECT_EQ(decorator->backgrounds.size(), 2) << "the server hears of changes only";
    }
}

// The opaque window paints what the translucent one would show there: the
// placeholder over black, and every frame of a fade from black again, not
// over the frame before.
TEST_F(LauncherControllerTest, AnOpaqueWindowPaintsEachFrameOverBlack)
{
    compositing = false;
    const auto controller = makeBare();
    LauncherWindow *window = controller->window();
    controller->setPlaceholder(QColor(200, 100, 50, 128));
    controller->show();
    const QColor placeholder = storedCentre(window);
    EXPECT_NEAR(placeholder.red(), 100, 1);
    EXPECT_NEAR(placeholder.green(), 50, 1);
    EXPECT_NEAR(placeholder.blue(), 25, 1);

    controller->setPlaceholder(QColor());
    auto content = std::make_unique<StandInContent>();
    auto *view = new FadingView;
    content->m_view = view;
    controller->setContent(std::move(content));
    for (const double opacity : {0.5, 0.25, 0.25}) {
        view->setOpacity(opacity);
        const QColor faded = storedCentre(window);
        EXPECT_NEAR(faded.red(), 255 * opacity, 2) << opacity;
        EXPECT_NEAR(faded.blue(), 255 * opacity, 2) << opacity;
    }
}

// A compositing manager can start or stop while the launcher runs. A native
// window keeps the kind it was made with, so the change takes effect at the
// next show from hidden, with a new native window carrying the placeholder
// fill; never under the user's eyes.
TEST_F(LauncherControllerTest, ACompositingChangeTakesEffectAtTheNextShowFromHidden)
{
    const auto controller = makeBare();
    LauncherWindow *window = controller->window();
    controller->setPlaceholder(QColor(0, 0, 0, 87));
    controller->show();
    const WId first = window->winId();
    LogCapture log;

    decorator->desktopComposites = false;
    controller->show();
    EXPECT_TRUE(window->isTranslucent()) << "shown: kept as it is";

    controller->dismissCoverForModal();
    decorator->backgrounds.clear();
    controller->restoreCoverAfterModal();
    EXPECT_TRUE(controller->isVisible());
    EXPECT_FALSE(window->isTranslucent());
    EXPECT_NE(window->winId(), first);
    EXPECT_EQ(decorator->backgrounds, QList<QColor>{QColor(0, 0, 0, 87)});
    EXPECT_EQ(tagged(log, QStringLiteral("[launcher]")), QStringList{"[launcher] compositing=0 window=opaque"});

    controller->hide();
    decorator->desktopComposites = true;
    decorator->backgrounds.clear();
    controller->show();
    EXPECT_TRUE(window->isTranslucent());
    EXPECT_TRUE(decorator->backgrounds.isEmpty()) << "no placeholder left to fill with";
    EXPECT_EQ(tagged(log, QStringLiteral("[launcher]")).last(), QStringLiteral("[launcher] compositing=1 window=translucent"));
}

} // namespace
