// SPDX-License-Identifier: MIT
#include "X11Display.h"

#include <QGuiApplication>
#include <xcb/xcb.h>

bool X11Display::canConnect()
{
    // Through xcb: Xlib's first connection sets up far more than this asks,
    // and it is on the way to the tray icon.
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool connected = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return connected;
}

void X11Display::flushQt()
{
    if (const auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr)
        xcb_flush(x11->connection());
}
