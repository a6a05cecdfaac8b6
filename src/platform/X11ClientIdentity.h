// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <vector>

class X11Connection;

// Which program an X window belongs to, through the server's X-Resource
// extension: the client (connection) that created the window, and that
// client's process where the server knows it.
namespace X11ClientIdentity {

struct Client {
    unsigned long base = 0; // the client's resource id base
    long pid = -1; // -1 when unknown (a remote client)

    bool isThisProcess() const;
    // The same connection, or two connections of one process.
    bool sameProgram(const Client& other) const;
};

// Nothing when the window is gone or the server has no X-Resource extension.
std::optional<Client> ofWindow(X11Connection& connection, unsigned long window);
// The clients of several windows in one request to the server.
std::vector<std::optional<Client>> ofWindows(
    X11Connection& connection, const std::vector<unsigned long>& windows);

// The window the user works in: the window manager's active window, else
// the window with the input focus; 0 when neither is known.
unsigned long activeWindow(X11Connection& connection);
// The window manager's active window alone; 0 when none is named. Through
// XWayland that is an X11 window with the focus, never a Wayland one.
unsigned long managedActiveWindow(X11Connection& connection);

} // namespace X11ClientIdentity
