// SPDX-License-Identifier: MIT
#pragma once

#include "HotkeyAction.h"

// Which shortcut the settings window's recorder is capturing.
enum class HotkeyTarget { translate, refine };

inline HotkeyAction actionFor(HotkeyTarget target)
{
    return target == HotkeyTarget::translate ? HotkeyAction::translate : HotkeyAction::refine;
}
