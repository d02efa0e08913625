#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

// The settings window's two modal panels, each run with the settings window
// lowered to the normal level so that nothing of the application covers it.
namespace SettingsDialogs {

// A folder chooser (one folder, no files); none when cancelled.
std::optional<QString> chooseFolder(QWidget *window);

// "Choose a layout source" with a pop-up of `labels` (the first chosen) and
// the buttons Import and Cancel; the chosen index, or none when cancelled.
std::optional<int> chooseLayoutSource(QWidget *window, const QStringList &labels);

} // namespace SettingsDialogs
