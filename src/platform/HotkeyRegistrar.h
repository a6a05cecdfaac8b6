// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class X11Connection;

// Registers system-wide key combinations and reports their presses.
// Key codes are macOS-style virtual key codes and modifiers Carbon masks, as
// the settings store them; an implementation translates them for its system.
class HotkeyRegistrar {
public:
    using Reference = std::uintptr_t; // 0 is no registration
    using PressHandler = std::function<void(uint32_t id)>;

    struct Result {
        int32_t status = 0; // 0 when registered
        Reference reference = 0;
    };

    // Statuses, with the values of the Carbon errors they correspond to.
    static constexpr int32_t statusInvalidCombination = -50; // paramErr
    static constexpr int32_t statusTaken = -9878; // eventHotKeyExistsErr
    static constexpr int32_t statusUnavailable = -9870; // no system to register with

    virtual ~HotkeyRegistrar() = default;

    // Sets the function that receives the id of every registered combination
    // pressed. Presses may arrive inside the event loop's dispatch.
    virtual void installHandler(PressHandler handler) = 0;
    virtual Result registerHotkey(uint32_t keyCode, uint32_t modifiers, uint32_t id) = 0;
    virtual void unregisterHotkey(Reference reference) = 0;
    // The key code a native key event's scan code names, read through the
    // current layout without modifiers (Shift+1 is the "1" key); none for a
    // key the shortcuts cannot use.
    virtual std::optional<uint32_t> keyCodeForNativeKey(unsigned int nativeScanCode) const = 0;

    // Key grabs on `x11`; without an X server (null), one that refuses every
    // registration.
    static std::unique_ptr<HotkeyRegistrar> createForSession(X11Connection* x11);
};
