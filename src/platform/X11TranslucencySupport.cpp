// SPDX-License-Identifier: MIT
#include "X11TranslucencySupport.h"

#include "X11Connection.h"

#include <X11/Xlib.h>
#include <string>

X11TranslucencySupport::X11TranslucencySupport(X11Connection& connection)
    : m_connection(connection)
{
    Display* display = connection.display();
    const std::string name = "_NET_WM_CM_S" + std::to_string(DefaultScreen(display));
    m_selection = XInternAtom(display, name.c_str(), False);
}

bool X11TranslucencySupport::isAvailable() const
{
    return XGetSelectionOwner(m_connection.display(), m_selection) != None;
}
