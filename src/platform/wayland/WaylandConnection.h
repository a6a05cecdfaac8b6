// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QObject>
#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

class QSocketNotifier;
struct wl_display;
struct wl_interface;
struct wl_registry;
struct wl_seat;

// A Wayland client connection of the program's own, beside Qt's (which
// speaks X11 through XWayland). Main thread only, no thread of its own: the
// event loop watches its socket, events are dispatched as they arrive and
// requests are flushed before the loop sleeps. Lists the globals the
// compositor offers and binds the ones asked for.
class WaylandConnection final : public QObject {
    Q_OBJECT
public:
    // Connected to $WAYLAND_DISPLAY with the globals and the first seat
    // known; nullptr when no compositor answers in time.
    static std::unique_ptr<WaylandConnection> open();
    ~WaylandConnection() override;
    Q_DISABLE_COPY_MOVE(WaylandConnection)

    wl_display* display() const { return m_display; }
    // Null when the compositor offers no seat.
    wl_seat* seat() const { return m_seat; }

    // The global of this interface bound at the lower of `version` and what
    // is offered; null when it is not offered.
    void* bind(const wl_interface* interface, uint32_t version);

    // Sends what is queued now.
    void flush();
    // Waits until the compositor has handled every request sent so far and
    // sent its answers, which are dispatched; false when that took longer
    // than `timeout` or the connection broke.
    bool roundtrip(std::chrono::milliseconds timeout = std::chrono::milliseconds(1000));

private:
    struct Global {
        uint32_t name;
        QByteArray interface;
        uint32_t version;
    };

    explicit WaylandConnection(wl_display* display);
    void readAndDispatch();

    static void onGlobal(void* data, wl_registry*, uint32_t name, const char* interface, uint32_t version);
    static void onGlobalRemove(void* data, wl_registry*, uint32_t name);

    wl_display* m_display;
    wl_registry* m_registry = nullptr;
    wl_seat* m_seat = nullptr;
    std::vector<Global> m_globals;
    QSocketNotifier* m_notifier = nullptr;
};
