// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <memory>

class X11Connection;

// Synthesised copy and paste keystrokes for the window that has the keyboard
// focus. A keystroke is sent only once the user has let go of every key (the
// shortcut that started the action is usually still held, and a keystroke
// sent then would reach that shortcut's grab, not the application), waiting
// for that at most a second. Terminals never receive one: the selection of a
// terminal is read without copying, and a keystroke there would only be
// typed into the running program. SynthesisedKeystrokes.md says why these keys.
class KeystrokeSender {
public:
    // Runs exactly once, on the main thread, on a later turn of the event
    // loop: true when the keystroke was sent, false when it could not be
    // (no XTEST, no X server) or the focused window is a terminal.
    using SentHandler = std::function<void(bool sent)>;

    virtual ~KeystrokeSender() = default;

    // Whether sendCopy() can work here at all. On Wayland it never does: no
    // sender there knows which program has the focus, so a copy keystroke
    // could land in a terminal as typed text, and the selection is read
    // without copying anyway.
    virtual bool sendsCopy() const { return true; }
    // Ctrl+Insert, the copy keystroke that is harmless in a terminal.
    virtual void sendCopy(SentHandler handler) = 0;
    // Ctrl+V.
    virtual void sendPaste(SentHandler handler) = 0;

    // XTEST on `x11` when it offers it; otherwise one that sends nothing.
    static std::unique_ptr<KeystrokeSender> createForSession(X11Connection* x11);
};
