// SPDX-License-Identifier: MIT
#include "X11GlobalPointerWatch.h"

#include "X11Connection.h"

#include <QGuiApplication>

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <cstring>

X11GlobalPointerWatch::X11GlobalPointerWatch(X11Connection& connection)
    : m_connection(connection)
{
    Display* display = m_connection.display();
    int event = 0, error = 0, opcode = 0;
    if (!XQueryExtension(display, "XInputExtension", &opcode, &event, &error))
        return;
    int major = 2, minor = 2;
    if (XIQueryVersion(display, &major, &minor) != Success || major < 2 || (major == 2 && minor < 2))
        return;
    m_opcode = opcode;
}

X11GlobalPointerWatch::~X11GlobalPointerWatch()
{
    stop();
}

bool X11GlobalPointerWatch::start(Handler handler)
{
    if (m_opcode < 0)
        return false;
    m_handler = std::move(handler);
    if (!m_listener) {
        m_listener = m_connection.addListener([this](XEvent& event) { onEvent(event); });
        select(true);
    }
    return true;
}

void X11GlobalPointerWatch::stop()
{
    if (!m_listener)
        return;
    select(false);
    m_connection.removeListener(m_listener);
    m_listener = 0;
    m_handler = nullptr;
}

void X11GlobalPointerWatch::select(bool on)
{
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    if (on)
        XISetMask(bits, XI_RawButtonPress);
    // Master devices only: with all devices every click would come twice.
    XIEventMask mask { XIAllMasterDevices, int(sizeof bits), bits };
    m_connection.trapErrors(
        [&] { XISelectEvents(m_connection.display(), Window(m_connection.rootWindow()), &mask, 1); });
}

void X11GlobalPointerWatch::onEvent(XEvent& event)
{
    XGenericEventCookie& cookie = event.xcookie;
    if (cookie.type != GenericEvent || cookie.extension != m_opcode || cookie.evtype != XI_RawButtonPress)
        return;
    Display* display = m_connection.display();
    if (!XGetEventData(display, &cookie))
        return;
    const int button = static_cast<XIRawEvent*>(cookie.data)->detail;
    XFreeEventData(display, &cookie);
    // Left (1), right (3) and the wheel's steps (4 to 7); the middle button
    // pastes and the side buttons navigate, neither means "elsewhere".
    if (button != 1 && button != 3 && (button < 4 || button > 7))
        return;

    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned int state = 0;
    XQueryPointer(display, Window(m_connection.rootWindow()), &root, &child, &rootX, &rootY, &x, &y, &state);
    // A copy: the handler may stop the watch, which drops m_handler.
    // The server counts device pixels; Qt's global positions are scaled.
    const qreal scale = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    if (Handler handler = m_handler)
        handler((QPointF(rootX, rootY) / scale).toPoint());
}
