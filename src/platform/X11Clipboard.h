// SPDX-License-Identifier: MIT
#pragma once

#include "Clipboard.h"

#include <QObject>
#include <memory>

class X11SelectionOwner;
class X11SelectionReader;
typedef union _XEvent XEvent;

// CLIPBOARD read through an X11SelectionReader and restored by owning it
// with an X11SelectionOwner; XFixes reports every change of its owner,
// which is the change count.
class X11Clipboard final : public QObject, public Clipboard {
    Q_OBJECT
public:
    // nullptr without an X server or without its XFIXES extension.
    static std::unique_ptr<X11Clipboard> open();

    X11Clipboard(std::unique_ptr<X11SelectionReader> reader, std::unique_ptr<X11SelectionOwner> owner,
        int fixesEventBase);
    ~X11Clipboard() override;
    Q_DISABLE_COPY_MOVE(X11Clipboard)

    uint64_t changeCount() override;
    void snapshot(ContentsHandler handler, std::function<void()> pictureRequested) override;
    void readText(TextHandler handler) override;
    void setContents(ClipboardContents contents) override;
    bool handOverToManager() override;

private:
    struct SnapshotRead;

    void onEvent(XEvent& event);
    void catchUp();

    std::unique_ptr<X11SelectionReader> m_reader;
    std::unique_ptr<X11SelectionOwner> m_owner;
    int m_fixesEventBase = 0;
    int m_listener = 0;
    uint64_t m_changes = 0;
    // The snapshot being read, shared by every snapshot() asked for before
    // it completes while the contents stay the same: an owner still
    // encoding a picture for it would answer a second read only after that.
    std::shared_ptr<SnapshotRead> m_reading;
};
