// Where the keyboard has the focus in the settings window, a person sees it:
// a ring in the full accent colour around a switch or a slider's handle, and
// never a ring on a tab that is not the selected one.
#include "app/settings/settings_test_support.h"

#include "settings/settings_style.h"
#include "settings/settings_tab_button.h"

#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>

namespace {

using settings_test::SettingsWindowTest;

double distance(QRgb a, QColor b)
{
    return std::hypot(qRed(a) - b.red(), qGreen(a) - b.green(), qBlue(a) - b.blue());
}

// Pixels that are the accent colour with the focus and were not without it.
int newAccentPixels(const QImage &without, const QImage &with)
{
    const QColor accent = SettingsStyle::accent();
    int count = 0;
    for (int y = 0; y < std::min(without.height(), with.height()); ++y) {
        for (int x = 0; x < std::min(without.width(), with.width()); ++x) {
            if (distance(with.pixel(x, y), accent) < 40 && distance(without.pixel(x, y), accent) >= 40)
                ++count;
        }
    }
    return count;
}

class SettingsFocusTest : public SettingsWindowTest, public ::testing::WithParamInterface<const char *>
{
protected:
    void showActive(int tab)
    {
        open();
        controller->showWindow();
        controller->selectTabForAutomation(tab);
        controller->window()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(controller->window()));
    }
};

// The Interface page's sliders and switches, the ones with the accent fill.
TEST_P(SettingsFocusTest, KeyboardFocusDrawsAFullAccentRingAndAClickDoesNot)
{
    ASSERT_NO_FATAL_FAILURE(showActive(1));
    QWidget *control = controller->window()->findChild<QWidget *>(QString::fromLatin1(GetParam()));
    ASSERT_NE(control, nullptr);
    // Checked, so that a switch's track is itself the accent colour.
    if (auto *toggle = qobject_cast<ToggleSwitch *>(control))
        toggle->setChecked(true);
    controller->window()->setFocus(Qt::OtherFocusReason);
    const QImage without = control->grab().toImage();

    // A click leaves at most a slider's accent-edged handle.
    control->setFocus(Qt::MouseFocusReason);
    ASSERT_TRUE(control->hasFocus());
    const int clicked = newAccentPixels(without, control->grab().toImage());
    EXPECT_LT(clicked, 30) << "a click shows no ring";

    // Tab adds a ring all around: far more of the accent colour.
    controller->window()->setFocus(Qt::OtherFocusReason);
    control->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(control->hasFocus());
    EXPECT_GE(newAccentPixels(without, control->grab().toImage()) - clicked, 50);
}

INSTANTIATE_TEST_SUITE_P(Controls, SettingsFocusTest,
                         ::testing::Values("animateButton", "labelsButton", "dimSlider", "marginSlider"),
                         [](const ::testing::TestParamInfo<const char *> &info) { return std::string(info.param); });

// Hiding the focused language pop-up as the window is rebuilt in the new
// language must not leave Qt's Tab-like hand-over ringing another tab.
TEST_F(SettingsWindowTest, ALanguageChangeLeavesNoRingOnATabThatIsNotSelected)
{
    open();
    controller->showWindow();
    controller->selectTabForAutomation(0);
    controller->window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(controller->window()));
    PopupButton *language = control<PopupButton>("languagePopup");
    language->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(language->hasFocus());

    choose("languagePopup", 4); // Deutsch
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    for (SettingsTabButton *tab : controller->tabBar()->buttons())
        EXPECT_FALSE(tab->showsFocusRing() && !tab->isSelectedTab()) << tab->caption().toStdString();
    EXPECT_TRUE(control<PopupButton>("languagePopup")->hasFocus());

    // A page change away from a focused control hands the focus to the
    // selected tab, without a ring.
    controller->tabBar()->buttons().at(2)->click();
    EXPECT_EQ(controller->selectedTab(), 2);
    for (SettingsTabButton *tab : controller->tabBar()->buttons())
        EXPECT_FALSE(tab->showsFocusRing()) << tab->caption().toStdString();
}

} // namespace
