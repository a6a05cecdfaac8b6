// SPDX-License-Identifier: MIT
#include "X11SelectionReader.h"

#include "X11Connection.h"
#include "X11Property.h"

#include <QTimer>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <algorithm>
#include <poll.h>
#include <set>

namespace {

// Text targets tried in turn: UTF-8 first, Latin-1 from older programs.
constexpr const char* textTargets[] = { "UTF8_STRING", "STRING" };

// Targets that describe the selection or ask its owner to do something
// (DELETE removes the selected text) rather than hold a format of it.
bool isMetaTarget(const QByteArray& name)
{
    static const std::set<QByteArray> names { "TARGETS", "MULTIPLE", "TIMESTAMP", "SAVE_TARGETS", "DELETE",
        "INSERT_SELECTION", "INSERT_PROPERTY" };
    return names.contains(name);
}

} // namespace

struct X11SelectionReader::ContentsRead {
    unsigned long selection = 0;
    QDeadlineTimer deadline;
    std::vector<unsigned long> targets;
    size_t next = 0;
    ClipboardContents contents;
    ContentsHandler handler;
};

std::unique_ptr<X11SelectionReader> X11SelectionReader::open()
{
    std::unique_ptr<X11Connection> connection = X11Connection::open();
    if (!connection)
        return nullptr;
    return std::make_unique<X11SelectionReader>(std::move(connection));
}

X11SelectionReader::X11SelectionReader(std::unique_ptr<X11Connection> connection, qsizetype byteLimit)
    : m_connection(std::move(connection))
    , m_byteLimit(byteLimit)
{
    Display* display = m_connection->display();
    // The requestor window holds the answers; INCR chunks are announced by
    // its property changes.
    XSetWindowAttributes attributes {};
    attributes.event_mask = PropertyChangeMask;
    m_window = XCreateWindow(display, m_connection->rootWindow(), -10, -10, 1, 1, 0, CopyFromParent,
        InputOnly, CopyFromParent, CWEventMask, &attributes);
    XFlush(display);
    m_listener = m_connection->addListener([this](XEvent& event) { onEvent(event); });
}

X11SelectionReader::~X11SelectionReader()
{
    m_connection->removeListener(m_listener);
    m_transfers.clear();
    XDestroyWindow(m_connection->display(), m_window);
    XFlush(m_connection->display());
}

unsigned long X11SelectionReader::atom(const char* name)
{
    const auto it = m_atoms.find(name);
    if (it != m_atoms.end())
        return it->second;
    const Atom value = XInternAtom(m_connection->display(), name, False);
    m_atoms.emplace(name, value);
    m_atomNames.emplace(value, name);
    return value;
}

QByteArray X11SelectionReader::atomName(unsigned long value)
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

unsigned long X11SelectionReader::selectionAtom(Selection selection)
{
    return selection == Selection::primary ? XA_PRIMARY : atom("CLIPBOARD");
}

unsigned long X11SelectionReader::takeProperty()
{
    if (!m_freeProperties.empty()) {
        const unsigned long property = m_freeProperties.back();
        m_freeProperties.pop_back();
        return property;
    }
    const QByteArray name = "_SORVANTEL_SELECTION_" + QByteArray::number(m_propertyCount++);
    return atom(name.constData());
}

int X11SelectionReader::convert(unsigned long selection, unsigned long target,
    std::chrono::milliseconds answerBound, std::chrono::milliseconds progressBound,
    const QDeadlineTimer& overall, ReplyHandler handler)
{
    const int id = m_nextTransfer++;
    Transfer& transfer = m_transfers[id];
    transfer.selection = selection;
    transfer.target = target;
    transfer.property = takeProperty();
    transfer.progressBound = progressBound;
    transfer.overall = overall;
    transfer.deadline = std::min(QDeadlineTimer(answerBound), overall);
    transfer.handler = std::move(handler);
    transfer.timer = std::make_unique<QTimer>();
    transfer.timer->setSingleShot(true);
    connect(transfer.timer.get(), &QTimer::timeout, this, [this, id] { armTimer(id); });

    Display* display = m_connection->display();
    XDeleteProperty(display, m_window, transfer.property);
    XConvertSelection(display, selection, target, transfer.property, m_window, CurrentTime);
    XFlush(display);
    armTimer(id);
    return id;
}

void X11SelectionReader::armTimer(int id)
{
    const auto it = m_transfers.find(id);
    if (it == m_transfers.end())
        return;
    if (it->second.deadline.hasExpired()) {
        finish(id, Outcome::timedOut);
        return;
    }
    it->second.timer->start(std::max<qint64>(1, it->second.deadline.remainingTime()));
}

void X11SelectionReader::progress(Transfer& transfer)
{
    // However steadily chunks arrive, the read ends by its overall deadline.
    transfer.deadline = std::min(QDeadlineTimer(transfer.progressBound), transfer.overall);
}

void X11SelectionReader::finish(int id, Outcome outcome)
{
    auto it = m_transfers.find(id);
    if (it == m_transfers.end())
        return;
    Transfer transfer = std::move(it->second);
    m_transfers.erase(it);
    // This may run inside the timer's own timeout signal.
    transfer.timer->stop();
    transfer.timer.release()->deleteLater();
    // An owner that missed the bound (or was cut off mid-transfer) may still
    // write later; its late value must not land in another read, so such a
    // property is not reused.
    if (outcome == Outcome::delivered || outcome == Outcome::refused)
        m_freeProperties.push_back(transfer.property);
    Reply reply = outcome == Outcome::delivered ? std::move(transfer.reply) : Reply {};
    reply.outcome = outcome;
    transfer.handler(std::move(reply));
}

void X11SelectionReader::onEvent(XEvent& event)
{
    if (event.type == SelectionNotify && event.xselection.requestor == m_window) {
        const XSelectionEvent& notify = event.xselection;
        for (auto& [id, transfer] : m_transfers) {
            if (transfer.answered || transfer.selection != notify.selection
                || transfer.target != notify.target)
                continue;
            if (notify.property != None && notify.property != transfer.property)
                continue;
            const int found = id;
            if (notify.property == None) {
                finish(found, Outcome::refused);
                return;
            }
            transfer.answered = true;
            readChunk(found);
            return;
        }
        return;
    }
    if (event.type == PropertyNotify && event.xproperty.window == m_window
        && event.xproperty.state == PropertyNewValue) {
        for (auto& [id, transfer] : m_transfers) {
            if (transfer.incremental && transfer.property == event.xproperty.atom) {
                readChunk(id);
                return;
            }
        }
    }
}

void X11SelectionReader::readChunk(int id)
{
    Transfer& transfer = m_transfers.at(id);
    const std::optional<X11Property::Value> value
        = X11Property::read(m_connection->display(), m_window, transfer.property, true);
    if (!transfer.incremental) {
        if (!value || value->type == None) {
            finish(id, Outcome::refused);
            return;
        }
        if (value->data.size() > m_byteLimit) {
            finish(id, Outcome::tooLarge);
            return;
        }
        if (value->type == atom("INCR")) {
            // The announced size is a lower bound of the whole.
            if (value->format == 32 && value->data.size() >= 4
                && qsizetype(*reinterpret_cast<const uint32_t*>(value->data.constData())) > m_byteLimit) {
                finish(id, Outcome::tooLarge);
                return;
            }
            // Deleting the INCR property (done by the read) asks for the first chunk.
            transfer.incremental = true;
            progress(transfer);
            armTimer(id);
            return;
        }
        transfer.reply = Reply { Outcome::delivered, value->type, value->format, value->data };
        finish(id, Outcome::delivered);
        return;
    }
    if (!value || value->type == None)
        return; // a notification for a chunk already read
    if (value->data.isEmpty()) {
        finish(id, Outcome::delivered); // the empty chunk ends the transfer
        return;
    }
    if (value->data.size() > m_byteLimit - transfer.reply.data.size()) {
        finish(id, Outcome::tooLarge);
        return;
    }
    if (transfer.reply.data.isEmpty()) {
        transfer.reply.type = value->type;
        transfer.reply.format = value->format;
    }
    transfer.reply.data += value->data;
    progress(transfer);
    armTimer(id);
}

X11SelectionReader::Reply X11SelectionReader::convertNow(
    unsigned long selection, unsigned long target, const QDeadlineTimer& deadline)
{
    std::optional<Reply> result;
    const auto bound = std::chrono::milliseconds(std::max<qint64>(0, deadline.remainingTime()));
    const int id = convert(
        selection, target, bound, bound, deadline, [&result](Reply reply) { result = std::move(reply); });
    const int fd = ConnectionNumber(m_connection->display());
    // Waits on the connection's socket only; the rest of the program is
    // paused for at most the deadline.
    while (!result) {
        m_connection->processPendingEvents();
        if (result)
            break;
        if (deadline.hasExpired()) {
            finish(id, Outcome::timedOut);
            break;
        }
        pollfd socket { fd, POLLIN, 0 };
        ::poll(&socket, 1, int(std::max<qint64>(1, deadline.remainingTime())));
    }
    return *result;
}

std::optional<QString> X11SelectionReader::decode(unsigned long target, const Reply& reply)
{
    if (reply.outcome != Outcome::delivered)
        return std::nullopt;
    return ClipboardContents::decodeText(ClipboardFormat { atomName(target), {}, reply.format, reply.data });
}

std::optional<QString> X11SelectionReader::readTextNow(Selection selection)
{
    const QDeadlineTimer deadline(answerTimeout);
    const unsigned long selectionName = selectionAtom(selection);
    for (const char* name : textTargets) {
        const unsigned long target = atom(name);
        const Reply reply = convertNow(selectionName, target, deadline);
        if (reply.outcome != Outcome::refused && reply.outcome != Outcome::delivered)
            return std::nullopt;
        if (std::optional<QString> text = decode(target, reply))
            return text;
    }
    return std::nullopt;
}

void X11SelectionReader::readText(Selection selection, TextHandler handler)
{
    readTextFrom(selectionAtom(selection), 0, QDeadlineTimer(contentsTimeout),
        std::make_shared<TextHandler>(std::move(handler)));
}

void X11SelectionReader::readTextFrom(unsigned long selection, size_t targetIndex,
    const QDeadlineTimer& overall, const std::shared_ptr<TextHandler>& handler)
{
    auto deliver = [this, handler](std::optional<QString> text) {
        QTimer::singleShot(0, this, [handler, text = std::move(text)] { (*handler)(text); });
    };
    if (targetIndex >= std::size(textTargets)) {
        deliver(std::nullopt);
        return;
    }
    const unsigned long target = atom(textTargets[targetIndex]);
    convert(selection, target, answerTimeout, answerTimeout, overall,
        [this, selection, target, targetIndex, overall, handler, deliver](Reply reply) {
            if (reply.outcome == Outcome::refused) {
                readTextFrom(selection, targetIndex + 1, overall, handler);
                return;
            }
            deliver(decode(target, reply));
        });
}

void X11SelectionReader::readContents(Selection selection, ContentsHandler handler)
{
    auto read = std::make_shared<ContentsRead>();
    read->selection = selectionAtom(selection);
    read->deadline = QDeadlineTimer(contentsTimeout);
    read->handler = std::move(handler);

    if (XGetSelectionOwner(m_connection->display(), read->selection) == None) {
        // No owner: an empty selection, known to be empty.
        QTimer::singleShot(0, this, [read] { read->handler(ClipboardContents {}); });
        return;
    }
    convert(read->selection, atom("TARGETS"), answerTimeout, answerTimeout, read->deadline,
        [this, read](Reply reply) {
            if (reply.outcome != Outcome::delivered && reply.outcome != Outcome::refused) {
                giveUp(read);
                return;
            }
            std::vector<unsigned long> listed;
            if (reply.outcome == Outcome::delivered && reply.format == 32) {
                const auto* atoms = reinterpret_cast<const uint32_t*>(reply.data.constData());
                listed.assign(atoms, atoms + reply.data.size() / 4);
            } else {
                // An owner without a list of targets still has its text.
                for (const char* name : textTargets)
                    listed.push_back(atom(name));
            }
            std::set<unsigned long> seen;
            for (unsigned long target : listed) {
                if (target != None && seen.insert(target).second && !isMetaTarget(atomName(target)))
                    read->targets.push_back(target);
            }
            readNextFormat(read);
        });
}

void X11SelectionReader::readNextFormat(const std::shared_ptr<ContentsRead>& read)
{
    if (read->next >= read->targets.size()) {
        QTimer::singleShot(0, this, [read] { read->handler(std::move(read->contents)); });
        return;
    }
    if (read->deadline.hasExpired()) {
        giveUp(read);
        return;
    }
    const unsigned long target = read->targets[read->next++];
    convert(read->selection, target, formatTimeout, formatTimeout, read->deadline,
        [this, read, target](Reply reply) {
            if (reply.outcome == Outcome::delivered) {
                ClipboardFormat format { atomName(target), atomName(reply.type), reply.format,
                    std::move(reply.data) };
                // Owners of an image offer the same encoding under several
                // names (image/jpeg and image/jpg, say): hold those bytes once.
                for (const ClipboardFormat& held : std::as_const(read->contents.formats)) {
                    if (held.data.size() == format.data.size() && held.data == format.data) {
                        format.data = held.data;
                        break;
                    }
                }
                read->contents.formats.append(std::move(format));
            } else if (reply.outcome != Outcome::refused) {
                // A format the owner has but that could not be read (overdue or
                // too large): without it the snapshot would not be the clipboard,
                // and restoring it would lose that format.
                giveUp(read);
                return;
            }
            readNextFormat(read);
        });
}

void X11SelectionReader::giveUp(const std::shared_ptr<ContentsRead>& read)
{
    QTimer::singleShot(0, this, [read] { read->handler(std::nullopt); });
}
