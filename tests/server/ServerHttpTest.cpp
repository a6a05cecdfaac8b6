// SPDX-License-Identifier: MIT
// The server over real HTTP on loopback, with Debian's data.
#include "ServerTestSupport.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

QJsonObject json(const httplib::Result& result)
{
    return QJsonDocument::fromJson(QByteArray::fromStdString(result->body)).object();
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

std::string repeated(const std::string& text, int times)
{
    std::string result;
    for (int i = 0; i < times; ++i)
        result += text;
    return result;
}

// Sends `request` as is and returns all the server answers until it closes
// the connection or stays silent for five seconds.
std::string rawExchange(int port, const std::string& request)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(uint16_t(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    timeval timeout { 5, 0 };
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    std::string answer;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0
        && ::send(fd, request.data(), request.size(), MSG_NOSIGNAL) == ssize_t(request.size())) {
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

TEST_F(ServerHttp, LooksUpAWordInBothAccents)
{
    auto client = m_running->client();
    const auto uk = client.Get("/lookup/serendipity?accent=uk");
    const auto us = client.Get("/lookup/serendipity?accent=us");
    ASSERT_TRUE(uk && us);
    EXPECT_EQ(uk->status, 200);
    EXPECT_EQ(uk->get_header_value("Content-Type"), "application/json");
    EXPECT_EQ(json(uk).value("success"), true);
    EXPECT_EQ(data(uk).value("word"), "serendipity");
    EXPECT_EQ(data(uk).value("accent"), "uk");
    EXPECT_EQ(data(us).value("accent"), "us");
    EXPECT_EQ(data(uk).value("ipa"), "/sˌɛɹəndˈɪpɪtɪ/"); // the RP voice
    EXPECT_EQ(data(us).value("ipa"), "/sˌɛɹəndˈɪpᵻɾi/");
    EXPECT_TRUE(data(uk).value("definition").toString().startsWith("noun: good luck in making unexpected"));
    EXPECT_EQ(data(uk).value("pageUrl"), "https://dictionary.cambridge.org/dictionary/english/serendipity");
    EXPECT_EQ(data(uk).value("audioUrl").toString().toStdString(),
        m_running->origin() + "/pronunciation/serendipity?accent=uk");
}

TEST_F(ServerHttp, LooksUpTheLemmaOfAnInflectedWord)
{
    auto client = m_running->client();
    const auto running = client.Get("/lookup/running?accent=uk");
    ASSERT_TRUE(running);
    EXPECT_EQ(data(running).value("word"), "run");
    EXPECT_TRUE(data(running).value("definition").toString().contains("verb: move fast by using one's feet"));
    EXPECT_EQ(data(running).value("pageUrl"), "https://dictionary.cambridge.org/dictionary/english/run");
    // The transcription is of the word as selected.
    EXPECT_EQ(data(running).value("ipa"), "/ɹˈʌnɪŋ/");
    EXPECT_EQ(data(client.Get("/lookup/Geese?accent=us")).value("word"), "goose");
    EXPECT_EQ(data(client.Get("/lookup/ice%20cream?accent=us")).value("pageUrl"),
        "https://dictionary.cambridge.org/dictionary/english/ice-cream");
}

TEST_F(ServerHttp, RefusesUnknownWordsBadAccentsAndNonWords)
{
    auto client = m_running->client();
    struct Case {
        std::string path;
        int status;
        const char* error;
    } cases[] = {
        { "/lookup/xyzzyq?accent=uk", 404, "No dictionary entry for “xyzzyq”." },
        { "/lookup/run?accent=au", 400, "The accent must be “uk” or “us”." },
        { "/lookup/" + encoded("run; rm -rf") + "?accent=uk", 400, "“run; rm -rf” is not a word." },
        { "/lookup/" + std::string(65, 'a') + "?accent=uk", 400,
            "Words longer than 64 characters are not looked up." },
        { "/lookup/a/b?accent=uk", 400, "“a/b” is not a word." },
        { "/lookup/", 400, "Nothing to look up." },
        // Line breaks reach the word check rather than missing the route.
        { "/lookup/a%0Ab?accent=uk", 400, "“a\nb” is not a word." },
        { "/pronunciation/a%0Db?accent=uk", 400, "“a\rb” is not a word." },
        // No letter at all.
        { "/lookup/-?accent=uk", 400, "“-” is not a word." },
        { "/lookup/" + encoded("'. ’") + "?accent=uk", 400, "“'. ’” is not a word." },
        { "/pronunciation/" + encoded("-\u0301-") + "?accent=uk", 400, "“-\u0301-” is not a word." },
        // Letters beyond the Basic Multilingual Plane, counted one each.
        { "/lookup/" + encoded("\U00010437\U0001044F") + "?accent=uk", 404,
            "No dictionary entry for “\U00010437\U0001044F”." },
        { "/lookup/" + encoded(repeated("\U00010437", 64)) + "?accent=uk", 404, nullptr },
        { "/lookup/" + encoded(repeated("\U00010437", 65)) + "?accent=uk", 400,
            "Words longer than 64 characters are not looked up." },
    };
    for (const Case& c : cases) {
        const auto result = client.Get(c.path);
        ASSERT_TRUE(result) << c.path;
        EXPECT_EQ(result->status, c.status) << c.path;
        EXPECT_EQ(json(result).value("success"), false) << c.path;
        if (c.error) {
            EXPECT_EQ(error(result).toStdString(), c.error) << c.path;
        }
    }
    // No accent at all: the default one.
    EXPECT_EQ(data(client.Get("/lookup/run")).value("accent"), "uk");
}

TEST_F(ServerHttp, ServesPronunciationsAsWav)
{
    auto client = m_running->client();
    const auto uk = client.Get("/pronunciation/serendipity?accent=uk");
    const auto us = client.Get("/pronunciation/serendipity?accent=us");
    ASSERT_TRUE(uk && us);
    EXPECT_EQ(uk->status, 200);
    EXPECT_EQ(uk->get_header_value("Content-Type"), "audio/wav");
    ASSERT_GT(uk->body.size(), 10000u);
    EXPECT_EQ(uk->body.substr(0, 4), "RIFF");
    EXPECT_EQ(uk->body.substr(8, 8), "WAVEfmt ");
    EXPECT_NE(uk->body, us->body) << "each accent has its own voice";
    EXPECT_EQ(client.Get("/pronunciation/serendipity?accent=uk")->body, uk->body);
    EXPECT_EQ(client.Get("/pronunciation/%3Cspeak%3E?accent=uk")->status, 400);
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
        { "Haus", "en", "de", "house" }, { "house", "en", "en", "house" }, // already in the target language
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

TEST_F(ServerHttp, RefusesForeignHostsFormsOversizedAndMalformedBodies)
{
    auto client = m_running->client();
    // A page on another name that resolves here (DNS rebinding).
    const auto rebound = client.Get("/lookup/run?accent=uk",
        { { "Host", "attacker.example:" + std::to_string(m_running->server->port()) } });
    ASSERT_TRUE(rebound);
    EXPECT_EQ(rebound->status, 403);
    EXPECT_EQ(json(rebound).value("success"), false);

    const auto form = client.Post("/translate", "text=dog&target=ru", "application/x-www-form-urlencoded");
    ASSERT_TRUE(form);
    EXPECT_EQ(form->status, 415);
    EXPECT_EQ(json(form).value("success"), false);
    EXPECT_EQ(client.Post("/refine", R"({"text":"x"})", "text/plain")->status, 415);

    const std::string huge = R"({"text":")" + std::string(1024 * 1024, 'a') + R"(","target":"ru"})";
    const auto oversized = client.Post("/translate", huge, "application/json");
    ASSERT_TRUE(oversized);
    EXPECT_EQ(oversized->status, 413);
    EXPECT_EQ(error(oversized), "The request body is larger than 64 KiB.");

    auto fresh = m_running->client();
    const auto malformed = fresh.Post("/translate", R"({"text": "dog", "target": )", "application/json");
    ASSERT_TRUE(malformed);
    EXPECT_EQ(malformed->status, 400);
    EXPECT_TRUE(error(malformed).startsWith("The request body is not valid JSON"))
        << error(malformed).toStdString();

    const auto unknown = fresh.Get("/nothing/here");
    ASSERT_TRUE(unknown);
    EXPECT_EQ(unknown->status, 404);
    EXPECT_EQ(unknown->get_header_value("Content-Type"), "application/json");
    EXPECT_EQ(error(unknown), "Not found.");
    const auto wrongMethod = fresh.Get("/translate");
    EXPECT_EQ(wrongMethod->status, 405);
    EXPECT_EQ(json(wrongMethod).value("success"), false);
}

TEST_F(ServerHttp, RefusesChunkedAndCompressedBodiesBeforeReadingThem)
{
    const int port = m_running->server->port();
    const std::string head = "POST /translate HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port)
        + "\r\nContent-Type: application/json\r\n";
    struct Case {
        const char* name;
        std::string request;
    } cases[] = {
        // The body is never finished: a server reading it would wait, not answer.
        { "chunked", head + "Transfer-Encoding: chunked\r\n\r\n10000\r\n" + std::string(4096, 'a') },
        { "gzip",
            head + "Content-Encoding: gzip\r\nContent-Length: 60000\r\n\r\n"
                + std::string("\x1f\x8b\x08\0", 4) },
        { "br", head + "Content-Encoding: br\r\nContent-Length: 100\r\n\r\n" },
        { "gzip after identity", head + "Content-Encoding: identity, gzip\r\nContent-Length: 100\r\n\r\n" },
        { "chunked GET",
            "GET /lookup/run HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port)
                + "\r\nTransfer-Encoding: chunked\r\n\r\n1\r\n" },
    };
    for (const Case& c : cases) {
        const std::string answer = rawExchange(port, c.request);
        EXPECT_EQ(answer.substr(0, 12), "HTTP/1.1 415") << c.name << ": " << answer;
        EXPECT_NE(
            answer.find(R"("error":"The request body must be sent uncompressed, with a Content-Length.")"),
            std::string::npos)
            << c.name << ": " << answer;
    }

    // Declared as not encoded: answered as usual.
    auto client = m_running->client();
    const auto identity = client.Post("/translate", { { "Content-Encoding", "identity" } },
        R"({"text":"dog","target":"de"})", "application/json");
    ASSERT_TRUE(identity);
    EXPECT_EQ(identity->status, 200) << identity->body;
}

TEST_F(ServerHttp, AnswersOtherMethodsOnKnownRoutesWith405)
{
    auto client = m_running->client();
    const std::string body = R"({"text":"dog","target":"de"})";
    const std::pair<const char*, httplib::Result> cases[] = {
        { "PUT /translate", client.Put("/translate", body, "application/json") },
        { "PATCH /refine", client.Patch("/refine", body, "application/json") },
        { "DELETE /translate", client.Delete("/translate") },
        { "OPTIONS /translate", client.Options("/translate") },
        { "GET /refine", client.Get("/refine") },
        { "PUT /lookup/run", client.Put("/lookup/run", body, "application/json") },
        { "DELETE /pronunciation/run", client.Delete("/pronunciation/run") },
        { "OPTIONS /audio", client.Options("/audio") },
        { "POST /lookup/run", client.Post("/lookup/run", body, "application/json") },
        { "POST /audio", client.Post("/audio", body, "application/json") },
    };
    for (const auto& [name, result] : cases) {
        ASSERT_TRUE(result) << name;
        EXPECT_EQ(result->status, 405) << name;
        EXPECT_EQ(result->get_header_value("Content-Type"), "application/json") << name;
        EXPECT_EQ(error(result), "Method not allowed.") << name;
    }
    EXPECT_EQ(client.Put("/nothing", body, "application/json")->status, 404);
    EXPECT_EQ(client.Head("/lookup/run?accent=uk")->status, 200);
}

TEST_F(ServerHttp, SendsNoCorsHeadersAndRefusesCallsFromPages)
{
    auto client = m_running->client();
    const auto fromPage = client.Get("/lookup/run?accent=uk", { { "Origin", "https://evil.example" } });
    ASSERT_TRUE(fromPage);
    EXPECT_EQ(fromPage->status, 403);
    const auto preflight = client.Options(
        "/translate", { { "Origin", "https://evil.example" }, { "Access-Control-Request-Method", "POST" } });
    ASSERT_TRUE(preflight);
    EXPECT_EQ(preflight->status, 403);
    EXPECT_EQ(error(preflight), "Requests from web pages are not answered.");
    const auto plain = client.Get("/lookup/run?accent=uk");
    for (const auto* result : { &fromPage, &preflight, &plain }) {
        for (const auto& [name, value] : (*result)->headers)
            EXPECT_FALSE(QString::fromStdString(name).startsWith("Access-Control-", Qt::CaseInsensitive))
                << name;
    }
    EXPECT_EQ(plain->get_header_value("X-Content-Type-Options"), "nosniff");
}

TEST_F(ServerHttp, RelaysItsOwnPronunciations)
{
    auto client = m_running->client();
    const std::string own = m_running->origin() + "/pronunciation/serendipity?accent=us";
    const auto relayed = client.Get("/audio?src=" + encoded(own));
    ASSERT_TRUE(relayed);
    ASSERT_EQ(relayed->status, 200) << relayed->body;
    EXPECT_EQ(relayed->get_header_value("Content-Type"), "audio/wav");
    EXPECT_EQ(relayed->body, client.Get("/pronunciation/serendipity?accent=us")->body);
    // The audio address of a lookup, as the popup plays it.
    const QString audioUrl = data(client.Get("/lookup/geese?accent=uk")).value("audioUrl").toString();
    const auto played = client.Get("/audio?src=" + encoded(audioUrl.toStdString()));
    EXPECT_EQ(played->status, 200);
    EXPECT_EQ(played->body.substr(0, 4), "RIFF");
}

TEST_F(ServerHttp, RefusesRelayTargetsBeforeConnecting)
{
    ConnectionProbe otherLoopback("127.0.0.2");
    ConnectionProbe sameLoopback("127.0.0.1");
    ASSERT_TRUE(otherLoopback.listening() && sameLoopback.listening());
    ServerOptions options = testServerOptions();
    // Even listed, a name that resolves to loopback is refused.
    options.audioHosts = { "localhost", "127.0.0.2" };
    auto running = startServer(options);
    auto client = running->client();
    const std::string port2 = std::to_string(otherLoopback.port()),
                      port1 = std::to_string(sameLoopback.port());
    struct Case {
        std::string src;
        const char* reason;
    } cases[] = {
        { "file:///etc/passwd", "only plain http and https addresses are relayed" },
        { "ftp://127.0.0.1/a.wav", "only plain http and https addresses are relayed" },
        { "http://127.0.0.2:" + port2 + "/a.wav", "127.0.0.2 is a loopback address" },
        { "http://localhost:" + port1 + "/a.wav", "localhost resolves to a loopback address" },
        { "http://127.0.0.1:" + port1 + "/a.wav", "127.0.0.1 is not a dictionary audio host of this server" },
        { "http://10.1.2.3/a.wav", "10.1.2.3 is not a dictionary audio host of this server" },
        { "http://user@127.0.0.2:" + port2 + "/", "only plain http and https addresses are relayed" },
        { running->origin() + "/lookup/run?accent=uk",
            "only this server's pronunciations are relayed from it" },
        { running->origin() + "/audio?src=x", "only this server's pronunciations are relayed from it" },
    };
    for (const Case& c : cases) {
        const auto result = client.Get("/audio?src=" + encoded(c.src));
        ASSERT_TRUE(result) << c.src;
        EXPECT_EQ(result->status, 403) << c.src;
        EXPECT_EQ(json(result).value("success"), false);
        EXPECT_TRUE(error(result).contains(QString::fromUtf8(c.reason)))
            << c.src << ": " << error(result).toStdString();
    }
    EXPECT_EQ(otherLoopback.connections(), 0);
    EXPECT_EQ(sameLoopback.connections(), 0);
    EXPECT_EQ(client.Get("/audio")->status, 400);
}
