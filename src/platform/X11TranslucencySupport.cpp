// SPDX-License-Identifier: MIT
#include "X11TranslucencySupport.h"

#include "X11Connection.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>
#include <string>

X11TranslucencySupport::X11TranslucencySupport(X11Connection& connection)
    : m_connection(connection)
{
    Display* display = connection.display();
    const std::string name = "_NET_WM_CM_S" + std::to_string(DefaultScreen(display));
    m_selection = XInternAtom(display, name.c_str(), False);
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    if (XFixesQueryExtension(display, &eventBase, &errorBase)
        && XFixesQueryVersion(display, &major, &minor)) {
        m_fixesEventBase = eventBase;
        XFixesSelectSelectionInput(display, connection.rootWindow(), m_selection,
            XFixesSetSelectionOwnerNotifyMask | XFixesSelectionWindowDestroyNotifyMask
                | XFixesSelectionClientCloseNotifyMask);
        m_listener = connection.addListener([this](XEvent& event) {
            if (isOwnerChange(event))
                follow(event);
        });
    }
    // Read after the watch is in place, so that no change falls in between.
    m_available = XGetSelectionOwner(display, m_selection) != None;
}

X11TranslucencySupport::~X11TranslucencySupport()
{
    if (m_listener)
        m_connection.removeListener(m_listener);
}

bool X11TranslucencySupport::isOwnerChange(const XEvent& event) const
{
    return m_fixesEventBase >= 0 && event.type == m_fixesEventBase + XFixesSelectionNotify
        && reinterpret_cast<const XFixesSelectionNotifyEvent&>(event).selection == m_selection;
}

void X11TranslucencySupport::follow(const XEvent& event) const
{
    const auto& change = reinterpret_cast<const XFixesSelectionNotifyEvent&>(event);
    // A closed client or destroyed window leaves the selection without owner.
    m_available = change.subtype == XFixesSetSelectionOwnerNotify && change.owner != None;
}

bool X11TranslucencySupport::isAvailable() const
{
    Display* display = m_connection.display();
    if (m_fixesEventBase < 0)
        return XGetSelectionOwner(display, m_selection) != None;
    // Changes already sent but not yet dispatched by the event loop: taken
    // out of the stream here, every other event left where it is.
    XEvent event;
    while (XCheckIfEvent(
        display, &event,
        [](Display*, XEvent* candidate, XPointer support) -> Bool {
            return reinterpret_cast<const X11TranslucencySupport*>(support)->isOwnerChange(*candidate);
        },
        reinterpret_cast<XPointer>(const_cast<X11TranslucencySupport*>(this))))
        follow(event);
    return m_available;
}
