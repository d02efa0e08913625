#pragma once

#include "model/settings.h"

#include <QString>

#include <functional>
#include <memory>

class QMenu;

// The status-bar (tray) item's menu. Built afresh on every change of the
// interface language, so every title is looked up at build time.
class StatusMenu
{
public:
    // What each command does; an unset callback leaves its item inert.
    struct Actions
    {
        std::function<void()> showLauncher;
        std::function<void()> showSettings;
        std::function<void()> importNative;
        std::function<void()> rescan;
        std::function<void()> showAbout;
        std::function<void()> quit;
    };

    // The item's tooltip, naming the hot key (or its off text).
    static QString toolTip(Settings::HotKeyPreset hotKey);
    // The tooltip when another program holds the hot key: the key opens
    // nothing, so the tooltip says so instead of naming it as the way in.
    static QString toolTipForHeldKey(Settings::HotKeyPreset hotKey);

    // Show launcher, Settings…, separator, import, rescan, separator, About,
    // Quit. The caller owns the menu.
    static std::unique_ptr<QMenu> build(const Actions &actions);

    StatusMenu() = delete;
};
