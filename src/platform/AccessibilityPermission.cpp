// SPDX-License-Identifier: MIT
#include "AccessibilityPermission.h"

#include "X11AccessibilityPermission.h"
#include "X11Connection.h"

namespace {

class FixedAccessibilityPermission final : public AccessibilityPermission {
public:
    explicit FixedAccessibilityPermission(bool trusted)
        : m_trusted(trusted)
    {
    }
    bool isTrusted() const override { return m_trusted; }

private:
    bool m_trusted;
};

} // namespace

std::unique_ptr<AccessibilityPermission> AccessibilityPermission::createForSession(
    X11Connection* x11, bool wayland)
{
    if (x11 && wayland)
        return std::make_unique<FixedAccessibilityPermission>(true);
    if (x11)
        return std::make_unique<X11AccessibilityPermission>(*x11);
    return std::make_unique<FixedAccessibilityPermission>(false);
}
