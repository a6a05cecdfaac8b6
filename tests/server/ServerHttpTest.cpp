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

TEST_F(ServerHttp, LooksUpAWordOrItsLemmaInBothAccents)
{
    auto client = m_running->client();
    const auto uk = client.Get("/lookup/serendipity?accent=uk");
    const auto us = client.Get("/lookup/serendipity?accent=us");
    ASSERT_TRUE(uk && us);
    EXPECT_EQ(uk->status, 200);
    EXPECT_EQ(uk->get_header_value("Content-Type"), "application/json");
    EXPECT_EQ(uk->get_header_value("X-Content-Type-Options"), "nosniff");
    EXPECT_EQ(json(uk).value("success"), true);
    EXPECT_EQ(data(uk).value("word"), "serendipity");
    EXPECT_EQ(data(uk).value("ipa"), "/sˌɛɹəndˈɪpɪti/");
    EXPECT_EQ(data(us).value("ipa"), "/sˌɛɹəndˈɪpᵻɾi/");
    EXPECT_TRUE(data(uk).value("definition").toString().startsWith("noun: good luck in making unexpected"));
    EXPECT_EQ(data(uk).value("pageUrl"), "https://dictionary.cambridge.org/dictionary/english/serendipity");
    EXPECT_EQ(data(uk).value("audioUrl").toString().toStdString(),
        m_running->origin() + "/pronunciation/serendipity?accent=uk");
    const auto running = client.Get("/lookup/running?accent=uk");
    EXPECT_EQ(data(running).value("word"), "run");
    EXPECT_EQ(data(running).value("ipa"), "/ɹˈʌnɪŋ/") << "the transcription is of the word as selected";
    EXPECT_EQ(data(client.Get("/lookup/Geese")).value("word"), "goose");
    EXPECT_EQ(data(client.Get("/lookup/ice%20cream?accent=us")).value("pageUrl"),
        "https://dictionary.cambridge.org/dictionary/english/ice-cream");
}

TEST_F(ServerHttp, RefusesUnknownWordsBadAccentsAndNonWords)
{
    auto client = m_running->client();
    const std::tuple<std::string, int, const char*> cases[] = {
        { "/lookup/xyzzyq?accent=uk", 404, "No dictionary entry for “xyzzyq”." },
        { "/lookup/run?accent=au", 400, "The accent must be “uk” or “us”." },
        { "/lookup/" + encoded("run; rm -rf"), 400, "“run; rm -rf” is not a word." },
        { "/lookup/" + std::string(65, 'a'), 400, "Words longer than 64 characters are not looked up." },
        { "/lookup/a/b", 400, "“a/b” is not a word." },
        { "/lookup/", 400, "Nothing to look up." },
        // Line breaks reach the word check rather than missing the route.
        { "/pronunciation/a%0Db", 400, "“a\rb” is not a word." },
        { "/lookup/" + encoded("'. ’"), 400, "“'. ’” is not a word." },
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
    const std::tuple<std::string, std::string, int, std::string> cases[] = {
        { "/pronunciation/serendipity?accent=uk", "bytes=100-199", 206, "bytes 100-199/" + size },
        { own, "bytes=-44", 206,
            "bytes " + std::to_string(uk->body.size() - 44) + "-" + std::to_string(uk->body.size() - 1) + "/"
                + size },
        { "/pronunciation/serendipity?accent=uk", "bytes=0-0,5-5", 200, "" },
        { "/pronunciation/serendipity?accent=uk", "bytes=" + size + "-", 416, "bytes */" + size },
    };
    for (const auto& [path, range, status, contentRange] : cases) {
        const auto result = client.Get(path, { { "Range", range } });
        ASSERT_TRUE(result) << range;
        EXPECT_EQ(result->status, status) << range;
        EXPECT_EQ(result->get_header_value("Content-Range"), contentRange) << range;
        if (status == 206) {
            EXPECT_EQ(result->body, uk->body.substr(std::stoul(contentRange.substr(6)), result->body.size()));
        } else if (status == 200) {
            EXPECT_EQ(result->body, uk->body) << range;
        }
    }
    // Answers other than recordings ignore Range.
    const auto lookup = client.Get("/lookup/run", { { "Range", "bytes=0-3" } });
    EXPECT_EQ(lookup->status, 200);
    EXPECT_EQ(json(lookup).value("success"), true);
}

TEST_F(ServerHttp, TranslatesWordsWithTheOfflineDictionaries)
{
    auto client = m_running->client();
    struct Case {
        const char* text;
        const char* target;
        const char* source;
        const char* translated;
    } cases[] = {
        { "house", "ru", "en", "дом; предоставлять жилище" }, // Mueller's English–Russian
        { "dog", "de", "en", "Hund" }, // FreeDict English–German, everyday sense first
        { "house", "fr", "en", "maison" }, { "Geese", "ru", "en", "гусь" }, // under its lemma
        { "собака", "en", "ru",
            "dog, hound, pooch" }, // reverse index: Debian has no Russian–English dictionary
        { "maison", "en", "fr", "house" }, // French–English
        { "Haus", "en", "de", "home" }, { "house", "en", "en", "house" }, // already in the target language
    };
    for (const Case& c : cases) {
        QJsonObject body;
        body.insert("text", QString::fromUtf8(c.text));
        body.insert("target", c.target);
        const auto result = post(client, "/translate", body);
        ASSERT_TRUE(result) << c.text;
        ASSERT_EQ(result->status, 200) << c.text << " → " << c.target << ": " << error(result).toStdString();
        EXPECT_EQ(data(result).value("text").toString().toStdString(), c.text);
        EXPECT_EQ(data(result).value("sourceLanguage").toString().toStdString(), c.source) << c.text;
        EXPECT_EQ(data(result).value("targetLanguage").toString().toStdString(), c.target);
        EXPECT_TRUE(data(result).value("translated").toString().startsWith(QString::fromUtf8(c.translated)))
            << c.text << " → " << c.target << ": "
            << data(result).value("translated").toString().toStdString();
    }
}

TEST_F(ServerHttp, FailsClearlyWhereItCannotTranslate)
{
    auto client = m_running->client();
    struct Case {
        const char* text;
        const char* target;
        int status;
        const char* error;
    } cases[] = {
        { "The weather is lovely today, isn't it?", "ru", 503,
            "Translating sentences needs a translation service: start sorvantel-server with "
            "--translate-url" },
        { "house", "xx", 400, "Unsupported target language “xx”." },
        { "house", "", 400, "Unsupported target language “”." },
        { "house", "uk", 503, "There is no offline English–Ukrainian dictionary" },
        { "Hund", "fr", 503,
            "The offline dictionaries translate only from or into English; German to French" },
        { "serendipity", "ru", 404, "“serendipity” is not in the offline English–Russian dictionary." },
        { "   ", "ru", 400, "Nothing to translate." },
    };
    for (const Case& c : cases) {
        QJsonObject body;
        body.insert("text", QString::fromUtf8(c.text));
        body.insert("target", c.target);
        const auto result = post(client, "/translate", body);
        ASSERT_TRUE(result) << c.text;
        EXPECT_EQ(result->status, c.status) << c.text << " → " << c.target;
        EXPECT_EQ(json(result).value("success"), false);
        EXPECT_FALSE(json(result).contains("data"));
        EXPECT_TRUE(error(result).startsWith(QString::fromUtf8(c.error))) << error(result).toStdString();
    }
}

TEST_F(ServerHttp, TranslatesSentencesThroughAConfiguredService)
{
    FakeHttpServer service([](const httplib::Request& req, httplib::Response& res) {
        const QJsonObject body = QJsonDocument::fromJson(QByteArray::fromStdString(req.body)).object();
        if (body.value("target") == "de") {
            res.status = 400;
            res.set_content(R"({"error":"de is not available"})", "application/json");
            return;
        }
        res.set_content(
            R"({"translatedText":"Погода сегодня чудесная.","detectedLanguage":{"confidence":92,"language":"en"}})",
            "application/json");
    });
    ServerOptions options = testServerOptions();
    options.translateUrl = QString::fromStdString(service.origin() + "/api");
    options.translateKey = "lt-key";
    auto running = startServer(options);
    auto client = running->client();
    QJsonObject body;
    body.insert("text", "The weather is lovely today.");
    body.insert("target", "zh-CN");
    const auto result = post(client, "/translate", body);
    ASSERT_TRUE(result);
    ASSERT_EQ(result->status, 200) << error(result).toStdString();
    EXPECT_EQ(data(result).value("translated").toString().toStdString(), "Погода сегодня чудесная.")
        << result->body;
    EXPECT_EQ(data(result).value("sourceLanguage"), "en");
    EXPECT_EQ(data(result).value("targetLanguage"), "zh-CN");
    const auto received = service.received();
    ASSERT_EQ(received.size(), 1u);
    const auto& request = received.front();
    EXPECT_EQ(request.path, "/api/translate");
    const QJsonObject sent = QJsonDocument::fromJson(QByteArray::fromStdString(request.body)).object();
    EXPECT_EQ(sent.value("q"), "The weather is lovely today.");
    EXPECT_EQ(sent.value("source"), "auto");
    EXPECT_EQ(sent.value("target"), "zh") << "the service's code for Simplified Chinese";
    EXPECT_EQ(sent.value("api_key"), "lt-key");

    body.insert("target", "de");
    const auto refused = post(client, "/translate", body);
    EXPECT_EQ(refused->status, 502);
    EXPECT_EQ(error(refused), "The translation service refused the request (HTTP 400): de is not available");
}

TEST_F(ServerHttp, RefusesRequestsBeforeReadingTheirBodies)
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
    };
    for (const auto& [name, request, status] : cases) {
        const std::string answer = rawExchange(port, request);
        EXPECT_EQ(answer.substr(0, 12), "HTTP/1.1 " + std::to_string(status)) << name << ": " << answer;
        EXPECT_NE(answer.find(R"({"error":")"), std::string::npos) << name << ": " << answer;
        EXPECT_EQ(answer.find("Access-Control-"), std::string::npos) << name;
    }
}

TEST_F(ServerHttp, RelaysItsOwnPronunciations)
{
    auto client = m_running->client();
    const QString audioUrl = data(client.Get("/lookup/geese?accent=uk")).value("audioUrl").toString();
    const auto played = client.Get("/audio?src=" + encoded(audioUrl.toStdString()));
    ASSERT_TRUE(played);
    EXPECT_EQ(played->status, 200) << played->body;
    EXPECT_EQ(played->get_header_value("Content-Type"), "audio/wav");
    EXPECT_EQ(played->body, client.Get("/pronunciation/geese?accent=uk")->body);
    EXPECT_EQ(client.Get("/audio?src=" + encoded(m_running->origin() + "/lookup/run"))->status, 403);
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
