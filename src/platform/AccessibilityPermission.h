// SPDX-License-Identifier: MIT
#pragma once

#include <memory>

// Whether this program may read other programs' selections and send them
// keystrokes. On X11 any client may, so the answer depends on the session:
// an X server that offers XTEST. A Wayland-only session gives no program
// these powers, and no setting grants them.
class AccessibilityPermission {
public:
    virtual ~AccessibilityPermission() = default;

    virtual bool isTrusted() const = 0;

    static std::unique_ptr<AccessibilityPermission> createForSession();
};
