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

std::unique_ptr<AccessibilityPermission> AccessibilityPermission::createForSession()
{
    if (X11Connection* connection = X11Connection::shared())
        return std::make_unique<X11AccessibilityPermission>(*connection);
    return std::make_unique<UnavailableAccessibilityPermission>();
}
