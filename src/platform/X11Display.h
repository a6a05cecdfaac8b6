// SPDX-License-Identifier: MIT
#pragma once

// Whether an X server can be reached at all, asked before anything of Qt's
// connects: Qt's own X11 platform aborts the process when it cannot.
namespace X11Display {

// True when the display named by $DISPLAY accepts a connection.
bool canConnect();

} // namespace X11Display
