// SPDX-License-Identifier: MIT
#include "LookupClient.h"
#include "AwaitTask.h"
#include "GeminiKeyManager.h"
#include "TestHttpServer.h"

#include <QTest>

#include <QJsonDocument>
#include <gtest/gtest.h>

using namespace std::chrono_literals;
using Response = TestHttpServer::Response;

namespace {

const QByteArray entryBody
    = R"({"success": true, "data": {"word": "run", "accent": "uk", "ipa": "r\u028cn"}})";
const QByteArray translationBody
    = R"({"success": true, "data": {"text": "hi", "translated": "salut", "sourceLanguage": "en", "targetLanguage": "fr"}})";
const QByteArray refineBody
    = R"({"success": true, "data": {"text": "hi", "refined": "a\n---\nb", "model": "m"}})";
const QString unreachable = QStringLiteral("Backend is not running. Start it with `sorvantel-server`.");

template <typename T> LookupResult<T> await(QCoro::Task<LookupResult<T>> task)
{
    std::optional<LookupResult<T>> result = awaitTask(std::move(task));
    if (!result) {
        ADD_FAILURE() << "the call never finished";
        return LookupError::server("(never finished)");
    }
    return std::move(*result);
}

template <typename T> QString errorText(const LookupResult<T>& result)
{
    return result ? QStringLiteral("(succeeded)") : result.error().message();
}

class LookupClientTest : public ::testing::Test {
protected:
    TestHttpServer m_server;
    LookupClient m_client { m_server.url(), 5s };
};

TEST_F(LookupClientTest, LookupSendsTheWordInThePathAndTheAccentAsTheOnlyQueryItem)
{
    struct Case {
        QString word;
        QString accent;
        QByteArray path;
        QByteArray query;
    };
    const Case cases[] = {
        { "run", "uk", "/lookup/run", "accent=uk" },
        { "ice cream", "", "/lookup/ice%20cream", "accent=" },
        { u"na\u00EFve"_qs, "a&b #c", "/lookup/na%C3%AFve", "accent=a%26b%20%23c" },
        { "50%", u"\u00E9"_qs, "/lookup/50%25", "accent=%C3%A9" },
        { "what?", "us", "/lookup/what%3F", "accent=us" },
        { "and/or", "us", "/lookup/and/or", "accent=us" }, // a slash is not escaped
        { " Run ", "uk", "/lookup/%20Run%20", "accent=uk" },
    };
    m_server.answer(Response { 200, entryBody });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.word.toStdString());
        const auto result = await(m_client.lookup(c.word, c.accent));
        EXPECT_TRUE(result) << errorText(result).toStdString();
        const TestHttpServer::Request& request = m_server.requests().constLast();
        EXPECT_EQ(request.method, "GET");
        EXPECT_EQ(request.path, c.path);
        EXPECT_EQ(request.query, c.query);
        EXPECT_EQ(request.queryItems().queryItemValue("accent", QUrl::FullyDecoded), c.accent);
    }
}

TEST_F(LookupClientTest, EndpointsAreTheSameWithOrWithoutATrailingSlash)
{
    m_server.answer(Response { 200, translationBody });
    const QString root = m_server.url().toString(); // ends in "/"
    for (const QString& base : { root, root.chopped(1), root + "api", root + "api/" }) {
        SCOPED_TRACE(base.toStdString());
        const bool prefixed = base.contains("api");
        LookupClient client { QUrl(base), 5s };
        await(client.translate("hi", "fr"));
        EXPECT_EQ(m_server.requests().constLast().path, prefixed ? "/api/translate" : "/translate");
        await(client.lookup("run", "uk"));
        EXPECT_EQ(m_server.requests().constLast().path, prefixed ? "/api/lookup/run" : "/lookup/run");
    }
}

TEST_F(LookupClientTest, RefineTrimsThePromptAndCarriesTheStoredKeyOnlyInTheBody)
{
    struct Case {
        const char* name;
        QString prompt;
        std::optional<QString> key;
        std::optional<QString> sentPrompt;
    };
    const QString key = QStringLiteral("AIzaTestKey-0123456789");
    const Case cases[] = {
        { "blank prompt, no key", " \n\t \n", std::nullopt, std::nullopt },
        { "empty prompt, key", "", key, std::nullopt },
        { "prompt with blank lines around it", "\n\n  Be brief.\nNo slang.  \n\n", key,
            "Be brief.\nNo slang." },
        { "empty key is still a key", "p", QString(""), "p" },
    };
    m_server.answer(Response { 200, refineBody });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.key)
            GeminiKeyManager::save(*c.key);
        else
            GeminiKeyManager::remove();
        const auto result = await(m_client.refine(" draft \n", c.prompt));
        EXPECT_TRUE(result) << errorText(result).toStdString();

        const TestHttpServer::Request& request = m_server.requests().constLast();
        EXPECT_EQ(request.method, "POST");
        EXPECT_EQ(request.path, "/refine");
        EXPECT_EQ(request.header("Content-Type"), "application/json");
        const QJsonObject body = request.json();
        EXPECT_EQ(body.value("text").toString(), " draft \n");
        EXPECT_EQ(body.contains("prompt"), c.sentPrompt.has_value());
        EXPECT_EQ(body.value("prompt").toString(), c.sentPrompt.value_or(QString()));
        EXPECT_EQ(body.contains("apiKey"), c.key.has_value());
        EXPECT_EQ(body.value("apiKey").toString(), c.key.value_or(QString()));
        EXPECT_EQ(body.size(), 1 + int(c.sentPrompt.has_value()) + int(c.key.has_value()));

        QByteArray outsideBody = request.path + '?' + request.query;
        for (const auto& [name, value] : request.headers)
            outsideBody += name + ": " + value + '\n';
        EXPECT_FALSE(outsideBody.contains(key.toUtf8()));
    }
    GeminiKeyManager::remove();
}

TEST_F(LookupClientTest, TheEnvelopeNotTheStatusDecides)
{
    struct Case {
        const char* name;
        Response response;
        std::optional<QString> error; // none: the call succeeds
    };
    const Case cases[] = {
        { "404 with an HTML page", { 404, "<html><body>Not Found</body></html>", "text/html" },
            "Server returned an unexpected response (HTTP 404)." },
        { "200 with an empty body", { 200, "", "" }, "Server returned an unexpected response (HTTP 200)." },
        { "502 with plain text", { 502, "Bad gateway", "text/plain" },
            "Server returned an unexpected response (HTTP 502)." },
        { "500 with a failure envelope", { 500, R"({"success": false, "error": "Gemini quota exceeded"})" },
            "Gemini quota exceeded" },
        { "403 with a failure envelope", { 403, R"({"success": false, "error": "Host not allowed"})" },
            "Host not allowed" },
        { "success with null data", { 200, R"({"success": true, "data": null})" }, "Unknown backend error" },
        { "failure without an error", { 200, R"({"success": false})" }, "Unknown backend error" },
        { "entry without accent", { 200, R"({"success": true, "data": {"word": "run"}})" },
            "Server returned an unexpected response (HTTP 200)." },
        { "success with data on 500", { 500, entryBody }, std::nullopt },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_server.answer(c.response);
        const auto result = await(m_client.lookup("run", "uk"));
        if (!c.error) {
            ASSERT_TRUE(result) << errorText(result).toStdString();
            EXPECT_EQ(result->word, "run");
            EXPECT_EQ(result->ipa, QStringLiteral(u"r\u028Cn"));
            EXPECT_FALSE(result->pageUrl);
        } else {
            ASSERT_FALSE(result);
            EXPECT_EQ(result.error().kind(), LookupError::Kind::server);
            EXPECT_EQ(result.error().message(), *c.error);
        }
    }
}

TEST_F(LookupClientTest, TransportFailuresReadAsBackendUnreachable)
{
    LookupClient refused { TestHttpServer::refusingUrl(), 5s };
    const auto result = await(refused.translate("hi", "fr"));
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error(), LookupError::backendUnreachable());
    EXPECT_EQ(result.error().message(), unreachable);

    m_server.hold(); // never answers
    LookupClient impatient { m_server.url(), 200ms };
    const auto timedOut = await(impatient.lookup("run", "uk"));
    ASSERT_FALSE(timedOut);
    EXPECT_EQ(timedOut.error(), LookupError::backendUnreachable());
    EXPECT_EQ(m_server.requests().size(), 1);
}

TEST_F(LookupClientTest, BodiesUpToEightMebibytesAreRead)
{
    struct Case {
        qsizetype size;
        bool announced;
        bool accepted;
    };
    const Case cases[] = {
        { 8388608, false, true },
        { 8388609, false, false },
        { 8388609, true, false },
    };
    const QByteArray head = R"({"success": true, "data": {"word": "run", "accent": "uk", "definition": ")";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        Response response { 200, head + QByteArray(c.size - head.size() - 3, 'a') + R"("}})" };
        response.sendLength = c.announced;
        m_server.answer(response);
        const auto result = await(m_client.lookup("run", "uk"));
        EXPECT_EQ(bool(result), c.accepted) << errorText(result).toStdString();
    }
}

TEST_F(LookupClientTest, CancellingAbortsTheExchange)
{
    m_server.answer(Response { 200, entryBody });
    m_server.hold();
    const LookupClient patient { m_server.url(), 60s };
    auto cancellation = Cancellation::create();
    auto task = patient.lookup("run", "uk", cancellation);
    ASSERT_TRUE(m_server.waitForRequests(1));
    cancellation->cancel();
    EXPECT_FALSE(task.isReady()) << "the load resumed inside cancel()";
    // Well before the client's own time-out could end it.
    const std::optional<LookupResult<DictionaryEntry>> finished = awaitTask(std::move(task), 5000);
    ASSERT_TRUE(finished) << "the exchange went on after cancel()";
    const LookupResult<DictionaryEntry>& result = *finished;
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error(), LookupError::backendUnreachable());
    EXPECT_TRUE(m_server.waitForAbandonedConnections(1)) << "the connection was left open";

    // Already cancelled: nothing goes out.
    const auto late = await(m_client.translate("hi", "fr", cancellation));
    ASSERT_FALSE(late);
    EXPECT_EQ(late.error(), LookupError::backendUnreachable());
    QTest::qWait(50);
    EXPECT_EQ(m_server.requests().size(), 1);
}

TEST_F(LookupClientTest, CallsOutliveTheirClientAndEachOther)
{
    m_server.answer([](const TestHttpServer::Request& request) {
        return Response { 200, request.path == "/translate" ? translationBody : entryBody };
    });
    m_server.hold();
    std::optional<LookupClient> client(std::in_place, m_server.url(), 5s);
    auto translation = client->translate("hi", "fr");
    auto entry = client->lookup("run", "uk");
    client.reset();
    ASSERT_TRUE(m_server.waitForRequests(2));
    m_server.release();
    const auto entryResult = await(std::move(entry));
    const auto translationResult = await(std::move(translation));
    ASSERT_TRUE(entryResult) << errorText(entryResult).toStdString();
    ASSERT_TRUE(translationResult) << errorText(translationResult).toStdString();
    EXPECT_EQ(entryResult->word, "run");
    EXPECT_EQ(translationResult->translated, "salut");
}

TEST_F(LookupClientTest, AudioProxyAddressCarriesTheRecordingWhole)
{
    const QString recording = QStringLiteral(u"https://cdn.example/a b/\u00E9.mp3?token=x/y+z&lang=en#t=1");
    const std::optional<QUrl> address = m_client.audioProxyURL(recording);
    ASSERT_TRUE(address);
    EXPECT_EQ(address->path(), "/audio");
    EXPECT_EQ(address->port(), m_server.url().port());
    const QUrlQuery query(*address);
    ASSERT_EQ(query.queryItems().size(), 1);
    EXPECT_EQ(query.queryItemValue("src", QUrl::FullyDecoded), recording);
}

} // namespace
