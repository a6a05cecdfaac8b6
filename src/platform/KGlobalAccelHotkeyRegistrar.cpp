// SPDX-License-Identifier: MIT
#include "KGlobalAccelHotkeyRegistrar.h"

#include "VirtualKeyMap.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDebug>
#include <algorithm>

namespace {

const QString kPath = QStringLiteral("/kglobalaccel");
const QString kInterface = QStringLiteral("org.kde.KGlobalAccel");
const QString kComponentInterface = QStringLiteral("org.kde.kglobalaccel.Component");
// Set these keys now (not only as defaults), and ignore the ones the
// service kept from an earlier run: the program's settings are the truth.
constexpr uint kSetPresent = 2;
constexpr uint kNoAutoloading = 4;
// A call the service does not answer must not freeze the interface.
constexpr int kCallTimeoutMs = 2000;

} // namespace

KGlobalAccelHotkeyRegistrar::KGlobalAccelHotkeyRegistrar(QDBusConnection bus, X11Connection* x11)
    : m_bus(std::move(bus))
    , m_x11(x11)
{
    qDBusRegisterMetaType<QList<int>>();
}

KGlobalAccelHotkeyRegistrar::~KGlobalAccelHotkeyRegistrar()
{
    // The combinations go back to the desktop when we end.
    for (const auto& [reference, id] : m_registrations)
        setKeys(id, {});
}

bool KGlobalAccelHotkeyRegistrar::isRunning(const QDBusConnection& bus)
{
    return bus.isConnected() && bus.interface() && bus.interface()->isServiceRegistered(service);
}

QString KGlobalAccelHotkeyRegistrar::actionName(uint32_t id)
{
    return id == 1 ? QStringLiteral("translate") : id == 2 ? QStringLiteral("refine") : QString::number(id);
}

QStringList KGlobalAccelHotkeyRegistrar::actionId(uint32_t id) const
{
    // Component name, action name, and the names System Settings shows.
    const QString friendly = id == 1 ? QStringLiteral("Translate the selection")
        : id == 2                    ? QStringLiteral("Rewrite the selection")
                                     : actionName(id);
    return { component, actionName(id), QStringLiteral("Sorvantel"), friendly };
}

void KGlobalAccelHotkeyRegistrar::installHandler(PressHandler handler)
{
    m_handler = std::move(handler);
}

void KGlobalAccelHotkeyRegistrar::installChangeHandler(ChangeHandler handler)
{
    m_changeHandler = std::move(handler);
}

std::optional<QList<int>> KGlobalAccelHotkeyRegistrar::setKeys(uint32_t id, const QList<int>& keys)
{
    QDBusMessage call
        = QDBusMessage::createMethodCall(service, kPath, kInterface, QStringLiteral("setShortcut"));
    call << actionId(id) << QVariant::fromValue(keys) << (kSetPresent | kNoAutoloading);
    const QDBusReply<QList<int>> reply = m_bus.call(call, QDBus::Block, kCallTimeoutMs);
    if (!reply.isValid()) {
        qWarning().noquote() << "HotkeyRegistrar: kglobalaccel refused setShortcut:"
                             << reply.error().message();
        return std::nullopt;
    }
    return reply.value();
}

HotkeyRegistrar::Result KGlobalAccelHotkeyRegistrar::registerHotkey(
    uint32_t keyCode, uint32_t modifiers, uint32_t id)
{
    const int key = VirtualKeyMap::qtKeyCombinationFor(keyCode, modifiers);
    if (!key)
        return { statusInvalidCombination, 0 };
    QDBusMessage doRegister
        = QDBusMessage::createMethodCall(service, kPath, kInterface, QStringLiteral("doRegister"));
    doRegister << actionId(id);
    const QDBusMessage registered = m_bus.call(doRegister, QDBus::Block, kCallTimeoutMs);
    if (registered.type() == QDBusMessage::ErrorMessage)
        return { statusUnavailable, 0 };
    const std::optional<QList<int>> held = setKeys(id, { key });
    if (!held)
        return { statusUnavailable, 0 };
    // The service drops a combination that another component holds and
    // answers with what the action has now.
    if (!held->contains(key))
        return { statusTaken, 0 };
    listenForPresses();
    const Reference reference = m_nextReference++;
    m_registrations.emplace(reference, id);
    return { 0, reference };
}

void KGlobalAccelHotkeyRegistrar::unregisterHotkey(Reference reference)
{
    const auto it = m_registrations.find(reference);
    if (it == m_registrations.end())
        return;
    const uint32_t id = it->second;
    m_registrations.erase(it);
    for (const auto& [other, held] : m_registrations) {
        if (held == id)
            return; // re-registered before this one was removed
    }
    // Emptied rather than removed: the combination is free for others, and
    // System Settings keeps listing the action.
    setKeys(id, {});
}

void KGlobalAccelHotkeyRegistrar::listenForPresses()
{
    if (m_listening)
        return;
    const QDBusReply<QDBusObjectPath> path = m_bus.call(
        QDBusMessage::createMethodCall(service, kPath, kInterface, QStringLiteral("getComponent"))
            << component,
        QDBus::Block, kCallTimeoutMs);
    if (!path.isValid())
        return;
    m_listening = m_bus.connect(service, path.value().path(), kComponentInterface,
        QStringLiteral("globalShortcutPressed"), this, SLOT(onPressed(QString, QString, qlonglong)));
    // System Settings changes a shortcut with setForeignShortcut(Keys),
    // which the service broadcasts to every component as this signal.
    m_bus.connect(service, kPath, kInterface, QStringLiteral("yourShortcutsChanged"), this,
        SLOT(onShortcutChanged(QDBusMessage)));
}

void KGlobalAccelHotkeyRegistrar::onPressed(const QString& componentName, const QString& action, qlonglong)
{
    if (componentName != component || !m_handler)
        return;
    for (const auto& [reference, id] : m_registrations) {
        if (actionName(id) == action) {
            m_handler(id);
            return;
        }
    }
}

void KGlobalAccelHotkeyRegistrar::onShortcutChanged(const QDBusMessage& message)
{
    // (as actionId, a(ai) keys): each key sequence is up to four combinations.
    const QStringList actionId = message.arguments().value(0).toStringList();
    if (actionId.value(0) != component || !m_changeHandler)
        return;
    QList<int> keys;
    const QDBusArgument sequences = message.arguments().value(1).value<QDBusArgument>();
    sequences.beginArray();
    while (!sequences.atEnd()) {
        sequences.beginStructure();
        QList<int> combinations;
        sequences >> combinations;
        sequences.endStructure();
        keys << combinations.value(0);
    }
    sequences.endArray();
    keys.removeAll(0);
    const auto registered = std::find_if(m_registrations.begin(), m_registrations.end(),
        [&](const auto& registration) { return actionName(registration.second) == actionId.value(1); });
    if (registered == m_registrations.end())
        return;
    // A shortcut removed there keeps its action with no keys: the stored
    // combination stays, and comes back at the next start.
    if (keys.isEmpty())
        return;
    // A key the settings cannot hold keeps working through the service as it is.
    const std::optional<VirtualKeyMap::Combination> combination
        = VirtualKeyMap::combinationForQtKey(keys.first());
    if (!combination) {
        qInfo().noquote() << "HotkeyRegistrar: System Settings left" << actionId.value(1)
                          << "with keys the settings cannot hold:" << keys;
        return;
    }
    m_changeHandler(registered->second, combination->virtualKeyCode, combination->carbonModifiers);
}

std::optional<uint32_t> KGlobalAccelHotkeyRegistrar::keyCodeForNativeKey(unsigned int nativeScanCode) const
{
    // Our windows are X11 clients (through XWayland): the scan code is an X key code.
    if (!m_x11)
        return std::nullopt;
    return VirtualKeyMap::virtualKeyForX11Keycode(*m_x11, nativeScanCode);
}
