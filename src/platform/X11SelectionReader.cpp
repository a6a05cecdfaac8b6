// SPDX-License-Identifier: MIT
#include "X11SelectionReader.h"

#include "X11ClientIdentity.h"
#include "X11Connection.h"
#include "X11SelectionOwner.h"
#include "X11SelectionTransfers.h"

#include <QTimer>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <set>

namespace {

using Outcome = X11SelectionTransfers::Outcome;
using Reply = X11SelectionTransfers::Reply;

// Text targets tried in turn: UTF-8 first, Latin-1 from older programs.
constexpr const char* textTargets[] = { "UTF8_STRING", "STRING" };

// Lossless image encodings, the most compact first: the first of these an
// owner lists is kept byte for byte, and its other image formats are
// encoded from it when someone asks for them. (BMP would cost the owner less
// to encode, but its 25 MB for a 3840x2160 picture take longer to move
// through the server than PNG takes to compress.)
constexpr const char* losslessImages[]
    = { "image/png", "image/bmp", "image/x-bmp", "image/x-portable-pixmap", "image/tiff" };

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
    // The formats in the owner's order; those with an empty target name
    // still have to be read (targets[i] says which).
    ClipboardContents contents;
    std::vector<unsigned long> targets;
    // Indices of the formats to read, in the order they are asked for: the
    // kept picture last, since its owner may take a second to encode it.
    std::vector<size_t> order;
    size_t next = 0;
    std::optional<size_t> picture;
    ContentsHandler handler;
    std::function<void()> pictureRequested;
};

std::unique_ptr<X11SelectionReader> X11SelectionReader::open()
{
    std::unique_ptr<X11Connection> connection = X11Connection::open();
    if (!connection)
        return nullptr;
    return std::make_unique<X11SelectionReader>(std::move(connection));
}

X11SelectionReader::X11SelectionReader(std::unique_ptr<X11Connection> connection, qsizetype byteLimit)
    : m_transfers(std::make_unique<X11SelectionTransfers>(std::move(connection), byteLimit))
{
}

X11SelectionReader::~X11SelectionReader() = default;

unsigned long X11SelectionReader::selectionAtom(Selection selection)
{
    return selection == Selection::primary ? XA_PRIMARY : m_transfers->atom("CLIPBOARD");
}

SelectionReader::Holder X11SelectionReader::holder(Selection selection)
{
    X11Connection& connection = m_transfers->connection();
    const unsigned long owner = XGetSelectionOwner(connection.display(), selectionAtom(selection));
    if (owner == None)
        return Holder::nobody;
    // Both windows' clients in one request: a shortcut press waits on it.
    const unsigned long active = X11ClientIdentity::activeWindow(connection);
    const std::vector<std::optional<X11ClientIdentity::Client>> clients = active
        ? X11ClientIdentity::ofWindows(connection, { owner, active })
        : X11ClientIdentity::ofWindows(connection, { owner });
    const std::optional<X11ClientIdentity::Client>& client = clients.front();
    if (client && client->isThisProcess())
        return Holder::thisProcess;
    // Without a window manager's word or a focused window there is nothing
    // to tell a stale selection by.
    if (!active)
        return Holder::activeProgram;
    const std::optional<X11ClientIdentity::Client>& activeClient = clients.back();
    return client && activeClient && client->sameProgram(*activeClient) ? Holder::activeProgram
                                                                        : Holder::otherProgram;
}

std::optional<QString> X11SelectionReader::readTextNow(Selection selection)
{
    const QDeadlineTimer deadline(answerTimeout);
    const unsigned long selectionName = selectionAtom(selection);
    for (const char* name : textTargets) {
        const Reply reply = m_transfers->wait(selectionName, m_transfers->atom(name), deadline);
        if (reply.outcome != Outcome::refused && reply.outcome != Outcome::delivered)
            return std::nullopt;
        if (reply.outcome == Outcome::delivered) {
            if (std::optional<QString> text
                = ClipboardContents::decodeText({ name, {}, reply.format, reply.data, {} }))
                return text;
        }
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
    const char* name = textTargets[targetIndex];
    m_transfers->start(selection, m_transfers->atom(name), { answerTimeout, answerTimeout, overall },
        [this, selection, name, targetIndex, overall, handler, deliver](Reply reply) {
            if (reply.outcome == Outcome::refused) {
                readTextFrom(selection, targetIndex + 1, overall, handler);
                return;
            }
            if (reply.outcome != Outcome::delivered) {
                deliver(std::nullopt);
                return;
            }
            deliver(ClipboardContents::decodeText({ name, {}, reply.format, reply.data, {} }));
        });
}

void X11SelectionReader::readContents(
    Selection selection, ContentsHandler handler, std::function<void()> pictureRequested)
{
    auto read = std::make_shared<ContentsRead>();
    read->selection = selectionAtom(selection);
    read->deadline = QDeadlineTimer(contentsTimeout);
    read->handler = std::move(handler);
    read->pictureRequested = std::move(pictureRequested);

    if (XGetSelectionOwner(m_transfers->connection().display(), read->selection) == None) {
        // No owner: an empty selection, known to be empty.
        QTimer::singleShot(0, this, [read] { read->handler(ClipboardContents {}); });
        return;
    }
    m_transfers->start(read->selection, m_transfers->atom("TARGETS"),
        { answerTimeout, answerTimeout, read->deadline }, [this, read](Reply reply) {
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
                    listed.push_back(m_transfers->atom(name));
            }
            planFormats(read, listed);
            readNextFormat(read);
        });
}

void X11SelectionReader::planFormats(
    const std::shared_ptr<ContentsRead>& read, const std::vector<unsigned long>& listed)
{
    std::vector<QByteArray> names;
    std::set<unsigned long> seen;
    for (unsigned long target : listed) {
        if (target == None || !seen.insert(target).second)
            continue;
        const QByteArray name = m_transfers->atomName(target);
        if (name.isEmpty() || isMetaTarget(name))
            continue;
        names.push_back(name);
        read->targets.push_back(target);
    }
    QByteArray kept;
    for (const char* lossless : losslessImages) {
        if (std::find(names.begin(), names.end(), lossless) != names.end()) {
            kept = lossless;
            break;
        }
    }
    for (size_t i = 0; i < names.size(); ++i) {
        const QByteArray& name = names[i];
        // A picture as a server pixmap: the owner draws one on request (slow
        // for a large picture) and its id dies with the owner's ownership,
        // so with the picture kept it is not worth keeping.
        if (!kept.isEmpty() && (name == "PIXMAP" || name == "BITMAP")) {
            names.erase(names.begin() + qsizetype(i));
            read->targets.erase(read->targets.begin() + qsizetype(i));
            --i;
            continue;
        }
        ClipboardFormat format;
        if (!kept.isEmpty() && name != kept && !X11SelectionOwner::imageEncoderFor(name).isEmpty()) {
            format = { name, name, 8, {}, kept };
        }
        if (format.target.isEmpty() && name != kept)
            read->order.push_back(i);
        read->contents.formats.append(std::move(format));
    }
    if (!kept.isEmpty()) {
        read->picture = size_t(std::find(names.begin(), names.end(), kept) - names.begin());
        read->order.push_back(*read->picture);
    }
}

void X11SelectionReader::readNextFormat(const std::shared_ptr<ContentsRead>& read)
{
    if (read->next >= read->order.size()) {
        // Refused formats leave no trace, nor do the ones that were to be
        // encoded from a refused picture.
        QList<ClipboardFormat>& formats = read->contents.formats;
        std::set<QByteArray> delivered;
        for (const ClipboardFormat& format : std::as_const(formats)) {
            if (format.convertedFrom.isEmpty())
                delivered.insert(format.target);
        }
        formats.removeIf([&delivered](const ClipboardFormat& format) {
            return format.target.isEmpty()
                || (!format.convertedFrom.isEmpty() && !delivered.contains(format.convertedFrom));
        });
        QTimer::singleShot(0, this, [read] { read->handler(std::move(read->contents)); });
        return;
    }
    if (read->deadline.hasExpired()) {
        giveUp(read);
        return;
    }
    const size_t index = read->order[read->next++];
    const unsigned long target = read->targets[index];
    // A copy may already have taken the picture's place by the time it
    // comes, leaving this read its only copy: it may use all the time left.
    const std::chrono::milliseconds answer = index == read->picture ? contentsTimeout : formatTimeout;
    m_transfers->start(read->selection, target, { answer, formatTimeout, read->deadline },
        [this, read, target, index](Reply reply) {
            ClipboardFormat& slot = read->contents.formats[qsizetype(index)];
            if (reply.outcome == Outcome::delivered) {
                slot = { m_transfers->atomName(target), m_transfers->atomName(reply.type), reply.format,
                    std::move(reply.data), {} };
                // Owners offer the same bytes under several names (image/jpeg
                // and image/jpg, say): hold those bytes once.
                for (const ClipboardFormat& held : std::as_const(read->contents.formats)) {
                    if (&held != &slot && held.data.size() == slot.data.size() && held.data == slot.data) {
                        slot.data = held.data;
                        break;
                    }
                }
            } else if (reply.outcome != Outcome::refused) {
                // A format the owner has but that could not be read (overdue or
                // too large): without it the snapshot would not be the clipboard,
                // and restoring it would lose that format.
                giveUp(read);
                return;
            }
            readNextFormat(read);
        });
    if (index == read->picture && read->pictureRequested) {
        // Everything else has arrived and the owner has the request for the
        // picture in its queue ahead of anything that happens next.
        QTimer::singleShot(0, this, std::exchange(read->pictureRequested, {}));
    }
}

void X11SelectionReader::giveUp(const std::shared_ptr<ContentsRead>& read)
{
    QTimer::singleShot(0, this, [read] { read->handler(std::nullopt); });
}
