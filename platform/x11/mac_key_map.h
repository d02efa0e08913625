#pragma once

#include <QtGlobal>

// macOS virtual key codes (the codes stored in presets and carried by trigger
// events) against X keysyms. Only keys with a fixed meaning are mapped: the
// letters, digits and punctuation of the US layout, the function keys, the
// editing and arrow keys and the modifiers.
namespace MacKeyMap {

// The keysym of a macOS key code; 0 when the key has none here.
quint32 keysymForKeyCode(quint32 macKeyCode);
// The macOS key code of a keysym; -1 when none.
qint64 keyCodeForKeysym(quint32 keysym);

// The modifier keys (Command 55/54, Shift 56/60, Caps Lock 57, Option 58/61,
// Control 59/62, Function 63) and the flag of the event-tap layout each one
// holds down; 0 for other keys and for Caps Lock, which locks instead.
bool isModifierKeyCode(qint64 macKeyCode);
quint64 modifierFlagForKeyCode(qint64 macKeyCode);

} // namespace MacKeyMap
