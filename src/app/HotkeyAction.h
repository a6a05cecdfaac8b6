// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <optional>

// What a global shortcut asks for. The raw value is also the id under which
// the combination is registered with the system.
enum class HotkeyAction : uint32_t {
    translate = 1,
    refine = 2,
};

inline constexpr std::array<HotkeyAction, 2> allHotkeyActions { HotkeyAction::translate,
    HotkeyAction::refine };

inline std::optional<HotkeyAction> hotkeyActionFromRaw(uint32_t raw)
{
    switch (raw) {
    case 1:
        return HotkeyAction::translate;
    case 2:
        return HotkeyAction::refine;
    default:
        return std::nullopt;
    }
}

inline QString caseName(HotkeyAction action)
{
    return action == HotkeyAction::translate ? QStringLiteral("translate") : QStringLiteral("refine");
}
