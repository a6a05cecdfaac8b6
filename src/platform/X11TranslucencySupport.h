// SPDX-License-Identifier: MIT
#pragma once

#include "TranslucencySupport.h"

class X11Connection;

// A compositing manager announces itself by owning the selection
// _NET_WM_CM_Sn of the screen n it composites (freedesktop window manager
// hints); this asks the X server who owns it.
class X11TranslucencySupport final : public TranslucencySupport {
public:
    explicit X11TranslucencySupport(X11Connection& connection);

    bool isAvailable() const override;

private:
    X11Connection& m_connection;
    unsigned long m_selection;
};
