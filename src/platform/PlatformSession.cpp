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
#include "SelectionReader.h"
#include "TranslucencySupport.h"
#include "X11Connection.h"

PlatformSession::PlatformSession()
    : m_x11(X11Connection::open())
    , m_clipboard(Clipboard::createForSession())
    , m_selectionReader(SelectionReader::createForSession())
    , m_keystrokes(KeystrokeSender::createForSession(m_x11.get()))
    , m_pointerWatch(GlobalPointerWatch::createForSession(m_x11.get()))
    , m_escapeGrab(EscapeGrab::createForSession(m_x11.get()))
    , m_translucency(TranslucencySupport::createForSession(m_x11.get()))
    , m_permission(AccessibilityPermission::createForSession(m_x11.get()))
    , m_beeper(Beeper::createForSession(m_x11.get()))
    , m_notifications(std::make_unique<NotificationCenter>())
{
}

PlatformSession::~PlatformSession() = default;

std::unique_ptr<HotkeyRegistrar> PlatformSession::createHotkeyRegistrar() const
{
    return HotkeyRegistrar::createForSession(m_x11.get());
}
