// SPDX-License-Identifier: MIT
#include "X11Clipboard.h"

#include "X11Connection.h"
#include "X11SelectionOwner.h"
#include "X11SelectionReader.h"

#include <QTimer>
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

struct X11Clipboard::SnapshotRead {
    uint64_t changes = 0;
    bool pictureRequested = false;
    std::vector<ContentsHandler> handlers;
    std::vector<std::function<void()>> pictureWaiters;
};

std::unique_ptr<X11Clipboard> X11Clipboard::open()
{
    std::unique_ptr<X11SelectionOwner> owner = X11SelectionOwner::open("CLIPBOARD");
    std::unique_ptr<X11SelectionReader> reader = X11SelectionReader::open();
    if (!owner || !reader)
        return nullptr;
    int eventBase = 0;
    int errorBase = 0;
    if (!XFixesQueryExtension(owner->connection().display(), &eventBase, &errorBase))
        return nullptr;
    return std::make_unique<X11Clipboard>(std::move(reader), std::move(owner), eventBase);
}

X11Clipboard::X11Clipboard(
    std::unique_ptr<X11SelectionReader> reader, std::unique_ptr<X11SelectionOwner> owner, int fixesEventBase)
    : m_reader(std::move(reader))
    , m_owner(std::move(owner))
    , m_fixesEventBase(fixesEventBase)
{
    X11Connection& connection = m_owner->connection();
    Display* display = connection.display();
    int major = 0;
    int minor = 0;
    XFixesQueryVersion(display, &major, &minor);
    XFixesSelectSelectionInput(display, connection.rootWindow(), XInternAtom(display, "CLIPBOARD", False),
        XFixesSetSelectionOwnerNotifyMask | XFixesSelectionWindowDestroyNotifyMask
            | XFixesSelectionClientCloseNotifyMask);
    XFlush(display);
    m_listener = connection.addListener([this](XEvent& event) { onEvent(event); });
}

X11Clipboard::~X11Clipboard()
{
    m_owner->connection().removeListener(m_listener);
}

void X11Clipboard::onEvent(XEvent& event)
{
    if (event.type == m_fixesEventBase + XFixesSelectionNotify)
        ++m_changes;
}

void X11Clipboard::catchUp()
{
    // Every ownership change the server made before this round trip has
    // been reported by the time it returns, including the loss of the
    // clipboard to another program.
    X11Connection& connection = m_owner->connection();
    XSync(connection.display(), False);
    connection.processPendingEvents();
}

uint64_t X11Clipboard::changeCount()
{
    catchUp();
    return m_changes;
}

void X11Clipboard::snapshot(ContentsHandler handler, std::function<void()> pictureRequested)
{
    catchUp();
    // Contents this program restored earlier are at hand already, without a
    // round trip through the server.
    if (m_owner->owns()) {
        QTimer::singleShot(
            0, this, [handler = std::move(handler), contents = m_owner->contents()] { handler(contents); });
        return;
    }
    if (!m_reading || m_reading->changes != m_changes) {
        auto read = std::make_shared<SnapshotRead>();
        read->changes = m_changes;
        m_reading = read;
        m_reader->readContents(
            SelectionReader::Selection::clipboard,
            [this, read](std::optional<ClipboardContents> contents) {
                if (m_reading == read)
                    m_reading.reset();
                for (const ContentsHandler& handler : read->handlers)
                    handler(contents);
            },
            [read] {
                read->pictureRequested = true;
                for (const std::function<void()>& waiter : std::exchange(read->pictureWaiters, {}))
                    waiter();
            });
    }
    m_reading->handlers.push_back(std::move(handler));
    if (!pictureRequested)
        return;
    if (m_reading->pictureRequested)
        QTimer::singleShot(0, this, std::move(pictureRequested));
    else
        m_reading->pictureWaiters.push_back(std::move(pictureRequested));
}

void X11Clipboard::readText(TextHandler handler)
{
    catchUp();
    if (m_owner->owns()) {
        QTimer::singleShot(
            0, this, [handler = std::move(handler), text = m_owner->contents().text()] { handler(text); });
        return;
    }
    m_reader->readText(SelectionReader::Selection::clipboard, std::move(handler));
}

void X11Clipboard::setContents(ClipboardContents contents)
{
    if (contents.isEmpty()) {
        m_owner->clear();
        return;
    }
    if (!m_owner->own(std::move(contents)))
        qWarning("Clipboard: the X server did not give this program the clipboard");
}

bool X11Clipboard::handOverToManager()
{
    catchUp();
    return m_owner->handOverToManager(managerTimeout);
}
