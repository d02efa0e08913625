// The settings window's chrome: the tab row's geometry and selection, cards
// and their hairlines, rows, glyphs, and the drawn controls.
#include "settings/popup_button.h"
#include "settings/settings_card.h"
#include "settings/settings_row.h"
#include "settings/settings_separator.h"
#include "settings/settings_slider.h"
#include "settings/settings_symbol.h"
#include "settings/settings_tab_bar.h"
#include "settings/settings_tab_button.h"
#include "settings/toggle_switch.h"

#include <QLabel>
#include <QSignalSpy>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

QList<SettingsTabBar::Item> items(int count)
{
    const QList<SettingsTabBar::Item> all{{"gearshape", "General"},
                                          {"square.grid.2x2", "Interface"},
                                          {"app.badge", "Apps"},
                                          {"slider.horizontal.3", "Advanced"},
                                          {"info.circle", "About"}};
    return all.mid(0, count);
}

struct BarCase
{
    const char *name;
    int width;
    int tabs;
    QList<int> xs;
};

class TabBarLayoutTest : public ::testing::TestWithParam<BarCase>
{
};

TEST_P(TabBarLayoutTest, TabsAreCentredInARowFortyFourPixelsDown)
{
    const BarCase &row = GetParam();
    SettingsTabBar bar(items(row.tabs));
    bar.resize(row.width, 118);
    bar.show();
    QList<int> xs;
    for (SettingsTabButton *button : bar.buttons()) {
        xs << button->x();
        EXPECT_EQ(button->geometry().top(), 44);
        EXPECT_EQ(button->size(), QSize(108, 64));
    }
    EXPECT_EQ(xs, row.xs);
    bar.grab(); // draws the hairline, and nothing else without tabs
}

INSTANTIATE_TEST_SUITE_P(Widths, TabBarLayoutTest,
                         ::testing::Values(BarCase{"FiveTabsIn620", 620, 5, {28, 142, 256, 370, 484}},
                                           BarCase{"NarrowerThanTheRow", 464, 5, {-50, 64, 178, 292, 406}},
                                           BarCase{"NoTabs", 300, 0, {}}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(SettingsTabBar, SelectsExactlyOneTabOrNone)
{
    SettingsTabBar bar(items(5));
    QSignalSpy clicked(&bar, &SettingsTabBar::tabClicked);
    EXPECT_TRUE(bar.buttons().at(0)->isSelectedTab());
    bar.setSelectedIndex(3);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(bar.buttons().at(i)->isSelectedTab(), i == 3);
    bar.setSelectedIndex(5);
    for (SettingsTabButton *button : bar.buttons())
        EXPECT_FALSE(button->isSelectedTab());
    bar.buttons().at(1)->click();
    ASSERT_EQ(clicked.count(), 1);
    EXPECT_EQ(clicked.at(0).at(0).toInt(), 1);
}

TEST(SettingsTabButton, AnUnknownSymbolShowsTheCircle)
{
    EXPECT_EQ(SettingsTabButton(QStringLiteral("no.such.symbol"), QStringLiteral("X"), 0).symbol(),
              QStringLiteral("circle"));
    EXPECT_EQ(SettingsTabButton(QStringLiteral("gearshape"), QStringLiteral("X"), 0).symbol(),
              QStringLiteral("gearshape"));
    for (const char *name : {"gearshape", "square.grid.2x2", "app.badge", "slider.horizontal.3", "info.circle"})
        EXPECT_TRUE(SettingsSymbol::exists(QString::fromLatin1(name))) << name;
}

TEST(SettingsTabButton, CaptionFontIsInPixelsAndHeavierWhenSelected)
{
    SettingsTabButton button(QStringLiteral("gearshape"), QStringLiteral("General"), 0);
    EXPECT_EQ(button.font().pointSizeF(), -1);
    EXPECT_EQ(button.font().pixelSize(), 12);
    const int unselected = button.font().weight();
    button.setSelectedTab(true);
    EXPECT_GT(button.font().weight(), unselected);
}

struct CardCase
{
    const char *name;
    int views;
    int separators;
};

class SettingsCardTest : public ::testing::TestWithParam<CardCase>
{
};

TEST_P(SettingsCardTest, HairlinesOnlyBetweenRows)
{
    QList<QWidget *> views;
    for (int i = 0; i < GetParam().views; ++i)
        views << new QWidget;
    SettingsCard card(views, 568);
    EXPECT_EQ(card.findChildren<SettingsSeparator *>().size(), GetParam().separators);
    EXPECT_EQ(card.width(), 568);
}

INSTANTIATE_TEST_SUITE_P(Counts, SettingsCardTest,
                         ::testing::Values(CardCase{"One", 1, 0}, CardCase{"Four", 4, 3}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(SettingsRow, ALongTitleWrapsOntoTwoLinesAndYieldsToTheControl)
{
    auto *control = new PopupButton;
    control->setFixedWidth(200);
    SettingsRow row(QStringLiteral("A very long title that cannot possibly fit on one line beside its pop-up control "
                                   "and goes on and on and on and on"),
                    control);
    row.resize(568, SettingsRow::rowHeight);
    row.show();
    EXPECT_EQ(row.height(), 50);
    EXPECT_EQ(control->geometry().right() + 1, 568 - 18);
    EXPECT_LE(row.titleLabel()->geometry().right() + 1, control->x() - 12);
    EXPECT_EQ(row.titleLabel()->x(), 18);
    const int line = QFontMetrics(row.titleLabel()->font()).lineSpacing();
    EXPECT_GT(row.titleLabel()->height(), line);
    EXPECT_LE(row.titleLabel()->height(), 2 * line);
    EXPECT_EQ(row.titleLabel()->font().pixelSize(), 15);
}

TEST(ToggleSwitch, AClickFlipsItAndReportsTheNewState)
{
    ToggleSwitch toggle;
    QSignalSpy clicked(&toggle, &QAbstractButton::clicked);
    toggle.setChecked(true);
    EXPECT_EQ(clicked.count(), 0);
    toggle.click();
    EXPECT_FALSE(toggle.isChecked());
    ASSERT_EQ(clicked.count(), 1);
    EXPECT_FALSE(clicked.at(0).at(0).toBool());
    toggle.grab();
}

TEST(SettingsSlider, RealValuesRoundTripInThousandths)
{
    SettingsSlider slider;
    slider.setDoubleRange(0.02, 0.28);
    slider.setDoubleValue(0.16);
    EXPECT_EQ(slider.doubleValue(), 0.16);
    EXPECT_EQ(slider.doubleMinimum(), 0.02);
    EXPECT_EQ(slider.doubleMaximum(), 0.28);
    slider.setDoubleValue(0.5);
    EXPECT_EQ(slider.doubleValue(), 0.28);
    slider.grab();
}

TEST(PopupButton, ReplacingItemsKeepsTheirOrder)
{
    PopupButton popup;
    popup.setItems({QStringLiteral("a"), QStringLiteral("b")});
    popup.setItems({QStringLiteral("c"), QStringLiteral("d"), QStringLiteral("e")});
    EXPECT_EQ(popup.items(), (QStringList{"c", "d", "e"}));
    popup.grab();
}

} // namespace
