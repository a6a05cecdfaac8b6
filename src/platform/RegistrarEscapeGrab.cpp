// SPDX-License-Identifier: MIT
#include "RegistrarEscapeGrab.h"

namespace {
constexpr uint32_t kEscapeKeyCode = 53;
}

RegistrarEscapeGrab::RegistrarEscapeGrab(std::unique_ptr<HotkeyRegistrar> registrar)
    : m_registrar(std::move(registrar))
{
    m_registrar->installHandler([this](uint32_t) {
        // A copy: the handler usually releases the grab, which drops it.
        if (PressHandler onPress = m_onPress)
            onPress();
    });
}

RegistrarEscapeGrab::~RegistrarEscapeGrab()
{
    release();
}

bool RegistrarEscapeGrab::grab(PressHandler onPress)
{
    m_onPress = std::move(onPress);
    if (m_reference)
        return true;
    const HotkeyRegistrar::Result result = m_registrar->registerHotkey(kEscapeKeyCode, 0, 1);
    m_reference = result.reference;
    if (result.status != 0)
        m_onPress = nullptr;
    return result.status == 0;
}

void RegistrarEscapeGrab::release()
{
    if (m_reference)
        m_registrar->unregisterHotkey(m_reference);
    m_reference = 0;
    m_onPress = nullptr;
}
