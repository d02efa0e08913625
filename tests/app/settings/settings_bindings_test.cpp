// Every control of the settings window against a real session: what using it
// writes, whether the write reaches the user defaults, what the status line
// then says, and which of the application's triggers it re-arms.
#include "settings_test_support.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

using settings_test::SettingsWindowTest;

enum class Use
{
    choose,  // pick pop-up item `value`
    click,   // click a switch once
    drag,    // drag a slider to value / 1000 and let it go
    hold,    // drag a slider to value / 1000 and keep holding it
};

struct Binding
{
    const char *name;
    const char *control;
    Use use;
    int value;
    const char *field;
    const char *written;  // the field's value afterwards, as the defaults store it
    bool persisted;       // the user defaults hold it
    const char *status;   // the status line afterwards; null: the tip, unchanged
    int hotKeyChanges;
    int cornerChanges;
};

void PrintTo(const Binding &row, std::ostream *os)
{
    *os << row.name;
}

const char *const kTip = "Tip: changes apply immediately. Imports only read sqlite / plist files and never modify the source data.";

class SettingsBindingTest : public SettingsWindowTest, public ::testing::WithParamInterface<Binding>
{
};

TEST_P(SettingsBindingTest, UsingTheControlWritesItsOneSetting)
{
    const Binding &row = GetParam();
    open();
    controller->showWindow();
    const Settings before = session->settings();
    const int writesBefore = defaults.writes;

    switch (row.use) {
    case Use::choose: choose(row.control, row.value); break;
    case Use::click: control<ToggleSwitch>(row.control)->click(); break;
    case Use::drag:
        dragTo(row.control, row.value / 1000.0);
        release(row.control);
        break;
    case Use::hold: dragTo(row.control, row.value / 1000.0); break;
    }

    EXPECT_EQ(live(row.field), QString::fromUtf8(row.written));
    if (row.persisted) {
        EXPECT_EQ(storedText(row.field), QString::fromUtf8(row.written));
    } else {
        EXPECT_EQ(defaults.writes, writesBefore);
        EXPECT_FALSE(stored(row.field).isValid());
    }
    EXPECT_EQ(status(), QString::fromUtf8(row.status ? row.status : kTip));
    EXPECT_EQ(hotKeyChanges, row.hotKeyChanges);
    EXPECT_EQ(cornerChanges, row.cornerChanges);

    // Exactly one field changed.
    int changedFields = 0;
    MemoryUserDefaults was, now;
    before.save(was);
    session->settings().save(now);
    for (const QString &key : Settings::allKeys())
        changedFields += was.object(key) != now.object(key) ? 1 : 0;
    EXPECT_LE(changedFields, 1);
}

INSTANTIATE_TEST_SUITE_P(
    EveryControl, SettingsBindingTest,
    ::testing::Values(
        Binding{"ColumnsPopup", "columnsPopup", Use::choose, 5, "columns", "9", true, nullptr, 0, 0},
        Binding{"RowsPopup", "rowsPopup", Use::choose, 4, "rows", "7", true, nullptr, 0, 0},
        Binding{"ModePopup", "modePopup", Use::choose, 1, "viewMode", "scroll", true, nullptr, 0, 0},
        Binding{"HotKeyPopup", "hotKeyPopup", Use::choose, 2, "hotKey", "commandShiftSpace", true,
                "Global shortcut set to Super+Shift+Space", 1, 0},
        Binding{"HotKeyPopupOff", "hotKeyPopup", Use::choose, 4, "hotKey", "disabled", true,
                "Global shortcut set to Off", 1, 0},
        Binding{"CornerPopup", "cornerPopup", Use::choose, 2, "hotCorner", "topRight", true,
                "Hot corner set to Top right", 0, 1},
        Binding{"CornerPopupOff", "cornerPopup", Use::choose, 0, "hotCorner", "none", true, "Hot corner disabled", 0, 1},
        Binding{"PinchPopup", "pinchPopup", Use::choose, 3, "pinchGesture", "five", true,
                "Pinch gesture set to Five-finger pinch.", 0, 0},
        Binding{"PinchPopupOff", "pinchPopup", Use::choose, 0, "pinchGesture", "off", true, "Pinch gesture disabled.",
                0, 0},
        Binding{"F4Switch", "f4Button", Use::click, 0, "enableF4Shortcut", "false", true,
                "F4 / Launchpad key disabled.", 0, 0},
        Binding{"AnimateSwitch", "animateButton", Use::click, 0, "animate", "false", true, nullptr, 0, 0},
        Binding{"LabelsSwitch", "labelsButton", Use::click, 0, "showLabels", "false", true, nullptr, 0, 0},
        Binding{"HiddenSwitch", "hiddenButton", Use::click, 0, "showHidden", "true", true, nullptr, 0, 0},
        Binding{"LaunchpadNamesSwitch", "launchpadNamesButton", Use::click, 0, "useLaunchpadNames", "false", true,
                "Switched to the apps' own names; hidden Launchpad apps still show their icons.", 0, 0},
        Binding{"AdoptGridSwitch", "adoptGridButton", Use::click, 0, "adoptImportGrid", "true", true,
                "Imports adopt a grid only from a source that records one; this system has no Dock grid.", 0, 0},
        Binding{"PureUninstallSwitch", "pureUninstallButton", Use::click, 0, "pureUninstall", "false", true,
                "Clean uninstall is off by default: only the app is moved to the Trash.", 0, 0},
        Binding{"EventTapSwitch", "eventTapButton", Use::click, 0, "useEventTap", "false", true,
                "Falling back to the permission-free mode: X11 key grab + hot corners.", 0, 0},
        Binding{"HideOnSystemSwitch", "hideOnSystemButton", Use::click, 0, "hideOnSystemEvents", "false", true,
                "System events no longer hide Launchpad automatically.", 0, 0},
        Binding{"MarginSliderLetGo", "marginSlider", Use::drag, 200, "sideInset", "0.2", true, nullptr, 0, 0},
        Binding{"IconSliderLetGo", "iconSlider", Use::drag, 1100, "iconScale", "1.1", true, nullptr, 0, 0},
        Binding{"DimSliderLetGo", "dimSlider", Use::drag, 500, "dim", "0.5", true, nullptr, 0, 0},
        Binding{"MarginSliderHeld", "marginSlider", Use::hold, 200, "sideInset", "0.2", false, nullptr, 0, 0},
        Binding{"IconSliderHeld", "iconSlider", Use::hold, 800, "iconScale", "0.8", false, nullptr, 0, 0},
        Binding{"DimSliderHeld", "dimSlider", Use::hold, 700, "dim", "0.7", false, nullptr, 0, 0}),
    [](const ::testing::TestParamInfo<Binding> &info) { return std::string(info.param.name); });

// A key that another program holds never reaches the launcher; the status
// line once said it was set all the same.
TEST_F(SettingsWindowTest, AHotKeyHeldByAnotherProgramIsNeverReportedAsSet)
{
    open();
    hotKeyTaken = true;
    controller->showWindow();
    EXPECT_EQ(status(), QStringLiteral("The global shortcut Alt+Space is used by another program and was not set"));

    // Told once: showing the window again keeps whatever the line says now.
    choose("cornerPopup", 1);
    controller->close();
    controller->showWindow();
    EXPECT_EQ(status(), QStringLiteral("Hot corner set to Top left"));

    choose("hotKeyPopup", 3);
    EXPECT_EQ(status(), QStringLiteral("The global shortcut Ctrl+Space is used by another program and was not set"));
    hotKeyTaken = false;
    choose("hotKeyPopup", 2);
    EXPECT_EQ(status(), QStringLiteral("Global shortcut set to Super+Shift+Space"));
    EXPECT_EQ(hotKeyChanges, 2);
}

TEST_F(SettingsWindowTest, AFreeHotKeyLeavesTheTipAtTheFirstShow)
{
    open();
    controller->showWindow();
    EXPECT_EQ(status(), QString::fromUtf8(kTip));
}

// A pop-up with nothing chosen reports -1 (also while it is being cleared or
// refilled); that must never become a setting such as 3 columns or 2 rows.
class NothingChosenTest : public SettingsWindowTest, public ::testing::WithParamInterface<const char *>
{
};

TEST_P(NothingChosenTest, AnIndexOfMinusOneChangesNothing)
{
    open();
    controller->showWindow();
    const Settings before = session->settings();
    const int writes = defaults.writes;
    PopupButton *popup = control<PopupButton>(GetParam());
    emit popup->activated(-1);
    popup->clear();
    emit popup->activated(-1);
    EXPECT_EQ(session->settings(), before);
    EXPECT_EQ(defaults.writes, writes);
    EXPECT_EQ(status(), QString::fromUtf8(kTip));
}

INSTANTIATE_TEST_SUITE_P(EveryPopup, NothingChosenTest,
                         ::testing::Values("columnsPopup", "rowsPopup", "modePopup", "hotKeyPopup", "cornerPopup",
                                           "pinchPopup", "languagePopup"));

TEST_F(SettingsWindowTest, ChoosingTheItemAlreadyChosenWritesAndReportsAgain)
{
    open();
    controller->showWindow();
    choose("cornerPopup", 1);
    const int writes = defaults.writes;
    choose("cornerPopup", 1);
    EXPECT_GT(defaults.writes, writes);
    EXPECT_EQ(cornerChanges, 2);
    EXPECT_EQ(status(), QStringLiteral("Hot corner set to Top left"));
}

// Sliders act on the launcher while they move but write the defaults and
// the layout only once they rest.
TEST_F(SettingsWindowTest, ADraggedSliderWritesOnceWhenLetGo)
{
    makeApp(QStringLiteral("Alpha"));
    open();
    controller->showWindow();
    int settingsChanges = 0;
    QObject::connect(session.get(), &LauncherSession::settingsChanged, [&] { ++settingsChanges; });
    const int writes = defaults.writes;
    const std::optional<StoredFile::Identity> layoutBefore = StoredFile::identity(session->store().fileURL());
    ASSERT_TRUE(layoutBefore);

    for (double value : {0.17, 0.18, 0.19, 0.21, 0.22})
        dragTo("marginSlider", value);
    EXPECT_EQ(settingsChanges, 5);
    EXPECT_EQ(live("sideInset"), QStringLiteral("0.22"));
    EXPECT_EQ(control<QLabel>("marginValueLabel")->text(), QStringLiteral("22%"));
    EXPECT_EQ(defaults.writes, writes);
    EXPECT_EQ(StoredFile::identity(session->store().fileURL()), layoutBefore);

    release("marginSlider");
    EXPECT_EQ(storedText("sideInset"), QStringLiteral("0.22"));
    EXPECT_GT(defaults.writes, writes);
}

TEST_F(SettingsWindowTest, ASliderMovedByKeysWritesOnceItHasRested)
{
    open();
    controller->showWindow();
    SettingsSlider *slider = control<SettingsSlider>("iconSlider");
    const int writes = defaults.writes;
    slider->setDoubleValue(1.05);
    slider->setDoubleValue(1.1);
    EXPECT_EQ(live("iconScale"), QStringLiteral("1.1"));
    EXPECT_EQ(control<QLabel>("iconValueLabel")->text(), QStringLiteral("110%"));
    EXPECT_EQ(defaults.writes, writes);
    EXPECT_EQ(timers.liveCount(), 1);

    timers.fireAll();
    EXPECT_EQ(storedText("iconScale"), QStringLiteral("1.1"));
    EXPECT_EQ(timers.liveCount(), 0);
}

TEST_F(SettingsWindowTest, ClosingTheWindowWritesASliderValueStillWaiting)
{
    open();
    controller->showWindow();
    control<SettingsSlider>("dimSlider")->setDoubleValue(0.6);
    controller->close();
    EXPECT_EQ(storedText("dim"), QStringLiteral("0.6"));
}

} // namespace
