#pragma once

#include <QString>
#include <QtGlobal>

class QKeyEvent;

namespace brivello {

// One key press reduced to what hotkeys are matched on: a layout-independent key code (the
// Apple ANSI virtual key numbering, so recorded "KeyCode:n" texts mean the same key on every
// layout), the four modifiers and the typed characters without modifiers. A plain value.
struct KeyStroke
{
    static constexpr quint16 kNoKeyCode = 0xFFFF;
    // The PC keyboard's Delete key; Backspace is 51.
    static constexpr quint16 kForwardDeleteKeyCode = 117;

    quint16 keyCode = kNoKeyCode;
    bool command = false; // Ctrl
    bool option = false;  // Alt
    bool control = false; // Meta (Super)
    bool shift = false;
    QString charactersIgnoringModifiers;

    // The physical key comes from the native scan code (XKB keycode) when the platform gives
    // one, else from the key symbol, with Cyrillic letters mapped to their ЙЦУКЕН positions.
    static KeyStroke fromEvent(const QKeyEvent &event);

    // Key codes of the layout-independent numbering.
    static quint16 keyCodeForScanCode(quint32 xkbKeycode);
    static quint16 keyCodeForQtKey(int qtKey);
    // The key that types `character` on the US layout, shifted or not (letters in either case).
    static quint16 keyCodeForCharacter(QChar character);
    // The character of the US layout on the physical key that carries a Russian letter.
    static QChar usKeyForCyrillic(QChar cyrillic);
};

} // namespace brivello
