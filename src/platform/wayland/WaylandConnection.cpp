// SPDX-License-Identifier: MIT
#include "WaylandConnection.h"

#include <QAbstractEventDispatcher>
#include <QDeadlineTimer>
#include <QSocketNotifier>
#include <algorithm>
#include <cstring>
#include <poll.h>
#include <wayland-client.h>

std::unique_ptr<WaylandConnection> WaylandConnection::open()
{
    wl_display* display = wl_display_connect(nullptr);
    if (!display)
        return nullptr;
    std::unique_ptr<WaylandConnection> connection(new WaylandConnection(display));
    // The globals, then the seat's bind answered.
    if (!connection->roundtrip())
        return nullptr;
    if (const auto seat = std::find_if(connection->m_globals.begin(), connection->m_globals.end(),
            [](const Global& global) { return global.interface == "wl_seat"; });
        seat != connection->m_globals.end())
        connection->m_seat = static_cast<wl_seat*>(
            wl_registry_bind(connection->m_registry, seat->name, &wl_seat_interface, 1));
    if (!connection->roundtrip())
        return nullptr;
    return connection;
}

WaylandConnection::WaylandConnection(wl_display* display)
    : m_display(display)
{
    static const wl_registry_listener listener
        = { &WaylandConnection::onGlobal, &WaylandConnection::onGlobalRemove };
    m_registry = wl_display_get_registry(m_display);
    wl_registry_add_listener(m_registry, &listener, this);
    m_notifier = new QSocketNotifier(wl_display_get_fd(m_display), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &WaylandConnection::readAndDispatch);
    // Requests made during a turn of the loop go out before it sleeps.
    if (auto* dispatcher = QAbstractEventDispatcher::instance())
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, [this] {
            wl_display_dispatch_pending(m_display);
            flush();
        });
}

WaylandConnection::~WaylandConnection()
{
    delete m_notifier;
    if (m_seat)
        wl_seat_destroy(m_seat);
    wl_registry_destroy(m_registry);
    wl_display_disconnect(m_display);
}

void WaylandConnection::onGlobal(
    void* data, wl_registry*, uint32_t name, const char* interface, uint32_t version)
{
    static_cast<WaylandConnection*>(data)->m_globals.push_back({ name, QByteArray(interface), version });
}

void WaylandConnection::onGlobalRemove(void* data, wl_registry*, uint32_t name)
{
    auto& globals = static_cast<WaylandConnection*>(data)->m_globals;
    std::erase_if(globals, [name](const Global& global) { return global.name == name; });
}

void* WaylandConnection::bind(const wl_interface* interface, uint32_t version)
{
    for (const Global& global : m_globals) {
        if (global.interface == interface->name)
            return wl_registry_bind(m_registry, global.name, interface, std::min(version, global.version));
    }
    return nullptr;
}

void WaylandConnection::flush()
{
    wl_display_flush(m_display);
}

void WaylandConnection::readAndDispatch()
{
    // Nothing else reads this connection, so the queue is empty here unless
    // a round trip left events in it: those are dispatched first.
    if (wl_display_prepare_read(m_display) == 0)
        wl_display_read_events(m_display);
    wl_display_dispatch_pending(m_display);
    flush();
    if (wl_display_get_error(m_display) != 0) {
        // The compositor went away or refused a request: nothing more
        // arrives, and the loop must not spin on a dead socket.
        qWarning("WaylandConnection: the connection broke (%s)", strerror(wl_display_get_error(m_display)));
        m_notifier->setEnabled(false);
    }
}

bool WaylandConnection::roundtrip(std::chrono::milliseconds timeout)
{
    bool done = false;
    static const wl_callback_listener listener = { [](void* data, wl_callback* callback, uint32_t) {
        if (data)
            *static_cast<bool*>(data) = true;
        wl_callback_destroy(callback);
    } };
    wl_callback* callback = wl_display_sync(m_display);
    wl_callback_add_listener(callback, &listener, &done);
    const QDeadlineTimer deadline(timeout);
    while (!done && wl_display_get_error(m_display) == 0) {
        while (wl_display_prepare_read(m_display) != 0)
            wl_display_dispatch_pending(m_display);
        if (done) {
            wl_display_cancel_read(m_display);
            break;
        }
        flush();
        pollfd socket { wl_display_get_fd(m_display), POLLIN, 0 };
        if (::poll(&socket, 1, int(deadline.remainingTime())) <= 0) {
            wl_display_cancel_read(m_display);
            break;
        }
        wl_display_read_events(m_display);
        wl_display_dispatch_pending(m_display);
    }
    if (!done) {
        // The answer may still come: it must not write to this frame then.
        wl_proxy_set_user_data(reinterpret_cast<wl_proxy*>(callback), nullptr);
    }
    return done;
}
