// SPDX-License-Identifier: MIT
#pragma once

#include "DisplaySession.h"

#include <memory>

class AccessibilityPermission;
class DataControlDevice;
class Beeper;
class Clipboard;
class EscapeGrab;
class GlobalPointerWatch;
class HotkeyRegistrar;
class KeystrokeSender;
class NotificationCenter;
class PointerLocator;
class SelectionReader;
class TranslucencySupport;
class WaylandConnection;
class X11Connection;

// The desktop services of one run, each made once: the X11 ones when an X
// server is reachable, on a Wayland session the Wayland ones the compositor
// offers before XWayland's, the honest "not available here" ones otherwise. Made
// after the application object (they use its event loop) and dropped before
// it; whoever makes it hands the services to the parts that use them.
class PlatformSession {
public:
    PlatformSession();
    ~PlatformSession();
    PlatformSession(const PlatformSession&) = delete;
    PlatformSession& operator=(const PlatformSession&) = delete;

    // The connection that holds the grabs and sends the keystrokes; null
    // without an X server.
    X11Connection* x11() const { return m_x11.get(); }
    const DisplaySession& displaySession() const { return m_displaySession; }

    Clipboard& clipboard() const { return *m_clipboard; }
    SelectionReader& selectionReader() const { return *m_selectionReader; }
    KeystrokeSender& keystrokes() const { return *m_keystrokes; }
    GlobalPointerWatch& pointerWatch() const { return *m_pointerWatch; }
    EscapeGrab& escapeGrab() const { return *m_escapeGrab; }
    TranslucencySupport& translucency() const { return *m_translucency; }
    AccessibilityPermission& permission() const { return *m_permission; }
    Beeper& beeper() const { return *m_beeper; }
    NotificationCenter& notifications() const { return *m_notifications; }
    PointerLocator& pointer() const { return *m_pointer; }

    // A registrar of its own for each holder of shortcuts, on the shared
    // connection, so that no holder sees another's presses.
    std::unique_ptr<HotkeyRegistrar> createHotkeyRegistrar() const;

private:
    std::unique_ptr<KeystrokeSender> createKeystrokeSender() const;

    DisplaySession m_displaySession;
    // First in, last out: every service below listens on them.
    std::unique_ptr<X11Connection> m_x11;
    std::unique_ptr<WaylandConnection> m_wayland;
    std::unique_ptr<DataControlDevice> m_dataControl;
    std::unique_ptr<Clipboard> m_clipboard;
    std::unique_ptr<SelectionReader> m_selectionReader;
    std::unique_ptr<KeystrokeSender> m_keystrokes;
    std::unique_ptr<GlobalPointerWatch> m_pointerWatch;
    std::unique_ptr<EscapeGrab> m_escapeGrab;
    std::unique_ptr<TranslucencySupport> m_translucency;
    std::unique_ptr<AccessibilityPermission> m_permission;
    std::unique_ptr<Beeper> m_beeper;
    std::unique_ptr<NotificationCenter> m_notifications;
    std::unique_ptr<PointerLocator> m_pointer;
};
