// SPDX-License-Identifier: MIT
#pragma once

#include "HotkeyRegistrar.h"

#include <map>
#include <memory>

class QTimer;
class X11Connection;
typedef union _XEvent XEvent;

// Global shortcuts as passive key grabs on the root window. Each combination
// is grabbed once per state of the lock modifiers (Caps Lock, Num Lock), so
// it fires whichever of them is on.
class X11HotkeyRegistrar final : public HotkeyRegistrar {
public:
    explicit X11HotkeyRegistrar(X11Connection& connection);
    ~X11HotkeyRegistrar() override;
    X11HotkeyRegistrar(const X11HotkeyRegistrar&) = delete;
    X11HotkeyRegistrar& operator=(const X11HotkeyRegistrar&) = delete;

    void installHandler(PressHandler handler) override;
    Result registerHotkey(uint32_t keyCode, uint32_t modifiers, uint32_t id) override;
    void unregisterHotkey(Reference reference) override;
    std::optional<uint32_t> keyCodeForNativeKey(unsigned int nativeScanCode) const override;

private:
    struct Grab {
        unsigned long keysym; // what the key codes are found from again after a layout change
        unsigned int keycode;
        unsigned int modifiers;
        uint32_t id;
    };
    void onEvent(XEvent& event);
    // Grabs every lock variant; the X error of the first refused one, or 0.
    int grab(const Grab& grab);
    void ungrab(const Grab& grab);
    // After a keyboard mapping change: the same keys on their new key codes.
    void regrabAll();
    void watchHeldKey();
    unsigned int readNumLockMask() const;

    X11Connection& m_connection;
    int m_listener = 0;
    PressHandler m_handler;
    std::map<Reference, Grab> m_grabs;
    Reference m_nextReference = 1;
    unsigned int m_numLockMask = 0; // which of Mod1..Mod5 Num Lock is, read again on a mapping change
    unsigned int m_heldKeycode = 0; // the grabbed key currently down, to skip auto-repeat
    // Clears m_heldKeycode once the key is up, for a release that went
    // elsewhere (to a client that grabbed the keyboard meanwhile).
    std::unique_ptr<QTimer> m_heldWatch;
};
