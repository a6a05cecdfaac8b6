// SPDX-License-Identifier: MIT
// Rewriting through the server against a fake Gemini API on loopback.
#include "DefaultRefinePrompt.h"
#include "ServerTestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace {

const std::string kKey = "AIzaTestKey-0123456789";

QJsonObject parse(const std::string& body)
{
    return QJsonDocument::fromJson(QByteArray::fromStdString(body)).object();
}

std::string geminiAnswer(const QString& text)
{
    QJsonObject part { { "text", text } };
    QJsonObject content { { "parts", QJsonArray { part } }, { "role", "model" } };
    QJsonObject candidate { { "content", content }, { "finishReason", "STOP" } };
    return QJsonDocument(QJsonObject { { "candidates", QJsonArray { candidate } } }).toJson().toStdString();
}

class Refine : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_gemini = std::make_unique<FakeHttpServer>([this](
                                                        const httplib::Request& req, httplib::Response& res) {
            (void)req;
            res.status = m_status;
            res.set_content(m_errorBody.empty() ? geminiAnswer(m_answer) : m_errorBody, "application/json");
        });
        ServerOptions options = testServerOptions();
        options.geminiUrl = QString::fromStdString(m_gemini->origin());
        options.geminiModel = QStringLiteral("gemini-test-model");
        m_server = startServer(options);
    }

    httplib::Result refine(const QJsonObject& body)
    {
        auto client = m_server->client();
        return client.Post(
            "/refine", QJsonDocument(body).toJson(QJsonDocument::Compact).toStdString(), "application/json");
    }

    std::unique_ptr<FakeHttpServer> m_gemini;
    std::unique_ptr<RunningServer> m_server;
    int m_status = 200;
    QString m_answer;
    std::string m_errorBody;
};

} // namespace

TEST_F(Refine, SendsTheKeyOnlyInItsHeaderAndThePromptAsSystemInstruction)
{
    m_answer = QStringLiteral(
        "  hey, can you check this?\n---\ncheck this please\n---\ncould you take a look at this?\n");
    const auto result = refine({ { "text", "pls chek this" }, { "prompt", "Rewrite it." },
        { "apiKey", QString::fromStdString(kKey) } });
    ASSERT_TRUE(result);
    ASSERT_EQ(result->status, 200) << result->body;
    const QJsonObject data = parse(result->body).value("data").toObject();
    EXPECT_EQ(data.value("text"), "pls chek this");
    EXPECT_EQ(data.value("model"), "gemini-test-model");
    const QStringList variants = data.value("refined").toString().split(QStringLiteral("\n---\n"));
    EXPECT_EQ(variants,
        (QStringList { "hey, can you check this?", "check this please", "could you take a look at this?" }));

    const auto received = m_gemini->received();
    ASSERT_EQ(received.size(), 1u);
    const auto& request = received.front();
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.path, "/v1beta/models/gemini-test-model:generateContent");
    const auto keys = request.headers.equal_range("x-goog-api-key");
    ASSERT_EQ(std::distance(keys.first, keys.second), 1);
    EXPECT_EQ(keys.first->second, kKey);
    // Nowhere else: not in the address, the body or another header.
    EXPECT_EQ(request.path.find(kKey), std::string::npos);
    EXPECT_EQ(request.body.find(kKey), std::string::npos);
    for (const auto& [name, value] : request.headers) {
        if (name != "x-goog-api-key") {
            EXPECT_EQ(value.find(kKey), std::string::npos) << name;
        }
    }
    const QJsonObject sent = parse(request.body);
    EXPECT_EQ(
        sent.value("systemInstruction").toObject().value("parts").toArray().at(0).toObject().value("text"),
        "Rewrite it.");
    const QJsonObject turn = sent.value("contents").toArray().at(0).toObject();
    EXPECT_EQ(turn.value("role"), "user");
    EXPECT_EQ(turn.value("parts").toArray().at(0).toObject().value("text"), "pls chek this");
}

TEST_F(Refine, UsesTheDefaultPromptWhenNoneIsGiven)
{
    m_answer = QStringLiteral("a\n---\nb\n---\nc");
    for (const QJsonObject& body : { QJsonObject { { "text", "x" }, { "apiKey", "k" } },
             QJsonObject { { "text", "x" }, { "apiKey", "k" }, { "prompt", "  \n" } } }) {
        ASSERT_EQ(refine(body)->status, 200);
        const QJsonObject sent = parse(m_gemini->received().back().body);
        EXPECT_EQ(sent.value("systemInstruction")
                      .toObject()
                      .value("parts")
                      .toArray()
                      .at(0)
                      .toObject()
                      .value("text")
                      .toString(),
            defaultRefinePrompt());
    }
}

TEST_F(Refine, ExplainsEveryFailureWithoutTheKey)
{
    struct Case {
        int status;
        std::string body;
        int expectedStatus;
        const char* message;
    } cases[] = {
        { 400,
            R"({"error":{"code":400,"message":"API key not valid. Please pass a valid API key.","status":"INVALID_ARGUMENT","details":[{"reason":"API_KEY_INVALID"}]}})",
            401, "Gemini did not accept the API key. Check the key in Settings → Refining." },
        { 403, R"({"error":{"code":403,"message":"Permission denied","status":"PERMISSION_DENIED"}})", 401,
            "Gemini did not accept the API key. Check the key in Settings → Refining." },
        { 429, R"({"error":{"code":429,"status":"RESOURCE_EXHAUSTED"}})", 429,
            "Your Gemini quota is used up for now. Wait a little, or check the key's plan in Google AI "
            "Studio." },
        { 503, "<html>overloaded</html>", 502,
            "Gemini could not rewrite the text (HTTP 503). Try again in a moment." },
        { 200, R"({"promptFeedback":{"blockReason":"SAFETY"}})", 502,
            "Gemini declined to rewrite this text (SAFETY)." },
    };
    for (const Case& c : cases) {
        m_status = c.status;
        m_errorBody = c.body;
        const auto result = refine({ { "text", "draft" }, { "apiKey", QString::fromStdString(kKey) } });
        ASSERT_TRUE(result);
        EXPECT_EQ(result->status, c.expectedStatus) << c.status;
        const QJsonObject envelope = parse(result->body);
        EXPECT_EQ(envelope.value("success"), false);
        EXPECT_EQ(envelope.value("error").toString().toStdString(), c.message) << c.status;
        EXPECT_EQ(result->body.find(kKey), std::string::npos);
    }
}

TEST_F(Refine, AsksForAKeyWithoutCallingGemini)
{
    for (const QJsonObject& body :
        { QJsonObject { { "text", "draft" } }, QJsonObject { { "text", "draft" }, { "apiKey", "" } },
            QJsonObject { { "text", "draft" }, { "apiKey", QJsonValue::Null } } }) {
        const auto result = refine(body);
        EXPECT_EQ(result->status, 401);
        EXPECT_EQ(parse(result->body).value("error"), "Add your Gemini API key in Settings → Refining.");
    }
    // A key that would split the header it travels in.
    const auto injected = refine({ { "text", "draft" }, { "apiKey", "abc\r\nX-Evil: 1" } });
    EXPECT_EQ(injected->status, 401);
    EXPECT_EQ(refine({ { "apiKey", "k" } })->status, 400) << "no text";
    EXPECT_TRUE(m_gemini->received().empty());
}

TEST(RefineUnreachable, SaysGeminiCannotBeReached)
{
    int closedPort = 0;
    {
        ConnectionProbe probe("127.0.0.1");
        closedPort = probe.port();
    }
    ServerOptions options = testServerOptions();
    options.geminiUrl = QStringLiteral("http://127.0.0.1:%1").arg(closedPort);
    auto server = startServer(options);
    auto client = server->client();
    const auto result
        = client.Post("/refine", R"({"text":"draft","apiKey":"AIzaSecret"})", "application/json");
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 502);
    EXPECT_EQ(parse(result->body).value("error"),
        "Could not reach Gemini. Check the network connection and try again.");
}
