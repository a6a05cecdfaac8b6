// SPDX-License-Identifier: MIT
#pragma once

#include "ClipboardContents.h"

#include <QString>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

// The system clipboard (the X11 CLIPBOARD selection): what the user copied,
// a count of its changes, a byte-for-byte snapshot and the restore of one.
// Reads are bounded like those of SelectionReader; handlers run exactly
// once, on the main thread, on a later turn of the event loop.
class Clipboard {
public:
    using ContentsHandler = std::function<void(std::optional<ClipboardContents>)>;
    using TextHandler = std::function<void(std::optional<QString>)>;

    virtual ~Clipboard() = default;

    // Grows with every change of the clipboard (every copy, by any program,
    // and every setContents()); equal counts mean nothing was copied between.
    virtual uint64_t changeCount() = 0;

    // Every format of the current contents, byte for byte, the meta targets
    // left out. Nothing when the owner did not deliver every format it lists
    // in time (or one is too large to hold): then its contents are unknown
    // and must not be overwritten.
    // `pictureRequested`: as in SelectionReader::readContents().
    virtual void snapshot(ContentsHandler handler, std::function<void()> pictureRequested = {}) = 0;

    // The current contents' plain text; nothing when there is none or the
    // owner did not answer in time.
    virtual void readText(TextHandler handler) = 0;

    // Replaces the contents with exactly these formats and keeps offering
    // them until another program copies; empty contents leave the clipboard
    // empty.
    virtual void setContents(ClipboardContents contents) = 0;

    // Contents this program holds die with it: at quit, hands them to the
    // desktop's clipboard manager, waiting for it (and serving its requests)
    // at most `managerTimeout`. True when the manager took them; false when
    // there was nothing of ours to keep or no manager took it.
    virtual bool handOverToManager() = 0;
    static constexpr std::chrono::milliseconds managerTimeout { 2000 };

    // Replaces the contents with a plain string.
    void setText(const QString& text) { setContents(ClipboardContents::fromText(text)); }

    // X11 (on connections of its own) when an X server is reachable,
    // otherwise one that holds nothing. The program makes one and shares it.
    static std::unique_ptr<Clipboard> createForSession();
};
