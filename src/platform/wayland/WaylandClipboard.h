// SPDX-License-Identifier: MIT
#pragma once

#include "Clipboard.h"

#include <QObject>
#include <memory>

class DataControlDevice;

// The clipboard on a Wayland desktop with data-control (sway, KWin): set
// through it, so that every program can paste it whichever has the focus
// (XWayland hands an X11 owner's clipboard to Wayland programs only while
// an X11 window is focused there), and read through it. A byte-for-byte
// snapshot, and the hand-over at quit, stay with XWayland's X11 clipboard:
// on Wayland nothing copies over the user's clipboard for a capture.
class WaylandClipboard final : public QObject, public Clipboard {
    Q_OBJECT
public:
    // `dataControl` must outlive it; `xwayland` may be null.
    WaylandClipboard(DataControlDevice& dataControl, std::unique_ptr<Clipboard> xwayland);
    ~WaylandClipboard() override;

    uint64_t changeCount() override;
    void snapshot(ContentsHandler handler, std::function<void()> pictureRequested) override;
    void readText(TextHandler handler) override;
    void setContents(ClipboardContents contents) override;
    bool handOverToManager() override;

private:
    DataControlDevice& m_dataControl;
    std::unique_ptr<Clipboard> m_xwayland;
};
