// SPDX-License-Identifier: MIT
#pragma once

#include "AccessibilityPermission.h"

class X11Connection;

// Trusted when the X server offers XTEST, without which no keystroke can be
// synthesised (selections can be read on any X server).
class X11AccessibilityPermission final : public AccessibilityPermission {
public:
    explicit X11AccessibilityPermission(X11Connection& connection);

    bool isTrusted() const override;

private:
    X11Connection& m_connection;
};
