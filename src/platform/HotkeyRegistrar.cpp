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
};

} // namespace

std::unique_ptr<HotkeyRegistrar> HotkeyRegistrar::createForSession()
{
    if (X11Connection* connection = X11Connection::shared())
        return std::make_unique<X11HotkeyRegistrar>(*connection);
    return std::make_unique<UnavailableHotkeyRegistrar>();
}
