// SPDX-License-Identifier: MIT
#include "HotkeyRegistrar.h"

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

} // namespace

std::unique_ptr<HotkeyRegistrar> HotkeyRegistrar::createForSession(X11Connection* x11)
{
    if (x11)
        return std::make_unique<X11HotkeyRegistrar>(*x11);
    return std::make_unique<UnavailableHotkeyRegistrar>();
}
