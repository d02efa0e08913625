#pragma once

#include "settings_host.h"

#include "model/settings.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class SettingsContext;

// The cards of the settings pages that hold setting rows; a page places the
// rows of a section in table order, among its own rows.
enum class SettingsSection
{
    language,          // General
    activation,        // General
    grid,              // Interface
    appearance,        // Interface
    layoutMaintenance, // Apps
    uninstall,         // Apps
    input,             // Advanced
};

// One setting of the settings window: the control that edits it, its
// caption and card, what the control shows of the settings, the one change a
// use of it makes, and what follows that change. Adding a setting is a field
// of Settings and a row of settingsTable().
struct SettingRow
{
    enum class Control
    {
        popup,  // one of `items`; its value is the item's index
        toggle, // a switch; its value is 1 when on, else 0
        slider, // a real number from `minimum` to `maximum`
    };
    // Follows a written change; `chosen` holds the value chosen in its field.
    using Report = std::function<void(SettingsContext &, const Settings &chosen)>;

    Control control = Control::toggle;
    // The control's object name, by which tools and tests find it.
    const char *name = nullptr;
    // The catalog key of the row's caption.
    QString caption;
    SettingsSection section = SettingsSection::language;
    // What the control shows of `settings`.
    std::function<double(const Settings &settings)> read;
    // The change that choosing `value` makes; null when the value names
    // nothing (a pop-up being cleared reports item -1).
    std::function<SettingsHost::SettingsChange(double value)> write;
    // A pop-up's items, looked up anew in the language in force.
    std::function<QStringList()> items;
    // A slider's range, and the object name of the label that shows its
    // value in percent beside it (null: none).
    double minimum = 0;
    double maximum = 0;
    const char *valueLabel = nullptr;
    // The host's follow-up and the status line; null: nothing follows.
    Report report;
};

// Every setting of the settings window, in page and card order.
const std::vector<SettingRow> &settingsTable();

// The status line's text for a hot key that another program holds.
QString hotKeyTakenText(Settings::HotKeyPreset preset);

// `value` in percent, e.g. "16%".
QString percentText(double value);
