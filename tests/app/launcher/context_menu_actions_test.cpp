#include "app/session/launcher_session_test_support.h"

#include "folders/folder_overlay.h"
#include "launcher/context_menu_actions.h"
#include "launcher/launcher_view.h"
#include "modal/modal_step_aside.h"
#include "modal/uninstall_requests.h"
#include "tiles/icon_provider.h"
#include "launcher/rename_prompt.h"
#include "tiles/context_menu_builder.h"

#include "file_manager.h"
#include "localization/l10n.h"
#include "support/temp_env.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>

namespace {

using session_test::SessionTest;

class RecordingFileManager final : public FileManager
{
public:
    void showItems(const QStringList &paths, FailureHandler onFailure) override
    {
        shown.append(paths);
        failureHandlers.append(std::move(onFailure));
    }
    QList<QStringList> shown;
    QList<FailureHandler> failureHandlers;
};

// A launcher of 20 applications on a 4 × 3 grid over a real session in a
// scratch state directory, with a folder "Work" (App17, App18) at the front;
// the context menu is recorded instead of shown, and modal prompts are
// answered by the test.
// The owner's step-aside as far as a bare view shows it: the window goes and
// comes back with the keyboard in the search field.
class ViewStepAside final : public ModalStepAside
{
public:
    explicit ViewStepAside(LauncherView *&view) : m_view(view) {}
    void stepAside() override { m_view->window()->hide(); }
    void comeBack() override
    {
        if (m_view->window()->isVisible())
            return;
        m_view->window()->show();
        m_view->window()->activateWindow();
        m_view->focusSearchField();
    }
    void runLowered(QWidget *, const std::function<void()> &body) override { body(); }

private:
    LauncherView *&m_view;
};

class ContextMenuActionsTest : public SessionTest
{
protected:
    void SetUp() override
    {
        SessionTest::SetUp();
        L10n::setForTesting(AppLanguage::en);
        for (int i = 0; i < 20; ++i)
            makeApp(QStringLiteral("App%1").arg(i, 2, 10, QLatin1Char('0')));
        const QStringList options{"--columns", "4", "--rows", "3"};
        session = makeSession(options);
        session->start();
        session->commit([&](LauncherLayout &layout) {
            layout.remove(QStringLiteral("app:") + app(17));
            layout.remove(QStringLiteral("app:") + app(18));
            layout.insert(LayoutEntry::makeFolder(LayoutFolder(QStringLiteral("W"), QStringLiteral("Work"),
                                                               {app(17), app(18)})),
                          0, 0);
            layout.normalizePages(12);
        });
        view = std::make_unique<LauncherView>(QRect(0, 0, 1200, 800), *session, icons,
                                              LaunchOptions::parse(QStringList{"tessellon", "--state-dir", stateDir()} +
                                                                   options));
        view->onOpenApp = [this](const AppItem &item) { opened.append(item.stableID()); };
        view->contextMenuActions().presentMenu = [this](const ContextMenuActions::Request &request) {
            requests.append(request);
        };
        files = std::make_shared<RecordingFileManager>();
        view->setFileManager(files);
        shownView = view.get();
        view->contextMenuActions().setStepAside(&stepAside);
    }

    void TearDown() override
    {
        view.reset();
        session.reset();
        SessionTest::TearDown();
    }

    static QString app(int i) { return id(QStringLiteral("App%1").arg(i, 2, 10, QLatin1Char('0'))); }

    QPointF tileCentre(int index) const
    {
        const QRectF frame = view->tileFrames().at(index);
        return view->tilesHost()->mapTo(view.get(), QPointF(frame.center().x(), frame.top() + 10));
    }
    int tileOf(const QString &entryID) const
    {
        for (int i = 0; i < view->entries().size(); ++i) {
            if (view->entries().at(i).id == entryID)
                return i;
        }
        return -1;
    }

    // A press with Ctrl adds the tile to the selection (no release: nothing opens).
    void ctrlPress(int tile)
    {
        const QPointF at = tileCentre(tile);
        QMouseEvent press(QEvent::MouseButtonPress, at, view->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                          Qt::ControlModifier);
        QApplication::sendEvent(view.get(), &press);
    }

    void rightClick(QPointF at)
    {
        QContextMenuEvent event(QContextMenuEvent::Mouse, at.toPoint(), view->mapToGlobal(at.toPoint()));
        QApplication::sendEvent(view.get(), &event);
    }

    // Chooses the item of the last menu that carries `action`, as a user
    // would: through the builder's item and the view's handler, then lets the
    // queued command run.
    void choose(MenuAction action)
    {
        ASSERT_FALSE(requests.isEmpty());
        const std::unique_ptr<ContextMenu> menu = view->contextMenuActions().menuFor(requests.last());
        for (QAction *item : menu->actions()) {
            const std::optional<ContextMenuBuilder::Payload> payload = ContextMenuBuilder::Payload::from(item);
            if (payload && payload->action == action) {
                item->trigger();
                QCoreApplication::processEvents();
                return;
            }
        }
        FAIL() << "no item for " << action.rawValue().toStdString();
    }

    // Answers the next prompt with `text` (Save) or cancels it; records what
    // the prompt showed and whether the launcher had stepped aside.
    void answerPrompts(std::optional<QString> text)
    {
        view->runModal = [this, text](QDialog &dialog) {
            auto *prompt = dynamic_cast<RenamePrompt *>(&dialog);
            promptCurrent = prompt ? prompt->text() : QStringLiteral("<no prompt>");
            launcherHiddenDuringPrompt = !view->window()->isVisible();
            if (!text)
                return int(QDialog::Rejected);
            prompt->field()->setText(*text);
            return int(QDialog::Accepted);
        };
    }

    std::unique_ptr<LauncherSession> session;
    IconProvider icons;
    std::unique_ptr<LauncherView> view;
    LauncherView *shownView = nullptr;
    ViewStepAside stepAside{shownView};
    std::shared_ptr<RecordingFileManager> files;
    QList<ContextMenuActions::Request> requests;
    QStringList opened;
    QString promptCurrent;
    bool launcherHiddenDuringPrompt = false;
};

TEST_F(ContextMenuActionsTest, ASecondaryClickPicksTheSelectionItActsOn)
{
    // Empty space with nothing selected: no menu.
    rightClick(QPointF(600, 760));
    EXPECT_TRUE(requests.isEmpty());

    for (int tile : {1, 2, 3})
        ctrlPress(tile);
    ASSERT_EQ(view->selection().size(), 3);
    // An unselected tile: the menu is for it alone, and it is the selection now.
    rightClick(tileCentre(5));
    ASSERT_EQ(requests.size(), 1);
    EXPECT_EQ(requests.last().selectionCount, 1);
    EXPECT_EQ(requests.last().entryIDs, QStringList{view->entries().at(5).id});
    EXPECT_EQ(view->selection(), QSet<QString>{view->entries().at(5).id});

    // One of three selected tiles: the menu is for all three, in grid order.
    ctrlPress(1);
    ctrlPress(2);
    rightClick(tileCentre(2));
    ASSERT_EQ(requests.size(), 2);
    EXPECT_EQ(requests.last().selectionCount, 3);
    EXPECT_FALSE(requests.last().isFolder);
    EXPECT_EQ(requests.last().entryIDs,
              (QStringList{view->entries().at(1).id, view->entries().at(2).id, view->entries().at(5).id}));
    EXPECT_TRUE(requests.last().canUninstall);

    // The folder alone.
    ctrlPress(1);
    ctrlPress(2);
    ctrlPress(5);
    rightClick(tileCentre(0));
    EXPECT_TRUE(requests.last().isFolder);
    EXPECT_TRUE(requests.last().appIDs.isEmpty());
    EXPECT_FALSE(requests.last().canUninstall);
}

TEST_F(ContextMenuActionsTest, OpenStartsAtMostSixApplicationsOrOpensALoneFolder)
{
    for (int tile = 1; tile <= 8; ++tile)
        ctrlPress(tile);
    rightClick(tileCentre(1));
    opened.clear();
    choose(MenuAction::open);
    QStringList expected;
    for (int tile = 1; tile <= 6; ++tile)
        expected.append(*view->entries().at(tile).appID);
    EXPECT_EQ(opened, expected);

    rightClick(tileCentre(0));
    opened.clear();
    choose(MenuAction::open);
    EXPECT_TRUE(opened.isEmpty());
    ASSERT_NE(view->folderOverlay(), nullptr);
    EXPECT_EQ(view->folderOverlay()->folder().name, QStringLiteral("Work"));
}

TEST_F(ContextMenuActionsTest, HideTakesTheApplicationOutAndEmptiesTheSelectionAndUnhideBringsItBack)
{
    const int tile = tileOf(QStringLiteral("app:") + app(3));
    ASSERT_GE(tile, 0);
    rightClick(tileCentre(tile));
    choose(MenuAction::hide);
    EXPECT_TRUE(storedLayout().hiddenIDs.contains(app(3)));
    EXPECT_FALSE(storedLayout().location(QStringLiteral("app:") + app(3)));
    EXPECT_TRUE(view->selection().isEmpty());
    EXPECT_EQ(tileOf(QStringLiteral("app:") + app(3)), -1);

    view->performContextAction(MenuAction::unhide, {QStringLiteral("app:") + app(3)}, {app(3)});
    EXPECT_FALSE(storedLayout().hiddenIDs.contains(app(3)));
    EXPECT_TRUE(storedLayout().location(QStringLiteral("app:") + app(3)));
}

struct AppRenameRow
{
    const char *name;
    std::optional<QString> typed;
    std::optional<QString> stored; // the override afterwards
};

class AppRenameTable : public ContextMenuActionsTest, public testing::WithParamInterface<AppRenameRow>
{
};

TEST_P(AppRenameTable, ThePromptRenamesWithTheLauncherSteppedAsideAndBringsItBack)
{
    session->commit([&](LauncherLayout &layout) { layout.renameApp(app(4), QStringLiteral("Before")); });
    view->show();
    const int tile = tileOf(QStringLiteral("app:") + app(4));
    rightClick(tileCentre(tile));
    answerPrompts(GetParam().typed);
    choose(MenuAction::rename);

    EXPECT_EQ(promptCurrent, QStringLiteral("Before"));
    EXPECT_TRUE(launcherHiddenDuringPrompt);
    EXPECT_TRUE(view->isVisible());
    EXPECT_EQ(view->window()->focusWidget(), view->searchField());
    const QHash<QString, QString> overrides = storedLayout().nameOverrides;
    EXPECT_EQ(overrides.contains(app(4)) ? std::optional<QString>(overrides.value(app(4))) : std::nullopt,
              GetParam().stored);
}

INSTANTIATE_TEST_SUITE_P(ContextMenu, AppRenameTable,
                         testing::Values(AppRenameRow{"saved", QStringLiteral("Custom"), QStringLiteral("Custom")},
                                         AppRenameRow{"blanksRestoreTheOwnName", QStringLiteral("   "), std::nullopt},
                                         AppRenameRow{"cancelled", std::nullopt, QStringLiteral("Before")}),
                         [](const testing::TestParamInfo<AppRenameRow> &info) { return std::string(info.param.name); });

TEST_F(ContextMenuActionsTest, RenamingAFolderToNothingGivesItTheDefaultName)
{
    rightClick(tileCentre(0));
    answerPrompts(QString());
    choose(MenuAction::rename);
    EXPECT_EQ(promptCurrent, QStringLiteral("Work"));
    EXPECT_EQ(storedLayout().entry(QStringLiteral("folder:W"))->folder->name, LayoutFolder::defaultName());

    rightClick(tileCentre(0));
    answerPrompts(QStringLiteral("Tools"));
    choose(MenuAction::rename);
    EXPECT_EQ(storedLayout().entry(QStringLiteral("folder:W"))->folder->name, QStringLiteral("Tools"));
}

TEST_F(ContextMenuActionsTest, CopyPathPutsTheFirstApplicationsPathOnTheClipboard)
{
    const int tile = tileOf(QStringLiteral("app:") + app(6));
    rightClick(tileCentre(tile));
    choose(MenuAction::copyPath);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), session->app(app(6))->path);

    view->performContextAction(MenuAction::copyPath, {QStringLiteral("app:") + app(2), QStringLiteral("app:") + app(6)},
                               {app(2), app(6)});
    EXPECT_EQ(QGuiApplication::clipboard()->text(), session->app(app(2))->path);
}

TEST_F(ContextMenuActionsTest, AddToFavouritesPinsAndUnpinsTheFirstApplicationOnly)
{
    const int tile = tileOf(QStringLiteral("app:") + app(7));
    rightClick(tileCentre(tile));
    choose(MenuAction::addToFavorites);
    EXPECT_EQ(LayoutStore(stateDir()).loadPinned(), QStringList{app(7)});
    choose(MenuAction::addToFavorites);
    EXPECT_TRUE(LayoutStore(stateDir()).loadPinned().isEmpty());

    // A folder alone has no application to pin.
    view->performContextAction(MenuAction::addToFavorites, {QStringLiteral("folder:W")}, {});
    EXPECT_TRUE(session->pinned().isEmpty());
}

TEST_F(ContextMenuActionsTest, ShowInTheFileManagerNamesEveryKnownBundle)
{
    for (int tile : {1, 2})
        ctrlPress(tile);
    rightClick(tileCentre(1));
    choose(MenuAction::showInFinder);
    ASSERT_EQ(files->shown.size(), 1);
    EXPECT_EQ(files->shown.first(), (QStringList{session->app(*view->entries().at(1).appID)->path,
                                                 session->app(*view->entries().at(2).appID)->path}));

    view->performContextAction(MenuAction::showInFinder, {}, {QStringLiteral("com.t.gone")});
    EXPECT_EQ(files->shown.size(), 1);
}

// Neither the file manager nor the desktop's handler could show the bundle:
// one alert says so in the interface language, with the launcher aside.
TEST_F(ContextMenuActionsTest, WhenNothingCanShowTheItemOneAlertSaysSo)
{
    QStringList alerts;
    view->runModal = [&](QDialog &dialog) {
        auto *box = dynamic_cast<QMessageBox *>(&dialog);
        alerts.append(box ? box->text() : QStringLiteral("<no message box>"));
        launcherHiddenDuringPrompt = !view->window()->isVisible();
        return int(QDialog::Accepted);
    };
    view->show();
    rightClick(tileCentre(3));
    choose(MenuAction::showInFinder);
    ASSERT_EQ(files->failureHandlers.size(), 1);
    ASSERT_TRUE(files->failureHandlers.first());
    EXPECT_TRUE(alerts.isEmpty()) << "nothing is said before the answer";
    files->failureHandlers.first()(QStringLiteral("/opt/Apps"));
    EXPECT_EQ(alerts, QStringList{QStringLiteral("Could not show “/opt/Apps” in the file manager.")});
    EXPECT_TRUE(launcherHiddenDuringPrompt);
    EXPECT_TRUE(view->window()->isVisible()) << "the launcher comes back";

    // An answer that arrives after the launcher view is gone says nothing.
    choose(MenuAction::showInFinder);
    const FileManager::FailureHandler late = files->failureHandlers.last();
    view.reset();
    late(QStringLiteral("/opt/Apps"));
    EXPECT_EQ(alerts.size(), 1);
}

// An uninstalled application left the layout but stayed selected: back from
// the Trash, it was selected again and the menu offered two apps for one.
TEST_F(ContextMenuActionsTest, AnEntryThatLeavesTheLayoutLeavesTheSelection)
{
    const QString gone = QStringLiteral("app:") + app(8);
    const QString kept = QStringLiteral("app:") + app(9);
    ctrlPress(tileOf(gone));
    ctrlPress(tileOf(kept));
    ASSERT_EQ(view->selection(), (QSet<QString>{gone, kept}));

    const QString bundle = session->app(app(8))->path;
    const QString trashed = path(QStringLiteral("Trashed.app"));
    ASSERT_TRUE(QDir().rename(bundle, trashed));
    session->rescan();
    ASSERT_EQ(tileOf(gone), -1);
    EXPECT_EQ(view->selection(), QSet<QString>{kept});

    ASSERT_TRUE(QDir().rename(trashed, bundle));
    session->rescan();
    ASSERT_TRUE(session->layout().location(gone));
    EXPECT_EQ(view->selection(), QSet<QString>{kept});
    rightClick(tileCentre(tileOf(kept)));
    ASSERT_FALSE(requests.isEmpty());
    EXPECT_EQ(requests.last().selectionCount, 1);
}

TEST_F(ContextMenuActionsTest, UninstallReachesTheUninstallFlowAndUnknownItemsDoNothing)
{
    struct Requests : UninstallRequests
    {
        void uninstall(const QStringList &appIDs, bool previewOnly) override { asked.append({appIDs, previewOnly}); }
        QList<QPair<QStringList, bool>> asked;
    } requests;
    view->setUninstallRequests(&requests);
    const int tile = tileOf(QStringLiteral("app:") + app(8));
    rightClick(tileCentre(tile));
    choose(MenuAction::uninstall);
    ASSERT_EQ(requests.asked.size(), 1);
    EXPECT_EQ(requests.asked.first(), qMakePair(QStringList{app(8)}, false));

    const LauncherLayout before = session->layout();
    view->performContextAction(MenuAction::removeFromFolder, {QStringLiteral("app:") + app(17)}, {app(17)});
    QCoreApplication::processEvents();
    EXPECT_EQ(session->layout(), before);
    view->setUninstallRequests(nullptr);
}

} // namespace
