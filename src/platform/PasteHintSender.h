// SPDX-License-Identifier: MIT
#pragma once

#include "KeystrokeSender.h"

#include <QObject>

// Where the session lets no program type into another (Wayland on GNOME,
// KDE, weston): the text is already on the clipboard, so instead of a
// paste the user is told, in a desktop notification, to press Ctrl+V.
// Every send reports false: nothing was typed.
class PasteHintSender final : public QObject, public KeystrokeSender {
    Q_OBJECT
public:
    static constexpr const char* hint = "Copied — press Ctrl+V to replace";

    bool sendsCopy() const override { return false; }
    void sendCopy(SentHandler handler) override;
    void sendPaste(SentHandler handler) override;
};
