// SPDX-License-Identifier: MIT
#include "WaylandClipboard.h"

#include "DataControlDevice.h"

#include <QTimer>

WaylandClipboard::WaylandClipboard(DataControlDevice& dataControl, std::unique_ptr<Clipboard> xwayland)
    : m_dataControl(dataControl)
    , m_xwayland(std::move(xwayland))
{
}

WaylandClipboard::~WaylandClipboard() = default;

uint64_t WaylandClipboard::changeCount()
{
    return m_dataControl.clipboardChanges();
}

void WaylandClipboard::snapshot(ContentsHandler handler, std::function<void()> pictureRequested)
{
    if (m_xwayland) {
        m_xwayland->snapshot(std::move(handler), std::move(pictureRequested));
        return;
    }
    QTimer::singleShot(0, this, [handler = std::move(handler)] { handler(std::nullopt); });
}

void WaylandClipboard::readText(TextHandler handler)
{
    // Bounded by DataControlDevice::readTimeout.
    QTimer::singleShot(0, this, [this, handler = std::move(handler)] {
        handler(m_dataControl.readText(DataControlDevice::Selection::clipboard));
    });
}

void WaylandClipboard::setContents(ClipboardContents contents)
{
    m_dataControl.setClipboard(std::move(contents));
}

bool WaylandClipboard::handOverToManager()
{
    // What data-control offers dies with this program, and no Wayland
    // clipboard manager protocol exists to hand it to; XWayland's bridge
    // may still have taken a copy into X11, which its manager can keep.
    return m_xwayland && m_xwayland->handOverToManager();
}
