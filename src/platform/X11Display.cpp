// SPDX-License-Identifier: MIT
#include "X11Display.h"

#include <QGuiApplication>
#include <X11/Xlib.h>
#include <xcb/xcb.h>

bool X11Display::canConnect()
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    XCloseDisplay(display);
    return true;
}

void X11Display::flushQt()
{
    if (const auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr)
        xcb_flush(x11->connection());
}
