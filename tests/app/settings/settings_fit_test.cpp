// Every text of the settings window fits the widget that shows it, on every
// page and in every language, at the window's one size: nothing is cut off or
// elided. Measured with the fonts the machine has (a machine without a CJK
// font draws those glyphs as boxes, which are measured the same way).
#include "app/settings/settings_test_support.h"

#include "settings/settings_tab_button.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QScrollArea>
#include <QStyle>
#include <QStyleOptionComboBox>

#include <gtest/gtest.h>

#include <ostream>

namespace {

using settings_test::SettingsWindowTest;

struct FitCase
{
    AppLanguage language;
    int page;
};

void PrintTo(const FitCase &row, std::ostream *out)
{
    *out << row.language.rawValue().toStdString() << " page " << row.page;
}

class SettingsFitTest : public SettingsWindowTest, public ::testing::WithParamInterface<FitCase>
{
protected:
    // What does not fit on the shown page and its chrome, one text each.
    QStringList cutTexts() const
    {
        QStringList cut;
        QWidget *window = controller->window();
        const auto shown = [window](const QWidget *widget) { return widget->isVisibleTo(window); };
        for (const QLabel *label : window->findChildren<QLabel *>()) {
            if (!shown(label) || label->text().isEmpty() || label->textFormat() == Qt::RichText)
                continue;
            const QRect room = label->contentsRect();
            const QFontMetrics metrics(label->font());
            const bool fits = label->wordWrap()
                                  ? label->heightForWidth(room.width()) <= room.height()
                                  : metrics.horizontalAdvance(label->text()) <= room.width()
                                        && metrics.height() <= room.height();
            if (!fits)
                cut << QStringLiteral("label %1 \"%2\" in %3x%4")
                           .arg(label->objectName(), label->text())
                           .arg(room.width())
                           .arg(room.height());
        }
        for (const SettingsTabButton *tab : window->findChildren<SettingsTabButton *>()) {
            if (!shown(tab))
                continue;
            // Both weights: a tab is drawn heavier once selected.
            const int room = int(SettingsTabButton::captionRect(tab->size()).width());
            for (const bool selected : {false, true}) {
                const int need = QFontMetrics(tab->captionFont(selected)).horizontalAdvance(tab->caption());
                if (need > room)
                    cut << QStringLiteral("tab \"%1\" needs %2 has %3").arg(tab->caption()).arg(need).arg(room);
            }
        }
        for (const QAbstractButton *button : window->findChildren<QAbstractButton *>()) {
            if (!shown(button) || button->text().isEmpty() || qobject_cast<const SettingsTabButton *>(button))
                continue;
            if (button->sizeHint().width() > button->width())
                cut << QStringLiteral("button \"%1\" needs %2 has %3")
                           .arg(button->text())
                           .arg(button->sizeHint().width())
                           .arg(button->width());
        }
        for (const QComboBox *popup : window->findChildren<QComboBox *>()) {
            if (!shown(popup))
                continue;
            QStyleOptionComboBox option;
            option.initFrom(popup);
            option.editable = false;
            const QRect field =
                popup->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, popup);
            const int need = QFontMetrics(popup->font()).horizontalAdvance(popup->currentText());
            if (need > field.width())
                cut << QStringLiteral("pop-up \"%1\" needs %2 has %3").arg(popup->currentText()).arg(need).arg(field.width());
        }
        return cut;
    }
};

TEST_P(SettingsFitTest, EveryTextFitsItsWidget)
{
    open();
    controller->showWindow();
    // As a person would: the window is rebuilt in the language chosen.
    choose("languagePopup", int(AppLanguage::Value(GetParam().language)));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(L10n::current(), GetParam().language);
    controller->selectTabForAutomation(GetParam().page);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    ASSERT_EQ(controller->window()->size(), QSize(620, 730));
    const QStringList cut = cutTexts();
    EXPECT_TRUE(cut.isEmpty()) << cut.join(QLatin1Char('\n')).toStdString();
}

std::vector<FitCase> allPagesInAllLanguages()
{
    std::vector<FitCase> rows;
    for (const AppLanguage language : {AppLanguage::zhHans, AppLanguage::en, AppLanguage::fr, AppLanguage::de,
                                       AppLanguage::ja, AppLanguage::ru, AppLanguage::es}) {
        for (int page = 0; page < SettingsWindowController::pageCount; ++page)
            rows.push_back(FitCase{language, page});
    }
    return rows;
}

INSTANTIATE_TEST_SUITE_P(PagesAndLanguages, SettingsFitTest, ::testing::ValuesIn(allPagesInAllLanguages()),
                         [](const ::testing::TestParamInfo<FitCase> &info) {
                             QString language = info.param.language.rawValue();
                             language.remove(QLatin1Char('-'));
                             return language.toStdString() + "_page" + std::to_string(info.param.page);
                         });

} // namespace
