// SPDX-License-Identifier: MIT
#include "X11ClientIdentity.h"

#include "X11Connection.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
// The connection's resource id mask, which the server gives every client alike.
#include <X11/Xlibint.h>
#include <X11/extensions/XRes.h>
#include <unistd.h>

bool X11ClientIdentity::Client::isThisProcess() const
{
    return pid == long(::getpid());
}

bool X11ClientIdentity::Client::sameProgram(const Client& other) const
{
    return base == other.base || (pid > 0 && pid == other.pid);
}

std::optional<X11ClientIdentity::Client> X11ClientIdentity::ofWindow(
    X11Connection& connection, unsigned long window)
{
    return ofWindows(connection, { window }).front();
}

std::vector<std::optional<X11ClientIdentity::Client>> X11ClientIdentity::ofWindows(
    X11Connection& connection, const std::vector<unsigned long>& windows)
{
    std::vector<std::optional<Client>> clients(windows.size());
    Display* display = connection.display();
    int eventBase = 0;
    int errorBase = 0;
    if (windows.empty() || !XResQueryExtension(display, &eventBase, &errorBase))
        return clients;
    std::vector<XResClientIdSpec> specs;
    for (const unsigned long window : windows)
        specs.push_back({ window, XRES_CLIENT_ID_XID_MASK | XRES_CLIENT_ID_PID_MASK });
    long count = 0;
    XResClientIdValue* values = nullptr;
    Status status = 0;
    connection.trapErrors(
        [&] { status = XResQueryClientIds(display, long(specs.size()), specs.data(), &count, &values); });
    if (status != Success || !values)
        return clients;
    // Every value names the client it describes by its id base, the part
    // of its windows' ids that the server's id mask leaves out; a window
    // whose client is gone gets no value at all.
    const unsigned long idMask = display->resource_mask;
    for (size_t w = 0; w < windows.size(); ++w) {
        const unsigned long base = windows[w] & ~idMask;
        for (long i = 0; i < count; ++i) {
            if (values[i].spec.client != base)
                continue;
            if (!clients[w])
                clients[w] = Client { base, -1 };
            if (values[i].spec.mask & XRES_CLIENT_ID_PID_MASK)
                clients[w]->pid = long(XResGetClientPid(&values[i]));
        }
    }
    XResClientIdsDestroy(count, values);
    return clients;
}

namespace {

// A window-valued property of `window`; 0 when it has none.
unsigned long windowProperty(Display* display, unsigned long window, const char* name)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    unsigned long value = 0;
    if (XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, 1, False, XA_WINDOW, &type,
            &format, &count, &after, &data)
            == Success
        && data) {
        if (type == XA_WINDOW && format == 32 && count == 1)
            value = *reinterpret_cast<const unsigned long*>(data);
        XFree(data);
    }
    return value;
}

} // namespace

unsigned long X11ClientIdentity::managedActiveWindow(X11Connection& connection)
{
    Display* display = connection.display();
    unsigned long active = 0;
    connection.trapErrors([&] {
        // The root's _NET_ACTIVE_WINDOW outlives its window manager, and a
        // stale id may by now lie in another client's range: believe it only
        // while the manager's check window still names itself.
        const unsigned long check
            = windowProperty(display, connection.rootWindow(), "_NET_SUPPORTING_WM_CHECK");
        if (check && windowProperty(display, check, "_NET_SUPPORTING_WM_CHECK") == check)
            active = windowProperty(display, connection.rootWindow(), "_NET_ACTIVE_WINDOW");
    });
    return active;
}

unsigned long X11ClientIdentity::activeWindow(X11Connection& connection)
{
    if (const unsigned long active = managedActiveWindow(connection))
        return active;
    Display* display = connection.display();
    Window focus = None;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    return focus == None || focus == PointerRoot ? 0 : focus;
}
