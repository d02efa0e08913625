#pragma once

#include <QString>

// What a person reads for a key combination: the modifier glyphs of the
// catalog and the hot-key labels (⌥ ⌃ ⇧ ⌘) become the words a Linux keyboard
// says (Alt, Ctrl, Shift, Super), joined to the key they hold with "+".
// Applied where a text is shown, never to what is stored or looked up.
class KeyWords
{
public:
    // "⌥ Space to open" -> "Alt+Space to open", "⌘ ⇧ Space" ->
    // "Super+Shift+Space", "⌥スペース" -> "Alt+スペース". A glyph with no key
    // after it stands as its word alone. Text without glyphs is returned as is.
    static QString forDisplay(const QString &text);

    KeyWords() = delete;
};
