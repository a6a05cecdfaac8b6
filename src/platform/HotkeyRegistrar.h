// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "DisplaySession.h"

class X11Connection;
struct DesktopShortcutGuide;

// Registers system-wide key combinations and reports their presses.
// Key codes are macOS-style virtual key codes and modifiers Carbon masks, as
// the settings store them; an implementation translates them for its system.
class HotkeyRegistrar {
public:
    using Reference = std::uintptr_t; // 0 is no registration
    using PressHandler = std::function<void(uint32_t id)>;
    // The registration `id` now has the key code `keyCode` with the Carbon
    // modifiers `modifiers`, set outside the program (KDE's System Settings).
    using ChangeHandler = std::function<void(uint32_t id, uint32_t keyCode, uint32_t modifiers)>;

    struct Result {
        int32_t status = 0; // 0 when registered
        Reference reference = 0;
    };

    // Statuses, with the values of the Carbon errors they correspond to.
    static constexpr int32_t statusInvalidCombination = -50; // paramErr
    static constexpr int32_t statusTaken = -9878; // eventHotKeyExistsErr
    static constexpr int32_t statusUnavailable = -9870; // no system to register with
    // The desktop assigns global shortcuts only in its own settings; see desktopGuide().
    static constexpr int32_t statusBindInDesktopSettings = -9871;

    virtual ~HotkeyRegistrar() = default;

    // Sets the function that receives the id of every registered combination
    // pressed. Presses may arrive inside the event loop's dispatch.
    virtual void installHandler(PressHandler handler) = 0;
    // Sets the function told of a combination the desktop's own settings
    // gave one of the registrations; a registrar whose system has no such
    // settings never calls it.
    virtual void installChangeHandler(ChangeHandler) { }
    virtual Result registerHotkey(uint32_t keyCode, uint32_t modifiers, uint32_t id) = 0;
    virtual void unregisterHotkey(Reference reference) = 0;
    // The key code a native key event's scan code names, read through the
    // current layout without modifiers (Shift+1 is the "1" key); none for a
    // key the shortcuts cannot use.
    virtual std::optional<uint32_t> keyCodeForNativeKey(unsigned int nativeScanCode) const = 0;
    // On a Wayland session, what the desktop's own settings have to do with
    // the shortcuts (how to bind them there, for a registrar that refuses
    // with statusBindInDesktopSettings); null on X11.
    virtual const DesktopShortcutGuide* desktopGuide() const { return nullptr; }

    // On an X11 session: key grabs on `x11`; without an X server (null), one
    // that refuses every registration. On a Wayland session: KDE's shortcut
    // service when it runs, since key grabs through XWayland never fire over
    // a Wayland window; otherwise one that refuses and says how to bind the
    // commands in the desktop's settings instead.
    static std::unique_ptr<HotkeyRegistrar> createForSession(
        X11Connection* x11, const DisplaySession& session = {});
};
