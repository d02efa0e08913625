#pragma once

#include <QtGlobal>

#include <functional>

// The desktop's global hot key: one key combination that reaches this process
// whatever window has the focus. Key codes are macOS virtual key codes and
// modifiers a hot-key preset's modifier mask (Command 256, Shift 512, Option
// 2048, Control 4096, as macOS numbers them), so that stored presets mean the
// same key everywhere.
class GlobalKeyGrabber
{
public:
    virtual ~GlobalKeyGrabber() = default;

    // Starts delivering presses of the grabbed combination to `onPress`, on the
    // main thread; replaces an earlier handler. False when the desktop offers
    // no way to listen.
    virtual bool installHandler(std::function<void()> onPress) = 0;
    virtual void removeHandler() = 0;

    // Claims the combination; replaces an earlier claim of this grabber. False
    // when the desktop refuses it (another program holds it, or the key does
    // not exist on this keyboard); nothing stays claimed then.
    // `presetModifiers` is a hot-key preset's modifier mask
    // (Settings::HotKeyPreset::modifiers()).
    virtual bool grab(quint32 keyCode, quint32 presetModifiers) = 0;
    // Gives the claimed combination back; nothing when none is claimed.
    virtual void ungrab() = 0;
};
