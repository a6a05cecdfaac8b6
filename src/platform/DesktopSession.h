// SPDX-License-Identifier: MIT
#pragma once

// Facts about the running desktop that decide how windows can be drawn.
namespace DesktopSession {

// True when a compositing manager runs, so a window's transparent pixels
// show what is behind it; without one they come out black.
bool isComposited();

} // namespace DesktopSession
