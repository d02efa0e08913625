#include "launcher/launcher_view.h"

#include "app/session/launcher_session_test_support.h"

#include "tiles/app_tile.h"
#include "tiles/icon_provider.h"

#include "policy/jiggle_motion.h"
#include "support/temp_env.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTransform>

#include <memory>

using session_test::SessionTest;

namespace {

// Edit mode on a real session: 14 applications on a 4 x 3 grid (a page of 12
// and one of 2), pressed, held, keyed and tapped through synthesized events.
class LauncherViewEditTest : public SessionTest
{
protected:
    void SetUp() override
    {
        SessionTest::SetUp();
        for (int i = 0; i < 14; ++i)
            makeApp(QStringLiteral("App%1").arg(i, 2, 10, QLatin1Char('0')));
    }

    LauncherView &build(const QStringList &extra = {})
    {
        const QStringList options = QStringList{"--columns", "4", "--rows", "3", "--dump-windows"} + extra;
        session = makeSession(options);
        session->start();
        const LaunchOptions launch =
            LaunchOptions::parse(QStringList{"tessellon", "--state-dir", stateDir()} + options);
        view = std::make_unique<LauncherView>(QRect(0, 0, 1200, 800), *session, icons, launch);
        view->setTimeSource([this] { return now; });
        view->onOpenApp = [this](const AppItem &app) { opened.append(app.stableID()); };
        return *view;
    }

    void mouse(QEvent::Type type, QPointF at)
    {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, at, view->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
        QApplication::sendEvent(view.get(), &event);
    }
    void alt(bool down, quint32 keysym = 0xffe9)
    {
        QKeyEvent event(down ? QEvent::KeyPress : QEvent::KeyRelease, Qt::Key_Alt,
                        down ? Qt::AltModifier : Qt::NoModifier, 64, keysym, 0);
        QApplication::sendEvent(view.get(), &event);
    }
    // Holds tile `index` until the long-press timer's moment.
    void longPress(int index)
    {
        mouse(QEvent::MouseButtonPress, iconCentre(index));
        ASSERT_TRUE(view->editMode().longPressPending());
        now += 0.5;
        view->editMode().longPressTimerFired();
    }

    QPointF iconCentre(int index) const
    {
        const QRectF frame = view->tileFrames().at(index);
        return view->tilesHost()->mapTo(view.get(), QPointF(frame.center().x(), frame.top() + 10));
    }
    QPointF badgeCentre(int index) const
    {
        const AppTile *tile = view->tiles().at(index);
        return tile->mapTo(view.get(), tile->deleteBadgeRect().center());
    }
    bool allTransformsIdentity() const
    {
        for (const AppTile *tile : view->tiles())
            if (!tile->layerTransform().isIdentity())
                return false;
        return true;
    }

    static constexpr QPointF background{600, 700};

    std::unique_ptr<LauncherSession> session;
    IconProvider icons;
    std::unique_ptr<LauncherView> view;
    double now = 50;
    QStringList opened;
};

TEST_F(LauncherViewEditTest, LongPressEntersWobblesAndAClickOnEmptySpaceLeaves)
{
    LauncherView &v = build();
    LogCapture log;
    longPress(2);
    ASSERT_TRUE(v.isEditing());
    EXPECT_EQ(v.editMode().source(), "long-press");
    EXPECT_TRUE(log.contains("[edit-mode] entered badges=12/12 placement=left frozen=0 via=long-press"));
    EXPECT_TRUE(v.selection().isEmpty());
    for (const AppTile *tile : v.tiles()) {
        EXPECT_TRUE(tile->showsDeleteBadge());
        EXPECT_FALSE(tile->selected());
    }
    // The release of the press that entered edit mode opens nothing.
    mouse(QEvent::MouseButtonRelease, iconCentre(2));
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_TRUE(v.isEditing());

    ASSERT_TRUE(v.editClock().isRunning());
    now += 0.1;
    v.editClock().fire();
    EXPECT_FALSE(allTransformsIdentity());
    EXPECT_NE(v.tiles()[0]->layerTransform(), v.tiles()[1]->layerTransform()) << "neighbours out of step";

    mouse(QEvent::MouseButtonPress, background);
    mouse(QEvent::MouseButtonRelease, background);
    EXPECT_FALSE(v.isEditing());
    EXPECT_FALSE(v.editClock().isRunning());
    EXPECT_TRUE(allTransformsIdentity());
    EXPECT_EQ(log.lines().last(), "[edit-mode] exited");
    for (const AppTile *tile : v.tiles())
        EXPECT_FALSE(tile->showsDeleteBadge());
}

TEST_F(LauncherViewEditTest, PressesThatNeverBecomeALongPress)
{
    LauncherView &v = build();
    mouse(QEvent::MouseButtonPress, background);
    EXPECT_FALSE(v.editMode().longPressPending()) << "empty space arms nothing";
    mouse(QEvent::MouseButtonRelease, background);

    const QPointF start = iconCentre(0);
    mouse(QEvent::MouseButtonPress, start);
    mouse(QEvent::MouseMove, start + QPointF(7, 0));
    EXPECT_TRUE(v.editMode().longPressPending()) << "exactly the tolerance keeps it";
    mouse(QEvent::MouseMove, start + QPointF(7.5, 0));
    EXPECT_FALSE(v.editMode().longPressPending());
    now += 0.6;
    v.editMode().longPressTimerFired();
    EXPECT_FALSE(v.isEditing());
    mouse(QEvent::MouseButtonRelease, start + QPointF(7.5, 0));
}

TEST_F(LauncherViewEditTest, AltHeldIsATemporaryEditMode)
{
    LauncherView &v = build();
    LogCapture log;
    v.editMode().syncOptionKeyBaseline(false);
    alt(true, 0xffea);
    ASSERT_TRUE(v.isEditing());
    EXPECT_EQ(v.editMode().source(), "option");
    EXPECT_TRUE(log.contains("[edit-mode] entered badges=12/12 placement=left frozen=0 via=option"));
    alt(false, 0xffea);
    EXPECT_FALSE(v.isEditing());
    EXPECT_EQ(log.lines().last(), "[edit-mode] option-release restored editing=0");

    // Alt already held when the launcher shows: neither it nor its release acts.
    v.editMode().syncOptionKeyBaseline(true);
    alt(false);
    EXPECT_FALSE(v.isEditing());

    // A long press outlives Alt going down and up.
    longPress(0);
    mouse(QEvent::MouseButtonRelease, iconCentre(0));
    alt(true);
    alt(false);
    EXPECT_TRUE(v.isEditing());
    EXPECT_EQ(v.editMode().source(), "long-press");

    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&v, &escape);
    EXPECT_FALSE(v.isEditing());
    EXPECT_EQ(v.editMode().source(), "none");
}

TEST_F(LauncherViewEditTest, AutomationEntryPointsGiveTheirLines)
{
    LauncherView &v = build({"--freeze-jiggle", "--badge-side", "TR"});
    LogCapture log;
    v.enterEditModeForAutomation();
    ASSERT_TRUE(v.isEditing());
    EXPECT_TRUE(log.contains("[edit-mode] entered badges=12/12 placement=right frozen=1 via=automation"));
    EXPECT_FALSE(v.editClock().isRunning());
    for (int i = 0; i < v.tiles().size(); ++i) {
        const JiggleMotion pose(i, 0);
        QTransform expected;
        expected.translate(pose.translationX, pose.translationY);
        expected.rotateRadians(pose.rotationRadians);
        EXPECT_EQ(v.tiles()[i]->layerTransform(), expected) << i;
    }
    v.exitEditMode();

    v.simulateOptionKeyForAutomation();
    EXPECT_TRUE(log.contains("[edit-mode] option-snapshot ignored editing=0"));
    EXPECT_TRUE(v.isEditing());
    EXPECT_EQ(v.editMode().source(), "option");
    v.releaseOptionForAutomation();
    EXPECT_FALSE(v.isEditing());
    EXPECT_EQ(log.lines().last(), "[edit-mode] option-release restored editing=0");
}

TEST_F(LauncherViewEditTest, TappingADeleteBadgeAsksForTheUninstallOfItsApplication)
{
    LauncherView &v = build({"--edit-safe-uninstall"});
    QList<QPair<QStringList, bool>> requests;
    QObject::connect(&v, &LauncherView::uninstallRequested,
                     [&](const QStringList &ids, bool preview) { requests.append({ids, preview}); });
    v.enterEditModeForAutomation();
    mouse(QEvent::MouseButtonPress, badgeCentre(3));
    EXPECT_TRUE(v.tiles()[3]->deleteBadgePressed());
    mouse(QEvent::MouseButtonRelease, badgeCentre(3));
    EXPECT_FALSE(v.tiles()[3]->deleteBadgePressed());
    ASSERT_EQ(requests.size(), 1);
    EXPECT_EQ(requests[0].first, QStringList{id("App03")});
    EXPECT_TRUE(requests[0].second);
    EXPECT_TRUE(v.isEditing()) << "a badge tap is no click out";
}

} // namespace
