#include "launcher/fill_view.h"
#include "launcher/launcher_layout_plan.h"
#include "launcher/launcher_view.h"
#include "launcher/presentation_curve.h"
#include "session/launcher_session.h"
#include "tiles/app_tile.h"
#include "tiles/icon_provider.h"
#include "tiles/page_dots_view.h"
#include "tiles/wallpaper_backdrop.h"

#include "foundation/notification_center.h"
#include "localization/l10n.h"
#include "model/memory_user_defaults.h"
#include "policy/search_prompt_layout.h"
#include "support/temp_env.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontInfo>
#include <QTest>
#include <QDir>
#include <QFile>
#include <QFontMetricsF>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTemporaryDir>

#include <cmath>
#include <memory>

namespace {

// A real session on a temporary state directory, memory defaults and
// generated application bundles, and a launcher view on it whose media time
// the test drives.
class LauncherViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        previousLanguage = L10n::current();
        L10n::setForTesting(AppLanguage::zhHans);
        QDir().mkpath(appsDir());
        QDir().mkpath(stateDir());
    }

    void TearDown() override
    {
        view.reset();
        session.reset();
        L10n::setForTesting(previousLanguage);
    }

    QString appsDir() const { return dir.filePath(QStringLiteral("Applications")); }
    QString stateDir() const { return dir.filePath(QStringLiteral("state")); }

    void makeApp(const QString &name)
    {
        const QString bundle = appsDir() + QLatin1Char('/') + name + QStringLiteral(".app");
        ASSERT_TRUE(QDir().mkpath(bundle + QStringLiteral("/Contents")));
        QFile plist(bundle + QStringLiteral("/Contents/Info.plist"));
        ASSERT_TRUE(plist.open(QIODevice::WriteOnly));
        plist.write(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                   "<plist version=\"1.0\"><dict>"
                                   "<key>CFBundleIdentifier</key><string>%1</string>"
                                   "<key>CFBundlePackageType</key><string>APPL</string>"
                                   "</dict></plist>\n")
                        .arg(id(name))
                        .toUtf8());
    }
    static QString id(const QString &name) { return QStringLiteral("com.t.") + QString(name).remove(' ').toLower(); }

    // "Alpha" and "Tool 01" ... "Tool <n>": Alpha comes first by name.
    void makeTools(int count)
    {
        makeApp(QStringLiteral("Alpha"));
        for (int i = 1; i <= count; ++i)
            makeApp(QStringLiteral("Tool %1").arg(i, 2, 10, QLatin1Char('0')));
    }

    LauncherSession::Environment environment()
    {
        LauncherSession::Environment env = LauncherSession::Environment::system();
        env.userDefaults = &defaults;
        env.processEnvironment = QProcessEnvironment();
        env.applicationDirectories = {appsDir()};
        env.launchpadDatabase = dir.filePath(QStringLiteral("no-launchpad/db"));
        env.home = dir.filePath(QStringLiteral("home"));
        env.darwinUserDirectory = [] { return std::optional<QString>(); };
        env.temporaryDirectory = dir.filePath(QStringLiteral("tmp"));
        return env;
    }

    void build(const QStringList &arguments = {}, QWidget *parent = nullptr)
    {
        options = LaunchOptions::parse(QStringList{QStringLiteral("tessellon"), QStringLiteral("--state-dir"),
                                                   stateDir()} +
                                       arguments);
        session = std::make_unique<LauncherSession>(options, environment());
        session->start();
        view = std::make_unique<LauncherView>(QRect(0, 0, 1920, 1080), *session, icons, options, parent);
        view->setTimeSource([this] { return now; });
        view->onHide = [this] { ++hides; };
        view->onOpenApp = [this](const AppItem &app) { opened.append(app.stableID()); };
    }

    void tick(double at)
    {
        now = at;
        view->presentationClock().fire();
    }

    void typeInField(const QString &text)
    {
        for (const QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(view->searchField(), &press);
        }
    }

    void pressInField(int key)
    {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(view->searchField(), &press);
    }

    void pressInView(int key)
    {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(view.get(), &press);
    }

    QStringList shownIDs() const
    {
        QStringList ids;
        for (const LayoutEntry &entry : view->entries())
            ids.append(entry.appID.value_or(entry.id));
        return ids;
    }

    TempHome home;
    QTemporaryDir dir;
    MemoryUserDefaults defaults;
    LaunchOptions options;
    std::unique_ptr<LauncherSession> session;
    IconProvider icons;
    std::unique_ptr<LauncherView> view;
    double now = 100;
    int hides = 0;
    QStringList opened;
    AppLanguage previousLanguage = AppLanguage::zhHans;
};

// --- Construction, rebuild and relayout ------------------------------------------------

TEST_F(LauncherViewTest, FirstPageIsBuiltBeforeTheViewIsShown)
{
    makeTools(39);
    build();

    EXPECT_EQ(view->pageCount(), 2);
    EXPECT_EQ(view->currentPage(), 0);
    EXPECT_FALSE(view->pageDots()->isHidden());
    EXPECT_EQ(view->pageDots()->count(), 2);
    ASSERT_EQ(view->tiles().size(), 35);
    ASSERT_EQ(view->tileFrames().size(), 35);
    EXPECT_EQ(shownIDs().first(), id(QStringLiteral("Alpha")));
    EXPECT_EQ(view->tiles().first()->title(), QStringLiteral("Alpha"));

    // 7 x 5 at 1920 x 1080, aligned to device pixels (scale 2 without a window).
    const QRectF grid = GridGeometry::contentRectIn(QRectF(0, 0, 1920, 1080), 0.16);
    EXPECT_EQ(view->gridRect(), grid);
    const GridGeometry expected(7, 5, grid, 1);
    EXPECT_EQ(view->geometry(), expected);
    for (int i = 0; i < 35; ++i) {
        EXPECT_EQ(view->tileFrames()[i], LauncherLayoutPlan::snapRect(expected.frame(i), 2)) << i;
        EXPECT_EQ(view->tiles()[i]->frame(), view->tileFrames()[i]) << i;
        EXPECT_EQ(view->tiles()[i]->parentWidget(), view->tilesHost());
        EXPECT_DOUBLE_EQ(view->tiles()[i]->iconSide(), expected.iconSide());
    }
    EXPECT_EQ(view->tilesHost()->geometry(), QRect(0, 0, 1920, 1080));
    EXPECT_EQ(view->searchPlate()->geometry(), QRect(740, 56, 440, 42));
}

TEST_F(LauncherViewTest, CommandLinePageIsClampedIntoThePages)
{
    makeTools(39);
    build({QStringLiteral("--page"), QStringLiteral("-3")});
    EXPECT_EQ(view->currentPage(), 0);
    view.reset();
    session.reset();

    build({QStringLiteral("--page"), QStringLiteral("9")});
    EXPECT_EQ(view->currentPage(), 1);
    EXPECT_EQ(view->tiles().size(), 5);
}

TEST_F(LauncherViewTest, CommandLineSearchIsShownAndFiltersTheFirstGrid)
{
    makeTools(39);
    build({QStringLiteral("--search"), QStringLiteral("Tool 0")});
    EXPECT_EQ(view->searchField()->text(), QStringLiteral("Tool 0"));
    EXPECT_EQ(view->query(), QStringLiteral("Tool 0"));
    EXPECT_EQ(view->tiles().size(), 9); // Tool 01 ... Tool 09
    EXPECT_EQ(view->pageCount(), 1);
    EXPECT_TRUE(view->pageDots()->isHidden());
}

TEST_F(LauncherViewTest, ScrollModeShowsOneLongList)
{
    makeTools(39);
    build({QStringLiteral("--scroll")});

    EXPECT_EQ(view->pageCount(), 1);
    EXPECT_TRUE(view->pageDots()->isHidden());
    EXPECT_FALSE(view->scrollContainer()->isHidden());
    EXPECT_EQ(view->scrollContainer()->widget(), view->tilesHost());
    EXPECT_EQ(view->scrollContainer()->geometry(), view->gridRect().toRect());
    ASSERT_EQ(view->tiles().size(), 40);

    const GridGeometry &g = view->geometry();
    const double pitchY = g.cellSize.height() + g.verticalSpacing;
    EXPECT_GE(view->tilesHost()->height(), 6 * pitchY + 54 - 1);
    EXPECT_GE(view->tilesHost()->height(), view->scrollContainer()->viewport()->height());
    EXPECT_NEAR(view->tileFrames()[9].y(), 24 + pitchY, 0.5);
    EXPECT_NEAR(view->tileFrames()[9].x(),
                g.origin.x() - view->gridRect().left() + 2 * (g.cellSize.width() + g.horizontalSpacing), 0.5);

    // Back to pages: the host returns to the view and covers it.
    session->updateSettings([](Settings &s) { s.viewMode = Settings::ViewMode::pages; }, false);
    EXPECT_EQ(view->scrollContainer()->widget(), nullptr);
    EXPECT_TRUE(view->scrollContainer()->isHidden());
    EXPECT_EQ(view->tilesHost()->parentWidget(), view.get());
    EXPECT_EQ(view->tilesHost()->geometry(), QRect(0, 0, 1920, 1080));
    EXPECT_EQ(view->pageCount(), 2);
}

// The session applies a settings change as given, unclamped; a grid of zero or
// fewer columns must lay out as one column rather than divide by zero.
TEST_F(LauncherViewTest, ZeroOrNegativeColumnsLayOutAsOneColumn)
{
    makeTools(11);
    build();
    for (const int columns : {0, -4}) {
        for (const auto mode : {Settings::ViewMode::pages, Settings::ViewMode::scroll}) {
            SCOPED_TRACE(columns);
            session->updateSettings(
                [&](Settings &s) {
                    s.columns = columns;
                    s.viewMode = mode;
                },
                false);
            EXPECT_EQ(view->columns(), 1);
            ASSERT_FALSE(view->tileFrames().isEmpty());
            for (const QRectF &frame : view->tileFrames())
                EXPECT_DOUBLE_EQ(frame.x(), view->tileFrames().first().x());
        }
    }
    // A search row shorter than the columns is centred without dividing either.
    typeInField(QStringLiteral("alpha"));
    EXPECT_EQ(view->tiles().size(), 1);
}

TEST_F(LauncherViewTest, SettingsChangeRelaysOutAndRestyles)
{
    makeTools(39);
    build();
    session->updateSettings(
        [](Settings &s) {
            s.columns = 4;
            s.rows = 3;
            s.dim = 0.6;
        },
        false);
    EXPECT_EQ(view->tiles().size(), 12);
    EXPECT_EQ(view->pageCount(), 4);
    EXPECT_EQ(view->geometry().columns, 4);
    EXPECT_EQ(view->backdrop()->tints().value(1), QColor(0, 0, 0, 153));
}

// The hint line names the hot key the settings hold, at once when it changes,
// and says nothing of one when it is off.
struct HintCase
{
    const char *name;
    Settings::HotKeyPreset hotKey;
    const char *english;
};

void PrintTo(const HintCase &row, std::ostream *out)
{
    *out << row.name;
}

class LauncherViewHintTest : public LauncherViewTest, public ::testing::WithParamInterface<HintCase>
{
};

TEST_P(LauncherViewHintTest, HintLineNamesTheCurrentHotKey)
{
    makeTools(3);
    build();
    L10n::setForTesting(AppLanguage::en);
    session->updateSettings([](Settings &s) { s.hotKey = GetParam().hotKey; }, false);
    EXPECT_EQ(view->hintLabel()->text(), QString::fromUtf8(GetParam().english));
}

INSTANTIATE_TEST_SUITE_P(
    HotKeys, LauncherViewHintTest,
    ::testing::Values(
        HintCase{"F4", Settings::HotKeyPreset::f4,
                 "F4 to open　·　Esc to close　·　Drag to reorder　·　Right-click for more"},
        HintCase{"SuperShiftSpace", Settings::HotKeyPreset::commandShiftSpace,
                 "Super+Shift+Space to open　·　Esc to close　·　Drag to reorder　·　Right-click for more"},
        HintCase{"CtrlSpace", Settings::HotKeyPreset::controlSpace,
                 "Ctrl+Space to open　·　Esc to close　·　Drag to reorder　·　Right-click for more"},
        HintCase{"Off", Settings::HotKeyPreset::disabled,
                 "Esc to close　·　Drag to reorder　·　Right-click for more"}),
    [](const ::testing::TestParamInfo<HintCase> &info) { return std::string(info.param.name); });

TEST(LauncherViewHint, EveryLanguageNamesTheHotKeyOnlyWhenThereIsOne)
{
    for (const AppLanguage language : {AppLanguage::zhHans, AppLanguage::en, AppLanguage::fr, AppLanguage::de,
                                       AppLanguage::ja, AppLanguage::ru, AppLanguage::es}) {
        L10n::setForTesting(language);
        const QString withKey = LauncherChrome::hintText(false, Settings::HotKeyPreset::f4);
        const QString without = LauncherChrome::hintText(false, Settings::HotKeyPreset::disabled);
        EXPECT_TRUE(withKey.startsWith(QStringLiteral("F4"))) << withKey.toStdString();
        EXPECT_TRUE(withKey.endsWith(without)) << withKey.toStdString();
        EXPECT_FALSE(without.contains(QStringLiteral("Alt"))) << without.toStdString();
        EXPECT_TRUE(without.startsWith(QStringLiteral("Esc"))) << without.toStdString();
    }
    L10n::setForTesting(AppLanguage::zhHans);
}

// --- Search and keys ----------------------------------------------------------------------

TEST_F(LauncherViewTest, TypingShowsTheFirstPageOfResults)
{
    makeTools(39);
    build({QStringLiteral("--no-animation")});
    view->goToPage(1);
    ASSERT_EQ(view->currentPage(), 1);

    typeInField(QStringLiteral("tool"));
    EXPECT_EQ(view->query(), QStringLiteral("tool"));
    EXPECT_EQ(view->currentPage(), 0);
    EXPECT_EQ(view->pageCount(), 2); // 39 results in pages of 35
    EXPECT_FALSE(view->pageDots()->isHidden());

    typeInField(QStringLiteral(" 1"));
    EXPECT_EQ(view->tiles().size(), 10); // Tool 10 ... Tool 19
    EXPECT_TRUE(view->pageDots()->isHidden());

    typeInField(QStringLiteral("zz"));
    EXPECT_TRUE(view->tiles().isEmpty());
    EXPECT_EQ(view->pageCount(), 1);
    EXPECT_TRUE(view->pageDots()->isHidden());
}

TEST_F(LauncherViewTest, ShortResultRowIsCentred)
{
    makeTools(12);
    build();
    typeInField(QStringLiteral("Tool 1")); // Tool 10, 11, 12
    ASSERT_EQ(view->tiles().size(), 3);
    const GridGeometry &g = view->geometry();
    const double pitch = g.cellSize.width() + g.horizontalSpacing;
    EXPECT_NEAR(view->tileFrames()[0].x(), g.frame(0).x() + 2 * pitch, 0.5);
    EXPECT_NEAR(view->tileFrames()[2].x(), g.frame(2).x() + 2 * pitch, 0.5);
}

struct KeyCase
{
    const char *name;
    const char *query;
    bool inField;
    int key;
    int hides;
    const char *opened;
    int page;
    const char *queryAfter;
};

class LauncherViewKeyTest : public LauncherViewTest, public ::testing::WithParamInterface<KeyCase>
{
};

TEST_P(LauncherViewKeyTest, KeyActsOnTheLauncher)
{
    const KeyCase &c = GetParam();
    makeTools(39);
    build({QStringLiteral("--no-animation")});
    if (*c.query)
        typeInField(QString::fromUtf8(c.query));
    if (c.inField)
        pressInField(c.key);
    else
        pressInView(c.key);

    EXPECT_EQ(hides, c.hides);
    EXPECT_EQ(opened, *c.opened ? QStringList{QString::fromUtf8(c.opened)} : QStringList());
    EXPECT_EQ(view->currentPage(), c.page);
    EXPECT_EQ(view->query(), QString::fromUtf8(c.queryAfter));
    EXPECT_EQ(view->searchField()->text(), QString::fromUtf8(c.queryAfter));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LauncherViewKeyTest,
    ::testing::Values(
        // Escape in the field clears a search and keeps the launcher up...
        KeyCase{"fieldEscapeClearsSearch", "tool", true, Qt::Key_Escape, 0, "", 0, ""},
        // ...and hides it when there is nothing to clear.
        KeyCase{"fieldEscapeHides", "", true, Qt::Key_Escape, 1, "", 0, ""},
        KeyCase{"fieldReturnOpensFirstResult", "tool 2", true, Qt::Key_Return, 0, "com.t.tool20", 0, "tool 2"},
        KeyCase{"fieldReturnWithoutResults", "qqq", true, Qt::Key_Return, 0, "", 0, "qqq"},
        KeyCase{"fieldRightTurnsThePage", "", true, Qt::Key_Right, 0, "", 1, ""},
        KeyCase{"fieldLeftOnFirstPage", "", true, Qt::Key_Left, 0, "", 0, ""},
        KeyCase{"viewEscapeHides", "", false, Qt::Key_Escape, 1, "", 0, ""},
        KeyCase{"viewReturnOpensFirstApplication", "", false, Qt::Key_Return, 0, "com.t.alpha", 0, ""},
        KeyCase{"viewRightTurnsThePage", "", false, Qt::Key_Right, 0, "", 1, ""},
        KeyCase{"viewOtherKeyDoesNothing", "", false, Qt::Key_Q, 0, "", 0, ""}),
    [](const ::testing::TestParamInfo<KeyCase> &info) { return std::string(info.param.name); });

TEST_F(LauncherViewTest, EscapeClearingASearchRestoresTheFullGridAndCentredPrompt)
{
    makeTools(39);
    build();
    const QRect iconBefore = view->searchIcon()->geometry();
    typeInField(QStringLiteral("alpha"));
    ASSERT_EQ(view->tiles().size(), 1);
    EXPECT_NE(view->searchIcon()->geometry(), iconBefore);

    pressInField(Qt::Key_Escape);
    EXPECT_EQ(hides, 0);
    EXPECT_EQ(view->tiles().size(), 35);
    EXPECT_EQ(view->searchIcon()->geometry(), iconBefore);
}

TEST_F(LauncherViewTest, TabHandsTheFocusToTheView)
{
    makeTools(3);
    build();
    view->show();
    QApplication::setActiveWindow(view.get());
    view->focusSearchField();
    ASSERT_TRUE(view->searchField()->hasFocus());
    pressInField(Qt::Key_Tab);
    EXPECT_TRUE(view->hasFocus());
}

// --- Chrome --------------------------------------------------------------------------------

TEST_F(LauncherViewTest, GlyphAndPromptFormOneCentredGroup)
{
    makeTools(3);
    build();
    const QRectF plate(view->searchPlate()->rect());
    const QString prompt = L(QStringLiteral("搜索应用"));
    const double width = QFontMetricsF(view->searchField()->font()).horizontalAdvance(prompt);
    const SearchPromptLayout layout(plate.width(), plate.height(), width);
    EXPECT_EQ(view->searchIcon()->geometry(), layout.iconFrame.toRect());
    // Empty, the field starts where the prompt starts (a centred line edit
    // would hide its prompt while it has the focus).
    EXPECT_EQ(view->searchField()->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    EXPECT_NEAR(view->searchField()->x() + LauncherView::searchFieldTextInset, layout.textLeft, 1);
    EXPECT_NEAR(layout.groupCenter(), plate.width() / 2, 1);

    // With a short text the text is centred where the prompt was.
    typeInField(QStringLiteral("to"));
    EXPECT_EQ(view->searchField()->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);

    // Too wide for the room beside the glyph: left-aligned, one gap right of it.
    typeInField(QString(80, QLatin1Char('w')));
    const QRect icon = view->searchIcon()->geometry();
    const QRect field = view->searchField()->geometry();
    EXPECT_EQ(view->searchField()->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    EXPECT_NEAR(field.x(), icon.x() + icon.width() + SearchPromptLayout::gap, 1);
    EXPECT_GE(field.width(), 1);
    EXPECT_LE(field.right(), plate.width() - SearchPromptLayout::minimumSideInset + 1);
}

TEST_F(LauncherViewTest, LanguageChangeReappliesEveryText)
{
    makeTools(3);
    build();
    // The session configured the system's language; start from Chinese.
    L10n::setForTesting(AppLanguage::zhHans);
    view->refreshLocalizedText();
    const QRect iconBefore = view->searchIcon()->geometry();
    EXPECT_EQ(view->searchField()->placeholderText(), QStringLiteral("搜索应用"));

    L10n::configure(AppLanguage::en); // posts the language-change notification
    ASSERT_EQ(L10n::current(), AppLanguage::en);
    EXPECT_EQ(view->searchField()->placeholderText(), QStringLiteral("Search apps"));
    EXPECT_EQ(view->settingsButton()->text(), QStringLiteral("Settings"));
    // The key in the words of a Linux keyboard.
    EXPECT_EQ(view->hintLabel()->text(),
              QStringLiteral("Alt+Space to open　·　Esc to close　·　Drag to reorder　·　Right-click for more"));
    // The prompt's width changed, so the glyph moved to stay centred with it.
    EXPECT_NE(view->searchIcon()->geometry(), iconBefore);

    // A view that is gone is no longer told.
    view.reset();
    L10n::configure(AppLanguage::fr);
}

// A click into the search field (or onto the plate around it) puts the caret
// there; it never reaches the background click that hides the launcher.
TEST_F(LauncherViewTest, AClickIntoTheSearchFieldTakesTheCaretAndKeepsTheLauncher)
{
    makeTools(3);
    build({QStringLiteral("--no-animation")});
    view->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    QApplication::setActiveWindow(view.get());
    view->setFocus();
    ASSERT_FALSE(view->searchField()->hasFocus());

    LogCapture log;
    QLineEdit *field = view->searchField();
    const QPoint inField = field->mapTo(view.get(), field->rect().center());
    QTest::mouseClick(view->windowHandle(), Qt::LeftButton, Qt::NoModifier, inField);
    EXPECT_EQ(hides, 0);
    EXPECT_TRUE(field->hasFocus());
    EXPECT_FALSE(log.contains(QStringLiteral("[dismiss]")));

    view->setFocus();
    const QPoint onPlate = view->searchPlate()->mapTo(view.get(), QPoint(4, view->searchPlate()->height() / 2));
    ASSERT_EQ(view->childAt(onPlate), view->searchPlate());
    QTest::mouseClick(view->windowHandle(), Qt::LeftButton, Qt::NoModifier, onPlate);
    EXPECT_EQ(hides, 0);
    EXPECT_TRUE(field->hasFocus());
    EXPECT_FALSE(log.contains(QStringLiteral("[dismiss]")));

    // Empty space still hides.
    const QPoint below(5, view->height() - 5);
    QTest::mouseClick(view->windowHandle(), Qt::LeftButton, Qt::NoModifier, below);
    EXPECT_EQ(hides, 1);
}

// Showing gives the field the focus with its prompt drawn.
TEST_F(LauncherViewTest, ShowingFocusesTheFieldWithItsPromptVisible)
{
    makeTools(3);
    build({QStringLiteral("--no-animation")});
    view->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    QApplication::setActiveWindow(view.get());
    view->animateIn();
    QLineEdit *field = view->searchField();
    ASSERT_TRUE(field->hasFocus());

    const QRect area(field->mapTo(view.get(), QPoint(0, 0)), field->size());
    const QImage withPrompt = view->grab(area).toImage();
    field->setPlaceholderText(QString());
    const QImage withoutPrompt = view->grab(area).toImage();
    EXPECT_NE(withPrompt, withoutPrompt) << "the prompt is drawn while the field has the focus";
}

// The settings button is as wide as its title needs in every language, its
// right edge where the layout puts it.
TEST_F(LauncherViewTest, SettingsButtonFitsItsTitleInEveryLanguage)
{
    makeTools(3);
    build();
    const int right = view->settingsButton()->geometry().right();
    for (const AppLanguage language : {AppLanguage::de, AppLanguage::ru, AppLanguage::fr, AppLanguage::en,
                                       AppLanguage::ja, AppLanguage::es, AppLanguage::zhHans}) {
        L10n::configure(language);
        QPushButton *button = view->settingsButton();
        EXPECT_GE(button->width(), button->sizeHint().width()) << button->text().toStdString();
        EXPECT_GE(button->width(), int(LauncherLayoutPlan::settingsButtonWidth));
        EXPECT_EQ(button->geometry().right(), right) << button->text().toStdString();
    }
    // A new size keeps the fit.
    L10n::configure(AppLanguage::de);
    view->resize(1280, 800);
    EXPECT_GE(view->settingsButton()->width(), view->settingsButton()->sizeHint().width());
}

// Sizes of the layout are logical pixels: a 15-point font is 15 pixels, never
// the third more that a point size makes of it at 96 dpi.
TEST_F(LauncherViewTest, FontsAreSizedInLogicalPixels)
{
    makeTools(3);
    build();
    EXPECT_EQ(QFontInfo(view->searchField()->font()).pixelSize(), 15);
    EXPECT_EQ(QFontInfo(view->hintLabel()->font()).pixelSize(), 12);
    EXPECT_EQ(QFontInfo(view->settingsButton()->font()).pixelSize(), 12);
    EXPECT_EQ(QFontInfo(AppTile::labelFont()).pixelSize(), 13);
}

TEST_F(LauncherViewTest, SettingsButtonAsksTheOwner)
{
    makeTools(3);
    build();
    int asked = 0;
    view->onOpenSettings = [&] { ++asked; };
    view->settingsButton()->click();
    EXPECT_EQ(asked, 1);
}

TEST_F(LauncherViewTest, CallbacksOutliveTheView)
{
    makeTools(3);
    build();
    view.reset();
    // An icon finishing after the view is gone, and later model changes, do nothing.
    emit icons.loaded(id(QStringLiteral("Alpha")));
    session->updateSettings([](Settings &s) { s.columns = 5; }, false);
    session->commit([](LauncherLayout &) {});
}

// --- Show and hide --------------------------------------------------------------------------

TEST_F(LauncherViewTest, ShowFadesInAndGrowsTheGrid)
{
    makeTools(3);
    build();
    now = 100;
    view->animateIn();
    EXPECT_TRUE(view->isPresentationRunning());
    // The curve starts a frame before the show, so that its first frame is
    // not one at p = 0 that shows nothing.
    const double lead = view->presentationClock().frameInterval();
    const double first = PresentationCurve::easeOut(lead / PresentationCurve::showDuration);
    EXPECT_NEAR(view->presentationProgress(), first, 1e-12);
    EXPECT_NEAR(view->appliedAlpha(), first, 1.0 / 255);
    EXPECT_NEAR(LauncherView::appliedCenteredScale(view->tilesHost()), 0.94 + 0.06 * first, 1e-12);

    tick(100.15 - lead);
    EXPECT_NEAR(view->presentationProgress(), 0.875, 1e-9);
    EXPECT_NEAR(view->appliedAlpha(), 0.875, 1.0 / 255); // a window's opacity has 8 bits
    EXPECT_NEAR(LauncherView::appliedCenteredScale(view->tilesHost()), 0.94 + 0.06 * 0.875, 1e-12);

    tick(100.3 - lead);
    EXPECT_DOUBLE_EQ(view->presentationProgress(), 1);
    EXPECT_FALSE(view->isPresentationRunning());
    EXPECT_DOUBLE_EQ(view->appliedAlpha(), 1);
    EXPECT_DOUBLE_EQ(LauncherView::appliedCenteredScale(view->tilesHost()), 1);
}

TEST_F(LauncherViewTest, HideDuringAShowStartsFromTheValueReached)
{
    makeTools(3);
    build();
    view->animateIn();
    // The show's curve starts a frame early; the hide's at the moment it starts.
    const double lead = view->presentationClock().frameInterval();
    tick(100.1 - lead);
    const double reached = view->presentationProgress();
    EXPECT_NEAR(reached, 0.7, 0.01);

    int completions = 0;
    view->animateOut([&] { ++completions; });
    EXPECT_DOUBLE_EQ(view->presentationProgress(), reached);
    tick(100.2 - lead);
    EXPECT_NEAR(view->presentationProgress(), reached * (1 - 0.125), 1e-9);
    EXPECT_EQ(completions, 0);
    tick(100.3 - lead);
    EXPECT_DOUBLE_EQ(view->presentationProgress(), 0);
    EXPECT_DOUBLE_EQ(LauncherView::appliedCenteredScale(view->tilesHost()), 0.94);
    EXPECT_EQ(completions, 1);
    EXPECT_FALSE(view->isPresentationRunning());
    tick(100.5 - lead);
    EXPECT_EQ(completions, 1);
}

TEST_F(LauncherViewTest, ShowDuringAHideContinuesAndDropsTheHidesCompletion)
{
    makeTools(3);
    build();
    int completions = 0;
    view->animateOut([&] { ++completions; });
    tick(100.1);
    const double reached = view->presentationProgress();
    EXPECT_NEAR(reached, 0.875, 1e-9);

    view->animateIn();
    EXPECT_DOUBLE_EQ(view->presentationProgress(), reached);
    tick(100.2);
    EXPECT_GT(view->presentationProgress(), reached);
    tick(100.4);
    EXPECT_DOUBLE_EQ(view->presentationProgress(), 1);
    EXPECT_EQ(completions, 0);
}

TEST_F(LauncherViewTest, SecondHideReplacesTheFirstCompletion)
{
    makeTools(3);
    build();
    int first = 0;
    int second = 0;
    view->animateOut([&] { ++first; });
    tick(100.1);
    view->animateOut([&] { ++second; });
    tick(100.2);
    tick(100.31);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(second, 1);
    EXPECT_DOUBLE_EQ(view->presentationProgress(), 0);
}

TEST_F(LauncherViewTest, SecondShowStartsAgainFromZero)
{
    makeTools(3);
    build();
    view->animateIn();
    const double firstFrame = view->presentationProgress();
    ASSERT_LT(firstFrame, 0.5);
    tick(100.15);
    ASSERT_GT(view->presentationProgress(), 0.5);
    view->animateIn();
    EXPECT_DOUBLE_EQ(view->presentationProgress(), firstFrame);
    tick(100.3);
    EXPECT_LT(view->presentationProgress(), 1);
    tick(100.45);
    EXPECT_DOUBLE_EQ(view->presentationProgress(), 1);
}

TEST_F(LauncherViewTest, WithoutAnimationShowAndHideAreImmediate)
{
    for (const bool fromSettings : {false, true}) {
        SCOPED_TRACE(fromSettings);
        makeTools(3);
        build(fromSettings ? QStringList() : QStringList{QStringLiteral("--no-animation")});
        if (fromSettings)
            session->updateSettings([](Settings &s) { s.animate = false; }, false);

        view->animateIn();
        EXPECT_FALSE(view->isPresentationRunning());
        EXPECT_DOUBLE_EQ(view->appliedAlpha(), 1);
        EXPECT_DOUBLE_EQ(LauncherView::appliedCenteredScale(view->tilesHost()), 1);

        int completions = 0;
        view->animateOut([&] { ++completions; });
        EXPECT_EQ(completions, 1); // synchronously
        EXPECT_FALSE(view->isPresentationRunning());
        EXPECT_DOUBLE_EQ(view->presentationProgress(), 1);
        EXPECT_DOUBLE_EQ(view->appliedAlpha(), 1);
        view.reset();
        session.reset();
    }
}

TEST_F(LauncherViewTest, ViewInsideAWindowFadesThroughAnEffect)
{
    makeTools(3);
    QWidget window;
    build({}, &window);
    view->animateIn();
    // The first frame is the fade's second step: a frame at 0 would show nothing.
    EXPECT_GT(view->appliedAlpha(), 0);
    EXPECT_LT(view->appliedAlpha(), 0.5);
    EXPECT_DOUBLE_EQ(window.windowOpacity(), 1);
    // Halfway through, the ease-out stands at 0.875, a frame further on here.
    tick(100.15);
    EXPECT_GT(view->appliedAlpha(), 0.875);
    EXPECT_LT(view->appliedAlpha(), 0.95);
    tick(100.3);
    EXPECT_DOUBLE_EQ(view->appliedAlpha(), 1);
    EXPECT_EQ(view->graphicsEffect(), nullptr);
    view.reset(); // before the window that parents it
}

// --- What the user sees -----------------------------------------------------------------------

TEST_F(LauncherViewTest, RenderedViewShowsVeiledBackdropTilesAndDots)
{
    makeTools(39);
    build();
    view->show();
    const QImage image = view->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(image.size(), QSize(1920, 1080) * image.devicePixelRatio());
    const auto at = [&](double x, double y) {
        return QColor(image.pixel(int(x * image.devicePixelRatio()), int(y * image.devicePixelRatio())));
    };

    // Empty space: the grey backdrop (51) under the glass and the 0.34 black veil.
    const QColor background = at(20, 540);
    EXPECT_LT(background.red(), 51);
    EXPECT_GT(background.red(), 51 * (1 - 0.34) - 4);
    EXPECT_NEAR(background.red(), background.blue(), 2);

    // The first tile: its icon (or the placeholder while it loads) stands out.
    const QRectF first = view->tileFrames().first();
    const double iconSide = view->geometry().iconSide();
    const QColor icon = at(first.center().x(), first.top() + 4 + iconSide / 2);
    EXPECT_GT(std::abs(icon.lightness() - background.lightness()), 15);

    // Two page dots under the grid, the current one bright.
    const double dotX = (1920 - 22) / 2.0 + 3.5;
    EXPECT_GT(at(dotX, 996 + 12).lightness(), 200);
    EXPECT_GT(at(dotX + 15, 996 + 12).lightness(), background.lightness() + 20);
    EXPECT_LT(at(dotX + 15, 996 + 12).lightness(), at(dotX, 996 + 12).lightness());

    // The hint line at the bottom has text.
    int bright = 0;
    for (int x = 700; x < 1220; ++x)
        bright += at(x, 1050).lightness() > 100 ? 1 : 0;
    EXPECT_GT(bright, 20);
}

} // namespace
