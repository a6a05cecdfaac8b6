// SPDX-License-Identifier: MIT
#include "InstanceBus.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QTimer>

InstanceBus::Claim InstanceBus::claim()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return Claim::noBus;
    // The object first, so that a verb arriving the moment the name is ours
    // finds it.
    if (!bus.registerObject(objectPath, this, QDBusConnection::ExportScriptableSlots))
        return Claim::noBus;
    const auto reply = bus.interface()->registerService(serviceName,
        QDBusConnectionInterface::DontQueueService, QDBusConnectionInterface::DontAllowReplacement);
    if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered)
        return Claim::owned;
    bus.unregisterObject(objectPath);
    return reply.isValid() ? Claim::taken : Claim::noBus;
}

void InstanceBus::release()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected())
        bus.unregisterService(serviceName);
}

QString InstanceBus::forward(CommandLine::Verb verb)
{
    QDBusMessage call
        = QDBusMessage::createMethodCall(serviceName, objectPath, serviceName, QStringLiteral("Perform"));
    call << CommandLine::verbName(verb);
    // The running instance answers at once and does the work afterwards.
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, 5000);
    return reply.type() == QDBusMessage::ErrorMessage ? reply.errorMessage() : QString();
}

void InstanceBus::Perform(const QString& verb)
{
    const CommandLine::Verb parsed = CommandLine::verbFromName(verb);
    if (parsed == CommandLine::Verb::none && !verb.isEmpty())
        return; // a verb of a newer version, say: nothing to do
    // Free before the reply: whoever asked may launch a new instance at once.
    if (parsed == CommandLine::Verb::quit)
        release();
    // After the reply has gone, so that the caller never waits on the work.
    QTimer::singleShot(0, this, [this, parsed] { emit verbReceived(parsed); });
}
