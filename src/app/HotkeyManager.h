// SPDX-License-Identifier: MIT
#pragma once

#include "HotkeyAction.h"
#include "HotkeyRegistrar.h"

#include <QObject>
#include <functional>
#include <map>
#include <memory>

// The program's two global shortcuts. Reports every press as a HotkeyAction
// to onTrigger, on the main thread, on a later turn of the event loop.
class HotkeyManager : public QObject {
    Q_OBJECT
public:
    explicit HotkeyManager(std::unique_ptr<HotkeyRegistrar> registrar, QObject* parent = nullptr);
    ~HotkeyManager() override;
    Q_DISABLE_COPY_MOVE(HotkeyManager)

    std::function<void(HotkeyAction)> onTrigger;
    // A combination the desktop's own settings gave a shortcut (KDE's System
    // Settings), already in force there; on a later turn of the event loop.
    std::function<void(HotkeyAction, uint32_t keyCode, uint32_t modifiers)> onChangedByDesktop;

    // Makes the combination trigger `action`, replacing whatever it had. A
    // refusal leaves `action` without a shortcut and writes one log line.
    // Returns the registrar's status: 0 when registered, otherwise one of
    // HotkeyRegistrar's statuses (taken by another program, no such key here,
    // no system to register with). (`register` is a reserved word in C++.)
    int32_t registerHotkey(HotkeyAction action, uint32_t keyCode, uint32_t modifiers);
    void unregister(HotkeyAction action);
    void unregisterAll();

    bool isRegistered(HotkeyAction action) const { return m_hotKeyRefs.contains(action); }
    // The status of the latest registerHotkey() of `action`, 0 before any.
    int32_t lastStatus(HotkeyAction action) const;

    // The key code a key event of this program's windows names, as the
    // registrar translates it; none for a key the shortcuts cannot use.
    std::optional<uint32_t> keyCodeForNativeKey(unsigned int nativeScanCode) const
    {
        return m_registrar->keyCodeForNativeKey(nativeScanCode);
    }

    // On a Wayland session, what the desktop's own settings have to do with
    // the shortcuts (the registrar's); null on X11.
    const DesktopShortcutGuide* desktopGuide() const { return m_registrar->desktopGuide(); }

private:
    void installHandlerIfNeeded();
    void handlePress(uint32_t id);

    std::unique_ptr<HotkeyRegistrar> m_registrar;
    std::map<HotkeyAction, HotkeyRegistrar::Reference> m_hotKeyRefs;
    std::map<HotkeyAction, int32_t> m_lastStatus;
    bool m_handlerInstalled = false;
};
