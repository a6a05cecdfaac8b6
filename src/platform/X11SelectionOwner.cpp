// SPDX-License-Identifier: MIT
#include "X11SelectionOwner.h"

#include "X11Connection.h"
#include "X11Property.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>

std::unique_ptr<X11SelectionOwner> X11SelectionOwner::open(const char* selection)
{
    std::unique_ptr<X11Connection> connection = X11Connection::open();
    if (!connection)
        return nullptr;
    return std::make_unique<X11SelectionOwner>(std::move(connection), selection);
}

X11SelectionOwner::X11SelectionOwner(std::unique_ptr<X11Connection> connection, const char* selection)
    : m_connection(std::move(connection))
    , m_display(m_connection->display())
{
    XSetWindowAttributes attributes {};
    attributes.event_mask = PropertyChangeMask; // for serverTime()
    m_window = XCreateWindow(m_display, m_connection->rootWindow(), -10, -10, 1, 1, 0, CopyFromParent,
        InputOnly, CopyFromParent, CWEventMask, &attributes);
    m_selection = atom(selection);
    m_chunkBytes = X11Property::maxChunkBytes(m_display);
    XFlush(m_display);
    m_listener = m_connection->addListener([this](XEvent& event) { onEvent(event); });
    m_sweep.setInterval(1000);
    connect(&m_sweep, &QTimer::timeout, this, &X11SelectionOwner::sweepOutgoing);
}

X11SelectionOwner::~X11SelectionOwner()
{
    m_connection->removeListener(m_listener);
    // Destroying the window ends the ownership.
    XDestroyWindow(m_display, m_window);
    XFlush(m_display);
}

unsigned long X11SelectionOwner::atom(const char* name)
{
    const auto it = m_atoms.find(name);
    if (it != m_atoms.end())
        return it->second;
    const Atom value = XInternAtom(m_display, name, False);
    m_atoms.emplace(name, value);
    return value;
}

unsigned long X11SelectionOwner::serverTime()
{
    // A zero-length append changes nothing but makes the server report the
    // time, which ownership requests should carry instead of CurrentTime.
    XChangeProperty(
        m_display, m_window, atom("_SORVANTEL_TIMESTAMP"), XA_STRING, 8, PropModeAppend, nullptr, 0);
    XEvent event;
    XWindowEvent(m_display, m_window, PropertyChangeMask, &event);
    return event.xproperty.time;
}

bool X11SelectionOwner::own(ClipboardContents contents)
{
    std::vector<Offered> offered;
    for (qsizetype i = 0; i < contents.formats.size(); ++i) {
        const ClipboardFormat& format = contents.formats.at(i);
        offered.push_back({ atom(format.target.constData()), atom(format.type.constData()), i });
    }
    const unsigned long time = serverTime();
    XSetSelectionOwner(m_display, m_selection, m_window, time);
    if (XGetSelectionOwner(m_display, m_selection) != m_window)
        return false;
    m_owns = true;
    m_ownedSince = time;
    m_contents = std::move(contents);
    m_offered = std::move(offered);
    return true;
}

void X11SelectionOwner::clear()
{
    XSetSelectionOwner(m_display, m_selection, None, serverTime());
    // Done once this returns, for every other client as well.
    XSync(m_display, False);
    m_owns = false;
    m_offered.clear();
    m_contents = {};
}

void X11SelectionOwner::onEvent(XEvent& event)
{
    switch (event.type) {
    case SelectionRequest:
        if (event.xselectionrequest.owner == m_window)
            answer(event);
        break;
    case SelectionClear:
        // A clear that an earlier give-up caused may arrive after the
        // selection was taken again; only the server knows who owns it now.
        if (event.xselectionclear.window == m_window && event.xselectionclear.selection == m_selection
            && XGetSelectionOwner(m_display, m_selection) != m_window) {
            m_owns = false;
            m_offered.clear();
            m_contents = {};
        }
        break;
    case SelectionNotify:
        if (event.xselection.requestor == m_window && event.xselection.target == atom("SAVE_TARGETS"))
            m_managerAnswer = event.xselection.property != None;
        break;
    case PropertyNotify:
        if (event.xproperty.state == PropertyDelete) {
            const OutgoingKey key { event.xproperty.window, event.xproperty.atom };
            if (m_outgoing.contains(key))
                sendNextChunk(key);
        }
        break;
    default:
        break;
    }
}

void X11SelectionOwner::answer(const XEvent& event)
{
    const XSelectionRequestEvent& request = event.xselectionrequest;
    XEvent reply {};
    reply.xselection.type = SelectionNotify;
    reply.xselection.display = m_display;
    reply.xselection.requestor = request.requestor;
    reply.xselection.selection = request.selection;
    reply.xselection.target = request.target;
    reply.xselection.property = None;
    reply.xselection.time = request.time;

    // Obsolete requestors name no property: the target is the property then.
    const unsigned long property = request.property != None ? request.property : request.target;
    const bool current = m_owns && request.selection == m_selection
        && (request.time == CurrentTime || request.time >= m_ownedSince);
    const int error = m_connection->trapErrors([&] {
        bool served = false;
        if (current) {
            served = request.target == atom("MULTIPLE")
                ? request.property != None && serveMultiple(request.requestor, property)
                : serve(request.requestor, property, request.target, true);
        }
        if (served)
            reply.xselection.property = property;
        XSendEvent(m_display, request.requestor, False, NoEventMask, &reply);
    });
    if (error) // the requestor went away while being answered
        dropOutgoing({ request.requestor, property });
}

bool X11SelectionOwner::serve(
    unsigned long requestor, unsigned long property, unsigned long target, bool allowIncremental)
{
    if (target == atom("TARGETS")) {
        QByteArray atoms;
        auto append = [&atoms](unsigned long value) {
            const uint32_t item = uint32_t(value);
            atoms.append(reinterpret_cast<const char*>(&item), 4);
        };
        for (const Offered& offered : m_offered)
            append(offered.target);
        for (const char* meta : { "TARGETS", "MULTIPLE", "TIMESTAMP" })
            append(atom(meta));
        X11Property::write(m_display, requestor, property, XA_ATOM, 32, atoms, 0, atoms.size());
        return true;
    }
    if (target == atom("TIMESTAMP")) {
        const uint32_t time = uint32_t(m_ownedSince);
        const QByteArray item(reinterpret_cast<const char*>(&time), 4);
        X11Property::write(m_display, requestor, property, XA_INTEGER, 32, item, 0, 4);
        return true;
    }
    const Offered* offered = nullptr;
    for (const Offered& candidate : m_offered) {
        if (candidate.target == target) {
            offered = &candidate;
            break;
        }
    }
    if (!offered)
        return false;
    ClipboardFormat& format = m_contents.formats[offered->index];
    if (!format.convertedFrom.isEmpty() && format.data.isEmpty() && !encode(format))
        return false;
    if (format.data.size() <= m_chunkBytes) {
        X11Property::write(
            m_display, requestor, property, offered->type, format.format, format.data, 0, format.data.size());
        return true;
    }
    if (!allowIncremental)
        return false;
    // Too large for one request: announce the size as INCR and send chunks
    // each time the requestor deletes the property.
    const OutgoingKey key { requestor, property };
    m_outgoing[key] = Outgoing { offered->type, format.format, format.data, 0, QDeadlineTimer(chunkTimeout) };
    XSelectInput(m_display, requestor, PropertyChangeMask);
    const uint32_t size = uint32_t(std::min<qsizetype>(format.data.size(), 0x7fffffff));
    const QByteArray item(reinterpret_cast<const char*>(&size), 4);
    X11Property::write(m_display, requestor, property, atom("INCR"), 32, item, 0, 4);
    if (!m_sweep.isActive())
        m_sweep.start();
    return true;
}

bool X11SelectionOwner::serveMultiple(unsigned long requestor, unsigned long property)
{
    std::optional<X11Property::Value> pairs = X11Property::read(m_display, requestor, property, false);
    if (!pairs || pairs->format != 32 || pairs->data.size() % 8)
        return false;
    auto* items = reinterpret_cast<uint32_t*>(pairs->data.data());
    for (qsizetype i = 0; i + 1 < pairs->data.size() / 4; i += 2) {
        // A pair that cannot be served gets None as its property.
        if (items[i + 1] == None || !serve(requestor, items[i + 1], items[i], false))
            items[i + 1] = None;
    }
    X11Property::write(m_display, requestor, property, pairs->type, 32, pairs->data, 0, pairs->data.size());
    return true;
}

void X11SelectionOwner::sendNextChunk(const OutgoingKey& key)
{
    Outgoing& outgoing = m_outgoing.at(key);
    const qsizetype item = outgoing.format / 8;
    const qsizetype length = std::min(outgoing.data.size() - outgoing.offset, m_chunkBytes / item * item);
    const int error = m_connection->trapErrors([&] {
        X11Property::write(m_display, key.first, key.second, outgoing.type, outgoing.format, outgoing.data,
            outgoing.offset, length);
    });
    outgoing.offset += length;
    outgoing.deadline = QDeadlineTimer(chunkTimeout);
    // The zero-length chunk just written ends the transfer.
    if (error || length == 0)
        dropOutgoing(key);
}

void X11SelectionOwner::dropOutgoing(const OutgoingKey& key)
{
    if (!m_outgoing.erase(key))
        return;
    for (const auto& [other, outgoing] : m_outgoing) {
        if (other.first == key.first)
            return; // another transfer to the same window still needs its events
    }
    m_connection->trapErrors([&] { XSelectInput(m_display, key.first, NoEventMask); });
}

void X11SelectionOwner::sweepOutgoing()
{
    std::vector<OutgoingKey> stalled;
    for (const auto& [key, outgoing] : m_outgoing) {
        if (outgoing.deadline.hasExpired())
            stalled.push_back(key);
    }
    for (const OutgoingKey& key : stalled)
        dropOutgoing(key);
    if (m_outgoing.empty())
        m_sweep.stop();
}

QByteArray X11SelectionOwner::imageEncoderFor(const QByteArray& target)
{
    if (target == "application/x-qt-image")
        return "png";
    if (!target.startsWith("image/"))
        return {};
    if (const QList<QByteArray> formats = QImageWriter::imageFormatsForMimeType(target); !formats.isEmpty())
        return formats.first();
    // Qt owners name targets after Qt's format names: image/ppm, image/jpg.
    const QByteArray name = target.mid(6).toLower();
    return QImageWriter::supportedImageFormats().contains(name) ? name : QByteArray();
}

bool X11SelectionOwner::encode(ClipboardFormat& format)
{
    const ClipboardFormat* source = m_contents.find(format.convertedFrom);
    const QByteArray encoder = imageEncoderFor(format.target);
    if (!source || encoder.isEmpty())
        return false;
    const QImage image = QImage::fromData(source->data);
    QBuffer buffer(&format.data);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, encoder);
    if (image.isNull() || !writer.write(image)) {
        format.data.clear();
        return false;
    }
    return true;
}

bool X11SelectionOwner::handOverToManager(std::chrono::milliseconds bound)
{
    const unsigned long manager = atom("CLIPBOARD_MANAGER");
    if (!m_owns || XGetSelectionOwner(m_display, manager) == None)
        return false;
    m_managerAnswer.reset();
    // No property: the manager is to keep every target we list.
    XConvertSelection(m_display, manager, atom("SAVE_TARGETS"), None, m_window, serverTime());
    XFlush(m_display);
    // The manager now asks for every target; the answers go out from here,
    // since the event loop may not run again before the program ends.
    const QDeadlineTimer deadline(bound);
    const int fd = ConnectionNumber(m_display);
    while (!m_managerAnswer && !deadline.hasExpired()) {
        m_connection->processPendingEvents();
        if (m_managerAnswer)
            break;
        pollfd socket { fd, POLLIN, 0 };
        ::poll(&socket, 1, int(std::max<qint64>(1, deadline.remainingTime())));
    }
    return m_managerAnswer.value_or(false);
}
