// SPDX-License-Identifier: MIT
#pragma once

#include <memory>

class X11Connection;

// Whether this program may read other programs' selections and send them
// keystrokes. On X11 any client may, so the answer depends on the session:
// an X server that offers XTEST. A Wayland-only session gives no program
// these powers, and no setting grants them.
class AccessibilityPermission {
public:
    virtual ~AccessibilityPermission() = default;

    virtual bool isTrusted() const = 0;

    // Asks the X server behind `x11`; never trusted without one (null). On a
    // Wayland session with XWayland always trusted: no setting there grants
    // more than the session offers, and the permission step must not keep a
    // user waiting for one; it says what works instead.
    static std::unique_ptr<AccessibilityPermission> createForSession(
        X11Connection* x11, bool wayland = false);
};
