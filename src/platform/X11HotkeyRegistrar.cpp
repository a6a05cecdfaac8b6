// SPDX-License-Identifier: MIT
#include "X11HotkeyRegistrar.h"

#include "VirtualKeyMap.h"
#include "X11Connection.h"

#include <QTimer>
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <array>

X11HotkeyRegistrar::X11HotkeyRegistrar(X11Connection& connection)
    : m_connection(connection)
{
    // Without this a held key sends release/press pairs and every repeat
    // would look like a new press.
    Bool supported = False;
    XkbSetDetectableAutoRepeat(m_connection.display(), True, &supported);
    m_numLockMask = readNumLockMask();
    m_listener = m_connection.addListener([this](XEvent& event) { onEvent(event); });
    m_heldWatch = std::make_unique<QTimer>();
    m_heldWatch->setInterval(50);
    QObject::connect(m_heldWatch.get(), &QTimer::timeout, m_heldWatch.get(), [this] { watchHeldKey(); });
}

X11HotkeyRegistrar::~X11HotkeyRegistrar()
{
    m_connection.removeListener(m_listener);
    for (const auto& [reference, grab] : m_grabs)
        ungrab(grab);
    XFlush(m_connection.display());
}

void X11HotkeyRegistrar::installHandler(PressHandler handler)
{
    m_handler = std::move(handler);
}

unsigned int X11HotkeyRegistrar::readNumLockMask() const
{
    Display* display = m_connection.display();
    const KeyCode numLock = XKeysymToKeycode(display, XK_Num_Lock);
    unsigned int mask = 0;
    XModifierKeymap* map = XGetModifierMapping(display);
    if (!map)
        return 0;
    for (int modifier = 0; modifier < 8 && numLock; ++modifier) {
        for (int k = 0; k < map->max_keypermod; ++k) {
            if (map->modifiermap[modifier * map->max_keypermod + k] == numLock)
                mask = 1u << modifier;
        }
    }
    XFreeModifiermap(map);
    return mask;
}

HotkeyRegistrar::Result X11HotkeyRegistrar::registerHotkey(uint32_t keyCode, uint32_t modifiers, uint32_t id)
{
    Display* display = m_connection.display();
    const KeySym keysym = VirtualKeyMap::keysymFor(keyCode);
    const KeyCode keycode = keysym ? XKeysymToKeycode(display, keysym) : 0;
    if (!keycode)
        return { statusInvalidCombination, 0 };

    const Grab added { keysym, keycode, VirtualKeyMap::x11ModifiersFor(modifiers), id };
    const int error = grab(added);
    if (error) {
        // Some lock variants may have been granted; a half-registered shortcut
        // would work only with Caps Lock on, say.
        ungrab(added);
        XFlush(display);
        return { error == BadAccess ? statusTaken : statusInvalidCombination, 0 };
    }
    const Reference reference = m_nextReference++;
    m_grabs.emplace(reference, added);
    return { 0, reference };
}

void X11HotkeyRegistrar::unregisterHotkey(Reference reference)
{
    const auto it = m_grabs.find(reference);
    if (it == m_grabs.end())
        return;
    const Grab grab = it->second;
    m_grabs.erase(it);
    // Another registration may hold the same combination (a re-registration
    // before this one was removed); keep its grab.
    for (const auto& [other, held] : m_grabs) {
        if (held.keycode == grab.keycode && held.modifiers == grab.modifiers)
            return;
    }
    m_connection.trapErrors([&] { ungrab(grab); });
}

int X11HotkeyRegistrar::grab(const Grab& grab)
{
    Display* display = m_connection.display();
    const unsigned int numLock = m_numLockMask;
    return m_connection.trapErrors([&] {
        for (unsigned int locks : { 0u, unsigned(LockMask), numLock, LockMask | numLock })
            XGrabKey(display, grab.keycode, grab.modifiers | locks, m_connection.rootWindow(), False,
                GrabModeAsync, GrabModeAsync);
    });
}

void X11HotkeyRegistrar::regrabAll()
{
    m_connection.trapErrors([&] {
        for (const auto& [reference, held] : m_grabs)
            ungrab(held);
    });
    m_numLockMask = readNumLockMask();
    for (auto& [reference, held] : m_grabs) {
        // A key gone from the new layout stays registered without a grab,
        // and comes back with a layout that has it again.
        held.keycode = XKeysymToKeycode(m_connection.display(), held.keysym);
        if (held.keycode && grab(held))
            qWarning(
                "HotkeyRegistrar: shortcut %u could not be grabbed again after a layout change", held.id);
    }
    m_heldKeycode = 0;
}

void X11HotkeyRegistrar::watchHeldKey()
{
    char keys[32] = {};
    XQueryKeymap(m_connection.display(), keys);
    if (!m_heldKeycode || !(keys[m_heldKeycode / 8] & (1 << (m_heldKeycode % 8)))) {
        m_heldKeycode = 0;
        m_heldWatch->stop();
    }
}

void X11HotkeyRegistrar::ungrab(const Grab& grab)
{
    Display* display = m_connection.display();
    const unsigned int numLock = m_numLockMask;
    for (unsigned int locks : { 0u, unsigned(LockMask), numLock, LockMask | numLock })
        XUngrabKey(display, grab.keycode, grab.modifiers | locks, m_connection.rootWindow());
}

void X11HotkeyRegistrar::onEvent(XEvent& event)
{
    if (event.type == MappingNotify) {
        XRefreshKeyboardMapping(&event.xmapping);
        if (event.xmapping.request == MappingKeyboard || event.xmapping.request == MappingModifier)
            regrabAll();
        return;
    }
    if (event.type == KeyRelease) {
        if (event.xkey.keycode == m_heldKeycode)
            m_heldKeycode = 0;
        return;
    }
    if (event.type != KeyPress)
        return;
    const unsigned int locks = LockMask | m_numLockMask;
    const unsigned int state = event.xkey.state & ~locks & (ShiftMask | ControlMask | Mod1Mask | Mod4Mask);
    for (const auto& [reference, grab] : m_grabs) {
        if (grab.keycode != event.xkey.keycode || grab.modifiers != state)
            continue;
        if (m_heldKeycode == grab.keycode)
            return; // auto-repeat of a press already reported
        m_heldKeycode = grab.keycode;
        m_heldWatch->start();
        if (m_handler)
            m_handler(grab.id);
        return;
    }
}

std::optional<uint32_t> X11HotkeyRegistrar::keyCodeForNativeKey(unsigned int nativeScanCode) const
{
    // Qt's scan code on X11 is the X key code.
    return VirtualKeyMap::virtualKeyForX11Keycode(m_connection, nativeScanCode);
}
