#include "launcher/launcher_view.h"
#include "modal/uninstall_requests.h"

#include "app/session/launcher_session_test_support.h"

#include "tiles/app_tile.h"
#include "tiles/icon_provider.h"
#include "tiles/tile_pasteboard.h"

#include "app/foreign_drop_target.h"
#include "window_under_pointer.h"

#include "model/launcher_layout.h"
#include "policy/jiggle_motion.h"
#include "support/temp_env.h"
#include "support/test_files.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
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

    // `timestamp` is the window system's time of the event in milliseconds
    // (0: none, as for synthesized events).
    void mouse(QEvent::Type type, QPointF at, quint64 timestamp = 0)
    {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, at, view->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
        event.setTimestamp(timestamp);
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

TEST_F(LauncherViewEditTest, ATimerThatFiresEarlyWaitsForTheRestOfTheHold)
{
    LauncherView &v = build();
    mouse(QEvent::MouseButtonPress, iconCentre(4));
    // A coarse timer may fire 5 % early: the gate says "not yet".
    now += 0.475;
    v.editMode().longPressTimerFired();
    EXPECT_FALSE(v.isEditing());
    ASSERT_TRUE(v.editMode().longPressPending()) << "the press still held waits for the rest";
    // The re-armed timer runs by itself once the rest has passed.
    now += 0.025;
    EXPECT_TRUE(waitFor([&] { return v.isEditing(); }, 20000));
    EXPECT_EQ(v.editMode().source(), "long-press");
    mouse(QEvent::MouseButtonRelease, iconCentre(4));
    EXPECT_TRUE(opened.isEmpty());
}

// The long-press timer has not run when the release arrives (the thread was
// busy: the launcher appearing, a window being mapped); the events' own
// times say how long the press was held.
struct HeldPressRow
{
    const char *name;
    quint64 heldMilliseconds;
    double clockAdvance; // media time between handling the press and the release
    bool entersEditMode;
};

class LauncherViewHeldPressTest : public LauncherViewEditTest, public ::testing::WithParamInterface<HeldPressRow>
{
};

TEST_P(LauncherViewHeldPressTest, TheReleaseJudgesTheHoldByTheEventTimes)
{
    const HeldPressRow &row = GetParam();
    LauncherView &v = build();
    LogCapture log;
    now = 1234.567; // a media time whose sums round
    mouse(QEvent::MouseButtonPress, iconCentre(5), 90'000);
    now += row.clockAdvance;
    mouse(QEvent::MouseButtonRelease, iconCentre(5), 90'000 + row.heldMilliseconds);
    EXPECT_EQ(v.isEditing(), row.entersEditMode);
    if (row.entersEditMode) {
        EXPECT_TRUE(opened.isEmpty()) << "a long press opens nothing";
        EXPECT_TRUE(log.contains("[edit-mode] entered badges=12/12 placement=left frozen=0 via=long-press"));
    } else {
        EXPECT_EQ(opened, QStringList{id("App05")});
    }
    EXPECT_FALSE(v.editMode().longPressPending());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LauncherViewHeldPressTest,
    ::testing::Values(HeldPressRow{"ExactlyTheHoldTime", 500, 0.5, true},
                      HeldPressRow{"HeldLongButHandledAtOnce", 700, 0.01, true},
                      HeldPressRow{"AClickHandledLate", 120, 0.9, false},
                      HeldPressRow{"JustShortOfTheHold", 498, 0.498, false}),
    [](const ::testing::TestParamInfo<HeldPressRow> &info) { return std::string(info.param.name); });

TEST_F(LauncherViewEditTest, APressHeldAcrossTheHideEntersNoEditMode)
{
    LauncherView &v = build({"--no-animation"});
    mouse(QEvent::MouseButtonPress, iconCentre(1));
    ASSERT_TRUE(v.editMode().longPressPending());
    v.animateOut(nullptr);
    now += 0.6;
    v.editMode().longPressTimerFired();
    EXPECT_FALSE(v.isEditing());
    mouse(QEvent::MouseButtonRelease, iconCentre(1));
    EXPECT_FALSE(v.isEditing());
    EXPECT_TRUE(opened.isEmpty());
}

// The badge's hit area reaches 5 points beyond its square: a click just
// above it still asks for the uninstall instead of leaving edit mode.
TEST_F(LauncherViewEditTest, AClickJustOutsideTheBadgeStillTapsIt)
{
    LauncherView &v = build({"--edit-safe-uninstall"});
    struct Requests : UninstallRequests
    {
        void uninstall(const QStringList &ids, bool) override { asked.append(ids); }
        QList<QStringList> asked;
    } uninstalls;
    v.setUninstallRequests(&uninstalls);
    v.enterEditModeForAutomation();
    const AppTile *tile = v.tiles()[6];
    const QRectF badge = tile->deleteBadgeRect();
    const QPointF above = tile->mapTo(&v, QPointF(badge.center().x(), badge.top() - 4));
    mouse(QEvent::MouseButtonPress, above);
    EXPECT_TRUE(v.tiles()[6]->deleteBadgePressed());
    mouse(QEvent::MouseButtonRelease, above);
    QCoreApplication::processEvents();
    v.setUninstallRequests(nullptr);
    EXPECT_EQ(uninstalls.asked, QList<QStringList>{QStringList{id("App06")}});
    EXPECT_TRUE(v.isEditing()) << "a badge tap is no click out";
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
    struct Requests : UninstallRequests
    {
        void uninstall(const QStringList &ids, bool previewOnly) override { asked.append({ids, previewOnly}); }
        QList<QPair<QStringList, bool>> asked;
    } uninstalls;
    const QList<QPair<QStringList, bool>> &requests = uninstalls.asked;
    v.setUninstallRequests(&uninstalls);
    v.enterEditModeForAutomation();
    mouse(QEvent::MouseButtonPress, badgeCentre(3));
    EXPECT_TRUE(v.tiles()[3]->deleteBadgePressed());
    mouse(QEvent::MouseButtonRelease, badgeCentre(3));
    EXPECT_FALSE(v.tiles()[3]->deleteBadgePressed());
    // The confirmation opens once the release has been handled.
    QCoreApplication::processEvents();
    v.setUninstallRequests(nullptr);
    ASSERT_EQ(requests.size(), 1);
    EXPECT_EQ(requests[0].first, QStringList{id("App03")});
    EXPECT_TRUE(requests[0].second);
    EXPECT_TRUE(v.isEditing()) << "a badge tap is no click out";
}

// --- Dragging tiles

// Where slot `index` of the shown page starts, in the cell's margin left of
// its icon: inserting there puts the entry at `index`, and no icon is hit.
QPointF slotStart(const LauncherView &v, int index)
{
    const QRectF frame = v.tileFrames().at(index);
    return v.tilesHost()->mapTo(&v, QPointF(frame.left() + 3, frame.center().y()));
}

QStringList pageIDs(const LauncherSession &session, int page)
{
    QStringList ids;
    for (const LayoutEntry &entry : session.layout().pages.value(page))
        ids.append(entry.id);
    return ids;
}

TEST_F(LauncherViewEditTest, DragToAnotherSlotMovesTheEntryAndLogsTheDrop)
{
    LauncherView &v = build();
    const QStringList before = pageIDs(*session, 0);
    LogCapture log;
    const QPointF start = iconCentre(0);
    mouse(QEvent::MouseButtonPress, start);
    mouse(QEvent::MouseMove, start + QPointF(20, 0));
    ASSERT_TRUE(v.tileDrag().isDragging());
    ASSERT_NE(v.tileDrag().dragImageView(), nullptr);
    EXPECT_TRUE(v.tiles()[0]->dragging());
    EXPECT_FALSE(v.isEditing()) << "a drag is no long press";

    const QPointF target = slotStart(v, 3);
    mouse(QEvent::MouseMove, target);
    EXPECT_EQ(v.tileDrag().insertionIndex(), 3);
    EXPECT_EQ(v.tileDrag().dragImageView()->geometry().center(), target.toPoint());
    // The tiles between the dragged one and the slot close up to the left.
    const double half = v.geometry().cellSize.width() * 0.5;
    EXPECT_EQ(v.tileDrag().reflowTarget(1), -half);
    EXPECT_EQ(v.tileDrag().reflowTarget(3), -half);
    EXPECT_EQ(v.tileDrag().reflowTarget(4), 0);
    ASSERT_TRUE(v.tileDrag().reflowClock().isRunning());
    now += 0.05;
    v.tileDrag().reflowClock().fire();
    const double x = v.tiles()[2]->slide();
    EXPECT_LT(x, 0);
    EXPECT_GT(x, -half) << "the spring is under way, not there yet";
    for (int i = 0; i < 200 && v.tileDrag().reflowClock().isRunning(); ++i) {
        now += 1.0 / 60;
        v.tileDrag().reflowClock().fire();
    }
    EXPECT_DOUBLE_EQ(v.tiles()[2]->slide(), -half);

    mouse(QEvent::MouseButtonRelease, target);
    EXPECT_FALSE(v.tileDrag().isDragging());
    QStringList expected = before;
    expected.move(0, 3);
    EXPECT_EQ(pageIDs(*session, 0), expected);
    EXPECT_TRUE(log.contains(QStringLiteral("[drop] page=0 slot=3 id=%1 landed=3").arg(before[0])));
    EXPECT_TRUE(log.contains("[drop] before=" + before.join(',')));
    EXPECT_TRUE(log.contains("[drop] after=" + expected.join(',')));
    EXPECT_TRUE(opened.isEmpty());
    for (const AppTile *tile : v.tiles())
        EXPECT_FALSE(tile->dragging());
}

// Gives bundle "<name>.app" an icon of one colour (Contents/Resources/Icon.png).
void giveBundleIcon(const QString &bundle, const QString &bundleID, QColor color)
{
    ASSERT_TRUE(QDir().mkpath(bundle + QStringLiteral("/Contents/Resources")));
    QImage icon(64, 64, QImage::Format_ARGB32_Premultiplied);
    icon.fill(color);
    ASSERT_TRUE(icon.save(bundle + QStringLiteral("/Contents/Resources/Icon.png")));
    QFile plist(bundle + QStringLiteral("/Contents/Info.plist"));
    ASSERT_TRUE(plist.open(QIODevice::WriteOnly | QIODevice::Truncate));
    plist.write(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                               "<plist version=\"1.0\"><dict>"
                               "<key>CFBundleIdentifier</key><string>%1</string>"
                               "<key>CFBundlePackageType</key><string>APPL</string>"
                               "<key>CFBundleIconFile</key><string>Icon.png</string>"
                               "</dict></plist>\n")
                    .arg(bundleID)
                    .toUtf8());
}

bool reddish(QColor c)
{
    return c.alpha() > 200 && c.red() > 180 && c.green() < 70 && c.blue() < 70;
}

// The image following the pointer, and where its icon sits in it (points).
struct ShownDragImage
{
    QImage image;
    QRectF icon;
    QColor at(QPointF point) const
    {
        const double scale = image.devicePixelRatio();
        return image.pixelColor(int(point.x() * scale), int(point.y() * scale));
    }
};

// Drags tile 0 off its place and keeps holding it.
class LauncherViewDragImageTest : public LauncherViewEditTest
{
protected:
    // The image that then follows the pointer (none when no drag started).
    ShownDragImage dragFirstTile()
    {
        const QPointF start = iconCentre(0);
        mouse(QEvent::MouseButtonPress, start);
        mouse(QEvent::MouseMove, start + QPointF(20, 0));
        const QLabel *label = view->tileDrag().dragImageView();
        if (!label)
            return {};
        const double side = view->geometry().iconSide();
        return {label->pixmap().toImage(), QRectF(side * 0.3, side * 0.3, side * 1.18, side * 1.18)};
    }
    void drop() { mouse(QEvent::MouseButtonRelease, iconCentre(0) + QPointF(20, 0)); }
};

// An application whose icon is still on its way is dragged with its bundle's
// icon, lifted on a dark shadow below it, not with a blank plate.
TEST_F(LauncherViewDragImageTest, AnApplicationWithoutItsIconYetShowsItsBundlesIconOnAShadow)
{
    giveBundleIcon(appsDir() + QStringLiteral("/App00.app"), id(QStringLiteral("App00")), QColor(220, 30, 40));
    LauncherView &v = build();
    ASSERT_EQ(v.entries().first().id, QStringLiteral("app:") + id(QStringLiteral("App00")));
    TileState state = v.tiles()[0]->state();
    state.icon.reset();
    v.tiles()[0]->setState(state);

    const ShownDragImage shown = dragFirstTile();
    ASSERT_FALSE(shown.image.isNull());
    const QColor middle = shown.at(shown.icon.center());
    EXPECT_TRUE(reddish(middle)) << middle.name(QColor::HexArgb).toStdString();
    const QColor shadow = shown.at(QPointF(shown.icon.center().x(), shown.icon.bottom() + shown.icon.height() * 0.06));
    EXPECT_GT(shadow.alpha(), 30) << "a shadow below the icon";
    EXPECT_LT(shadow.alpha(), 104);
    EXPECT_LT(shadow.red() + shadow.green() + shadow.blue(), 30);
    EXPECT_EQ(shown.at(QPointF(0.5, 0.5)).alpha(), 0);
    drop();
}

// A dragged folder shows its members' mosaic inside its outlined plate.
TEST_F(LauncherViewDragImageTest, AFolderShowsItsMosaicAndOutline)
{
    for (const QString &name : {QStringLiteral("App00"), QStringLiteral("App01")})
        giveBundleIcon(appsDir() + QLatin1Char('/') + name + QStringLiteral(".app"), id(name), QColor(220, 30, 40));
    LauncherView &v = build();
    const QStringList members{id(QStringLiteral("App00")), id(QStringLiteral("App01"))};
    session->commit([&](LauncherLayout &layout) {
        for (const QString &member : members)
            layout.remove(QStringLiteral("app:") + member);
        layout.insert(LayoutEntry::makeFolder(LayoutFolder(QStringLiteral("F-Red"), QStringLiteral("Red"), members)), 0,
                      0);
        layout.normalizePages(12);
    });
    ASSERT_TRUE(v.entries().first().isFolder());

    const ShownDragImage shown = dragFirstTile();
    ASSERT_FALSE(shown.image.isNull());
    // The mosaic's first cell, inside the plate inset by a twentieth.
    const double preview = shown.icon.width() * 0.9;
    const double first = shown.icon.left() + shown.icon.width() * 0.05 + preview * (0.05 + 0.273 / 2);
    const QColor cell = shown.at(QPointF(first, first));
    EXPECT_TRUE(reddish(cell)) << cell.name(QColor::HexArgb).toStdString();
    // Its outline, brighter than the plate it surrounds.
    const double middle = shown.icon.center().y();
    EXPECT_GT(shown.at(QPointF(shown.icon.left() + 0.5, middle)).alpha(),
              shown.at(QPointF(shown.icon.left() + 3, middle)).alpha() + 40);
    drop();
}

// The tiles that make room in the row slide whole, label and icon, not cut
// at their own rest rectangle; the marker is rounded like an icon.
TEST_F(LauncherViewEditTest, TilesMakingRoomInTheRowSlideWholeBesideARoundedMarker)
{
    LauncherView &v = build();
    // The first rendering of a widget never shown delivers its pending
    // resize, which lays the grid out afresh: before the drag, not during it.
    v.grab();
    QImage red(64, 64, QImage::Format_ARGB32_Premultiplied);
    red.fill(QColor(220, 30, 40));
    TileState state = v.tiles()[2]->state();
    state.icon = red;
    v.tiles()[2]->setState(state);

    const QPointF start = iconCentre(0);
    mouse(QEvent::MouseButtonPress, start);
    mouse(QEvent::MouseMove, start + QPointF(20, 0));
    mouse(QEvent::MouseMove, slotStart(v, 3));
    ASSERT_EQ(v.tileDrag().insertionIndex(), 3);
    for (int i = 0; i < 400 && v.tileDrag().reflowClock().isRunning(); ++i) {
        now += 1.0 / 60;
        v.tileDrag().reflowClock().fire();
    }
    const double half = v.geometry().cellSize.width() * 0.5;
    ASSERT_DOUBLE_EQ(v.tiles()[2]->slide(), -half);

    const AppTile *tile = v.tiles()[2];
    EXPECT_EQ(tile->frame(), v.tileFrames()[2]) << "the frame stays where the tile rests";
    QImage shot(v.tilesHost()->size(), QImage::Format_ARGB32_Premultiplied);
    shot.fill(Qt::black);
    v.tilesHost()->render(&shot);
    const QRect icon = tile->tileGeometry()
                           .iconRect()
                           .translated(v.tileFrames()[2].topLeft() + QPointF(-half, 0))
                           .adjusted(3, 3, -3, -3)
                           .toRect();
    int shown = 0;
    for (int y = icon.top(); y <= icon.bottom(); ++y)
        for (int x = icon.left(); x <= icon.right(); ++x)
            shown += reddish(shot.pixelColor(x, y));
    EXPECT_GT(shown, icon.width() * icon.height() * 0.97) << shown << " of " << icon.width() * icon.height();

    const FillView *marker = v.insertionIndicator();
    ASSERT_FALSE(marker->isHidden());
    EXPECT_DOUBLE_EQ(marker->cornerRadius(), v.geometry().iconSide() * 0.22);
    mouse(QEvent::MouseButtonRelease, slotStart(v, 3));
}

// Escape, or the launcher hiding, ends a drag where it began: nothing drops,
// and the release that follows neither drops nor opens.
TEST_F(LauncherViewEditTest, EscapeOrHidingCancelsADragWithoutADrop)
{
    for (const bool hide : {false, true}) {
        view.reset();
        LauncherView &v = build();
        const QStringList before = pageIDs(*session, 0);
        LogCapture log;
        const QPointF start = iconCentre(0);
        mouse(QEvent::MouseButtonPress, start);
        mouse(QEvent::MouseMove, start + QPointF(20, 0));
        const QPointF target = slotStart(v, 3);
        mouse(QEvent::MouseMove, target);
        ASSERT_TRUE(v.tileDrag().isDragging());
        if (hide) {
            v.animateOut({});
        } else {
            QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QCoreApplication::sendEvent(&v, &escape);
        }
        EXPECT_FALSE(v.tileDrag().isDragging()) << hide;
        EXPECT_EQ(v.tileDrag().dragImageView(), nullptr) << hide;
        mouse(QEvent::MouseMove, slotStart(v, 4));
        EXPECT_FALSE(v.tileDrag().isDragging()) << "no second drag from the same press";
        mouse(QEvent::MouseButtonRelease, target);
        EXPECT_EQ(pageIDs(*session, 0), before) << hide;
        EXPECT_FALSE(log.contains(QStringLiteral("[drop] page=")));
        EXPECT_TRUE(opened.isEmpty());
        for (const AppTile *tile : v.tiles())
            EXPECT_FALSE(tile->dragging());
    }
}

TEST_F(LauncherViewEditTest, HoldingOverAnotherIconMakesAFolderOfBoth)
{
    LauncherView &v = build();
    const QString dragged = v.entries().at(0).id;
    const QString target = v.entries().at(5).id;
    const QPointF start = iconCentre(0);
    mouse(QEvent::MouseButtonPress, start);
    mouse(QEvent::MouseMove, start + QPointF(20, 0));
    mouse(QEvent::MouseMove, iconCentre(5));
    EXPECT_EQ(v.mergeCandidate(), target);
    EXPECT_FALSE(v.mergeTargetID());
    // A pointer at rest: the dwell timer replays the last hover.
    now += 0.5;
    v.tileDrag().mergeDwellFired();
    ASSERT_EQ(v.mergeTargetID(), target);
    EXPECT_TRUE(v.tiles()[5]->mergeTarget());
    EXPECT_TRUE(v.tileDrag().dragImageHidden());
    EXPECT_FALSE(v.tileDrag().insertionIndex());

    mouse(QEvent::MouseButtonRelease, iconCentre(5));
    const QList<LayoutEntry> entries = session->layout().allEntries();
    ASSERT_EQ(entries.size(), 13);
    const LayoutEntry &folder = entries.at(4);
    ASSERT_TRUE(folder.isFolder());
    EXPECT_EQ(folder.folder->bundleIDs, (QStringList{LauncherLayout::rawAppID(target), LauncherLayout::rawAppID(dragged)}));
}

TEST_F(LauncherViewEditTest, ATransientPageOpensAtTheTrailingEdgeAndGoesWithoutADrop)
{
    for (int i = 14; i < 30; ++i)
        makeApp(QStringLiteral("App%1").arg(i, 2, 10, QLatin1Char('0')));
    LauncherView &v = build({"--no-animation"});
    ASSERT_EQ(v.pageCount(), 3);
    LogCapture log;
    const QPointF edge(v.width() - 8, 400);
    const auto dragToEdge = [&] {
        const QPointF start = iconCentre(0);
        mouse(QEvent::MouseButtonPress, start);
        mouse(QEvent::MouseMove, start + QPointF(20, 0));
        for (const double step : {0.0, 0.6, 0.8, 0.8}) {
            now += step;
            mouse(QEvent::MouseMove, edge);
        }
    };
    dragToEdge();
    EXPECT_EQ(v.pageCount(), 4);
    EXPECT_EQ(v.currentPage(), 3);
    EXPECT_EQ(v.tileDrag().transientPageCount(), 1);
    EXPECT_TRUE(v.tiles().isEmpty());
    EXPECT_TRUE(log.contains("[edge-page] create page=3 transient=1"));

    // Ending the drag without a drop takes the empty page away again.
    v.tileDrag().cancelDrag();
    EXPECT_EQ(v.pageCount(), 3);
    EXPECT_EQ(v.tileDrag().transientPageCount(), 0);
    EXPECT_EQ(session->layout().pages.size(), 3);

    // A drop on the transient page lands at the end of the last page, which has room.
    v.goToPage(0);
    const QString dragged = v.entries().at(0).id;
    dragToEdge();
    ASSERT_EQ(v.tileDrag().transientPageCount(), 1);
    mouse(QEvent::MouseButtonRelease, edge);
    EXPECT_EQ(v.tileDrag().transientPageCount(), 0);
    EXPECT_EQ(v.pageCount(), 3);
    ASSERT_EQ(session->layout().pages.size(), 3);
    EXPECT_EQ(session->layout().pages.last().last().id, dragged);
}

// Every timer of a drag belongs to the view: one still pending when the view
// goes never calls into it (run under the sanitizers, a call would be a
// use after free).
TEST_F(LauncherViewEditTest, ADwellPendingWhenTheViewGoesNeverFires)
{
    LauncherView &v = build();
    const QPointF start = iconCentre(0);
    mouse(QEvent::MouseButtonPress, start);
    mouse(QEvent::MouseMove, start + QPointF(20, 0));
    mouse(QEvent::MouseMove, iconCentre(5));
    ASSERT_TRUE(v.mergeCandidate());
    // The pointer rests until the dwell has passed, and the hover is replayed
    // before its timer came; then it rests over another icon, whose dwell runs.
    now += 0.5;
    v.tileDrag().mergeDwellFired();
    ASSERT_TRUE(v.mergeTargetID());
    mouse(QEvent::MouseMove, iconCentre(6));
    ASSERT_EQ(v.mergeCandidate(), v.entries().at(6).id);
    view.reset();
    QTest::qWait(int(LauncherView::mergeTuning.dwell * 1000) + 400);
}

// A window of another application stacked above the launcher (a dock, a
// panel): the pointer over it hands the tile on to a system drag that offers
// a link to the bundle, and a drop there changes nothing in the launcher.
class OtherWindowAbove final : public WindowUnderPointer
{
public:
    bool over = false;
    bool pointerOverOtherWindow(QWidget *) override { return over; }
};

TEST_F(LauncherViewEditTest, ATileDraggedOntoAnotherApplicationsWindowIsOfferedThereAsALink)
{
    LauncherView &v = build();
    auto above = std::make_shared<OtherWindowAbove>();
    v.setWindowUnderPointer(above);
    ForeignDropTarget dock;
    v.tileDrag().setDragRunner(dropOnto(dock));
    const LauncherLayout before = session->layout();
    LogCapture log;

    const QPointF start = iconCentre(0);
    mouse(QEvent::MouseButtonPress, start);
    mouse(QEvent::MouseMove, start + QPointF(20, 0));
    mouse(QEvent::MouseMove, slotStart(v, 3));
    // Over the launcher it is the grid's own drag, as ever.
    ASSERT_TRUE(v.tileDrag().isDragging());
    EXPECT_EQ(v.tileDrag().insertionIndex(), 3);
    EXPECT_EQ(dock.enters, 0);

    above->over = true;
    mouse(QEvent::MouseMove, slotStart(v, 5));
    ASSERT_EQ(dock.enters, 1);
    EXPECT_EQ(dock.offered, Qt::DropActions(Qt::LinkAction));
    EXPECT_EQ(dock.proposed, Qt::LinkAction);
    const AppItem app = session->app(LauncherLayout::rawAppID(before.pages.at(0).at(0).id)).value();
    EXPECT_EQ(dock.urls, QList<QUrl>{QUrl::fromLocalFile(app.path)});
    EXPECT_EQ(dock.dropped, Qt::LinkAction);

    // The drop was the other application's: the launcher's layout is as it was.
    mouse(QEvent::MouseButtonRelease, slotStart(v, 5));
    EXPECT_FALSE(v.tileDrag().isDragging());
    EXPECT_EQ(session->layout().pages, before.pages);
    EXPECT_FALSE(log.contains(QStringLiteral("[drop] page=")));
    EXPECT_TRUE(v.insertionIndicator()->isHidden());
    for (const AppTile *tile : v.tiles())
        EXPECT_FALSE(tile->dragging());
    EXPECT_TRUE(opened.isEmpty());
}

// Result slots count positions among the results: applied to the whole
// layout they would move the entry somewhere the user never pointed at.
TEST_F(LauncherViewEditTest, ADropAmongSearchResultsLeavesThePagesAlone)
{
    LauncherView &v = build({"--search", "App1"});
    ASSERT_EQ(v.entries().size(), 4);
    const LauncherLayout before = session->layout();
    LogCapture log;
    const QPointF start = iconCentre(0);
    mouse(QEvent::MouseButtonPress, start);
    mouse(QEvent::MouseMove, start + QPointF(20, 0));
    ASSERT_TRUE(v.tileDrag().isDragging());
    mouse(QEvent::MouseMove, slotStart(v, 3));
    mouse(QEvent::MouseButtonRelease, slotStart(v, 3));
    EXPECT_FALSE(v.tileDrag().isDragging());
    EXPECT_EQ(session->layout().pages, before.pages);
    EXPECT_FALSE(log.contains("[drop] flat id=app:" + id("App10") + " from="));
}

// In scroll mode the grid scrolls under the view: the marker goes where the
// slot is seen, not where it lies in the scrolled document.
TEST_F(LauncherViewEditTest, ScrollModeMarkerSitsOnTheSlotAsSeen)
{
    for (int i = 14; i < 60; ++i)
        makeApp(QStringLiteral("App%1").arg(i, 2, 10, QLatin1Char('0')));
    LauncherView &v = build({"--scroll"});
    v.show();
    QScrollBar *bar = v.scrollContainer()->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 100);
    bar->setValue(100);
    const QPointF start = iconCentre(20);
    mouse(QEvent::MouseButtonPress, start);
    mouse(QEvent::MouseMove, start + QPointF(0, -20));
    ASSERT_TRUE(v.tileDrag().isDragging());
    const QRectF frame = v.tileFrames().at(8);
    const QPointF upperHalf = v.tilesHost()->mapTo(&v, QPointF(frame.left() + 3, frame.top() + 5));
    mouse(QEvent::MouseMove, upperHalf);
    ASSERT_EQ(v.tileDrag().insertionIndex(), 8);
    const QRectF seen = QRectF(v.tilesHost()->mapTo(&v, v.tileFrames().at(8).topLeft()), v.tileFrames().at(8).size());
    const QWidget *marker = v.insertionIndicator();
    ASSERT_FALSE(marker->isHidden());
    EXPECT_NEAR(marker->y(), seen.top() + 2, 1);
    v.tileDrag().cancelDrag();
}

// In scroll mode a released tile lands in the one list of all entries at the
// slot it was released over, counted after it left its own place: dragged
// forward it lands right after the entry that held that slot, dragged back
// right before it.
struct ScrollDropRow
{
    const char *name;
    int from;
    int slot;
    QStringList landsAfter; // the entries before it once it landed
};

class LauncherViewScrollDropTest : public LauncherViewEditTest, public ::testing::WithParamInterface<ScrollDropRow>
{
};

TEST_P(LauncherViewScrollDropTest, ReleasedTileLandsWhereTheRowShowedIt)
{
    const ScrollDropRow &row = GetParam();
    LauncherView &v = build({"--scroll"});
    v.show();
    QStringList before;
    for (const LayoutEntry &entry : session->layout().allEntries())
        before.append(entry.id);
    const QString dragged = before.at(row.from);
    LogCapture log;
    const QPointF start = iconCentre(row.from);
    mouse(QEvent::MouseButtonPress, start);
    mouse(QEvent::MouseMove, start + QPointF(0, -20));
    ASSERT_TRUE(v.tileDrag().isDragging());
    // The upper half of the slot's row: the slot is that row's first.
    const QRectF frame = v.tileFrames().at(row.slot);
    const QPointF target = v.tilesHost()->mapTo(&v, QPointF(frame.left() + 3, frame.top() + 5));
    mouse(QEvent::MouseMove, target);
    ASSERT_EQ(v.tileDrag().insertionIndex(), row.slot);
    mouse(QEvent::MouseButtonRelease, target);
    EXPECT_FALSE(v.tileDrag().isDragging());

    QStringList after;
    for (const LayoutEntry &entry : session->layout().allEntries())
        after.append(entry.id);
    QStringList expectedBefore;
    for (const QString &name : row.landsAfter)
        expectedBefore.append(QStringLiteral("app:") + id(name));
    ASSERT_EQ(after.size(), before.size());
    const qsizetype landed = after.indexOf(dragged);
    EXPECT_EQ(after.mid(0, landed), expectedBefore) << after.join(',').toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("[drop] flat id=%1 from=%2 slot=%3 landed=%3")
                                 .arg(dragged)
                                 .arg(row.from)
                                 .arg(row.slot)));
}

INSTANTIATE_TEST_SUITE_P(
    Drops, LauncherViewScrollDropTest,
    ::testing::Values(
        ScrollDropRow{"Forward", 1, 8, {"App00", "App02", "App03", "App04", "App05", "App06", "App07", "App08"}},
        ScrollDropRow{"Backward", 9, 4, {"App00", "App01", "App02", "App03"}}),
    [](const ::testing::TestParamInfo<ScrollDropRow> &info) { return std::string(info.param.name); });

struct DropArgumentRow
{
    const char *name;
    QStringList options;
    const char *spec;
    const char *line;
};

class LauncherViewDropArgumentTest : public LauncherViewEditTest, public ::testing::WithParamInterface<DropArgumentRow>
{
};

TEST_P(LauncherViewDropArgumentTest, LogsWhatTheDropDid)
{
    const DropArgumentRow &row = GetParam();
    LauncherView &v = build(row.options);
    LogCapture log;
    v.simulateDropForAutomation(QString::fromLatin1(row.spec));
    const QString expected = QString::fromLatin1(row.line).replace("%2", id("App02")).replace("%1", id("App01"));
    EXPECT_TRUE(log.contains(expected)) << log.lines().join('\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Drops, LauncherViewDropArgumentTest,
    ::testing::Values(
        DropArgumentRow{"Slot", {}, "0/2/5", "[drop] sim spec=0/2/5 id=app:%2 ok=1 expected=5 landed=5 displaced=4 (was 5)"},
        DropArgumentRow{"PointerRightOfTheCentre", {}, "pointer/0/1/3/75",
                    "[drop] sim pointer target=3 ratio=0.75 insertion=4 indicator=4"},
        DropArgumentRow{"LastPartNoNumber", {}, "0/1/3/x", "[drop] sim spec=0/1/3/x id=app:%1 ok=1 expected=3 landed=3"},
        DropArgumentRow{"TwoNumbers", {}, "0/1/x/y", "[drop] sim bad spec=0/1/x/y"},
        DropArgumentRow{"PageOutOfRange", {}, "5/0/1", "[drop] sim out of range spec=5/0/1 pages=2"},
        DropArgumentRow{"IndexBeyondThePage", {}, "1/0/7", "[drop] sim unavailable spec=1/0/7 current=1"},
        DropArgumentRow{"Search", {"--search", "App"}, "0/1/2", "[drop] sim skip spec=0/1/2 (scroll/search)"}),
    [](const ::testing::TestParamInfo<DropArgumentRow> &info) { return std::string(info.param.name); });

} // namespace
