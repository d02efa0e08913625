#include "folders/folder_dots_view.h"
#include "folders/folder_overlay.h"
#include "tiles/drag_image.h"
#include "folders/folder_panel_view.h"
#include "folders/folder_tiles_view.h"
#include "folders/folder_title_field.h"
#include "tiles/tile_pasteboard.h"

#include "app/foreign_drop_target.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QTest>
#include <QWheelEvent>

#include <memory>

namespace {

QList<FolderItem> members(int count, const std::optional<QImage> &icon = std::nullopt)
{
    QList<FolderItem> items;
    for (int i = 0; i < count; ++i)
        items.append(FolderItem{QStringLiteral("m%1").arg(i), QStringLiteral("Member %1").arg(i), icon});
    return items;
}

// An open folder in a window of its own, as the launcher shows it: the
// overlay inside a parent (offset, so that parent coordinates differ), with
// every callback recorded.
class FolderOverlayTest : public testing::Test
{
protected:
    void open(int count, int initialPage = 0)
    {
        window = std::make_unique<QWidget>();
        window->resize(1460, 930);
        window->setAttribute(Qt::WA_TranslucentBackground, translucentWindow);
        overlay = new FolderOverlay(QRect(10, 20, 1440, 900), LayoutFolder(QStringLiteral("F"), QStringLiteral("Work"),
                                                                          {}),
                                    members(count, memberIcon), initialPage, window.get());
        overlay->onClose = [this] { ++closes; };
        overlay->onOpen = [this](const QString &id) { events.append(QStringLiteral("open:") + id); };
        overlay->onRemove = [this](const QString &id) { events.append(QStringLiteral("remove:") + id); };
        overlay->onRename = [this](const QString &name) {
            events.append(QStringLiteral("rename:%1").arg(name));
        };
        overlay->onDragOut = [this](const QString &id, const QPointF &point) {
            events.append(QStringLiteral("dragOut:%1@%2,%3").arg(id).arg(point.x()).arg(point.y()));
        };
        overlay->onDragMoveOut = [this](const QPointF &point) { moves.append(point); };
        overlay->dragRunner = [this](QDrag &drag, Qt::DropActions, Qt::DropAction) {
            ++drags;
            dragged = TilePasteboard::entryID(drag.mimeData()).value_or(QString());
            draggedURL = TilePasteboard::fileURL(drag.mimeData()).has_value();
            dragPixmap = drag.pixmap().toImage();
            return Qt::IgnoreAction;
        };
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    // The centre of a member's icon on the page that shows, in overlay coordinates.
    QPoint iconCentre(int cell) const { return overlay->iconRect(cell).center().toPoint(); }

    void moveTo(const QPoint &point)
    {
        QMouseEvent move(QEvent::MouseMove, QPointF(point), overlay->mapToGlobal(QPointF(point)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(overlay, &move);
    }

    void wheel(int angleY, ulong timestampMs)
    {
        const QPointF at = overlay->rect().center();
        QWheelEvent event(at, overlay->mapToGlobal(at), QPoint(), QPoint(0, angleY), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        event.setTimestamp(timestampMs);
        QApplication::sendEvent(overlay, &event);
    }

    // Drag events straight to the overlay, as the drag manager delivers them
    // to the widget under the pointer.
    void deliver(QEvent &event)
    {
        QObject *target = overlay;
        target->event(&event);
    }

    std::unique_ptr<QMimeData> tile(const QString &id)
    {
        return TilePasteboard::makeMimeData(QStringLiteral("app:") + id);
    }

    void dragMove(const QMimeData &data, const QPoint &point, bool enter = false)
    {
        if (enter) {
            QDragEnterEvent event(point, TilePasteboard::offeredActions, &data, Qt::LeftButton, Qt::NoModifier);
            deliver(event);
        } else {
            QDragMoveEvent event(point, TilePasteboard::offeredActions, &data, Qt::LeftButton, Qt::NoModifier);
            deliver(event);
        }
    }

    bool drop(const QMimeData &data, const QPoint &point)
    {
        QDropEvent event(QPointF(point), TilePasteboard::offeredActions, &data, Qt::LeftButton, Qt::NoModifier);
        deliver(event);
        return event.isAccepted();
    }

    // A folder of `count` members in the active window, its title being edited.
    void editTitle(int count)
    {
        ASSERT_NO_FATAL_FAILURE(open(count));
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        title = overlay->titleField();
        EXPECT_FALSE(title->hasFocus()) << "the title is not edited until clicked";
        title->setFocus();
        ASSERT_TRUE(title->hasFocus());
    }

    std::unique_ptr<QWidget> window;
    QPointer<FolderOverlay> overlay;
    FolderTitleField *title = nullptr;
    int closes = 0;
    int drags = 0;
    QString dragged;
    bool draggedURL = false;
    QImage dragPixmap;
    // Set before open(): every member's icon, and whether the window is
    // translucent (as the launcher's is when the desktop composites).
    std::optional<QImage> memberIcon;
    bool translucentWindow = false;
    QStringList events;
    QList<QPointF> moves;
};

// --- Opening and closing ---------------------------------------------------------------------

TEST_F(FolderOverlayTest, AClickOnAMemberOpensItAndAClickBesideItsIconOpensNothing)
{
    ASSERT_NO_FATAL_FAILURE(open(12));
    QTest::mouseClick(overlay, Qt::LeftButton, Qt::NoModifier, iconCentre(8));
    EXPECT_EQ(events, QStringList{QStringLiteral("open:m8")});

    // Inside the cell, three points right of the icon: outside the hit rectangle.
    const QRectF icon = overlay->iconRect(2);
    QTest::mouseClick(overlay, Qt::LeftButton, Qt::NoModifier, QPoint(int(icon.right()) + 4, int(icon.center().y())));
    EXPECT_EQ(events.size(), 1);
    EXPECT_EQ(closes, 0);
    EXPECT_TRUE(overlay->isVisible());
}

TEST_F(FolderOverlayTest, APressOutsideThePanelClosesOnceAndTheOverlayOutlivesItsOwnHandler)
{
    ASSERT_NO_FATAL_FAILURE(open(3));
    // The launcher closes the folder from inside the press.
    overlay->onClose = [this] {
        ++closes;
        overlay->dispose();
    };
    QTest::mousePress(overlay, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(closes, 1);
    ASSERT_TRUE(overlay);
    EXPECT_FALSE(overlay->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(overlay);
}

TEST_F(FolderOverlayTest, MovingFourPointsStillOpensAndMovingFartherDragsTheMember)
{
    ASSERT_NO_FATAL_FAILURE(open(5));
    const QPoint start = iconCentre(1);
    QTest::mousePress(overlay, Qt::LeftButton, Qt::NoModifier, start);
    moveTo(start + QPoint(4, 0));
    QTest::mouseRelease(overlay, Qt::LeftButton, Qt::NoModifier, start + QPoint(4, 0));
    EXPECT_EQ(drags, 0);
    EXPECT_EQ(events, QStringList{QStringLiteral("open:m1")});

    events.clear();
    QTest::mousePress(overlay, Qt::LeftButton, Qt::NoModifier, start);
    moveTo(start + QPoint(4, 1));
    QTest::mouseRelease(overlay, Qt::LeftButton, Qt::NoModifier, start + QPoint(4, 1));
    EXPECT_EQ(drags, 1);
    EXPECT_EQ(dragged, QStringLiteral("app:m1"));
    // No file URL provider: the drag carries only the tile.
    EXPECT_FALSE(draggedURL);
    EXPECT_TRUE(events.isEmpty());
}

// The picture under the pointer is the grid's drag image. Without a
// compositing manager (the launcher's window then opaque) the drag window
// shows every pixel that is not fully clear over white: so the picture holds
// only clear and opaque pixels, the icon and no white square around it.
TEST_F(FolderOverlayTest, TheDraggedMembersPictureIsTheGridsAndNeverAWhiteSquare)
{
    QImage red(64, 64, QImage::Format_ARGB32_Premultiplied);
    red.fill(QColor(220, 30, 40));
    memberIcon = red;
    for (const bool compositing : {false, true}) {
        SCOPED_TRACE(compositing ? "compositing" : "no compositing");
        translucentWindow = compositing;
        ASSERT_NO_FATAL_FAILURE(open(3));
        const QPoint start = iconCentre(1);
        QTest::mousePress(overlay, Qt::LeftButton, Qt::NoModifier, start);
        moveTo(start + QPoint(20, 0));
        QTest::mouseRelease(overlay, Qt::LeftButton, Qt::NoModifier, start + QPoint(20, 0));
        ASSERT_FALSE(dragPixmap.isNull());

        const QImage grid = DragImage::render(DragImage::Content{DragImage::Kind::application, red},
                                              overlay->tileIconSide(), overlay->devicePixelRatioF());
        EXPECT_EQ(dragPixmap, DragImage::forDragWindow(grid, compositing));
        int translucent = 0;
        for (int y = 0; y < dragPixmap.height(); ++y)
            for (int x = 0; x < dragPixmap.width(); ++x)
                translucent += qAlpha(dragPixmap.pixel(x, y)) % 255 != 0;
        if (compositing)
            EXPECT_GT(translucent, 0) << "the shadow, blended by the compositor";
        else
            EXPECT_EQ(translucent, 0);
        EXPECT_EQ(qAlpha(dragPixmap.pixel(0, 0)), 0);
        const QColor middle = dragPixmap.pixelColor(dragPixmap.rect().center());
        EXPECT_GT(middle.red(), 180);
        EXPECT_LT(middle.green(), 60);
        window.reset();
    }
}

// --- Pages -----------------------------------------------------------------------------------------

TEST_F(FolderOverlayTest, ArrowsWheelAndDotsTurnPagesWithinTheFolder)
{
    ASSERT_NO_FATAL_FAILURE(open(80)); // three pages
    ASSERT_EQ(overlay->pageCount(), 3);
    EXPECT_TRUE(overlay->dots()->isVisible());

    QTest::keyClick(overlay, Qt::Key_Left);
    EXPECT_EQ(overlay->pageIndex(), 0);
    QTest::keyClick(overlay, Qt::Key_Right);
    EXPECT_EQ(overlay->pageIndex(), 1);
    QTest::keyClick(overlay, Qt::Key_Right);
    QTest::keyClick(overlay, Qt::Key_Right);
    EXPECT_EQ(overlay->pageIndex(), 2);
    EXPECT_EQ(overlay->tileFrames().size(), 10);
    EXPECT_EQ(overlay->tilesCanvas()->page(), 2);
    EXPECT_EQ(overlay->dots()->current(), 2);

    // A click on the last member of the last page opens member 79.
    QTest::mouseClick(overlay, Qt::LeftButton, Qt::NoModifier, iconCentre(9));
    EXPECT_EQ(events, QStringList{QStringLiteral("open:m79")});

    // Wheel notches: up turns back, one page per notch outside the cooldown.
    wheel(120, 1000);
    EXPECT_EQ(overlay->pageIndex(), 1);
    wheel(120, 2000);
    EXPECT_EQ(overlay->pageIndex(), 0);
    wheel(-120, 3000);
    EXPECT_EQ(overlay->pageIndex(), 1);

    // A click on the dots strip right of the last dot selects the last page.
    FolderDotsView *dots = overlay->dots();
    QTest::mouseClick(dots, Qt::LeftButton, Qt::NoModifier, QPoint(dots->width() - 2, dots->height() / 2));
    EXPECT_EQ(overlay->pageIndex(), 2);
}

TEST_F(FolderOverlayTest, LockedPagingAndOnePageFoldersIgnoreTheWheelAndShowNoDots)
{
    ASSERT_NO_FATAL_FAILURE(open(40, 9));
    EXPECT_EQ(overlay->pageIndex(), 1);
    overlay->locksPaging = true;
    wheel(120, 1000);
    EXPECT_EQ(overlay->pageIndex(), 1);

    ASSERT_NO_FATAL_FAILURE(open(4));
    EXPECT_FALSE(overlay->dots()->isVisible());
    wheel(-120, 1000);
    EXPECT_EQ(overlay->pageIndex(), 0);
}

// --- Renaming ----------------------------------------------------------------------------------------

TEST_F(FolderOverlayTest, ReturnInTheTitleReportsTheNewName)
{
    ASSERT_NO_FATAL_FAILURE(editTitle(3));
    EXPECT_EQ(title->text(), QStringLiteral("Work"));
    title->selectAll();
    QTest::keyClicks(title, QStringLiteral("Games"));
    QTest::keyClick(title, Qt::Key_Return);
    ASSERT_FALSE(events.isEmpty());
    EXPECT_EQ(events.first(), QStringLiteral("rename:Games"));
}

// The press reports the name before it acts; the launcher closes the folder
// on the rename, so that in the launcher the press then acts on nothing.
TEST_F(FolderOverlayTest, AClickOnAMemberWhileTheTitleIsEditedReportsTheNameFirst)
{
    ASSERT_NO_FATAL_FAILURE(editTitle(3));
    title->end(false);
    QTest::keyClicks(title, QStringLiteral("!"));
    QTest::mouseClick(overlay, Qt::LeftButton, Qt::NoModifier, iconCentre(2));
    EXPECT_EQ(events, (QStringList{QStringLiteral("rename:Work!"), QStringLiteral("open:m2")}));
}

TEST_F(FolderOverlayTest, EscapeInTheTitleRestoresTheNameAndReportsNothing)
{
    ASSERT_NO_FATAL_FAILURE(editTitle(3));
    title->selectAll();
    QTest::keyClicks(title, QStringLiteral("Half typ"));
    QTest::keyClick(title, Qt::Key_Escape);
    EXPECT_EQ(title->text(), QStringLiteral("Work"));
    EXPECT_FALSE(title->hasFocus());
    EXPECT_TRUE(overlay->hasFocus()) << "the folder keeps the keys";
    EXPECT_TRUE(events.isEmpty());
    EXPECT_EQ(closes, 0);
    // A later edit starts from the name as it is and reports as usual.
    title->setFocus();
    title->end(false);
    QTest::keyClicks(title, QStringLiteral("s"));
    QTest::keyClick(title, Qt::Key_Return);
    EXPECT_EQ(events, QStringList{QStringLiteral("rename:Works")});
}

// --- Dragging a member out -------------------------------------------------------------------------------

TEST_F(FolderOverlayTest, AMemberDraggedOutOfThePanelIsHandedOnWhereverItDrops)
{
    ASSERT_NO_FATAL_FAILURE(open(6));
    const std::unique_ptr<QMimeData> data = tile(QStringLiteral("m3"));
    const QPoint onPanel = iconCentre(3);

    dragMove(*data, onPanel, true);
    EXPECT_FALSE(overlay->isDraggingOut());
    EXPECT_TRUE(moves.isEmpty());
    // Dropped before ever leaving the panel: nothing, no reordering inside a folder.
    EXPECT_FALSE(drop(*data, onPanel));

    dragMove(*data, QPoint(30, 40));
    EXPECT_TRUE(overlay->isDraggingOut());
    EXPECT_FALSE(overlay->panel()->isVisible());
    EXPECT_FALSE(overlay->titleField()->isVisible());
    ASSERT_EQ(moves.size(), 1);
    EXPECT_EQ(moves.first(), QPointF(40, 60)); // in the parent's coordinates

    // Back over the panel it stays a drag out of the folder.
    dragMove(*data, onPanel);
    EXPECT_TRUE(overlay->isDraggingOut());
    EXPECT_TRUE(drop(*data, onPanel));
    EXPECT_EQ(events, QStringList{QStringLiteral("dragOut:m3@%1,%2").arg(onPanel.x() + 10).arg(onPanel.y() + 20)});
}

// A file manager takes whatever a drag proposes: a member dragged onto one
// must be offered only as a link to its bundle, never moved out of the
// applications folder.
TEST_F(FolderOverlayTest, AnotherApplicationIsOfferedOnlyALinkToTheMembersBundle)
{
    ASSERT_NO_FATAL_FAILURE(open(3));
    const QUrl bundle = QUrl::fromLocalFile(QStringLiteral("/Applications/Member 1.app"));
    overlay->fileURLProvider = [&](const QString &id) -> std::optional<QUrl> {
        if (id == QStringLiteral("m1"))
            return bundle;
        return std::nullopt;
    };
    ForeignDropTarget fileManager;
    overlay->dragRunner = dropOnto(fileManager);
    const QPoint start = iconCentre(1);
    QTest::mousePress(overlay, Qt::LeftButton, Qt::NoModifier, start);
    moveTo(start + QPoint(20, 0));
    QTest::mouseRelease(overlay, Qt::LeftButton, Qt::NoModifier, start + QPoint(20, 0));

    ASSERT_EQ(fileManager.enters, 1);
    EXPECT_EQ(fileManager.offered, Qt::DropActions(Qt::LinkAction));
    EXPECT_EQ(fileManager.proposed, Qt::LinkAction);
    EXPECT_EQ(fileManager.urls, QList<QUrl>{bundle});
    EXPECT_EQ(fileManager.dropped, Qt::LinkAction);
    // Nothing was handed to the launcher: the member stays in the folder.
    EXPECT_TRUE(events.isEmpty());
    EXPECT_FALSE(overlay->isDraggingOut());
}

TEST_F(FolderOverlayTest, OnlyTheFoldersOwnMembersDropAndLeavingRestoresThePanel)
{
    ASSERT_NO_FATAL_FAILURE(open(6));
    const std::unique_ptr<QMimeData> stranger = tile(QStringLiteral("elsewhere"));
    dragMove(*stranger, QPoint(30, 40), true);
    EXPECT_TRUE(overlay->isDraggingOut());
    EXPECT_FALSE(drop(*stranger, QPoint(30, 40)));
    EXPECT_TRUE(events.isEmpty());

    QDragLeaveEvent leave;
    deliver(leave);
    EXPECT_FALSE(overlay->isDraggingOut());
    EXPECT_TRUE(overlay->panel()->isVisible());

    QMimeData plain;
    plain.setText(QStringLiteral("app:m1"));
    QDragEnterEvent enter(QPoint(30, 40), Qt::MoveAction, &plain, Qt::LeftButton, Qt::NoModifier);
    deliver(enter);
    EXPECT_FALSE(enter.isAccepted());
    EXPECT_FALSE(overlay->isDraggingOut());
}

TEST_F(FolderOverlayTest, ClosingTheFolderDuringItsOwnDragDeletesItOnlyAfterTheDrag)
{
    ASSERT_NO_FATAL_FAILURE(open(4));
    bool aliveAfterDispose = false;
    overlay->dragRunner = [this, &aliveAfterDispose](QDrag &, Qt::DropActions, Qt::DropAction) {
        overlay->dispose();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        aliveAfterDispose = !overlay.isNull();
        return Qt::IgnoreAction;
    };
    const QPoint start = iconCentre(0);
    QTest::mousePress(overlay, Qt::LeftButton, Qt::NoModifier, start);
    moveTo(start + QPoint(20, 0));
    EXPECT_TRUE(aliveAfterDispose);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(overlay.isNull());
}

// --- The member menu ------------------------------------------------------------------------------------

TEST_F(FolderOverlayTest, TheMemberMenuOpensOrRemovesTheMemberAndEmptySpaceHasNoMenu)
{
    ASSERT_NO_FATAL_FAILURE(open(5));
    QStringList titles;
    int chosen = 1;
    overlay->menuRunner = [&](QMenu &menu, const QPoint &) {
        for (QAction *action : menu.actions())
            titles.append(action->text());
        menu.actions().at(chosen)->trigger();
    };
    const auto rightClick = [this](const QPoint &at) {
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, overlay->mapToGlobal(at));
        QApplication::sendEvent(overlay, &event);
        return event.isAccepted();
    };

    EXPECT_TRUE(rightClick(iconCentre(4)));
    EXPECT_EQ(titles.size(), 2);
    EXPECT_EQ(events, QStringList{QStringLiteral("remove:m4")});
    chosen = 0;
    rightClick(iconCentre(2));
    EXPECT_EQ(events.last(), QStringLiteral("open:m2"));

    titles.clear();
    // Empty panel space and the space outside the panel: no menu, and the
    // event never reaches the launcher below.
    const QRectF panel = overlay->panel()->geometry();
    EXPECT_TRUE(rightClick(QPoint(int(panel.right()) - 10, int(panel.bottom()) - 10)));
    EXPECT_TRUE(rightClick(QPoint(5, 5)));
    EXPECT_TRUE(titles.isEmpty());
}

// --- Drawing --------------------------------------------------------------------------------------------

TEST_F(FolderOverlayTest, ABackdropWithoutAreaStillDrawsTheFlatDimmedBackground)
{
    ASSERT_NO_FATAL_FAILURE(open(3));
    const auto corner = [this] { return overlay->grab().toImage().pixelColor(2, 2); };

    QImage red(40, 20, QImage::Format_ARGB32);
    red.fill(Qt::red);
    overlay->setBackdropImage(red);
    const QColor withImage = corner();
    EXPECT_GT(withImage.red(), 150);
    EXPECT_LT(withImage.green(), 40);

    // 0.2 grey under a 0.18 dim of 0.04 grey: about 43 of 255 on each channel.
    for (const QImage &empty : {QImage(), QImage(0, 10, QImage::Format_ARGB32)}) {
        overlay->setBackdropImage(empty);
        const QColor flat = corner();
        EXPECT_EQ(flat.alpha(), 255);
        EXPECT_NEAR(flat.red(), 43, 2);
        EXPECT_NEAR(flat.blue(), 43, 2);
    }
}

TEST(FolderTilesView, ShowsTheMembersOfItsPageAndNothingPastTheLast)
{
    FolderTilesView tiles(members(40), 7, 5);
    tiles.setPage(1);
    const QList<FolderItem> visible = tiles.visibleItems();
    ASSERT_EQ(visible.size(), 5);
    EXPECT_EQ(visible.first().id, QStringLiteral("m35"));
    tiles.setPage(2);
    EXPECT_TRUE(tiles.visibleItems().isEmpty());
    tiles.setPage(-1);
    EXPECT_TRUE(tiles.visibleItems().isEmpty());
}

TEST_F(FolderOverlayTest, TheDragImageIsTheEnlargedIconWithRoomForItsShadow)
{
    const QImage image = FolderOverlay::makeDragImage(FolderItem{QStringLiteral("a"), QStringLiteral("A"), std::nullopt},
                                                      74, 1);
    EXPECT_EQ(image.width(), 132); // 131.72 points, rounded up to whole pixels
    // The placeholder is translucent white in the middle, nothing in the corner.
    EXPECT_GT(image.pixelColor(66, 66).alpha(), 50);
    EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0);
}

} // namespace
