// The settings table against the Settings record: every stored setting is
// edited by the control of exactly one row, and that control is shown on a
// page of the window. A field added to the record without a row, a second
// row for one field, or a row whose card no page shows fails here.
#include "settings_test_support.h"

#include "settings/settings_table.h"

#include <QMap>

#include <gtest/gtest.h>

namespace {

using settings_test::SettingsWindowTest;

// The stored keys whose values differ between `before` and `after`.
QStringList changedKeys(const Settings &before, const Settings &after)
{
    MemoryUserDefaults was, now;
    before.save(was);
    after.save(now);
    QStringList changed;
    for (const QString &key : Settings::allKeys()) {
        if (was.object(key) != now.object(key))
            changed.append(key);
    }
    return changed;
}

TEST_F(SettingsWindowTest, EverySettingIsEditedByTheShownControlOfExactlyOneRow)
{
    open();
    controller->showWindow();
    QMap<QString, QStringList> editors;
    for (const SettingRow &row : settingsTable()) {
        QWidget *shown = controller->window()->findChild<QWidget *>(QString::fromLatin1(row.name));
        ASSERT_NE(shown, nullptr) << row.name << " is on no page";
        const Settings before = session->settings();
        // Another value than the one shown, as a person would choose it.
        if (auto *popup = qobject_cast<PopupButton *>(shown)) {
            choose(row.name, (popup->currentIndex() + 1) % popup->count());
        } else if (auto *toggle = qobject_cast<ToggleSwitch *>(shown)) {
            toggle->click();
        } else if (auto *slider = qobject_cast<SettingsSlider *>(shown)) {
            const bool atMinimum = slider->doubleValue() == slider->doubleMinimum();
            dragTo(row.name, atMinimum ? slider->doubleMaximum() : slider->doubleMinimum());
            release(row.name);
        } else {
            ADD_FAILURE() << row.name << " is no control a row can have";
        }
        // A new language rebuilds the window; the old pages go now.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (const QString &key : changedKeys(before, session->settings()))
            editors[key].append(QString::fromLatin1(row.name));
    }
    for (const QString &key : Settings::allKeys())
        EXPECT_EQ(editors.value(key).size(), 1) << key.toStdString() << " is edited by ["
                                                 << editors.value(key).join(QLatin1Char(' ')).toStdString() << "]";
}

} // namespace
