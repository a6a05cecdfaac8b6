// SPDX-License-Identifier: MIT
#pragma once

// Whether an X server can be reached at all, asked before anything of Qt's
// connects: Qt's own X11 platform aborts the process when it cannot.
namespace X11Display {

// True when the display named by $DISPLAY accepts a connection.
bool canConnect();

// Sends what Qt has queued for the X server at once rather than when the
// event loop next runs: a window shown during start-up is then mapped while
// the rest of the program is still being built.
void flushQt();

} // namespace X11Display
