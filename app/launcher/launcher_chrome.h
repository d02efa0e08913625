#pragma once

#include "launcher/launcher_layout_plan.h"

#include "model/settings.h"

#include <QString>

#include <functional>

class LauncherSession;
class QLabel;
class QPushButton;
class QWidget;

// The chrome below and beside the grid: the hint line at the bottom and the
// settings button, their styling, their localized texts and their place.
class LauncherChrome
{
public:
    // Both are children of `parent`; a click on the button runs `openSettings`.
    LauncherChrome(QWidget *parent, LauncherSession &session, std::function<void()> openSettings);

    QLabel *hintLabel() const { return m_hintLabel; }
    QPushButton *settingsButton() const { return m_settingsButton; }

    // The hint line, in the current language: in edit mode what editing
    // offers; else the hot key that opens the launcher (left out when there
    // is none), then the keys and gestures of the grid.
    static QString hintText(bool editing, Settings::HotKeyPreset hotKey);
    // Shows the hint for the mode, with the hot key the settings hold.
    void applyHint(bool editing);
    // The texts in the current language; the button takes the width of its
    // title in it.
    void refreshLocalizedText(bool editing, const QSizeF &viewSize);
    void layout(const LauncherLayoutPlan::Chrome &chrome);

private:
    LauncherSession &m_session;
    QLabel *m_hintLabel = nullptr;
    QPushButton *m_settingsButton = nullptr;
};
