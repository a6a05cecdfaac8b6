// SPDX-License-Identifier: MIT
#pragma once

#include <memory>

class X11Connection;

// Whether this desktop blends windows that have an alpha channel with what
// lies below them, which takes a compositing manager. Without one, a
// transparent pixel shows as black, so a translucent window must fall back
// to an opaque one.
class TranslucencySupport {
public:
    virtual ~TranslucencySupport() = default;

    // Asked afresh each time: a compositor can start or stop at any moment.
    virtual bool isAvailable() const = 0;

    // X11: whether a compositing manager holds the screen's _NET_WM_CM_Sn
    // selection, asked on `x11`. Without an X server (null), never available.
    static std::unique_ptr<TranslucencySupport> createForSession(X11Connection* x11);
};
