// SPDX-License-Identifier: MIT
#pragma once

#include "GlobalPointerWatch.h"
#include "X11GlobalPointerWatch.h"

class X11Connection;
typedef union _XEvent XEvent;

// On a Wayland session, what XWayland learns of the user's clicks: raw
// button events over X11 windows, as on X11, and the window manager moving
// `_NET_ACTIVE_WINDOW` away (to None, or to another program's window). A
// click over a Wayland window reaches no X client; when an X11 window had
// the focus, the change of active window is the only trace of it, reported
// as a press without a position. A click into the Wayland window that
// already has the focus leaves no trace at all.
class XWaylandPointerWatch final : public GlobalPointerWatch {
public:
    explicit XWaylandPointerWatch(X11Connection& connection);
    ~XWaylandPointerWatch() override;

    bool start(Handler handler) override;
    void stop() override;

private:
    void onEvent(XEvent& event);
    unsigned long activeWindow() const;

    X11Connection& m_connection;
    X11GlobalPointerWatch m_clicks;
    unsigned long m_activeAtom;
    unsigned long m_active = 0; // the active window when last read
    int m_listener = 0;
    Handler m_handler;
};
