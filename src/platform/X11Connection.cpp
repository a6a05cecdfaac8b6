// SPDX-License-Identifier: MIT
#include "X11Connection.h"

#include <QAbstractEventDispatcher>
#include <QtGlobal>
#include <X11/Xlib.h>

namespace {

// The error trap in progress (main thread only) and what it caught.
struct Trap {
    Display* display = nullptr;
    int firstError = 0;
};
Trap* g_trap = nullptr;

int recordError(Display* display, XErrorEvent* error)
{
    if (g_trap && g_trap->display == display) {
        if (!g_trap->firstError)
            g_trap->firstError = error->error_code;
        return 0;
    }
    // Xlib's default handler exits the process; an error outside a trap is
    // only worth a line.
    char text[128] = {};
    XGetErrorText(display, error->error_code, text, sizeof text);
    qWarning("X11: ignored error %s (request %d.%d)", text, int(error->request_code), int(error->minor_code));
    return 0;
}

} // namespace

std::unique_ptr<X11Connection> X11Connection::open()
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return nullptr;
    // Installed with every connection: whatever handler another library set
    // in between, an X error must not terminate the program.
    XSetErrorHandler(recordError);
    return std::unique_ptr<X11Connection>(new X11Connection(display));
}

X11Connection::X11Connection(Display* display)
    : m_display(display)
    , m_notifier(std::make_unique<QSocketNotifier>(ConnectionNumber(display), QSocketNotifier::Read))
{
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &X11Connection::processPendingEvents);
    // Any round trip (XSync, XGetSelectionOwner, XInternAtom...) reads the
    // events that arrived before its reply into Xlib's queue, where the
    // socket notifier no longer sees them; an answer from another client
    // would wait there until something else arrived. So before the event
    // loop sleeps: send what is buffered, dispatch what is queued.
    if (auto* dispatcher = QAbstractEventDispatcher::instance()) {
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, [this] {
            XFlush(m_display);
            if (XEventsQueued(m_display, QueuedAlready))
                processPendingEvents();
        });
    }
}

X11Connection::~X11Connection()
{
    m_notifier.reset();
    XCloseDisplay(m_display);
}

unsigned long X11Connection::rootWindow() const
{
    return DefaultRootWindow(m_display);
}

int X11Connection::addListener(Listener listener)
{
    const int id = m_nextListenerId++;
    m_listeners.emplace(id, std::move(listener));
    return id;
}

void X11Connection::removeListener(int id)
{
    m_listeners.erase(id);
}

int X11Connection::trapErrors(const std::function<void()>& requests)
{
    Trap trap { m_display, 0 };
    Trap* outer = g_trap;
    g_trap = &trap;
    auto previous = XSetErrorHandler(recordError);
    requests();
    XSync(m_display, False);
    XSetErrorHandler(previous ? previous : recordError);
    g_trap = outer;
    // XSync may have queued events without the socket becoming readable again.
    if (XPending(m_display))
        QMetaObject::invokeMethod(this, &X11Connection::processPendingEvents, Qt::QueuedConnection);
    return trap.firstError;
}

void X11Connection::processPendingEvents()
{
    while (XPending(m_display)) {
        XEvent event;
        XNextEvent(m_display, &event);
        // Copy the ids first: a listener may remove itself or others.
        std::vector<int> ids;
        ids.reserve(m_listeners.size());
        for (const auto& [id, listener] : m_listeners)
            ids.push_back(id);
        for (int id : ids) {
            auto it = m_listeners.find(id);
            if (it == m_listeners.end())
                continue;
            // A copy: the listener may remove itself while it runs.
            const Listener listener = it->second;
            listener(event);
        }
    }
}
