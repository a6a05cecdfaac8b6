// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <cstdint>
#include <optional>

class X11Connection;

// The program's key codes (macOS virtual key codes, ANSI layout) and Carbon
// modifier masks in X11 terms, both ways: the registrar turns a stored code
// into a keysym to grab, the shortcut recorder turns a pressed key back into
// the code to store. One table serves both.
namespace VirtualKeyMap {

// The X keysym for a virtual key code, or 0 when the key has none here.
unsigned long keysymFor(uint32_t virtualKeyCode);

// The virtual key code of a keysym of the table (a key's unshifted keysym:
// "k", not "K"), or none.
std::optional<uint32_t> virtualKeyFor(unsigned long keysym);

// The virtual key code of the physical key an X key code names, read through
// the current layout's first group without modifiers, so Shift+1 is the "1"
// key. None for a key outside the table.
std::optional<uint32_t> virtualKeyForX11Keycode(X11Connection& x11, unsigned int x11Keycode);

// The character the key types unshifted, upper-cased ("K", "1", "/"); empty
// for a key that types none (arrows, function keys, Space...).
QString characterFor(uint32_t virtualKeyCode);

// The X modifier mask for a Carbon mask: option = Mod1 (Alt),
// control = Control, shift = Shift, command = Mod4 (Super). Other bits are
// dropped.
unsigned int x11ModifiersFor(uint32_t carbonModifiers);

// The combination as one Qt key code with its modifier bits (Qt::ALT |
// Qt::Key_T), the form KDE's shortcut service stores; 0 when the key has no
// Qt name here.
int qtKeyCombinationFor(uint32_t virtualKeyCode, uint32_t carbonModifiers);

struct Combination {
    uint32_t virtualKeyCode = 0;
    uint32_t carbonModifiers = 0;
};
// The other way: a Qt key code with its modifier bits as the virtual key
// code and Carbon mask; none for a key outside the table.
std::optional<Combination> combinationForQtKey(int qtKeyCombination);

} // namespace VirtualKeyMap
