// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <functional>
#include <map>
#include <memory>

// Xlib's types, without pulling its macros (None, Bool, KeyPress...) into
// every file that includes this header.
typedef struct _XDisplay Display;
typedef union _XEvent XEvent;

// One Xlib connection to the X server named by $DISPLAY, with its events
// delivered through the Qt event loop on the main thread. Independent of the
// Qt platform plugin, so it works under any QPA (including offscreen) as long
// as an X server is reachable.
class X11Connection : public QObject {
    Q_OBJECT
public:
    // A new connection to $DISPLAY; nullptr when no X server can be reached.
    // The program keeps one for grabs, synthesised input and input
    // monitoring, and readers that wait for specific replies open their own.
    static std::unique_ptr<X11Connection> open();

    ~X11Connection() override;
    Q_DISABLE_COPY_MOVE(X11Connection)

    Display* display() const { return m_display; }
    unsigned long rootWindow() const;

    using Listener = std::function<void(XEvent&)>;
    // Listeners see every event read from the connection, in registration order.
    int addListener(Listener listener);
    void removeListener(int id);

    // Runs X requests, waits for the server to process them and returns the
    // error code the first failing request produced (0 when none did). X
    // errors never end the program.
    int trapErrors(const std::function<void()>& requests);

    // Reads and dispatches whatever events have arrived.
    void processPendingEvents();

private:
    explicit X11Connection(Display* display);

    Display* m_display;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::map<int, Listener> m_listeners;
    int m_nextListenerId = 1;
};
