// The settings window as a whole on a real session: what it shows, its tabs,
// the language rebuild with the window open, the application folders, the
// imports with the arrangement they replace kept beside, the input status and
// its place above the launcher.
#include "settings_test_support.h"

#include "model/layout_backup.h"
#include "support/test_files.h"
#include "settings/settings_tab_bar.h"
#include "settings/settings_tab_button.h"

#include "window_level.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

using settings_test::SettingsWindowTest;

QPushButton *buttonTitled(QWidget *window, const QString &title)
{
    for (QPushButton *button : window->findChildren<QPushButton *>()) {
        if (button->text() == title)
            return button;
    }
    ADD_FAILURE() << "no button " << title.toStdString();
    return nullptr;
}

TEST_F(SettingsWindowTest, ANewWindowShowsTheGeneralPageAndTheTip)
{
    open();
    EXPECT_FALSE(controller->isVisible());
    EXPECT_EQ(controller->selectedTab(), 0);
    EXPECT_EQ(controller->pages().size(), 5);
    EXPECT_EQ(controller->window()->windowTitle(), QStringLiteral("Tessellon Settings"));
    EXPECT_EQ(controller->window()->size(), QSize(620, 730));
    EXPECT_EQ(status(), QStringLiteral("Tip: changes apply immediately. Imports only read sqlite / plist files and "
                                       "never modify the source data."));
    const QStringList expected{"General", "Interface", "Apps", "Advanced", "About"};
    QStringList captions;
    for (SettingsTabButton *button : controller->tabBar()->buttons())
        captions << button->caption();
    EXPECT_EQ(captions, expected);

    // Every text's size is in pixels (a 13 pt text is 13 px), never in
    // typographic points, which would render a third larger.
    for (QLabel *label : controller->window()->findChildren<QLabel *>()) {
        if (!label->text().isEmpty())
            EXPECT_GT(label->font().pixelSize(), 0) << label->text().toStdString();
    }
    for (QAbstractButton *button : controller->window()->findChildren<QAbstractButton *>()) {
        if (!button->text().isEmpty())
            EXPECT_GT(button->font().pixelSize(), 0) << button->text().toStdString();
    }
    for (QComboBox *popup : controller->window()->findChildren<QComboBox *>())
        EXPECT_EQ(popup->font().pixelSize(), 15) << popup->objectName().toStdString();
}

TEST_F(SettingsWindowTest, ShowingCopiesTheSettingsInWithoutWritingAny)
{
    defaults.setObject(Settings::key(u"columns"), 10);
    defaults.setObject(Settings::key(u"rows"), 3);
    defaults.setObject(Settings::key(u"sideInset"), 0.16);
    defaults.setObject(Settings::key(u"iconScale"), 1.0);
    defaults.setObject(Settings::key(u"hotCorner"), QStringLiteral("bottomLeft"));
    defaults.setObject(Settings::key(u"showHidden"), true);
    open();
    const int writes = defaults.writes;
    controller->showWindow();
    controller->showWindow();
    EXPECT_EQ(defaults.writes, writes);

    EXPECT_EQ(control<PopupButton>("columnsPopup")->currentIndex(), 6);
    EXPECT_EQ(control<PopupButton>("columnsPopup")->count(), 7);
    EXPECT_EQ(control<PopupButton>("rowsPopup")->currentIndex(), 0);
    EXPECT_EQ(control<PopupButton>("rowsPopup")->count(), 5);
    EXPECT_EQ(control<PopupButton>("cornerPopup")->currentIndex(), 3);
    EXPECT_EQ(control<QLabel>("marginValueLabel")->text(), QStringLiteral("16%"));
    EXPECT_EQ(control<QLabel>("iconValueLabel")->text(), QStringLiteral("100%"));
    EXPECT_TRUE(control<ToggleSwitch>("hiddenButton")->isChecked());
    EXPECT_FALSE(control<ToggleSwitch>("adoptGridButton")->isChecked());

    // A change made elsewhere shows at the next showing.
    session->updateSettings([](Settings &settings) { settings.columns = 4; });
    controller->showWindow();
    EXPECT_EQ(control<PopupButton>("columnsPopup")->currentIndex(), 0);
}

TEST_F(SettingsWindowTest, PopupsListTheirChoicesInOrder)
{
    open();
    EXPECT_EQ(control<PopupButton>("hotKeyPopup")->items(),
              (QStringList{"Alt+Space", "F4", "Super+Shift+Space", "Ctrl+Space", "Off"}));
    EXPECT_EQ(control<PopupButton>("cornerPopup")->items(),
              (QStringList{"Off", "Top left", "Top right", "Bottom left", "Bottom right"}));
    EXPECT_EQ(control<PopupButton>("languagePopup")->items(),
              (QStringList{"Follow system", "简体中文", "English", "Français", "Deutsch", "日本語", "Русский",
                           "Español"}));
    EXPECT_EQ(control<PopupButton>("columnsPopup")->items(), (QStringList{"4", "5", "6", "7", "8", "9", "10"}));
}

TEST_F(SettingsWindowTest, TabsSwitchPagesAndAutomationLogsTheTab)
{
    open();
    controller->selectTabForAutomation(2);
    EXPECT_EQ(controller->selectedTab(), 2);
    EXPECT_EQ(controller->tabBar()->selectedIndex(), 2);
    EXPECT_EQ(controller->window()->findChild<QScrollArea *>(QStringLiteral("pageScroll"))->widget(),
              controller->pages().at(2).data());
    for (int outside : {7, -1}) {
        controller->selectTabForAutomation(outside);
        EXPECT_EQ(controller->selectedTab(), 2);
    }
    EXPECT_EQ(logLines.filter(QStringLiteral("[settings]")),
              (QStringList{"[settings] tab=2 pages=5", "[settings] tab=2 pages=5", "[settings] tab=2 pages=5"}));

    emit controller->tabBar()->tabClicked(4);
    EXPECT_EQ(controller->selectedTab(), 4);
}

// Every text a person reads in the window, except the language names (each
// stands in its own language) and the fixed key combinations.
QStringList visibleTexts(QWidget *window)
{
    QStringList texts{window->windowTitle()};
    for (QLabel *label : window->findChildren<QLabel *>())
        texts << label->text();
    for (QAbstractButton *button : window->findChildren<QAbstractButton *>())
        texts << button->text();
    for (SettingsTabButton *tab : window->findChildren<SettingsTabButton *>())
        texts << tab->caption();
    for (PopupButton *popup : window->findChildren<PopupButton *>()) {
        if (popup->objectName() != QLatin1String("languagePopup"))
            texts << popup->items();
    }
    texts.removeAll(QString());
    return texts;
}

TEST_F(SettingsWindowTest, ChoosingALanguageRebuildsTheOpenWindowInIt)
{
    makeApp(QStringLiteral("Alpha"));
    open();
    controller->showWindow();
    controller->selectTabForAutomation(2);
    const QPoint topLeft = controller->window()->pos();
    const QList<QPointer<QWidget>> oldPages = controller->pages();
    QPointer<PopupButton> languagePopup = control<PopupButton>("languagePopup");

    choose("languagePopup", 4); // Deutsch

    EXPECT_EQ(L10n::current(), AppLanguage::de);
    EXPECT_EQ(storedText("language"), QStringLiteral("de"));
    EXPECT_EQ(controller->selectedTab(), 2);
    EXPECT_EQ(controller->tabBar()->selectedIndex(), 2);
    EXPECT_EQ(controller->window()->pos(), topLeft);
    EXPECT_EQ(controller->window()->windowTitle(), QStringLiteral("Tessellon-Einstellungen"));
    EXPECT_EQ(status(), QStringLiteral("Oberflächensprache: Deutsch"));
    EXPECT_EQ(languagePopup.data(), control<PopupButton>("languagePopup"));
    EXPECT_EQ(languagePopup->currentIndex(), 4);

    // The old pages go once the handler that changed the language is over.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (const QPointer<QWidget> &page : oldPages)
        EXPECT_TRUE(page.isNull());
    EXPECT_EQ(controller->pages().size(), 5);

    static const QRegularExpression chinese(QStringLiteral("[\\x{4e00}-\\x{9fff}]"));
    for (const QString &text : visibleTexts(controller->window()))
        EXPECT_FALSE(text.contains(chinese)) << text.toStdString();
    QStringList captions;
    for (SettingsTabButton *button : controller->tabBar()->buttons())
        captions << button->caption();
    EXPECT_EQ(captions, (QStringList{"Allgemein", "Oberfläche", "Apps", "Erweitert", "Über"}));
    // Fixed widths come with the first build and stay.
    for (const char *name : {"columnsPopup", "languagePopup", "hotKeyPopup"})
        EXPECT_EQ(control<PopupButton>(name)->maximumWidth(), 200) << name;
    EXPECT_EQ(control<SettingsSlider>("marginSlider")->maximumWidth(), 200);
    EXPECT_EQ(control<QLabel>("inputStatusLabel")->maximumWidth(), 150);

    // And back, twice in a row, with every control still in place.
    choose("languagePopup", 2);
    choose("languagePopup", 6);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(L10n::current(), AppLanguage::ru);
    EXPECT_EQ(control<PopupButton>("cornerPopup")->items().first(), QStringLiteral("Выкл."));
    choose("columnsPopup", 0);
    EXPECT_EQ(storedText("columns"), QStringLiteral("4"));
}

TEST_F(SettingsWindowTest, ChoosingTheLanguageInForceRebuildsNothing)
{
    open();
    controller->showWindow();
    const QList<QPointer<QWidget>> pages = controller->pages();
    choose("languagePopup", 2); // English, already in force
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(controller->pages(), pages);
    EXPECT_EQ(status(), QStringLiteral("Interface language set to English"));
}

TEST_F(SettingsWindowTest, FoldersAreAddedOnceAndRemovedBySelection)
{
    const QString extra = path(QStringLiteral("Extra"));
    makeApp(extra, QStringLiteral("Zeta"), QStringLiteral("com.t.zeta"));
    open();
    controller->showWindow();
    QListWidget *table = control<QListWidget>("sourcesTable");
    EXPECT_FALSE(control<QLabel>("emptySourcesLabel")->isHidden());

    // Cancelled: nothing, not even a status line.
    const QString tip = status();
    buttonTitled(controller->window(), QStringLiteral("Add folder…"))->click();
    EXPECT_EQ(status(), tip);

    chosenFolder = extra;
    buttonTitled(controller->window(), QStringLiteral("Add folder…"))->click();
    EXPECT_EQ(status(), QStringLiteral("Added: ") + extra);
    EXPECT_EQ(session->layout().customSources, QStringList{extra});
    EXPECT_TRUE(session->app(QStringLiteral("com.t.zeta")).has_value());
    EXPECT_EQ(table->count(), 1);

    buttonTitled(controller->window(), QStringLiteral("Add folder…"))->click();
    EXPECT_EQ(status(), QStringLiteral("Already listed: ") + extra);
    EXPECT_EQ(session->layout().customSources, QStringList{extra});
    // A status longer than the window is wide wraps within the bar.
    auto *line = control<QLabel>("statusLabel");
    EXPECT_TRUE(line->wordWrap());
    const QString longStatus = QStringLiteral("Already listed: ") + QStringLiteral("/home/someone/Applications ").repeated(8);
    line->setText(longStatus);
    EXPECT_GE(line->height(), line->heightForWidth(line->width()));

    controller->showWindow();
    EXPECT_TRUE(control<QLabel>("emptySourcesLabel")->isHidden());

    // Nothing selected: nothing removed, nothing said.
    table->clearSelection();
    table->setCurrentRow(-1);
    buttonTitled(controller->window(), QStringLiteral("Remove selected"))->click();
    EXPECT_EQ(session->layout().customSources, QStringList{extra});

    table->setCurrentRow(0);
    buttonTitled(controller->window(), QStringLiteral("Remove selected"))->click();
    EXPECT_EQ(status(), QStringLiteral("Selected source removed."));
    EXPECT_TRUE(session->layout().customSources.isEmpty());
    EXPECT_FALSE(session->app(QStringLiteral("com.t.zeta")).has_value());
    EXPECT_EQ(table->count(), 0);
}

TEST_F(SettingsWindowTest, RearrangingKeepsThePreviousArrangementBeside)
{
    makeApp(QStringLiteral("Beta"));
    makeApp(QStringLiteral("Alpha"));
    open();
    session->commit([](LauncherLayout &layout) { std::swap(layout.pages[0][0], layout.pages[0][1]); });
    const QByteArray arranged = readAll(session->store().fileURL());
    const QString order = session_test::describe(session->layout().pages);

    buttonTitled(controller->window(), QStringLiteral("Rearrange"))->click();

    EXPECT_EQ(status(), QStringLiteral("Layout rearranged by name."));
    EXPECT_EQ(session_test::describe(session->layout().pages), QStringLiteral("com.t.alpha com.t.beta"));
    EXPECT_EQ(readAll(LayoutBackup::pathFor(session->store().fileURL())), arranged);
    EXPECT_EQ(session_test::describe(LayoutStore::decodeLayout(arranged)->pages), order);
}

TEST_F(SettingsWindowTest, ImportingTheSystemLauncherKeepsThePreviousArrangementBeside)
{
    makeApp(QStringLiteral("Alpha"));
    makeApp(QStringLiteral("Beta"));
    open();
    // An import that finds nothing leaves an earlier backup exactly as it was.
    const QString backup = LayoutBackup::pathFor(session->store().fileURL());
    writeFile(backup, "an earlier arrangement");
    buttonTitled(controller->window(), QStringLiteral("Import system Launchpad"))->click();
    EXPECT_EQ(status(), QStringLiteral("System Launchpad layout database not found (or it is empty)."));
    EXPECT_EQ(readAll(backup), "an earlier arrangement");

    makeNativeDatabase({{id(QStringLiteral("Beta")), id(QStringLiteral("Alpha"))}});
    const QByteArray before = readAll(session->store().fileURL());
    buttonTitled(controller->window(), QStringLiteral("Import system Launchpad"))->click();
    ASSERT_TRUE(session->lastImportSummary());
    EXPECT_EQ(status(), QStringLiteral("Imported from the system Launchpad: %1.").arg(session->lastImportSummary()->statusText()));
    EXPECT_EQ(session_test::describe(session->layout().pages), QStringLiteral("com.t.beta com.t.alpha"));
    EXPECT_EQ(readAll(LayoutBackup::pathFor(session->store().fileURL())), before);
}

TEST_F(SettingsWindowTest, ImportingFromAChosenSource)
{
    makeApp(QStringLiteral("Alpha"));
    makeApp(QStringLiteral("Beta"));
    open();
    QPushButton *importOther = buttonTitled(controller->window(), QStringLiteral("Import layout from another launcher…"));
    importOther->click();
    EXPECT_EQ(status(), QStringLiteral("No layout data from other launchers was found on this Mac."));
    EXPECT_EQ(panelRuns, 0);

    makeNativeDatabase({{id(QStringLiteral("Beta")), id(QStringLiteral("Alpha"))}});
    const QString layoutBefore = session_test::describe(session->layout().pages);
    const QString statusBefore = status();
    chosenSource.reset(); // Cancel
    importOther->click();
    EXPECT_EQ(panelRuns, 1);
    EXPECT_EQ(offeredSources.size(), 1);
    EXPECT_EQ(status(), statusBefore);
    EXPECT_EQ(session_test::describe(session->layout().pages), layoutBefore);

    chosenSource = 0;
    const QString backup = LayoutBackup::pathFor(session->store().fileURL());
    const QByteArray arranged = readAll(session->store().fileURL());
    importOther->click();
    ASSERT_TRUE(session->lastImportSummary());
    EXPECT_EQ(readAll(backup), arranged);
    const QString label = LayoutSource(LayoutSource::systemLaunchpad).label();
    EXPECT_EQ(status(), QStringLiteral("Imported from %1: %2 · %3")
                            .arg(label, session->lastImportSummary()->statusText(), session->lastImportDetail()));
    EXPECT_EQ(session_test::describe(session->layout().pages), QStringLiteral("com.t.beta com.t.alpha"));

    // A source whose layout reads as empty.
    // It applies nothing, so the arrangement kept before the last import stays.
    makeNativeDatabase({});
    importOther->click();
    EXPECT_EQ(status(), label + QStringLiteral(" has no layout to import."));
    EXPECT_EQ(readAll(backup), arranged);
}

TEST_F(SettingsWindowTest, RescanReportsTheApplicationsFound)
{
    makeApp(QStringLiteral("Alpha"));
    open();
    makeApp(QStringLiteral("Beta"));
    buttonTitled(controller->window(), QStringLiteral("Rescan"))->click();
    EXPECT_EQ(status(), QStringLiteral("Rescan complete: 2 apps found."));
}

TEST_F(SettingsWindowTest, InputStatusFollowsTheInputChannels)
{
    open();
    QLabel *line = control<QLabel>("inputStatusLabel");
    EXPECT_EQ(line->text(), QStringLiteral("Input channels not running"));
    // Standing alone the status starts as a sentence does.
    inputStatus = QStringLiteral("keys ready, no gestures");
    controller->refreshInputStatus();
    EXPECT_EQ(line->text(), QStringLiteral("Keys ready, no gestures"));

    // "Grant…" says what it did: it asked the X server again, with the answer.
    inputStatus = QStringLiteral("refused by the X server");
    control<QPushButton>("accessibilityButton")->click();
    EXPECT_EQ(accessibilityRequests, 1);
    EXPECT_EQ(line->text(), QStringLiteral("Refused by the X server"));
    EXPECT_EQ(status(), QStringLiteral("Asked the X server for the input channels again: refused by the X server."));
}

TEST_F(SettingsWindowTest, TheWindowStaysAboveTheLauncher)
{
    QWidget launcher;
    launcher.setWindowTitle(QStringLiteral("Tessellon"));
    WindowLevel::set(&launcher, WindowLevel::launcher);
    launcher.show();
    launcherWindow = &launcher;
    open();
    controller->showWindow();
    ASSERT_NE(controller->window()->windowHandle(), nullptr);
    EXPECT_EQ(controller->window()->windowHandle()->transientParent(), launcher.windowHandle());
    EXPECT_GT(WindowLevel::of(controller->window()), WindowLevel::of(&launcher));

    // Closing hides and keeps the same window for the next show.
    QWidget *window = controller->window();
    int closes = 0;
    controller->onClose = [&] { ++closes; };
    window->close();
    EXPECT_FALSE(controller->isVisible());
    EXPECT_EQ(closes, 1);
    controller->showWindow();
    EXPECT_EQ(controller->window(), window);
    EXPECT_TRUE(controller->isVisible());
    controller.reset();
}

TEST_F(SettingsWindowTest, AboutShowsTheBuildsVersion)
{
    version = QString();
    open();
    EXPECT_EQ(control<QLabel>("aboutVersion")->text(), QStringLiteral("Version 1.0"));
    controller.reset();
    version = QStringLiteral("2.4.1");
    open();
    EXPECT_EQ(control<QLabel>("aboutVersion")->text(), QStringLiteral("Version 2.4.1"));
}

TEST_F(SettingsWindowTest, TheWindowLineDescribesTheWindow)
{
    open();
    controller->showWindow();
    const QString line = controller->windowLine();
    // The frame: the window and whatever the platform draws around it.
    static const QRegularExpression shape(
        QStringLiteral("^\\[windows\\] settings x=-?\\d+ y=-?\\d+ w=(\\d+) h=(\\d+) id=(\\d+)$"));
    const QRegularExpressionMatch match = shape.match(line);
    ASSERT_TRUE(match.hasMatch()) << line.toStdString();
    EXPECT_GE(match.captured(1).toInt(), 620);
    EXPECT_GE(match.captured(2).toInt(), 730);
    EXPECT_EQ(match.captured(3).toULongLong(), quint64(controller->window()->winId()));
}

} // namespace
