// SPDX-License-Identifier: MIT
#include "ProcessRelauncher.h"

#include <QCoreApplication>
#include <QDebug>
#include <QProcess>

ProcessRelauncher::ProcessRelauncher(QString program)
    : m_program(std::move(program))
{
}

bool ProcessRelauncher::startNewInstance()
{
    // startDetached reports a program that cannot be executed as a failure,
    // so true means the new process really runs.
    const QStringList arguments { waitForPidFlag, QString::number(QCoreApplication::applicationPid()) };
    if (m_program.isEmpty() || !QProcess::startDetached(m_program, arguments)) {
        qWarning().noquote() << "Relauncher: could not start" << m_program;
        return false;
    }
    return true;
}
