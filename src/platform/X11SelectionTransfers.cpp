// SPDX-License-Identifier: MIT
#include "X11SelectionTransfers.h"

#include "X11Connection.h"
#include "X11Property.h"

#include <QTimer>
#include <X11/Xlib.h>
#include <algorithm>
#include <poll.h>

X11SelectionTransfers::X11SelectionTransfers(std::unique_ptr<X11Connection> connection, qsizetype byteLimit)
    : m_connection(std::move(connection))
    , m_byteLimit(byteLimit)
{
    m_property = atom("_SORVANTEL_SELECTION");
    m_listener = m_connection->addListener([this](XEvent& event) { onEvent(event); });
}

X11SelectionTransfers::~X11SelectionTransfers()
{
    m_connection->removeListener(m_listener);
    for (auto& [window, transfer] : m_transfers)
        XDestroyWindow(m_connection->display(), window);
    for (unsigned long window : m_retired)
        XDestroyWindow(m_connection->display(), window);
    XFlush(m_connection->display());
}

unsigned long X11SelectionTransfers::atom(const char* name)
{
    const auto it = m_atoms.find(name);
    if (it != m_atoms.end())
        return it->second;
    const Atom value = XInternAtom(m_connection->display(), name, False);
    m_atoms.emplace(name, value);
    m_atomNames.emplace(value, name);
    return value;
}

QByteArray X11SelectionTransfers::atomName(unsigned long value)
{
    const auto it = m_atomNames.find(value);
    if (it != m_atomNames.end())
        return it->second;
    QByteArray name;
    m_connection->trapErrors([&] {
        if (char* text = XGetAtomName(m_connection->display(), value)) {
            name = text;
            XFree(text);
        }
    });
    m_atomNames.emplace(value, name);
    return name;
}

unsigned long X11SelectionTransfers::start(
    unsigned long selection, unsigned long target, const Bounds& bounds, ReplyHandler handler)
{
    Display* display = m_connection->display();
    // The requestor window holds the answer; INCR chunks are announced by
    // its property changes.
    XSetWindowAttributes attributes {};
    attributes.event_mask = PropertyChangeMask;
    const Window window = XCreateWindow(display, m_connection->rootWindow(), -10, -10, 1, 1, 0,
        CopyFromParent, InputOnly, CopyFromParent, CWEventMask, &attributes);
    Transfer& transfer = m_transfers[window];
    transfer.window = window;
    transfer.selection = selection;
    transfer.target = target;
    transfer.progressBound = bounds.progress;
    transfer.overall = bounds.overall;
    transfer.deadline = std::min(QDeadlineTimer(bounds.answer), bounds.overall);
    transfer.handler = std::move(handler);
    transfer.timer = std::make_unique<QTimer>();
    transfer.timer->setSingleShot(true);
    connect(transfer.timer.get(), &QTimer::timeout, this, [this, window] { checkDeadline(window); });

    XConvertSelection(display, selection, target, m_property, window, CurrentTime);
    XFlush(display);
    checkDeadline(window);
    return window;
}

X11SelectionTransfers::Transfer* X11SelectionTransfers::find(unsigned long window)
{
    const auto it = m_transfers.find(window);
    return it == m_transfers.end() ? nullptr : &it->second;
}

void X11SelectionTransfers::checkDeadline(unsigned long window)
{
    Transfer* transfer = find(window);
    if (!transfer)
        return;
    if (transfer->deadline.hasExpired()) {
        finish(window, Outcome::timedOut);
        return;
    }
    transfer->timer->start(std::max<qint64>(1, transfer->deadline.remainingTime()));
}

void X11SelectionTransfers::finish(unsigned long window, Outcome outcome)
{
    auto it = m_transfers.find(window);
    if (it == m_transfers.end())
        return;
    Transfer transfer = std::move(it->second);
    m_transfers.erase(it);
    // This may run inside the timer's own timeout signal.
    transfer.timer->stop();
    transfer.timer.release()->deleteLater();
    if (outcome == Outcome::delivered || outcome == Outcome::refused) {
        XDestroyWindow(m_connection->display(), window);
        XFlush(m_connection->display());
    } else {
        // The owner may still answer. Writing to a destroyed window would
        // end many owners (Xlib's default error handler exits), taking
        // their clipboard with them; so the window stays, unheard.
        m_retired.push_back(window);
    }
    Reply reply = outcome == Outcome::delivered ? std::move(transfer.reply) : Reply {};
    reply.outcome = outcome;
    transfer.handler(std::move(reply));
}

void X11SelectionTransfers::onEvent(XEvent& event)
{
    if (event.type == SelectionNotify) {
        const XSelectionEvent& notify = event.xselection;
        Transfer* transfer = find(notify.requestor);
        if (!transfer || transfer->answered || notify.selection != transfer->selection
            || notify.target != transfer->target)
            return;
        if (notify.property == None) {
            finish(transfer->window, Outcome::refused);
            return;
        }
        transfer->answered = true;
        readChunk(*transfer);
        return;
    }
    if (event.type == PropertyNotify && event.xproperty.state == PropertyNewValue
        && event.xproperty.atom == m_property) {
        Transfer* transfer = find(event.xproperty.window);
        if (transfer && transfer->incremental)
            readChunk(*transfer);
    }
}

void X11SelectionTransfers::readChunk(Transfer& transfer)
{
    const unsigned long window = transfer.window;
    const qsizetype room = m_byteLimit - transfer.reply.data.size();
    const std::optional<X11Property::Value> value
        = X11Property::read(m_connection->display(), window, m_property, true, room);
    if (!transfer.incremental) {
        if (!value || value->type == None) {
            finish(window, Outcome::refused);
            return;
        }
        if (value->truncated || value->data.size() > m_byteLimit) {
            finish(window, Outcome::tooLarge);
            return;
        }
        if (value->type == atom("INCR")) {
            // The announced size is a lower bound of the whole.
            if (value->format == 32 && value->data.size() >= 4
                && qsizetype(*reinterpret_cast<const uint32_t*>(value->data.constData())) > m_byteLimit) {
                finish(window, Outcome::tooLarge);
                return;
            }
            // Deleting the INCR property (done by the read) asks for the first chunk.
            transfer.incremental = true;
        } else {
            transfer.reply = Reply { Outcome::delivered, value->type, value->format, value->data };
            finish(window, Outcome::delivered);
            return;
        }
    } else {
        if (!value || value->type == None)
            return; // a notification for a chunk already read
        if (value->data.isEmpty()) {
            finish(window, Outcome::delivered); // the empty chunk ends the transfer
            return;
        }
        if (value->truncated || value->data.size() > room) {
            finish(window, Outcome::tooLarge);
            return;
        }
        if (transfer.reply.data.isEmpty()) {
            transfer.reply.type = value->type;
            transfer.reply.format = value->format;
        }
        transfer.reply.data += value->data;
    }
    transfer.deadline = std::min(QDeadlineTimer(transfer.progressBound), transfer.overall);
    checkDeadline(window);
}

X11SelectionTransfers::Reply X11SelectionTransfers::wait(
    unsigned long selection, unsigned long target, const QDeadlineTimer& deadline)
{
    std::optional<Reply> result;
    const auto bound = std::chrono::milliseconds(std::max<qint64>(0, deadline.remainingTime()));
    const unsigned long window = start(
        selection, target, { bound, bound, deadline }, [&result](Reply reply) { result = std::move(reply); });
    const int fd = ConnectionNumber(m_connection->display());
    while (!result) {
        m_connection->processPendingEvents();
        if (result)
            break;
        if (deadline.hasExpired()) {
            finish(window, Outcome::timedOut);
            break;
        }
        pollfd socket { fd, POLLIN, 0 };
        ::poll(&socket, 1, int(std::max<qint64>(1, deadline.remainingTime())));
    }
    return *result;
}
