// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <memory>

class X11Connection;

// Takes the Escape key from every application while held. A selection popup
// never has the keyboard focus (the source application keeps it), so without
// this Escape would go to that application and never close the popup.
class EscapeGrab {
public:
    using PressHandler = std::function<void()>;

    virtual ~EscapeGrab() = default;

    // Grabs Escape, whichever lock modifiers are on, and reports each press
    // to `onPress` until release(); a grab already held is replaced. False
    // when Escape cannot be had (no X server, another client grabs it).
    virtual bool grab(PressHandler onPress) = 0;
    // Gives Escape back to whichever application has the focus.
    virtual void release() = 0;

    // A grab through a hotkey registrar of its own: X11 key grabs on the root
    // window of `x11`, never granted without an X server (null).
    static std::unique_ptr<EscapeGrab> createForSession(X11Connection* x11);
};
