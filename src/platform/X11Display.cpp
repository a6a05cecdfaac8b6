// SPDX-License-Identifier: MIT
#include "X11Display.h"

#include <X11/Xlib.h>

bool X11Display::canConnect()
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    XCloseDisplay(display);
    return true;
}
