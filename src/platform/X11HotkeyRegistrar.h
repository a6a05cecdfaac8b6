// SPDX-License-Identifier: MIT
#pragma once

#include "HotkeyRegistrar.h"

#include <map>

class X11Connection;
typedef union _XEvent XEvent;

// Global shortcuts as passive key grabs on the root window. Each combination
// is grabbed once per state of the lock modifiers (Caps Lock, Num Lock), so
// it fires whichever of them is on.
class X11HotkeyRegistrar final : public HotkeyRegistrar {
public:
    explicit X11HotkeyRegistrar(X11Connection& connection);
    ~X11HotkeyRegistrar() override;

    void installHandler(PressHandler handler) override;
    Result registerHotkey(uint32_t keyCode, uint32_t modifiers, uint32_t id) override;
    void unregisterHotkey(Reference reference) override;

private:
    struct Grab {
        unsigned int keycode;
        unsigned int modifiers;
        uint32_t id;
    };
    void onEvent(XEvent& event);
    void ungrab(const Grab& grab);
    unsigned int readNumLockMask() const;

    X11Connection& m_connection;
    int m_listener = 0;
    PressHandler m_handler;
    std::map<Reference, Grab> m_grabs;
    Reference m_nextReference = 1;
    unsigned int m_numLockMask = 0; // which of Mod1..Mod5 Num Lock is, read again on a mapping change
    unsigned int m_heldKeycode = 0; // the grabbed key currently down, to skip auto-repeat
};
