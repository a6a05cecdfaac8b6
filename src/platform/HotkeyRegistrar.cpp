// SPDX-License-Identifier: MIT
#include "HotkeyRegistrar.h"

#include "DesktopShortcutGuide.h"
#include "KGlobalAccelHotkeyRegistrar.h"
#include "VirtualKeyMap.h"
#include "X11Connection.h"
#include "X11HotkeyRegistrar.h"

namespace {

// Where no X server can be reached (a Wayland-only session, say) global
// shortcuts cannot be had; every registration is refused, and the caller's
// failure line says so.
class UnavailableHotkeyRegistrar final : public HotkeyRegistrar {
public:
    void installHandler(PressHandler) override { }
    Result registerHotkey(uint32_t, uint32_t, uint32_t) override { return { statusUnavailable, 0 }; }
    void unregisterHotkey(Reference) override { }
    std::optional<uint32_t> keyCodeForNativeKey(unsigned int) const override { return std::nullopt; }
};

// A Wayland desktop without a shortcut service a program may use: every
// registration is refused, and the guide says how to have the desktop run
// the command-line verbs instead. No key grab is kept "just in case": one
// that fires only while an X11 window has the focus would look like a bug.
class DesktopSettingsHotkeyRegistrar final : public HotkeyRegistrar {
public:
    DesktopSettingsHotkeyRegistrar(X11Connection* x11, DesktopShortcutGuide guide)
        : m_x11(x11)
        , m_guide(std::move(guide))
    {
    }
    void installHandler(PressHandler) override { }
    Result registerHotkey(uint32_t, uint32_t, uint32_t) override
    {
        return { statusBindInDesktopSettings, 0 };
    }
    void unregisterHotkey(Reference) override { }
    std::optional<uint32_t> keyCodeForNativeKey(unsigned int nativeScanCode) const override
    {
        return m_x11 ? VirtualKeyMap::virtualKeyForX11Keycode(*m_x11, nativeScanCode) : std::nullopt;
    }
    const DesktopShortcutGuide* desktopGuide() const override { return &m_guide; }

private:
    X11Connection* m_x11;
    DesktopShortcutGuide m_guide;
};

} // namespace

std::unique_ptr<HotkeyRegistrar> HotkeyRegistrar::createForSession(
    X11Connection* x11, const DisplaySession& session)
{
    if (session.isWayland()) {
        const QDBusConnection bus = QDBusConnection::sessionBus();
        if (KGlobalAccelHotkeyRegistrar::isRunning(bus))
            return std::make_unique<KGlobalAccelHotkeyRegistrar>(bus, x11);
        return std::make_unique<DesktopSettingsHotkeyRegistrar>(
            x11, DesktopShortcutGuide::forCompositor(session.compositor));
    }
    if (x11)
        return std::make_unique<X11HotkeyRegistrar>(*x11);
    return std::make_unique<UnavailableHotkeyRegistrar>();
}
