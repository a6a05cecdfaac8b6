// SPDX-License-Identifier: MIT
#include "ServerOptions.h"

#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <httplib.h>
#include <signal.h>

namespace {

ServerOptions::Parsed parse(QStringList arguments)
{
    arguments.prepend(QStringLiteral("sorvantel-server"));
    return ServerOptions::parse(arguments);
}

} // namespace

TEST(ServerOptions, KeepsAudioHostsInTheFormTheRelayCompares)
{
    const auto parsed = parse({ "--audio-host", "Audio.Example", "--audio-host", "cdn.example:8443",
        "--audio-host", "[2001:DB8::1]", "--audio-host", "[2001:db8::2]:443" });
    EXPECT_EQ(parsed.options.audioHosts,
        (QStringList { "audio.example", "cdn.example:8443", "2001:db8::1", "[2001:db8::2]:443" }));
}

TEST(ServerOptions, RefusesBadValuesWithAClearMessage)
{
    const std::pair<QStringList, const char*> cases[] = {
        { { "--host", "0.0.0.0" }, "--host must be a loopback address" },
        { { "--port", "70000" }, "--port must be a number from 0 to 65535" },
        { { "--gemini-model", "../../v1/files" }, "--gemini-model may hold only" },
        { { "--translate-url", "file:///tmp/x" }, "--translate-url must be an http or https address" },
        { { "--audio-host", "https://cdn.example/" }, "--audio-host takes a host name" },
        { { "--audio-host", "user@cdn.example" }, "--audio-host takes a host name" },
        { { "--translate-key-file", "/nonexistent/key" }, "cannot read /nonexistent/key" },
        { { "extra" }, "unexpected argument" },
    };
    for (const auto& [arguments, message] : cases) {
        const auto parsed = parse(arguments);
        EXPECT_EQ(parsed.outcome, ServerOptions::Outcome::Error) << arguments.join(' ').toStdString();
        EXPECT_TRUE(parsed.message.contains(QString::fromUtf8(message))) << parsed.message.toStdString();
    }
}

TEST(ServerProcess, LogsNoWordsStopsOnSigtermAndSaysWhyItCannotStart)
{
    QTemporaryDir cache;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), cache.path());
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(SORVANTEL_SERVER_BINARY), { "--port", "0", "--verbose" });
    QByteArray line;
    while (!line.contains('\n') && process.waitForReadyRead(30000))
        line += process.readAllStandardOutput();
    ASSERT_TRUE(line.startsWith("sorvantel-server: listening on http://127.0.0.1:")) << line.toStdString();
    // The bare command listens where the desktop program looks for it.
    const auto defaults = parse({});
    EXPECT_EQ(QStringLiteral("http://") + defaults.options.authority(defaults.options.port) + u'/',
        QStringLiteral(SORVANTEL_SERVER_URL));
    const int port = line.trimmed().split(':').last().chopped(1).toInt();
    // A decoded path with a line break and a terminal escape in it.
    EXPECT_EQ(httplib::Client("127.0.0.1", port).Get("/lookup/a%0Ab%1B%5B2J?accent=uk")->status, 400);

    const std::pair<QStringList, QByteArray> failing[] = {
        { { "--port", QString::number(port) },
            "cannot listen on 127.0.0.1 port " + QByteArray::number(port) },
        { { "--port", "0", "--wordnet-dir", "/nonexistent" }, "install wordnet-base" },
    };
    for (const auto& [arguments, message] : failing) {
        QProcess other;
        other.setProcessEnvironment(environment);
        other.start(QStringLiteral(SORVANTEL_SERVER_BINARY), arguments);
        ASSERT_TRUE(other.waitForFinished(30000));
        EXPECT_EQ(other.exitCode(), 1) << message.toStdString();
        EXPECT_TRUE(other.readAllStandardError().contains(message)) << message.toStdString();
    }

    ::kill(pid_t(process.processId()), SIGTERM);
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
    // The log names routes, never the words looked up, and stays one line a request.
    const QByteArray log = process.readAllStandardError();
    EXPECT_TRUE(log.contains("sorvantel-server: GET /lookup 400\n")) << log.toStdString();
    EXPECT_FALSE(log.contains('\x1b') || log.contains("\nb")) << log.toStdString();
}
