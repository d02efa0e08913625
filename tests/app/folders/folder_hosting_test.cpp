#include "app/session/launcher_session_test_support.h"

#include "folders/folder_overlay.h"
#include "folders/folder_panel_view.h"
#include "folders/folder_title_field.h"
#include "launcher/launcher_view.h"
#include "tiles/icon_provider.h"
#include "tiles/tile_pasteboard.h"

#include "localization/l10n.h"
#include "support/temp_env.h"

#include <QApplication>
#include <QMimeData>
#include <QDragMoveEvent>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QTest>

namespace {

using session_test::SessionTest;

// A launcher of 40 applications on a 4 × 3 grid (pages of 12) on a real
// session in a scratch state directory, with a folder "Work" of App25 ...
// App27 in front of page 0.
class FolderHostingTest : public SessionTest
{
protected:
    void SetUp() override
    {
        SessionTest::SetUp();
        L10n::setForTesting(AppLanguage::en);
        for (int i = 0; i < 40; ++i)
            makeApp(QStringLiteral("App%1").arg(i, 2, 10, QLatin1Char('0')));
    }

    static QString app(int i) { return id(QStringLiteral("App%1").arg(i, 2, 10, QLatin1Char('0'))); }
    static QStringList apps(int from, int to)
    {
        QStringList ids;
        for (int i = from; i <= to; ++i)
            ids.append(app(i));
        return ids;
    }

    LauncherView &build(const QStringList &extra = {}, bool withFolder = true, const QStringList &members = apps(25, 27))
    {
        const QStringList options = QStringList{"--columns", "4", "--rows", "3"} + extra;
        session = makeSession(options);
        session->start();
        if (withFolder)
            placeFolder(QStringLiteral("Work"), members, 0, 0);
        const LaunchOptions launch =
            LaunchOptions::parse(QStringList{"tessellon", "--state-dir", stateDir()} + options);
        view = std::make_unique<LauncherView>(QRect(0, 0, 1200, 800), *session, icons, launch);
        view->onOpenApp = [this](const AppItem &item) { opened.append(item.stableID()); };
        return *view;
    }

    void placeFolder(const QString &name, const QStringList &members, int page, int index)
    {
        session->commit([&](LauncherLayout &layout) {
            for (const QString &member : members)
                layout.remove(QStringLiteral("app:") + member);
            layout.insert(LayoutEntry::makeFolder(LayoutFolder(QStringLiteral("F-") + name, name, members)), page,
                          index);
            layout.normalizePages(12);
        });
    }

    std::optional<LayoutFolder> folderNamed(const LauncherLayout &layout, const QString &folderID) const
    {
        const std::optional<LayoutEntry> entry = layout.entry(QStringLiteral("folder:") + folderID);
        return entry ? entry->folder : std::nullopt;
    }

    void mouse(QWidget *target, QEvent::Type type, QPointF at, Qt::MouseButton button = Qt::LeftButton)
    {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
        QMouseEvent event(type, at, target->mapToGlobal(at), button, held, Qt::NoModifier);
        QApplication::sendEvent(target, &event);
    }
    void click(QWidget *target, QPointF at)
    {
        mouse(target, QEvent::MouseButtonPress, at);
        mouse(target, QEvent::MouseButtonRelease, at);
    }

    // The middle of grid tile `index`'s icon, in view coordinates.
    QPointF tileCentre(int index) const
    {
        const QRectF frame = view->tileFrames().at(index);
        return view->tilesHost()->mapTo(view.get(), QPointF(frame.center().x(), frame.top() + 10));
    }

    static void settle()
    {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    std::unique_ptr<LauncherSession> session;
    IconProvider icons;
    std::unique_ptr<LauncherView> view;
    QStringList opened;
};

TEST_F(FolderHostingTest, AClickOnTheFolderTileOpensItWithItsLineAndAMemberClickOpensTheApplication)
{
    LogCapture log;
    LauncherView &v = build();
    ASSERT_TRUE(v.entries().first().isFolder());
    click(&v, tileCentre(0));
    FolderOverlay *overlay = v.folderOverlay();
    ASSERT_NE(overlay, nullptr);
    EXPECT_EQ(overlay->geometry(), v.rect());
    EXPECT_TRUE(log.contains(QStringLiteral("[folder] name=Work items=3 columns=7 rows=5 pages=1 page=0")));
    ASSERT_EQ(overlay->items().size(), 3);
    EXPECT_EQ(overlay->items().at(1).id, app(26));
    EXPECT_EQ(overlay->items().at(1).title, QStringLiteral("App26"));
    EXPECT_TRUE(overlay->items().at(1).icon.has_value());
    // It follows the launcher's size.
    v.resize(1000, 700);
    v.relayout();
    EXPECT_EQ(overlay->geometry(), v.rect());
    EXPECT_EQ(overlay->panel()->geometry().width(), 680); // 1000 less two side insets of 0.16
    // The open folder holds the paging of the grid.
    EXPECT_FALSE(v.acceptsPointerPaging());

    click(overlay, overlay->iconRect(1).center());
    EXPECT_EQ(opened, QStringList{app(26)});
    EXPECT_EQ(v.folderOverlay(), overlay); // opening an application leaves the folder open

    // A press beside the panel closes it; paging comes back.
    click(overlay, QPointF(5, 5));
    EXPECT_EQ(v.folderOverlay(), nullptr);
    EXPECT_TRUE(v.acceptsPointerPaging());
    settle();
}

TEST_F(FolderHostingTest, MembersTheSessionDoesNotKnowAreLeftOut)
{
    LogCapture log;
    LauncherView &v = build({}, true, {app(25), QStringLiteral("com.t.gone")});
    v.openFolder(v.entries().first());
    EXPECT_TRUE(log.contains(QStringLiteral("[folder] name=Work items=1 columns=7 rows=5 pages=1 page=0")));
    ASSERT_NE(v.folderOverlay(), nullptr);
    EXPECT_EQ(v.folderOverlay()->items().size(), 1);
}

struct OpenOptionRow
{
    const char *name;
    QStringList options;
    bool withFolder;
    std::optional<int> initialPage;
    const char *line;
    int shownPage;
};

class FolderOpenOptionTable : public FolderHostingTest, public testing::WithParamInterface<OpenOptionRow>
{
};

TEST_P(FolderOpenOptionTable, OpensTheFirstFolderOrTheDemonstrationOnItsPage)
{
    const OpenOptionRow &row = GetParam();
    LogCapture log;
    LauncherView &v = build(row.options, row.withFolder, apps(0, 35));
    if (row.initialPage)
        v.showFolderOverlay(v.session().layout().allEntries().first(), row.initialPage);
    ASSERT_NE(v.folderOverlay(), nullptr) << log.lines().join('\n').toStdString();
    const QString expected = QString::fromUtf8(row.line).arg(L(QStringLiteral("常用工具")));
    EXPECT_TRUE(log.contains(expected)) << log.lines().join('\n').toStdString();
    EXPECT_EQ(v.folderOverlay()->pageIndex(), row.shownPage);
}

INSTANTIATE_TEST_SUITE_P(
    Folder, FolderOpenOptionTable,
    testing::Values(
        OpenOptionRow{"firstFolder", {"--folder"}, true, std::nullopt,
                      "[folder] name=Work items=36 columns=7 rows=5 pages=2 page=0", 0},
        OpenOptionRow{"folderPageBeyondTheLast", {"--folder", "--folder-page", "7"}, true, std::nullopt,
                      "[folder] name=Work items=36 columns=7 rows=5 pages=2 page=1", 1},
        OpenOptionRow{"demonstrationFolder", {"--folder"}, false, std::nullopt,
                      "[folder] name=%1 items=4 columns=7 rows=5 pages=1 page=0", 0},
        OpenOptionRow{"initialPageBeforeTheOption", {"--folder-page", "0"}, true, 1,
                      "[folder] name=Work items=36 columns=7 rows=5 pages=2 page=1", 1}),
    [](const testing::TestParamInfo<OpenOptionRow> &info) { return std::string(info.param.name); });

struct RenameRow
{
    const char *name;
    const char *typed;
    bool defaultName;
};

class FolderRenameTable : public FolderHostingTest, public testing::WithParamInterface<RenameRow>
{
};

TEST_P(FolderRenameTable, ReturnInTheTitleSavesTheNameAndClosesAndABlankNameIsTheDefault)
{
    LauncherView &v = build();
    v.openFolder(v.entries().first());
    FolderOverlay *overlay = v.folderOverlay();
    ASSERT_NE(overlay, nullptr);
    overlay->titleField()->setText(QString::fromUtf8(GetParam().typed));
    QTest::keyClick(overlay->titleField(), Qt::Key_Return);
    EXPECT_EQ(v.folderOverlay(), nullptr);
    settle();

    const QString expected = GetParam().defaultName ? LayoutFolder::defaultName() : QString::fromUtf8(GetParam().typed);
    const std::optional<LayoutFolder> stored = folderNamed(storedLayout(), QStringLiteral("F-Work"));
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->name, expected);
    EXPECT_EQ(session->layout().entry(QStringLiteral("folder:F-Work"))->folder->name, expected);
}

INSTANTIATE_TEST_SUITE_P(Folder, FolderRenameTable,
                         testing::Values(RenameRow{"typed", "Games", false}, RenameRow{"emptied", "", true},
                                         RenameRow{"blanks", "   ", true}),
                         [](const testing::TestParamInfo<RenameRow> &info) { return std::string(info.param.name); });

// The launcher in a real window, active, so that the title field can hold
// the keyboard focus; onHide counts the hides.
class FolderRenameFocusTest : public FolderHostingTest
{
protected:
    // Opens the folder "Work"; with `editing`, its title takes the keys.
    void openInActiveWindow(bool editing)
    {
        LauncherView &v = build();
        v.onHide = [this] { ++hides; };
        v.show();
        v.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&v));
        v.openFolder(v.entries().first());
        overlay = v.folderOverlay();
        ASSERT_NE(overlay, nullptr);
        title = overlay->titleField();
        if (editing) {
            title->setFocus();
            ASSERT_TRUE(title->hasFocus());
        }
    }
    void escape() { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape); }

    FolderOverlay *overlay = nullptr;
    FolderTitleField *title = nullptr;
    int hides = 0;
};

TEST_F(FolderRenameFocusTest, EscapeCancelsTheRenameThenClosesTheFolderThenHides)
{
    ASSERT_NO_FATAL_FAILURE(openInActiveWindow(true));
    title->selectAll();
    QTest::keyClicks(title, QStringLiteral("Half typ"));
    escape();
    EXPECT_EQ(title->text(), QStringLiteral("Work"));
    EXPECT_EQ(view->folderOverlay(), overlay) << "only the rename ends";
    EXPECT_EQ(hides, 0);
    settle();
    EXPECT_EQ(session->layout().entry(QStringLiteral("folder:F-Work"))->folder->name, QStringLiteral("Work"));
    EXPECT_EQ(folderNamed(storedLayout(), QStringLiteral("F-Work"))->name, QStringLiteral("Work"));

    // One thing at a time: the folder closes, and only then the launcher hides.
    escape();
    EXPECT_EQ(view->folderOverlay(), nullptr);
    EXPECT_EQ(hides, 0);
    escape();
    EXPECT_EQ(hides, 1);
}

TEST_F(FolderRenameFocusTest, EscapeInTheSearchFieldClosesAnOpenFolderFirst)
{
    ASSERT_NO_FATAL_FAILURE(openInActiveWindow(false));
    view->searchField()->setFocus();
    QTest::keyClick(view->searchField(), Qt::Key_Escape);
    EXPECT_EQ(view->folderOverlay(), nullptr);
    EXPECT_EQ(hides, 0);
}

// A press on a member ends the edit: the name is saved to the layout file
// and the folder closes on it, opening nothing.
TEST_F(FolderRenameFocusTest, AClickOnAMemberWhileRenamingSavesTheNameAndClosesTheFolder)
{
    ASSERT_NO_FATAL_FAILURE(openInActiveWindow(true));
    title->end(false);
    QTest::keyClicks(title, QStringLiteral("!"));
    click(overlay, overlay->iconRect(1).center());
    EXPECT_EQ(view->folderOverlay(), nullptr);
    EXPECT_TRUE(opened.isEmpty());
    settle();
    const std::optional<LayoutFolder> stored = folderNamed(storedLayout(), QStringLiteral("F-Work"));
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->name, QStringLiteral("Work!"));
}

TEST_F(FolderHostingTest, RemovingAMemberFromAFullPageKeepsEveryPageWithinThePageSize)
{
    LauncherView &v = build();
    ASSERT_EQ(session->layout().pages.first().size(), 12);
    v.openFolder(v.entries().first());
    FolderOverlay *overlay = v.folderOverlay();
    ASSERT_NE(overlay, nullptr);
    overlay->menuRunner = [](QMenu &menu, const QPoint &) { menu.actions().at(1)->trigger(); };
    const QPoint at = overlay->iconRect(0).center().toPoint();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, overlay->mapToGlobal(at));
    QApplication::sendEvent(overlay, &event);
    EXPECT_EQ(v.folderOverlay(), nullptr);
    settle();

    for (const QList<LayoutEntry> &page : session->layout().pages)
        EXPECT_LE(page.size(), 12) << session_test::describe(session->layout().pages).toStdString();
    // The member went to the end of the page shown and was carried to the next.
    EXPECT_EQ(session->layout().pages.at(1).first().appID, app(25));
    EXPECT_EQ(session->layout().entry(QStringLiteral("folder:F-Work"))->folder->bundleIDs, apps(26, 27));
    EXPECT_EQ(LayoutStore(stateDir()).load().entry(QStringLiteral("folder:F-Work"))->folder->bundleIDs,
              apps(26, 27));
}

TEST_F(FolderHostingTest, AMemberDroppedOnTheGridLandsInTheSlotUnderThePointerOneTurnLater)
{
    LauncherView &v = build();
    v.openFolder(v.entries().first());
    ASSERT_NE(v.folderOverlay(), nullptr);
    // The left half of tile 3: the member goes before it.
    const QRectF frame = v.tileFrames().at(3);
    const QPointF point = v.tilesHost()->mapTo(&v, QPointF(frame.left() + frame.width() * 0.25, frame.center().y()));
    v.dropFromFolder(app(26), point);
    EXPECT_NE(v.folderOverlay(), nullptr); // committed later, not under the drop
    settle();
    EXPECT_EQ(v.folderOverlay(), nullptr);
    EXPECT_EQ(session->layout().pages.first().at(3).appID, app(26));
    EXPECT_EQ(session->layout().entry(QStringLiteral("folder:F-Work"))->folder->bundleIDs,
              (QStringList{app(25), app(27)}));
    for (const QList<LayoutEntry> &page : session->layout().pages)
        EXPECT_LE(page.size(), 12);
}

TEST_F(FolderHostingTest, AMemberDraggedOverTheGridShowsTheMarkerWhereItWillLand)
{
    LauncherView &v = build();
    v.openFolder(v.entries().first());
    FolderOverlay *overlay = v.folderOverlay();
    ASSERT_NE(overlay, nullptr);
    ASSERT_NE(v.insertionIndicator(), nullptr);
    EXPECT_TRUE(v.insertionIndicator()->isHidden());
    const QRectF frame = v.tileFrames().at(3);
    const QPointF point = v.tilesHost()->mapTo(&v, QPointF(frame.left() + frame.width() * 0.25, frame.center().y()));
    ASSERT_TRUE(overlay->onDragMoveOut);
    overlay->onDragMoveOut(point);
    ASSERT_FALSE(v.insertionIndicator()->isHidden());
    // Over slot 3, the one the drop below fills.
    const QRect marker = v.insertionIndicator()->geometry();
    const QRectF slot = v.tileFrames().at(3);
    const QPointF slotCentre = v.tilesHost()->mapTo(&v, slot.center());
    EXPECT_NEAR(marker.center().x(), slotCentre.x(), 2.0);

    // The row makes room as for a tile dragged in from elsewhere: every tile
    // of the row from the slot on moves right by half a cell.
    const double half = v.geometry().cellSize.width() * 0.5;
    for (int k = 0; k < v.tiles().size(); ++k)
        EXPECT_EQ(v.tileDrag().reflowTarget(k), k == 3 ? half : 0) << "tile " << k;
    overlay->onDragMoveOut(v.tilesHost()->mapTo(&v, QPointF(v.tileFrames().at(1).left() + 3,
                                                             v.tileFrames().at(1).center().y())));
    for (int k = 0; k < v.tiles().size(); ++k)
        EXPECT_EQ(v.tileDrag().reflowTarget(k), k >= 1 && k <= 3 ? half : 0) << "tile " << k;

    v.dropFromFolder(app(26), point);
    for (int k = 0; k < v.tiles().size(); ++k)
        EXPECT_EQ(v.tileDrag().reflowTarget(k), 0) << "tile " << k;
    settle();
    EXPECT_EQ(session->layout().pages.first().at(3).appID, app(26));
    EXPECT_TRUE(v.insertionIndicator()->isHidden());
}

TEST_F(FolderHostingTest, TheMarkerGoesWhenAMemberDraggedOutIsDroppedNowhere)
{
    LauncherView &v = build();
    v.openFolder(v.entries().first());
    FolderOverlay *overlay = v.folderOverlay();
    ASSERT_NE(overlay, nullptr);
    const std::unique_ptr<QMimeData> data = TilePasteboard::makeMimeData(QStringLiteral("app:") + app(26));
    // A corner of the screen, far from the centred panel: out over the grid.
    const QPointF out(20, 20);
    QDragEnterEvent enter(out.toPoint(), TilePasteboard::offeredActions, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(overlay, &enter);
    QDragMoveEvent move(out.toPoint(), TilePasteboard::offeredActions, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(overlay, &move);
    ASSERT_FALSE(v.insertionIndicator()->isHidden());
    QDragLeaveEvent leave;
    QCoreApplication::sendEvent(overlay, &leave);
    EXPECT_TRUE(v.insertionIndicator()->isHidden());
    for (int k = 0; k < v.tiles().size(); ++k)
        EXPECT_EQ(v.tileDrag().reflowTarget(k), 0) << "tile " << k;
}

// A flat grid (one scrolling list, or search results a page at a time) has no
// pages of its own: a member dropped there goes into the order of all entries
// at the slot it was dropped on, counted from the first entry in scroll mode
// and from the first of the results page shown during a search, and the
// pages are cut again from that order.
struct FlatDropRow
{
    const char *name;
    QStringList options;
    QString search;
    int page;
    int slot;
    int landed; // the member's place among all entries
};

class FolderFlatDropTable : public FolderHostingTest, public ::testing::WithParamInterface<FlatDropRow>
{
};

TEST_P(FolderFlatDropTable, AMemberDroppedOnAFlatGridLandsAtTheSlotInTheOrderOfAllEntries)
{
    const FlatDropRow &row = GetParam();
    LauncherView &v = build(row.options);
    // Short pages of the user's own (five entries each): a drop cuts them again.
    session->commit([&](LauncherLayout &layout) {
        QList<LayoutEntry> all = layout.allEntries();
        layout.pages.clear();
        for (qsizetype i = 0; i < all.size(); i += 5)
            layout.pages.append(all.mid(i, 5));
    });
    v.openFolder(session->layout().entry(QStringLiteral("folder:F-Work")).value());
    ASSERT_NE(v.folderOverlay(), nullptr);
    if (!row.search.isEmpty())
        v.searchTextChanged(row.search);
    for (int i = 0; i < row.page; ++i)
        v.goToPage(v.currentPage() + 1);
    ASSERT_EQ(v.currentPage(), row.page);
    QStringList expected;
    for (const LayoutEntry &entry : session->layout().allEntries())
        expected.append(entry.id);
    expected.insert(row.landed, QStringLiteral("app:") + app(26));

    const QRectF frame = v.tileFrames().at(row.slot);
    const QPointF point = v.tilesHost()->mapTo(&v, QPointF(frame.left() + 2, frame.top() + 4));
    ASSERT_EQ(v.folderHost().overlay(), v.folderOverlay());
    v.dropFromFolder(app(26), point);
    settle();

    EXPECT_EQ(v.folderOverlay(), nullptr);
    const LauncherLayout &after = session->layout();
    QStringList ids;
    for (const LayoutEntry &entry : after.allEntries())
        ids.append(entry.id);
    EXPECT_EQ(ids, expected);
    EXPECT_EQ(after.entry(QStringLiteral("folder:F-Work"))->folder->bundleIDs, (QStringList{app(25), app(27)}));
    for (qsizetype p = 0; p + 1 < after.pages.size(); ++p)
        EXPECT_EQ(after.pages.at(p).size(), 12) << "page " << p;
}

INSTANTIATE_TEST_SUITE_P(
    Folder, FolderFlatDropTable,
    ::testing::Values(
        // Scroll mode: the second row's first slot is the fifth entry of all.
        FlatDropRow{"ScrollMode", {"--scroll"}, {}, 0, 4, 4},
        // A search: slot 2 of the second results page is 12 + 2 in the order of all entries.
        FlatDropRow{"Search", {"--no-animation"}, QStringLiteral("App"), 1, 2, 14}),
    [](const ::testing::TestParamInfo<FlatDropRow> &info) { return std::string(info.param.name); });

TEST_F(FolderHostingTest, OpeningASecondFolderReplacesTheFirst)
{
    LauncherView &v = build();
    placeFolder(QStringLiteral("Play"), apps(30, 31), 0, 1);
    v.openFolder(session->layout().entry(QStringLiteral("folder:F-Work")).value());
    const QPointer<FolderOverlay> first = v.folderOverlay();
    ASSERT_TRUE(first);
    v.openFolder(session->layout().entry(QStringLiteral("folder:F-Play")).value());
    ASSERT_NE(v.folderOverlay(), nullptr);
    EXPECT_NE(v.folderOverlay(), first.data());
    EXPECT_EQ(v.folderOverlay()->folder().name, QStringLiteral("Play"));
    EXPECT_TRUE(!first || !first->isVisible());
    settle();
    EXPECT_TRUE(first.isNull());
    // A late report of the first overlay changes nothing.
    EXPECT_NE(v.folderOverlay(), nullptr);
}

} // namespace
