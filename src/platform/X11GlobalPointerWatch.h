// SPDX-License-Identifier: MIT
#pragma once

#include "GlobalPointerWatch.h"

class X11Connection;
typedef union _XEvent XEvent;

// Raw button events of the master devices, selected on the root window: they
// arrive whatever window is under the pointer and whoever holds a grab. Raw
// events carry no position, so the pointer is queried when one comes in.
class X11GlobalPointerWatch final : public GlobalPointerWatch {
public:
    explicit X11GlobalPointerWatch(X11Connection& connection);
    ~X11GlobalPointerWatch() override;

    bool start(Handler handler) override;
    void stop() override;

private:
    void onEvent(XEvent& event);
    void select(bool on);

    X11Connection& m_connection;
    int m_opcode = -1; // XInputExtension's major opcode, -1 when the server has no XInput 2.2
    int m_listener = 0;
    Handler m_handler;
};
