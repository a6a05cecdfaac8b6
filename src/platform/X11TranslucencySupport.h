// SPDX-License-Identifier: MIT
#pragma once

#include "TranslucencySupport.h"

class X11Connection;
union _XEvent;

// A compositing manager announces itself by owning the selection
// _NET_WM_CM_Sn of the screen n it composites (freedesktop window manager
// hints). The server reports every change of that owner (XFixes), so asking
// costs no round trip to the server on the way to a popup.
class X11TranslucencySupport final : public TranslucencySupport {
public:
    explicit X11TranslucencySupport(X11Connection& connection);
    ~X11TranslucencySupport() override;
    bool isAvailable() const override;

private:
    bool isOwnerChange(const _XEvent& event) const;
    void follow(const _XEvent& event) const;

    X11Connection& m_connection;
    unsigned long m_selection;
    int m_fixesEventBase = -1; // -1: no XFixes, so the server is asked every time
    int m_listener = 0;
    mutable bool m_available = false; // as the latest change reported
};
