// SPDX-License-Identifier: MIT
#include "X11TestTools.h"

#include <QTest>
#include <X11/Xlib.h>
#include <csignal>

namespace {

Display* display()
{
    static Display* connection = XOpenDisplay(nullptr);
    return connection;
}

} // namespace

X11TestTools::Run X11TestTools::run(
    const QString& program, const QStringList& arguments, const QByteArray& input, int timeoutMs)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(program, arguments);
    if (!process.waitForStarted(5000))
        return {};
    process.write(input);
    process.closeWriteChannel();
    QByteArray output;
    const bool finished = QTest::qWaitFor(
        [&] {
            output += process.readAllStandardOutput();
            return process.state() == QProcess::NotRunning;
        },
        timeoutMs);
    output += process.readAllStandardOutput();
    if (!finished) {
        process.kill();
        process.waitForFinished(1000);
        return { -1, output };
    }
    return { process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, output };
}

QStringList X11TestTools::targets(const QString& selection)
{
    const Run listed = run("xclip", { "-selection", selection, "-o", "-t", "TARGETS" });
    return QString::fromUtf8(listed.output).split('\n', Qt::SkipEmptyParts);
}

X11TestTools::Formats X11TestTools::formats(const QString& selection)
{
    Formats result;
    for (const QString& target : targets(selection)) {
        if (target == "TARGETS" || target == "MULTIPLE" || target == "TIMESTAMP" || target == "SAVE_TARGETS"
            || target == "PIXMAP" || target == "BITMAP")
            continue;
        result.emplace_back(target, run("xclip", { "-selection", selection, "-o", "-t", target }).output);
    }
    return result;
}

unsigned long X11TestTools::owner(const char* selection)
{
    return XGetSelectionOwner(display(), XInternAtom(display(), selection, False));
}

void X11TestTools::clear(const char* selection)
{
    XSetSelectionOwner(display(), XInternAtom(display(), selection, False), None, CurrentTime);
    XSync(display(), False);
}

void X11TestTools::focus(unsigned long window)
{
    run("xdotool", { "windowfocus", "--sync", QString::number(window) });
}

X11TestTools::Client::Client(const QString& program, const QStringList& arguments)
    : m_process(std::make_unique<QProcess>())
{
    m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process->start(program, arguments);
    m_process->waitForStarted(5000);
}

X11TestTools::Client::~Client()
{
    if (m_process->state() != QProcess::NotRunning) {
        ::kill(pid_t(m_process->processId()), SIGCONT); // a stopped client ignores the kill until resumed
        m_process->kill();
        m_process->waitForFinished(2000);
    }
}

void X11TestTools::Client::readLines()
{
    while (m_process->canReadLine())
        m_lines.append(m_process->readLine().trimmed());
}

bool X11TestTools::Client::printed(const QByteArray& line)
{
    readLines();
    return m_lines.contains(line);
}

bool X11TestTools::Client::waitPrinted(const QByteArray& line, int timeoutMs)
{
    return QTest::qWaitFor([&] { return printed(line); }, timeoutMs);
}

unsigned long X11TestTools::Client::waitReady(int timeoutMs)
{
    unsigned long window = 0;
    (void)QTest::qWaitFor(
        [&] {
            readLines();
            for (const QByteArray& line : std::as_const(m_lines)) {
                if (line.startsWith("ready ")) {
                    window = line.mid(6).toULong();
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return window;
}

std::unique_ptr<X11TestTools::Client> X11TestTools::helper(const QStringList& arguments)
{
    auto client = std::make_unique<Client>(QStringLiteral(SORVANTEL_CLIPBOARD_HELPER), arguments);
    return client;
}

std::unique_ptr<X11TestTools::Client> X11TestTools::xclipOwner(const char* selection, const QByteArray& text)
{
    const unsigned long before = owner(selection);
    auto client = std::make_unique<Client>(
        "xclip", QStringList { "-quiet", "-selection", QString::fromLatin1(selection).toLower(), "-i" });
    client->process().write(text);
    client->process().closeWriteChannel();
    (void)QTest::qWaitFor([&] { return owner(selection) != before && owner(selection) != 0; }, 5000);
    return client;
}
