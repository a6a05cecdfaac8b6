// SPDX-License-Identifier: MIT
#include "AccessibilityPermission.h"

#include "X11AccessibilityPermission.h"
#include "X11Connection.h"

namespace {

class UnavailableAccessibilityPermission final : public AccessibilityPermission {
public:
    bool isTrusted() const override { return false; }
};

} // namespace

std::unique_ptr<AccessibilityPermission> AccessibilityPermission::createForSession(X11Connection* x11)
{
    if (x11)
        return std::make_unique<X11AccessibilityPermission>(*x11);
    return std::make_unique<UnavailableAccessibilityPermission>();
}
