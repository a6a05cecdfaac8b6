// SPDX-License-Identifier: MIT
#pragma once

#include <QPoint>
#include <functional>
#include <memory>

// Reports left and right button presses and wheel steps anywhere on the
// screen, in whichever application they land, with the pointer's global
// position in Qt's (device-independent) coordinates.
class GlobalPointerWatch {
public:
    using Handler = std::function<void(QPoint globalPosition)>;

    virtual ~GlobalPointerWatch() = default;

    // Starts reporting to `handler` (replacing an earlier one); false when
    // the system offers no way to watch.
    virtual bool start(Handler handler) = 0;
    virtual void stop() = 0;

    // XInput2 raw events on an X server; a watch that never starts otherwise.
    static std::unique_ptr<GlobalPointerWatch> createForSession();
};
