// SPDX-License-Identifier: MIT
#pragma once

#include "KeystrokeSender.h"

#include <QObject>
#include <chrono>

class X11Connection;

// Keystrokes as XTest key events on the connection that also holds the
// global shortcuts' grabs. Whether keys are still held is read with
// XQueryKeymap every few milliseconds from the event loop.
class X11KeystrokeSender final : public QObject, public KeystrokeSender {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds releaseTimeout { 1000 };
    static constexpr std::chrono::milliseconds releasePollInterval { 5 };

    // Whether the server offers XTEST.
    static bool isAvailable(X11Connection& connection);

    explicit X11KeystrokeSender(X11Connection& connection);
    Q_DISABLE_COPY_MOVE(X11KeystrokeSender)

    void sendCopy(SentHandler handler) override;
    void sendPaste(SentHandler handler) override;

    // Whether the window with the keyboard focus belongs to a terminal.
    bool focusIsTerminal() const;

private:
    void sendWhenReleased(unsigned long keysym, SentHandler handler);
    bool anyKeyHeld() const;
    // Control+key; false (nothing sent) when the keyboard map lacks either.
    bool press(unsigned long keysym);

    X11Connection& m_connection;
};
