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

    // Asks the X server behind `x11`; never trusted without one (null).
    static std::unique_ptr<AccessibilityPermission> createForSession(X11Connection* x11);
};
