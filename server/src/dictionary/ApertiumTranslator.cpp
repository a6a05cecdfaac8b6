// SPDX-License-Identifier: MIT
#include "ApertiumTranslator.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QRegularExpression>
#include <csignal>
#include <unistd.h>

namespace {

// `apertium` is a shell script that starts a pipeline; its own process group
// lets a time-out end every stage, not just the script.
void killGroup(QProcess& process)
{
    if (process.processId() > 0)
        ::kill(-pid_t(process.processId()), SIGKILL);
    process.kill();
    process.waitForFinished(1000);
}

ApertiumTranslator::Result timedOut()
{
    return { ApertiumTranslator::Result::Kind::Failed, {},
        QStringLiteral("The offline translation timed out.") };
}

} // namespace

ApertiumTranslator::ApertiumTranslator()
    : ApertiumTranslator(Config {})
{
}

ApertiumTranslator::ApertiumTranslator(Config config)
    : m_config(std::move(config))
    , m_runs(std::make_unique<std::counting_semaphore<>>(std::max(1, m_config.maxConcurrentRuns)))
{
}

bool ApertiumTranslator::handles(const QString& source, const QString& target)
{
    return source == QLatin1String("en") && target == QLatin1String("es");
}

ApertiumTranslator::Result ApertiumTranslator::translate(const QString& text) const
{
    const QDeadlineTimer deadline(m_config.timeout);
    if (!m_runs->try_acquire_for(m_config.timeout))
        return { Result::Kind::Failed, {},
            QStringLiteral("The offline translation is busy; try again shortly.") };
    const std::unique_ptr<std::counting_semaphore<>, void (*)(std::counting_semaphore<>*)> turn(
        m_runs.get(), [](std::counting_semaphore<>* runs) { runs->release(); });
    QProcess process;
    process.setChildProcessModifier([] { ::setpgid(0, 0); });
    process.setStandardErrorFile(QProcess::nullDevice());
    // -u: no '*' before unknown words; plain text, so markup-like input stays as typed.
    process.start(m_config.program,
        { QStringLiteral("-u"), QStringLiteral("-f"), QStringLiteral("txt"), QStringLiteral("eng-spa") });
    if (!process.waitForStarted(int(std::max<qint64>(1, deadline.remainingTime())))) {
        if (process.error() == QProcess::FailedToStart)
            return {};
        killGroup(process);
        return timedOut();
    }
    process.write(text.toUtf8());
    process.closeWriteChannel();

    QByteArray output;
    while (process.state() != QProcess::NotRunning) {
        if (deadline.hasExpired()) {
            killGroup(process);
            return timedOut();
        }
        process.waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime())));
        output += process.readAllStandardOutput();
        if (output.size() > m_config.maxOutputBytes) {
            killGroup(process);
            return { Result::Kind::Failed, {},
                QStringLiteral("The offline translation gave an unexpectedly long answer.") };
        }
    }
    output += process.readAllStandardOutput();
    // A missing language pair ends the script with an error before any output.
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return {};
    // The pair leaves a doubled space where it drops a word ("y  quiero").
    QString translated = QString::fromUtf8(output).trimmed();
    translated.replace(QRegularExpression(QStringLiteral("(?<=\\S) {2,}(?=\\S)")), QStringLiteral(" "));
    if (translated.isEmpty())
        return {};
    return { Result::Kind::Translated, translated, {} };
}
