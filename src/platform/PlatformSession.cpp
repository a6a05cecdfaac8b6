// SPDX-License-Identifier: MIT
#include "PlatformSession.h"

#include "AccessibilityPermission.h"
#include "Beeper.h"
#include "Clipboard.h"
#include "EscapeGrab.h"
#include "GlobalPointerWatch.h"
#include "HotkeyRegistrar.h"
#include "KeystrokeSender.h"
#include "NotificationCenter.h"
#include "PasteHintSender.h"
#include "PointerLocator.h"
#include "SelectionReader.h"
#include "TranslucencySupport.h"
#include "X11Connection.h"
#include "X11SelectionReader.h"
#include "wayland/DataControlDevice.h"
#include "wayland/VirtualKeyboardSender.h"
#include "wayland/WaylandClipboard.h"
#include "wayland/WaylandConnection.h"
#include "wayland/WaylandSelectionReader.h"

PlatformSession::PlatformSession()
    : m_displaySession(DisplaySession::fromEnvironment())
    , m_x11(X11Connection::open())
    , m_wayland(m_displaySession.isWayland() ? WaylandConnection::open() : nullptr)
    , m_dataControl(m_wayland ? DataControlDevice::open(*m_wayland) : nullptr)
    , m_clipboard(m_dataControl
              ? std::make_unique<WaylandClipboard>(*m_dataControl, Clipboard::createForSession())
              : Clipboard::createForSession())
    , m_selectionReader(m_displaySession.isWayland()
              ? std::make_unique<WaylandSelectionReader>(m_dataControl.get(), X11SelectionReader::open())
              : SelectionReader::createForSession())
    , m_keystrokes(createKeystrokeSender())
    , m_pointerWatch(GlobalPointerWatch::createForSession(m_x11.get(), m_displaySession.isWayland()))
    , m_escapeGrab(EscapeGrab::createForSession(m_x11.get()))
    , m_translucency(TranslucencySupport::createForSession(m_x11.get()))
    , m_permission(AccessibilityPermission::createForSession(m_x11.get(), m_displaySession.isWayland()))
    , m_beeper(Beeper::createForSession(m_x11.get()))
    , m_notifications(std::make_unique<NotificationCenter>())
    , m_pointer(PointerLocator::createForSession(m_x11.get(), m_displaySession.isWayland()))
{
}

PlatformSession::~PlatformSession() = default;

std::unique_ptr<KeystrokeSender> PlatformSession::createKeystrokeSender() const
{
    // XTEST through XWayland reaches X11 windows only; a Wayland session is
    // given the keys only where the compositor lets a client type.
    if (!m_displaySession.isWayland())
        return KeystrokeSender::createForSession(m_x11.get());
    if (m_wayland) {
        if (auto keyboard = VirtualKeyboardSender::open(*m_wayland))
            return keyboard;
    }
    return std::make_unique<PasteHintSender>();
}

std::unique_ptr<HotkeyRegistrar> PlatformSession::createHotkeyRegistrar() const
{
    return HotkeyRegistrar::createForSession(m_x11.get(), m_displaySession);
}
