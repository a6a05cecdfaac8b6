// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

// Translation of the program's key codes (macOS virtual key codes, ANSI
// layout) and Carbon modifier masks into X11 terms.
namespace VirtualKeyMap {

// The X keysym for a virtual key code, or 0 when the key has none here.
unsigned long keysymFor(uint32_t virtualKeyCode);

// The X modifier mask for a Carbon mask: option = Mod1 (Alt),
// control = Control, shift = Shift, command = Mod4 (Super). Other bits are
// dropped.
unsigned int x11ModifiersFor(uint32_t carbonModifiers);

} // namespace VirtualKeyMap
