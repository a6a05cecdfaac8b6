// SPDX-License-Identifier: MIT
#include "EscapeGrab.h"

#include "HotkeyRegistrar.h"
#include "RegistrarEscapeGrab.h"

std::unique_ptr<EscapeGrab> EscapeGrab::createForSession()
{
    return std::make_unique<RegistrarEscapeGrab>(HotkeyRegistrar::createForSession());
}
