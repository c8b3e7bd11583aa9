#pragma once

#include "KeyStroke.h"

#include <QString>

namespace brivello {

// Matches a key press against a hotkey text as the settings store it: modifier glyphs
// ("⌃" Meta, "⌥" Alt, "⇧" Shift, "⌘" Ctrl, in any order, "CMD" for "⌘", blanks ignored)
// followed by a key name, "KeyCode:n" or a character. Letters match their physical key, so a
// hotkey "F" works in a Cyrillic layout. Stateless.
class HotkeyMatcher
{
public:
    static bool matches(const KeyStroke &stroke, const QString &shortcut);
    // The PC keyboard's Delete key (key code 117) for a shortcut whose key is "Delete", the
    // other platform's name for the key in Backspace's place, with the same modifiers. Callers
    // use it only when no shortcut names the key itself ("ForwardDelete").
    static bool matchesDeleteKeyAlias(const KeyStroke &stroke, const QString &shortcut);

    // The key code a named key token stands for ("←", "LEFT", "SPACE", "ПРОБЕЛ", ...), or
    // KeyStroke::kNoKeyCode.
    static quint16 namedKeyCode(const QString &token);
    // The ANSI key code of a Latin letter, or KeyStroke::kNoKeyCode.
    static quint16 letterKeyCode(QChar letter);
    // A hotkey text as a Linux keyboard names it: "⌘⇧Z" shows as "Ctrl+Shift+Z".
    static QString displayText(const QString &shortcut);
};

} // namespace brivello
