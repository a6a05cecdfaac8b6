// SPDX-License-Identifier: MIT
#pragma once

#include <QPoint>
#include <QRect>
#include <memory>
#include <optional>

class X11Connection;

// What a new popup can be placed by: the pointer as the X server reports it,
// and the window with the focus. Through XWayland the pointer's position is
// current only while it is over an X11 window; over a Wayland window it is
// where the pointer last left one.
class PointerLocator {
public:
    struct Reading {
        QPoint pointer; // global, device-independent pixels
        bool pointerIsLive = true; // known to be current (always on X11)
        std::optional<QRect> focusedWindow; // the focused X11 window on a Wayland session, where one has it
    };

    virtual ~PointerLocator() = default;
    virtual Reading read() const = 0;

    // On a Wayland session `x11` is XWayland's; without one (null), the
    // pointer Qt reports, taken as live.
    static std::unique_ptr<PointerLocator> createForSession(X11Connection* x11, bool wayland);
};
