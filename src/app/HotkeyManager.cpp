// SPDX-License-Identifier: MIT
#include "HotkeyManager.h"

#include <QDebug>
#include <QPointer>
#include <QTimer>

HotkeyManager::HotkeyManager(std::unique_ptr<HotkeyRegistrar> registrar, QObject* parent)
    : QObject(parent)
    , m_registrar(std::move(registrar))
{
}

HotkeyManager::~HotkeyManager() = default;

int32_t HotkeyManager::registerHotkey(HotkeyAction action, uint32_t keyCode, uint32_t modifiers)
{
    unregister(action);
    installHandlerIfNeeded();
    const HotkeyRegistrar::Result result = m_registrar->registerHotkey(keyCode, modifiers, uint32_t(action));
    m_lastStatus[action] = result.status;
    if (result.status != 0) {
        qWarning().noquote().nospace() << "HotkeyManager: RegisterEventHotKey(" << caseName(action)
                                       << ") failed with status " << result.status;
        return result.status;
    }
    if (result.reference)
        m_hotKeyRefs[action] = result.reference;
    else
        m_hotKeyRefs.erase(action);
    return 0;
}

int32_t HotkeyManager::lastStatus(HotkeyAction action) const
{
    const auto it = m_lastStatus.find(action);
    return it == m_lastStatus.end() ? 0 : it->second;
}

void HotkeyManager::unregister(HotkeyAction action)
{
    const auto it = m_hotKeyRefs.find(action);
    if (it == m_hotKeyRefs.end())
        return;
    const HotkeyRegistrar::Reference reference = it->second;
    m_hotKeyRefs.erase(it);
    m_registrar->unregisterHotkey(reference);
}

void HotkeyManager::unregisterAll()
{
    for (HotkeyAction action : allHotkeyActions)
        unregister(action);
}

void HotkeyManager::installHandlerIfNeeded()
{
    if (m_handlerInstalled)
        return;
    m_handlerInstalled = true;
    QPointer<HotkeyManager> self(this);
    m_registrar->installHandler([self](uint32_t id) {
        if (self)
            self->handlePress(id);
    });
    m_registrar->installChangeHandler([self](uint32_t id, uint32_t keyCode, uint32_t modifiers) {
        const std::optional<HotkeyAction> action = hotkeyActionFromRaw(id);
        if (!self || !action)
            return;
        QTimer::singleShot(0, self, [self, action = *action, keyCode, modifiers] {
            if (self->onChangedByDesktop)
                self->onChangedByDesktop(action, keyCode, modifiers);
        });
    });
}

void HotkeyManager::handlePress(uint32_t id)
{
    const std::optional<HotkeyAction> action = hotkeyActionFromRaw(id);
    if (!action)
        return;
    // Queued, never inline: the callback runs after the press has been handled.
    QTimer::singleShot(0, this, [this, action = *action] {
        if (onTrigger)
            onTrigger(action);
    });
}
