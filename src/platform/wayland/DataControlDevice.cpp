// SPDX-License-Identifier: MIT
#include "DataControlDevice.h"

#include "WaylandConnection.h"
#include "ext-data-control-v1-client-protocol.h"
#include "wlr-data-control-unstable-v1-client-protocol.h"

#include <QDeadlineTimer>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <unistd.h>
#include <wayland-client.h>

namespace {

// Request opcodes, the same in both protocols.
enum : uint32_t {
    managerCreateDataSource = 0,
    managerGetDataDevice = 1,
    managerDestroy = 2,
    deviceSetSelection = 0,
    deviceDestroy = 1,
    sourceOffer = 0,
    sourceDestroy = 1,
    offerReceive = 0,
    offerDestroy = 1,
};

// The event handlers in wire order, as libwayland calls them.
struct DeviceListener {
    void (*dataOffer)(void*, wl_proxy*, wl_proxy*);
    void (*selection)(void*, wl_proxy*, wl_proxy*);
    void (*finished)(void*, wl_proxy*);
    void (*primarySelection)(void*, wl_proxy*, wl_proxy*);
};
struct OfferListener {
    void (*offer)(void*, wl_proxy*, const char*);
};
struct SourceListener {
    void (*send)(void*, wl_proxy*, const char*, int32_t);
    void (*cancelled)(void*, wl_proxy*);
};

void destroyProxy(wl_proxy* proxy, uint32_t opcode)
{
    wl_proxy_marshal_flags(proxy, opcode, nullptr, wl_proxy_get_version(proxy), WL_MARSHAL_FLAG_DESTROY);
}

} // namespace

struct DataControlDevice::Protocol {
    const wl_interface* manager;
    const wl_interface* device;
    const wl_interface* offer;
    const wl_interface* source;
    uint32_t version; // the primary selection comes with this one
};

struct DataControlDevice::Offer {
    explicit Offer(wl_proxy* offer)
        : proxy(offer)
    {
    }
    ~Offer() { destroyProxy(proxy, offerDestroy); }
    Q_DISABLE_COPY_MOVE(Offer)

    wl_proxy* proxy;
    QStringList formats;
};

const QStringList& DataControlDevice::textFormats()
{
    static const QStringList formats { QStringLiteral("text/plain;charset=utf-8"),
        QStringLiteral("UTF8_STRING"), QStringLiteral("text/plain"), QStringLiteral("TEXT"),
        QStringLiteral("STRING") };
    return formats;
}

std::unique_ptr<DataControlDevice> DataControlDevice::open(WaylandConnection& connection)
{
    static const Protocol ext { &ext_data_control_manager_v1_interface, &ext_data_control_device_v1_interface,
        &ext_data_control_offer_v1_interface, &ext_data_control_source_v1_interface, 1 };
    static const Protocol wlr { &zwlr_data_control_manager_v1_interface,
        &zwlr_data_control_device_v1_interface, &zwlr_data_control_offer_v1_interface,
        &zwlr_data_control_source_v1_interface, 2 };
    if (!connection.seat())
        return nullptr;
    for (const Protocol* protocol : { &ext, &wlr }) {
        auto* manager = static_cast<wl_proxy*>(connection.bind(protocol->manager, protocol->version));
        if (!manager)
            continue;
        std::unique_ptr<DataControlDevice> device(new DataControlDevice(connection, *protocol, manager));
        // The current offers come at once.
        connection.roundtrip();
        return device;
    }
    return nullptr;
}

DataControlDevice::DataControlDevice(
    WaylandConnection& connection, const Protocol& protocol, wl_proxy* manager)
    : m_connection(connection)
    , m_protocol(protocol)
    , m_manager(manager)
{
    static const DeviceListener listener { &onDataOffer, &onSelection, &onFinished, &onPrimarySelection };
    m_device = wl_proxy_marshal_flags(m_manager, managerGetDataDevice, m_protocol.device,
        wl_proxy_get_version(m_manager), 0, nullptr, connection.seat());
    wl_proxy_add_listener(
        m_device, reinterpret_cast<void (**)(void)>(const_cast<DeviceListener*>(&listener)), this);
}

DataControlDevice::~DataControlDevice()
{
    dropSource();
    m_primary = m_clipboard = nullptr;
    m_offers.clear();
    if (m_device)
        destroyProxy(m_device, deviceDestroy);
    destroyProxy(m_manager, managerDestroy);
    m_connection.flush();
}

void DataControlDevice::onDataOffer(void* data, wl_proxy*, wl_proxy* offer)
{
    static const OfferListener listener { &onOffer };
    auto* self = static_cast<DataControlDevice*>(data);
    self->m_offers.push_back(std::make_unique<Offer>(offer));
    wl_proxy_add_listener(offer, reinterpret_cast<void (**)(void)>(const_cast<OfferListener*>(&listener)),
        self->m_offers.back().get());
}

void DataControlDevice::onOffer(void* data, wl_proxy*, const char* mimeType)
{
    static_cast<Offer*>(data)->formats.append(QString::fromUtf8(mimeType));
}

void DataControlDevice::replace(Offer*& slot, wl_proxy* offer)
{
    Offer* const previous = slot;
    slot = nullptr;
    for (const auto& known : m_offers) {
        if (known->proxy == offer)
            slot = known.get();
    }
    // Only the offer replaced goes: one announced for the other selection
    // may still be waiting for its event.
    if (previous && previous != slot && previous != m_primary && previous != m_clipboard)
        std::erase_if(
            m_offers, [previous](const std::unique_ptr<Offer>& known) { return known.get() == previous; });
}

void DataControlDevice::onSelection(void* data, wl_proxy*, wl_proxy* offer)
{
    auto* self = static_cast<DataControlDevice*>(data);
    self->replace(self->m_clipboard, offer);
    ++self->m_clipboardChanges;
}

void DataControlDevice::onPrimarySelection(void* data, wl_proxy*, wl_proxy* offer)
{
    auto* self = static_cast<DataControlDevice*>(data);
    self->replace(self->m_primary, offer);
}

void DataControlDevice::onFinished(void* data, wl_proxy*)
{
    // The seat is gone: the device is inert and must be destroyed.
    auto* self = static_cast<DataControlDevice*>(data);
    self->m_primary = self->m_clipboard = nullptr;
    self->m_offers.clear();
    destroyProxy(self->m_device, deviceDestroy);
    self->m_device = nullptr;
}

DataControlDevice::Offer* DataControlDevice::current(Selection selection) const
{
    return selection == Selection::primary ? m_primary : m_clipboard;
}

QStringList DataControlDevice::formats(Selection selection) const
{
    const Offer* offer = current(selection);
    return offer ? offer->formats : QStringList();
}

std::optional<QString> DataControlDevice::readText(Selection selection)
{
    if (selection == Selection::clipboard && m_source)
        return m_offered.text();
    const Offer* offer = current(selection);
    if (!offer)
        return std::nullopt;
    const auto format = std::find_if(textFormats().begin(), textFormats().end(),
        [offer](const QString& format) { return offer->formats.contains(format); });
    if (format == textFormats().end())
        return std::nullopt;
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0)
        return std::nullopt;
    wl_proxy_marshal_flags(offer->proxy, offerReceive, nullptr, wl_proxy_get_version(offer->proxy), 0,
        format->toUtf8().constData(), ends[1]);
    m_connection.flush();
    // Ours is closed once sent, so the end of the owner's writing is seen.
    ::close(ends[1]);

    QByteArray text;
    bool complete = false;
    const QDeadlineTimer deadline(readTimeout);
    while (!deadline.hasExpired() && text.size() <= maxTextBytes) {
        pollfd pipe { ends[0], POLLIN, 0 };
        if (::poll(&pipe, 1, int(deadline.remainingTime())) <= 0)
            break;
        char chunk[65536];
        const ssize_t got = ::read(ends[0], chunk, sizeof chunk);
        if (got == 0) {
            complete = true;
            break;
        }
        if (got < 0 && errno != EAGAIN && errno != EINTR)
            break;
        if (got > 0)
            text.append(chunk, got);
    }
    ::close(ends[0]);
    if (!complete)
        return std::nullopt;
    return QString::fromUtf8(text);
}

void DataControlDevice::setClipboard(ClipboardContents contents)
{
    static const SourceListener listener { &onSend, &onCancelled };
    if (!m_device)
        return;
    dropSource();
    m_offered = std::move(contents);
    if (m_offered.isEmpty()) {
        wl_proxy_marshal_flags(
            m_device, deviceSetSelection, nullptr, wl_proxy_get_version(m_device), 0, nullptr);
        m_connection.flush();
        return;
    }
    m_source = wl_proxy_marshal_flags(
        m_manager, managerCreateDataSource, m_protocol.source, wl_proxy_get_version(m_manager), 0, nullptr);
    wl_proxy_add_listener(
        m_source, reinterpret_cast<void (**)(void)>(const_cast<SourceListener*>(&listener)), this);
    for (const ClipboardFormat& format : m_offered.formats) {
        if (format.format == 8)
            wl_proxy_marshal_flags(
                m_source, sourceOffer, nullptr, wl_proxy_get_version(m_source), 0, format.target.constData());
    }
    wl_proxy_marshal_flags(
        m_device, deviceSetSelection, nullptr, wl_proxy_get_version(m_device), 0, m_source);
    m_connection.flush();
}

void DataControlDevice::dropSource()
{
    if (!m_source)
        return;
    destroyProxy(m_source, sourceDestroy);
    m_source = nullptr;
    m_offered = {};
}

void DataControlDevice::onSend(void* data, wl_proxy*, const char* mimeType, int32_t fd)
{
    auto* self = static_cast<DataControlDevice*>(data);
    const ClipboardFormat* format = self->m_offered.find(QByteArrayView(mimeType));
    // The reader reads as it goes and the texts are small; a reader that
    // stops reading is given up on after readTimeout rather than waited for.
    const QByteArray bytes = format ? format->data : QByteArray();
    qsizetype written = 0;
    const QDeadlineTimer deadline(readTimeout);
    // A reader that closes its end early must not end this program with
    // SIGPIPE: held back for the writes, and one raised is taken.
    sigset_t pipeSignal, previous;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    while (written < bytes.size() && !deadline.hasExpired()) {
        pollfd pipe { fd, POLLOUT, 0 };
        if (::poll(&pipe, 1, int(deadline.remainingTime())) <= 0)
            break;
        const ssize_t sent = ::write(fd, bytes.constData() + written, size_t(bytes.size() - written));
        if (sent < 0 && errno != EAGAIN && errno != EINTR)
            break;
        written += std::max<ssize_t>(sent, 0);
    }
    const timespec noWait {};
    while (sigtimedwait(&pipeSignal, nullptr, &noWait) > 0) { }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    ::close(fd);
}

void DataControlDevice::onCancelled(void* data, wl_proxy*)
{
    // Another program copied.
    static_cast<DataControlDevice*>(data)->dropSource();
}
