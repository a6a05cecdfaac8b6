// SPDX-License-Identifier: MIT
#pragma once

#include <memory>

class X11Connection;

// The short alert sound that answers an action with nothing to act on (a key
// that cannot be a shortcut, a refine press with nothing selected). Never
// blocks the caller for longer than handing the sound over takes.
class Beeper {
public:
    virtual ~Beeper() = default;

    virtual void beep() = 0;

    // The desktop's sound theme "bell" event, with the X bell on `x11` (may
    // be null) when no sound can be played; silent where neither exists.
    static std::unique_ptr<Beeper> createForSession(X11Connection* x11);
};
