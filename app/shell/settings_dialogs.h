#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class ModalStepAside;
class QFileDialog;
class QWidget;

// The settings window's two modal panels, each run through the step-aside
// service with the settings window lowered to the normal level so that
// nothing of the application covers it.
namespace SettingsDialogs {

// A folder chooser (one folder, no files); none when cancelled.
std::optional<QString> chooseFolder(ModalStepAside &stepAside, QWidget *window);
// Makes `panel` that chooser: folders only, with its title and words in the
// interface language (Qt's own are English).
void prepareFolderPanel(QFileDialog &panel);

// "Choose a layout source" with a pop-up of `labels` (the first chosen) and
// the buttons Import and Cancel; the chosen index, or none when cancelled.
std::optional<int> chooseLayoutSource(ModalStepAside &stepAside, QWidget *window, const QStringList &labels);

} // namespace SettingsDialogs
