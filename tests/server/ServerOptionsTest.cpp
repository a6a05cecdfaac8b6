// SPDX-License-Identifier: MIT
#include "ServerOptions.h"

#include <QProcess>
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

TEST(ServerOptions, DefaultsToTheAddressTheDesktopProgramIsBuiltFor)
{
    const auto parsed = parse({});
    ASSERT_EQ(parsed.outcome, ServerOptions::Outcome::Run);
    EXPECT_EQ(QStringLiteral("http://") + parsed.options.authority(parsed.options.port) + u'/',
        QStringLiteral(SORVANTEL_SERVER_URL));
    EXPECT_EQ(parsed.options.wordNetDir, "/usr/share/wordnet");
    EXPECT_TRUE(parsed.options.translateUrl.isEmpty());
}

TEST(ServerOptions, ReadsEveryFlag)
{
    const auto parsed
        = parse({ "--host", "::1", "--port", "0", "--translate-url", "http://127.0.0.1:5000/", "--gemini-url",
            "http://127.0.0.1:9/", "--gemini-model", "gemini-2.0-flash", "--audio-host", "Audio.Example",
            "--audio-host", "cdn.example", "--audio-max-bytes", "1000", "--threads", "3", "--verbose" });
    ASSERT_EQ(parsed.outcome, ServerOptions::Outcome::Run) << parsed.message.toStdString();
    const ServerOptions& o = parsed.options;
    EXPECT_EQ(o.host, "::1");
    EXPECT_EQ(o.authority(8080), "[::1]:8080");
    EXPECT_EQ(o.port, 0);
    EXPECT_EQ(o.translateUrl, "http://127.0.0.1:5000/");
    EXPECT_EQ(o.geminiUrl, "http://127.0.0.1:9/");
    EXPECT_EQ(o.geminiModel, "gemini-2.0-flash");
    EXPECT_EQ(o.audioHosts, (QStringList { "audio.example", "cdn.example" }));
    EXPECT_EQ(o.audioMaxBytes, 1000u);
    EXPECT_EQ(o.threads, 3);
    EXPECT_TRUE(o.verbose);
}

TEST(ServerOptions, RefusesBadValuesWithAClearMessage)
{
    const std::pair<QStringList, const char*> cases[] = {
        { { "--host", "0.0.0.0" }, "--host must be a loopback address" },
        { { "--host", "192.168.1.5" }, "--host must be a loopback address" },
        { { "--port", "70000" }, "--port must be a number from 0 to 65535" },
        { { "--port", "http" }, "--port must be a number" },
        { { "--gemini-model", "../../v1/files" }, "--gemini-model may hold only" },
        { { "--translate-url", "file:///tmp/x" }, "--translate-url must be an http or https address" },
        { { "--gemini-url", "ftp://127.0.0.1/" }, "--gemini-url must be an http or https address" },
        { { "--audio-host", "https://cdn.example/" }, "--audio-host takes a host name" },
        { { "--translate-key-file", "/nonexistent/key" }, "cannot read /nonexistent/key" },
        { { "--bogus" }, "Unknown option" },
        { { "extra" }, "unexpected argument" },
    };
    for (const auto& [arguments, message] : cases) {
        const auto parsed = parse(arguments);
        EXPECT_EQ(parsed.outcome, ServerOptions::Outcome::Error) << arguments.join(' ').toStdString();
        EXPECT_TRUE(parsed.message.contains(QString::fromUtf8(message))) << parsed.message.toStdString();
    }
    EXPECT_EQ(parse({ "--help" }).outcome, ServerOptions::Outcome::Help);
    EXPECT_TRUE(parse({ "--help" }).message.contains("--audio-host"));
}

TEST(ServerProcess, StartsAnswersAndStopsOnSigterm)
{
    QProcess process;
    process.setProgram(QStringLiteral(SORVANTEL_SERVER_BINARY));
    process.setArguments({ "--port", "0", "--verbose" });
    process.start();
    ASSERT_TRUE(process.waitForStarted());
    QByteArray line;
    while (!line.contains('\n') && process.waitForReadyRead(30000))
        line += process.readAllStandardOutput();
    ASSERT_TRUE(line.startsWith("sorvantel-server: listening on http://127.0.0.1:")) << line.toStdString();
    const int port = line.trimmed().split(':').last().chopped(1).toInt();
    httplib::Client client("127.0.0.1", port);
    const auto result = client.Get("/lookup/geese?accent=uk");
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 200);
    EXPECT_NE(result->body.find(R"("word":"goose")"), std::string::npos);
    // A decoded path with a line break and a terminal escape in it.
    EXPECT_EQ(client.Get("/lookup/a%0Ab%1B%5B2J?accent=uk")->status, 400);

    ::kill(pid_t(process.processId()), SIGTERM);
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
    const QByteArray log = process.readAllStandardError();
    EXPECT_TRUE(log.contains("loaded")) << log.toStdString();
    // The log names routes, never the words looked up, and stays one line a request.
    EXPECT_TRUE(log.contains("sorvantel-server: GET /lookup 200\n")) << log.toStdString();
    EXPECT_TRUE(log.contains("sorvantel-server: GET /lookup 400\n")) << log.toStdString();
    EXPECT_FALSE(log.contains("geese")) << log.toStdString();
    EXPECT_FALSE(log.contains('\x1b')) << log.toStdString();
    EXPECT_FALSE(log.contains("\nb")) << log.toStdString();
}

TEST(ServerProcess, ExplainsMissingDataAndExits)
{
    QProcess process;
    process.start(
        QStringLiteral(SORVANTEL_SERVER_BINARY), { "--port", "0", "--wordnet-dir", "/nonexistent" });
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitCode(), 1);
    EXPECT_TRUE(process.readAllStandardError().contains("install wordnet-base"));
}
