// SPDX-License-Identifier: MIT
#pragma once

#include "AccessibilityPermission.h"

#include <optional>

class X11Connection;

// Trusted when the X server offers XTEST, without which no keystroke can be
// synthesised (selections can be read on any X server). An X server's
// extensions do not change while we are connected, so the server is asked
// once; a caller may poll this at no cost.
class X11AccessibilityPermission final : public AccessibilityPermission {
public:
    explicit X11AccessibilityPermission(X11Connection& connection);

    bool isTrusted() const override;

private:
    X11Connection& m_connection;
    mutable std::optional<bool> m_trusted;
};
