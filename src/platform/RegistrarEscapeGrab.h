// SPDX-License-Identifier: MIT
#pragma once

#include "EscapeGrab.h"
#include "HotkeyRegistrar.h"

// Escape as a global shortcut without modifiers, on a registrar that holds
// nothing else, so its presses never mix with the program's own shortcuts.
class RegistrarEscapeGrab final : public EscapeGrab {
public:
    explicit RegistrarEscapeGrab(std::unique_ptr<HotkeyRegistrar> registrar);
    ~RegistrarEscapeGrab() override;

    bool grab(PressHandler onPress) override;
    void release() override;

private:
    std::unique_ptr<HotkeyRegistrar> m_registrar;
    HotkeyRegistrar::Reference m_reference = 0;
    PressHandler m_onPress;
};
