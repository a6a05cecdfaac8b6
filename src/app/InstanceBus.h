// SPDX-License-Identifier: MIT
#pragma once

#include "CommandLine.h"

#include <QObject>
#include <QString>

// One Sorvantel per user session: the first launch owns a well-known name on
// the session bus and takes verbs through it; a later launch hands its verb
// over and ends.
//
//   gdbus call --session --dest org.sorvantel.Sorvantel --object-path /org/sorvantel/Sorvantel
//     --method org.sorvantel.Sorvantel.Perform translate
class InstanceBus : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.sorvantel.Sorvantel")
public:
    static inline const QString serviceName = QStringLiteral("org.sorvantel.Sorvantel");
    static inline const QString objectPath = QStringLiteral("/org/sorvantel/Sorvantel");

    enum class Claim {
        owned, // this process is the session's instance
        taken, // another process owns the name
        noBus, // no session bus: this process runs alone, unreachable by verbs
    };

    InstanceBus() = default;
    Q_DISABLE_COPY_MOVE(InstanceBus)

    // Tries to own the name and publish Perform.
    Claim claim();

    // Gives the name up; the next launch becomes the session's instance.
    void release();

    // Hands `verb` to the process that owns the name; the error text when it
    // did not take it.
    static QString forward(CommandLine::Verb verb);

public slots:
    // Asked by another launch: the verb's name, empty for a plain launch.
    Q_SCRIPTABLE void Perform(const QString& verb);

signals:
    void verbReceived(CommandLine::Verb verb);
};
