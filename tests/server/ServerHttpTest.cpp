// SPDX-License-Identifier: MIT
// The server over real HTTP on loopback, with Debian's data.
#include "ServerTestSupport.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

QJsonObject json(const std::string& body)
{
    return QJsonDocument::fromJson(QByteArray::fromStdString(body)).object();
}

QJsonObject json(const httplib::Result& result)
{
    return json(result->body);
}

QJsonObject data(const httplib::Result& result)
{
    return json(result).value("data").toObject();
}

QString error(const httplib::Result& result)
{
    return json(result).value("error").toString();
}

httplib::Result post(httplib::Client& client, const std::string& path, const QJsonObject& body)
{
    return client.Post(
        path, QJsonDocument(body).toJson(QJsonDocument::Compact).toStdString(), "application/json");
}

std::string encoded(const std::string& text)
{
    return QUrl::toPercentEncoding(QString::fromStdString(text)).toStdString();
}

// Sends `request` as is and returns what the server answers until it closes
// the connection or stays silent for five seconds.
std::string rawExchange(int port, const std::string& request)
{
    const int fd = connectTo(port);
    timeval timeout { 5, 0 };
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    std::string answer;
    if (::send(fd, request.data(), request.size(), MSG_NOSIGNAL) == ssize_t(request.size())) {
        char buffer[4096];
        for (ssize_t got; (got = ::recv(fd, buffer, sizeof buffer, 0)) > 0;)
            answer.append(buffer, std::size_t(got));
    }
    ::close(fd);
    return answer;
}

class ServerHttp : public ::testing::Test {
protected:
    void SetUp() override { m_running = startServer(); }
    std::unique_ptr<RunningServer> m_running;
};

} // namespace

TEST_F(ServerHttp, RefusesUnknownWordsBadAccentsAndNonWords)
{
    auto client = m_running->client();
    const std::tuple<std::string, int, const char*> cases[] = {
        { "/lookup/xyzzyq?accent=uk", 404, "No dictionary entry for “xyzzyq”." },
        { "/lookup/run?accent=au", 400, "The accent must be “uk” or “us”." },
        { "/lookup/" + encoded("run; rm -rf"), 400, "“run; rm -rf” is not a word." },
        { "/lookup/" + std::string(65, 'a'), 400, "Words longer than 64 characters are not looked up." },
        { "/lookup/", 400, "Nothing to look up." },
        // Line breaks reach the word check rather than missing the route.
        { "/pronunciation/a%0Db", 400, "“a\rb” is not a word." },
    };
    for (const auto& [path, status, message] : cases) {
        const auto result = client.Get(path);
        ASSERT_TRUE(result) << path;
        EXPECT_EQ(result->status, status) << path;
        EXPECT_EQ(error(result).toStdString(), message) << path;
    }
}

TEST_F(ServerHttp, ServesPronunciationsWholeOrOneRangeOfThem)
{
    auto client = m_running->client();
    const auto uk = client.Get("/pronunciation/serendipity?accent=uk");
    ASSERT_TRUE(uk);
    EXPECT_EQ(uk->status, 200);
    EXPECT_EQ(uk->get_header_value("Content-Type"), "audio/wav");
    EXPECT_EQ(uk->get_header_value("Accept-Ranges"), "bytes");
    ASSERT_GT(uk->body.size(), 10000u);
    EXPECT_EQ(uk->body.substr(0, 4), "RIFF");
    EXPECT_NE(uk->body, client.Get("/pronunciation/serendipity?accent=us")->body) << "one voice per accent";

    const std::string size = std::to_string(uk->body.size());
    const std::string own
        = "/audio?src=" + encoded(m_running->origin() + "/pronunciation/serendipity?accent=uk");
    // Which range is served is ByteRange's rule; here, that both routes answer with it.
    const std::tuple<std::string, std::string, int, std::string> cases[] = {
        { "/pronunciation/serendipity?accent=uk", "bytes=100-199", 206, "bytes 100-199/" + size },
        { own, "bytes=100-199", 206, "bytes 100-199/" + size },
        { own, "bytes=0-0,5-5", 200, "" },
        { "/pronunciation/serendipity?accent=uk", "bytes=" + size + "-", 416, "bytes */" + size },
    };
    for (const auto& [path, range, status, contentRange] : cases) {
        const auto result = client.Get(path, { { "Range", range } });
        ASSERT_TRUE(result) << range;
        EXPECT_EQ(result->status, status) << range;
        EXPECT_EQ(result->get_header_value("Content-Range"), contentRange) << range;
        if (status != 416) {
            EXPECT_EQ(result->body, status == 206 ? uk->body.substr(100, 100) : uk->body) << range;
        }
    }
    // Answers other than recordings ignore Range.
    const auto lookup = client.Get("/lookup/run", { { "Range", "bytes=0-3" } });
    EXPECT_EQ(lookup->status, 200);
    EXPECT_EQ(json(lookup).value("success"), true);
}

TEST_F(ServerHttp, TranslatesWithTheOfflineDictionariesOrSaysWhyNot)
{
    auto client = m_running->client();
    const std::tuple<const char*, const char*, int, const char*> cases[] = {
        { "dog", "de", 200, "Hund" }, // everyday sense first
        { "Geese", "ru", 200, "гусь" }, // under its lemma
        { "собака", "en", 200, "dog, hound, pooch" }, // reverse index: no Russian–English dictionary
        { "Haus", "en", 200, "house" },
        { "house", "en", 200, "house" }, // already in the target language
        { "house", "uk", 503, "There is no offline English–Ukrainian dictionary" },
        { "Hund", "fr", 503,
            "The offline dictionaries translate only from or into English; German to French" },
        { "serendipity", "ru", 404, "“serendipity” is not in the offline English–Russian dictionary." },
        { "   ", "ru", 400, "Nothing to translate." },
        // Apertium, without its '*' before the unknown word
        { "The weather is very nice today, Zorblax.", "es", 200, "El tiempo es muy bueno hoy, Zorblax." },
        { "Das Wetter ist heute sehr schön.", "es", 503,
            "Translating sentences needs a translation service" },
    };
    for (const auto& [text, target, status, expected] : cases) {
        const auto result
            = post(client, "/translate", { { "text", QString::fromUtf8(text) }, { "target", target } });
        ASSERT_TRUE(result) << text;
        EXPECT_EQ(result->status, status) << text << " → " << target << ": " << result->body;
        const QString answer = status == 200 ? data(result).value("translated").toString() : error(result);
        EXPECT_TRUE(answer.startsWith(QString::fromUtf8(expected))) << text << ": " << answer.toStdString();
    }
}

TEST(ServerTranslationService, TranslatesSentencesThroughIt)
{
    FakeHttpServer service([](const httplib::Request& req, httplib::Response& res) {
        if (json(req.body).value("target") == "de")
            res.status = 400;
        res.set_content(res.status == 400
                ? R"({"error":"de is not available"})"
                : R"({"translatedText":"Погода чудесная.","detectedLanguage":{"language":"en"}})",
            "application/json");
    });
    ServerOptions options = testServerOptions();
    options.translateUrl = QString::fromStdString(service.origin() + "/api");
    options.translateKey = "lt-key";
    auto running = startServer(options);
    auto client = running->client();
    const QString text = "The weather is lovely today.";
    const auto result = post(client, "/translate", { { "text", text }, { "target", "zh-CN" } });
    ASSERT_EQ(result->status, 200) << result->body;
    EXPECT_EQ(data(result).value("translated"), "Погода чудесная.");
    EXPECT_EQ(data(result).value("sourceLanguage"), "en");
    ASSERT_EQ(service.received().size(), 1u);
    EXPECT_EQ(service.received().front().path, "/api/translate");
    EXPECT_EQ(json(service.received().front().body),
        (QJsonObject { { "q", text }, { "source", "auto" }, { "target", "zh" }, { "format", "text" },
            { "api_key", "lt-key" } }));
    const auto refused = post(client, "/translate", { { "text", text }, { "target", "de" } });
    EXPECT_EQ(refused->status, 502);
    EXPECT_EQ(error(refused), "The translation service refused the request (HTTP 400): de is not available");
}

TEST_F(ServerHttp, RefusesRequestsInTheEnvelopeBeforeReadingTheirBodies)
{
    const int port = m_running->server->port();
    const std::string host = "Host: 127.0.0.1:" + std::to_string(port) + "\r\n";
    const std::string json = "POST /translate HTTP/1.1\r\n" + host + "Content-Type: application/json\r\n";
    const std::tuple<const char*, std::string, int> cases[] = {
        // The bodies are never finished: a server reading them would wait, not answer.
        { "chunked", json + "Transfer-Encoding: chunked\r\n\r\n10000\r\n" + std::string(4096, 'a'), 411 },
        { "no length", json + "\r\n" + std::string(4096, 'a'), 411 },
        { "too long", json + "Content-Length: 65537\r\n\r\n" + std::string(4096, 'a'), 413 },
        { "gzip", json + "Content-Encoding: gzip\r\nContent-Length: 60000\r\n\r\n\x1f\x8b", 415 },
        { "form",
            "POST /translate HTTP/1.1\r\n" + host + "Content-Type: text/plain\r\nContent-Length: 9\r\n\r\n",
            415 },
        { "another host",
            "GET /lookup/run HTTP/1.1\r\nHost: evil.example:" + std::to_string(port) + "\r\n\r\n", 403 },
        { "a page",
            "GET /lookup/run HTTP/1.1\r\n" + host + "Origin: http://127.0.0.1:" + std::to_string(port)
                + "0\r\n\r\n",
            403 },
        { "wrong method", "PUT /lookup/run HTTP/1.1\r\n" + host + "Content-Length: 0\r\n\r\n", 405 },
        { "unknown route", "GET /nothing HTTP/1.1\r\n" + host + "Connection: close\r\n\r\n", 404 },
        { "two lengths", json + "Content-Length: 2\r\nContent-Length: 3\r\n\r\n{}", 400 },
        // Heads too large for us, yet within what the HTTP library would answer on its own.
        { "long address", "GET /lookup/" + std::string(9000, 'a') + " HTTP/1.1\r\n" + host + "\r\n", 414 },
        { "large header",
            "GET /lookup/run HTTP/1.1\r\n" + host + "X-Pad: " + std::string(20000, 'b') + "\r\n\r\n", 431 },
    };
    for (const auto& [name, request, status] : cases) {
        const std::string answer = rawExchange(port, request);
        EXPECT_EQ(answer.substr(0, 12), "HTTP/1.1 " + std::to_string(status)) << name << ": " << answer;
        EXPECT_NE(answer.find(R"({"error":")"), std::string::npos) << name << ": " << answer;
        EXPECT_NE(answer.find("X-Content-Type-Options: nosniff"), std::string::npos) << name;
        EXPECT_EQ(answer.find("Access-Control-"), std::string::npos) << name;
    }
}

TEST(ServerAvailability, AnswersALookupWhileIdleSlowAndUpstreamCallsHang)
{
    rlimit files {};
    getrlimit(RLIMIT_NOFILE, &files);
    files.rlim_cur = std::min<rlim_t>(files.rlim_max, 8192);
    setrlimit(RLIMIT_NOFILE, &files);
    std::atomic<bool> release { false };
    FakeHttpServer gemini([&release](const httplib::Request&, httplib::Response& res) {
        for (int i = 0; i < 100 && !release; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        res.status = 503;
    });
    ServerOptions options = testServerOptions();
    options.geminiUrl = QString::fromStdString(gemini.origin());
    options.requestDeadline = std::chrono::milliseconds(1500);
    auto running = startServer(options);
    const int port = running->server->port();

    std::vector<std::thread> refines;
    for (int i = 0; i < 8; ++i)
        refines.emplace_back([&running] {
            running->client().Post("/refine", R"({"text":"draft","apiKey":"k"})", "application/json");
        });
    std::vector<int> idle, slow;
    for (int i = 0; i < 1000; ++i)
        idle.push_back(connectTo(port));
    const std::string head = "GET /lookup/house HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\n";
    for (int i = 0; i < 16; ++i) {
        slow.push_back(connectTo(port));
        ::send(slow.back(), head.data(), head.size(), MSG_NOSIGNAL);
    }
    ASSERT_EQ(std::count(idle.begin(), idle.end(), -1) + std::count(slow.begin(), slow.end(), -1), 0);

    const auto lookup = running->client().Get("/lookup/house?accent=uk");
    ASSERT_TRUE(lookup);
    EXPECT_EQ(lookup->status, 200);

    // The slow requests keep sending, a byte at a time, and are closed all the same.
    int closed = 0;
    for (int round = 0; round < 50 && closed < 16; ++round) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        closed = 0;
        for (int fd : slow) {
            pollfd p { fd, POLLIN, 0 };
            char byte = 'X';
            closed += ::poll(&p, 1, 0) == 1 || ::send(fd, &byte, 1, MSG_NOSIGNAL) < 0;
        }
    }
    EXPECT_EQ(closed, 16);
    release = true;
    for (auto& refine : refines)
        refine.join();
    for (int fd : idle)
        ::close(fd);
    for (int fd : slow)
        ::close(fd);
}
