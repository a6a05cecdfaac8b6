// SPDX-License-Identifier: MIT
#include "BackendProcess.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QHostAddress>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpSocket>
#include <QTimer>
#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

// A loopback connect is answered at once; a server that takes longer than
// this to accept is busy, not absent, and starting a second one would fail.
constexpr int kProbeTimeoutMs = 1000;
// A running server stops within milliseconds of SIGTERM; one still loading
// its dictionaries only after loading, which may take seconds, and it has
// nothing to lose: quitting does not wait for it.
constexpr int kStopTimeoutMs = 1000;

bool isLoopback(const QString& host)
{
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

} // namespace

BackendProcess::BackendProcess(QUrl serverUrl, QObject* parent)
    : QObject(parent)
    , m_serverUrl(std::move(serverUrl))
{
}

BackendProcess::~BackendProcess()
{
    stop();
}

QString BackendProcess::serverExecutable()
{
    const QString name = QStringLiteral("sorvantel-server");
    const QFileInfo beside(QCoreApplication::applicationDirPath() + QLatin1Char('/') + name);
    if (beside.isFile() && beside.isExecutable())
        return beside.absoluteFilePath();
    return QStandardPaths::findExecutable(name);
}

void BackendProcess::startIfNeeded()
{
    const QString host = m_serverUrl.host();
    if (!isLoopback(host))
        return; // a backend elsewhere is someone else's to run
    auto* probe = new QTcpSocket(this);
    auto* deadline = new QTimer(probe);
    deadline->setSingleShot(true);
    connect(probe, &QTcpSocket::connected, probe, [probe] {
        // Someone's server answers: use it, leave it alone.
        probe->abort();
        probe->deleteLater();
    });
    connect(probe, &QTcpSocket::errorOccurred, probe, [this, probe](QAbstractSocket::SocketError error) {
        probe->deleteLater();
        if (error == QAbstractSocket::ConnectionRefusedError)
            startChild();
    });
    connect(deadline, &QTimer::timeout, probe, [probe] {
        probe->abort();
        probe->deleteLater();
    });
    deadline->start(kProbeTimeoutMs);
    probe->connectToHost(host, quint16(m_serverUrl.port(80)));
}

void BackendProcess::startChild()
{
    if (m_child)
        return;
    const QString program = serverExecutable();
    if (program.isEmpty()) {
        qWarning("Sorvantel: sorvantel-server is neither next to this program nor on PATH; lookups will "
                 "fail until a backend answers at %s",
            qUtf8Printable(m_serverUrl.toString()));
        return;
    }
    auto* child = new QProcess(this);
    child->setProgram(program);
    child->setArguments({ QStringLiteral("--host"), m_serverUrl.host(), QStringLiteral("--port"),
        QString::number(m_serverUrl.port(80)) });
    // Its log lines go where ours go; its one "listening" line on standard
    // output is for scripts that start it by hand.
    child->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child->setStandardOutputFile(QProcess::nullDevice());
    const pid_t parent = getpid();
    child->setChildProcessModifier([parent] {
        // Runs in the child between fork and exec: the kernel sends SIGTERM
        // when this program ends in any way, SIGKILL included. If it ended
        // before this line, the child would be orphaned: leave at once.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent)
            ::_exit(0);
    });
    connect(child, &QProcess::errorOccurred, this, [program](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            qWarning("Sorvantel: could not start %s", qUtf8Printable(program));
    });
    connect(child, &QProcess::finished, this, [child](int code, QProcess::ExitStatus status) {
        if (status == QProcess::CrashExit || code != 0)
            qWarning("Sorvantel: sorvantel-server ended (%s %d)",
                status == QProcess::CrashExit ? "signal" : "status", code);
        child->deleteLater();
    });
    m_child = child;
    child->start();
}

void BackendProcess::stop()
{
    if (!m_child || m_child->state() == QProcess::NotRunning)
        return;
    m_child->terminate();
    if (!m_child->waitForFinished(kStopTimeoutMs)) {
        m_child->kill();
        m_child->waitForFinished(kStopTimeoutMs);
    }
}
