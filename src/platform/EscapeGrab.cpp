// SPDX-License-Identifier: MIT
#include "EscapeGrab.h"

#include "HotkeyRegistrar.h"
#include "RegistrarEscapeGrab.h"

std::unique_ptr<EscapeGrab> EscapeGrab::createForSession(X11Connection* x11)
{
    return std::make_unique<RegistrarEscapeGrab>(HotkeyRegistrar::createForSession(x11));
}
