// SPDX-License-Identifier: MIT
#pragma once

#include "ClipboardContents.h"

#include <QString>
#include <functional>
#include <memory>
#include <optional>

// Reads what another program holds in a selection: what the user has
// highlighted (primary) or copied (clipboard). Every read is bounded: an
// owner that does not answer in time counts as no contents, so a hung
// program never freezes this one.
class SelectionReader {
public:
    enum class Selection { primary, clipboard };

    using TextHandler = std::function<void(std::optional<QString>)>;
    // Nothing when the owner did not answer in time: what it holds is
    // unknown, which is not the same as an empty selection.
    using ContentsHandler = std::function<void(std::optional<ClipboardContents>)>;

    // Who holds a selection, as far as reading it goes. A highlight counts
    // only in the program the user is in: PRIMARY outlives the highlight
    // (xterm and browsers keep it after a click elsewhere), so one held by
    // another program is stale.
    enum class Holder { nobody, thisProcess, activeProgram, otherProgram };

    virtual ~SelectionReader() = default;

    // Without waiting on any selection owner: a few round trips to the server.
    virtual Holder holder(Selection selection) = 0;

    // The selection's text, now. Blocks the caller for at most a few hundred
    // milliseconds; nothing when there is no owner, no text form or no
    // answer in time.
    virtual std::optional<QString> readTextNow(Selection selection) = 0;

    // The same without blocking. The handler runs exactly once, on the main
    // thread, on a later turn of the event loop (never while this reader is
    // gone).
    virtual void readText(Selection selection, TextHandler handler) = 0;

    // Every format of the selection, byte for byte, without the targets that
    // describe or act on the selection instead of holding it (TARGETS,
    // MULTIPLE, TIMESTAMP, SAVE_TARGETS, DELETE...). A format the owner
    // refuses is left out; one it is too slow to deliver, or that is too
    // large to hold, makes the contents unknown (nothing), since a copy
    // without it is not what the owner holds. Handler as above.
    // `pictureRequested`, when given, runs when every format but a large
    // picture has arrived and the picture has been asked for: owners encode
    // pictures on request, which can take them a second, and they answer a
    // request in their queue even if they lose the selection meanwhile. It
    // does not run when the contents hold no such picture.
    virtual void readContents(
        Selection selection, ContentsHandler handler, std::function<void()> pictureRequested = {})
        = 0;

    // X11 (on a connection of its own) when an X server is reachable,
    // otherwise one that reads nothing.
    static std::unique_ptr<SelectionReader> createForSession();
};
