// SPDX-License-Identifier: MIT
#pragma once

#include "KeystrokeSender.h"

#include <QObject>
#include <memory>

class WaylandConnection;
struct zwp_virtual_keyboard_v1;

// Paste on a Wayland compositor that lets clients type (sway, over the
// virtual-keyboard protocol): Ctrl+V goes to whichever surface has the
// keyboard focus, as if typed. It cannot tell whether a key is still held,
// so it sends at once; the paste comes after a click in the popup, when the
// shortcut's keys are long released. No copy keystroke: see sendsCopy().
class VirtualKeyboardSender final : public QObject, public KeystrokeSender {
    Q_OBJECT
public:
    // nullptr when the compositor offers no virtual keyboard or no seat.
    // `connection` must outlive it.
    static std::unique_ptr<VirtualKeyboardSender> open(WaylandConnection& connection);
    ~VirtualKeyboardSender() override;
    Q_DISABLE_COPY_MOVE(VirtualKeyboardSender)

    bool sendsCopy() const override { return false; }
    void sendCopy(SentHandler handler) override;
    void sendPaste(SentHandler handler) override;

private:
    VirtualKeyboardSender(
        WaylandConnection& connection, zwp_virtual_keyboard_v1* keyboard, uint32_t controlMask);

    WaylandConnection& m_connection;
    zwp_virtual_keyboard_v1* m_keyboard;
    uint32_t m_controlMask;
};
