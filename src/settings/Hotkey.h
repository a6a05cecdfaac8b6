// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <cstdint>

// A global key combination: a macOS-style virtual key code and a Carbon
// modifier mask. The platform layer translates both for the X server; the
// settings file and the rest of the program keep these values.
struct Hotkey {
    static constexpr uint32_t commandMask = 256;
    static constexpr uint32_t shiftMask = 512;
    static constexpr uint32_t optionMask = 2048;
    static constexpr uint32_t controlMask = 4096;

    uint32_t keyCode = 0;
    uint32_t carbonModifiers = 0;
    QString keyLabel;

    // Modifier glyphs in the fixed order control, option, shift, command, each
    // followed by one space, then the key label.
    QString label() const;
    // The combination as printed on a PC keyboard, for everything the user
    // reads: "Alt+T", "Ctrl+Alt+Shift+K", "Super+↑".
    QString displayLabel() const;

    friend bool operator==(const Hotkey&, const Hotkey&) = default;
};
