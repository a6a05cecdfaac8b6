// SPDX-License-Identifier: MIT
#include "WaylandSelectionReader.h"

#include "DataControlDevice.h"

#include <QTimer>

namespace {

DataControlDevice::Selection toDevice(SelectionReader::Selection selection)
{
    return selection == SelectionReader::Selection::primary ? DataControlDevice::Selection::primary
                                                            : DataControlDevice::Selection::clipboard;
}

} // namespace

WaylandSelectionReader::WaylandSelectionReader(
    DataControlDevice* dataControl, std::unique_ptr<SelectionReader> xwayland)
    : m_dataControl(dataControl)
    , m_xwayland(std::move(xwayland))
{
}

WaylandSelectionReader::~WaylandSelectionReader() = default;

SelectionReader::Holder WaylandSelectionReader::holder(Selection selection)
{
    // This program's own windows are X11 ones: XWayland knows when the
    // highlight is in one of them, and a read through the compositor would
    // wait on this very thread.
    const Holder x11 = m_xwayland ? m_xwayland->holder(selection) : Holder::nobody;
    if (x11 == Holder::thisProcess)
        return x11;
    // Wayland tells no client which program has the focus, so there is no
    // "program the user is in" to compare the owner with. The compositor
    // clears the primary selection when the highlighting program unselects
    // or closes, and a new highlight anywhere replaces it; what is on offer
    // is therefore the user's latest highlight, which is what a press of the
    // shortcut means. It may lie in a window the user has since left, a
    // price the alternative (never reading it) would pay on every press.
    if (m_dataControl)
        return m_dataControl->formats(toDevice(selection)).isEmpty() ? Holder::nobody : Holder::activeProgram;
    // XWayland's own view: on GNOME a Wayland program's highlight is held
    // by XWayland's bridge, never by the active X11 window, for the same
    // reason counted as current.
    return x11 == Holder::otherProgram ? Holder::activeProgram : x11;
}

std::optional<QString> WaylandSelectionReader::readTextNow(Selection selection)
{
    if (m_dataControl)
        return m_dataControl->readText(toDevice(selection));
    return m_xwayland ? m_xwayland->readTextNow(selection) : std::nullopt;
}

void WaylandSelectionReader::readText(Selection selection, TextHandler handler)
{
    QTimer::singleShot(
        0, this, [this, selection, handler = std::move(handler)] { handler(readTextNow(selection)); });
}

void WaylandSelectionReader::readContents(
    Selection selection, ContentsHandler handler, std::function<void()> pictureRequested)
{
    if (m_xwayland) {
        m_xwayland->readContents(selection, std::move(handler), std::move(pictureRequested));
        return;
    }
    QTimer::singleShot(0, this, [handler = std::move(handler)] { handler(std::nullopt); });
}
