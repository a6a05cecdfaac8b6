// SPDX-License-Identifier: MIT
#include "DesktopSession.h"

#include "X11Connection.h"

#include <X11/Xlib.h>
#include <string>

bool DesktopSession::isComposited()
{
    X11Connection* connection = X11Connection::shared();
    if (!connection)
        return true; // not X11: Wayland compositors always composite
    Display* display = connection->display();
    const std::string name = "_NET_WM_CM_S" + std::to_string(DefaultScreen(display));
    const Atom selection = XInternAtom(display, name.c_str(), False);
    return XGetSelectionOwner(display, selection) != 0;
}
