// SPDX-License-Identifier: MIT
#pragma once

#include <QPoint>
#include <functional>
#include <memory>
#include <optional>

class X11Connection;

// Reports left and right button presses and wheel steps anywhere on the
// screen, in whichever application they land, with the pointer's global
// position in Qt's (device-independent) coordinates; without one for a
// press the system only lets it infer (a click over a Wayland window).
class GlobalPointerWatch {
public:
    using Handler = std::function<void(std::optional<QPoint> globalPosition)>;

    virtual ~GlobalPointerWatch() = default;

    // Starts reporting to `handler` (replacing an earlier one); false when
    // the system offers no way to watch.
    virtual bool start(Handler handler) = 0;
    virtual void stop() = 0;

    // XInput2 raw events on `x11`, on a Wayland session with XWayland's
    // active-window changes; a watch that never starts without `x11`.
    static std::unique_ptr<GlobalPointerWatch> createForSession(X11Connection* x11, bool wayland);
};
