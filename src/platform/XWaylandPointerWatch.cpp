// SPDX-License-Identifier: MIT
#include "XWaylandPointerWatch.h"

#include "X11Connection.h"
#include "X11Property.h"

#include <QGuiApplication>
#include <QWindow>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <cstring>

XWaylandPointerWatch::XWaylandPointerWatch(X11Connection& connection)
    : m_connection(connection)
    , m_clicks(connection)
    , m_activeAtom(XInternAtom(connection.display(), "_NET_ACTIVE_WINDOW", False))
{
}

XWaylandPointerWatch::~XWaylandPointerWatch()
{
    stop();
}

bool XWaylandPointerWatch::start(Handler handler)
{
    m_clicks.start(handler);
    m_handler = std::move(handler);
    if (!m_listener) {
        m_listener = m_connection.addListener([this](XEvent& event) { onEvent(event); });
        // This connection selects nothing else on the root window.
        m_connection.trapErrors([&] {
            XSelectInput(m_connection.display(), Window(m_connection.rootWindow()), PropertyChangeMask);
        });
    }
    m_active = activeWindow();
    return true;
}

void XWaylandPointerWatch::stop()
{
    m_clicks.stop();
    if (!m_listener)
        return;
    m_connection.trapErrors(
        [&] { XSelectInput(m_connection.display(), Window(m_connection.rootWindow()), NoEventMask); });
    m_connection.removeListener(m_listener);
    m_listener = 0;
    m_handler = nullptr;
}

unsigned long XWaylandPointerWatch::activeWindow() const
{
    unsigned long window = 0;
    m_connection.trapErrors([&] {
        const std::optional<X11Property::Value> value = X11Property::read(
            m_connection.display(), m_connection.rootWindow(), m_activeAtom, false, sizeof(quint32));
        if (value && value->type == XA_WINDOW && value->format == 32 && value->data.size() >= 4) {
            quint32 id = 0;
            std::memcpy(&id, value->data.constData(), sizeof id);
            window = id;
        }
    });
    return window;
}

void XWaylandPointerWatch::onEvent(XEvent& event)
{
    if (event.type != PropertyNotify || event.xproperty.atom != m_activeAtom
        || event.xproperty.window != Window(m_connection.rootWindow()))
        return;
    const unsigned long active = activeWindow();
    if (active == m_active)
        return;
    m_active = active;
    // Our own windows taking the focus (quick translate) is no click elsewhere.
    for (const QWindow* window : QGuiApplication::allWindows()) {
        if (active && window->handle() && window->winId() == active)
            return;
    }
    // A copy: the handler may stop the watch, which drops m_handler.
    if (Handler handler = m_handler)
        handler(std::nullopt);
}
