// SPDX-License-Identifier: MIT
// Rewriting against a fake Gemini API on loopback.
#include "AppSettings.h"
#include "GeminiClient.h"
#include "ServerTestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace {

const std::string kKey = "AIzaTestKey-0123456789";

QJsonObject parse(const QByteArray& body)
{
    return QJsonDocument::fromJson(body).object();
}

QString firstText(const QJsonValue& content)
{
    return content.toObject().value("parts").toArray().at(0).toObject().value("text").toString();
}

std::string geminiAnswer(const QString& text)
{
    QJsonObject part { { "text", text } };
    QJsonObject content { { "parts", QJsonArray { part } }, { "role", "model" } };
    QJsonObject candidate { { "content", content }, { "finishReason", "STOP" } };
    return QJsonDocument(QJsonObject { { "candidates", QJsonArray { candidate } } }).toJson().toStdString();
}

} // namespace

TEST(Refine, SendsTheKeyOnlyInItsHeaderAndThePromptAsSystemInstruction)
{
    FakeHttpServer gemini([](const httplib::Request&, httplib::Response& res) {
        res.set_content(
            geminiAnswer("  hey, can you check this?\n---\ncheck this please\n"), "application/json");
    });
    ServerOptions options = testServerOptions();
    options.geminiUrl = QString::fromStdString(gemini.origin());
    options.geminiModel = QStringLiteral("gemini-test-model");
    auto server = startServer(options);
    auto client = server->client();
    const auto result = client.Post("/refine",
        R"({"text":"pls chek this","prompt":"Rewrite it.","apiKey":")" + kKey + R"("})", "application/json");
    ASSERT_TRUE(result);
    ASSERT_EQ(result->status, 200) << result->body;
    const QJsonObject data = parse(QByteArray::fromStdString(result->body)).value("data").toObject();
    EXPECT_EQ(data.value("text"), "pls chek this");
    EXPECT_EQ(data.value("model"), "gemini-test-model");
    EXPECT_EQ(data.value("refined"), "hey, can you check this?\n---\ncheck this please");

    ASSERT_EQ(
        client.Post("/refine", R"({"text":"x","apiKey":"k","prompt":" \n"})", "application/json")->status,
        200);
    const auto received = gemini.received();
    ASSERT_EQ(received.size(), 2u);
    const auto& request = received.front();
    EXPECT_EQ(request.path, "/v1beta/models/gemini-test-model:generateContent");
    int keyHeaders = 0;
    for (const auto& [name, value] : request.headers) {
        keyHeaders += name == "x-goog-api-key" && value == kKey;
        EXPECT_TRUE(name == "x-goog-api-key" || value.find(kKey) == std::string::npos) << name;
    }
    EXPECT_EQ(keyHeaders, 1);
    EXPECT_EQ(request.path.find(kKey), std::string::npos);
    EXPECT_EQ(request.body.find(kKey), std::string::npos);
    const QJsonObject sent = parse(QByteArray::fromStdString(request.body));
    EXPECT_EQ(firstText(sent.value("systemInstruction")), "Rewrite it.");
    EXPECT_EQ(sent.value("contents").toArray().at(0).toObject().value("role"), "user");
    EXPECT_EQ(firstText(sent.value("contents").toArray().at(0)), "pls chek this");
    EXPECT_EQ(firstText(parse(QByteArray::fromStdString(received.back().body)).value("systemInstruction")),
        AppSettings::defaultRefinePrompt());
}

TEST(GeminiClient, ExplainsEveryFailureWithoutTheKey)
{
    struct Case {
        int status;
        std::string body;
        int expectedStatus;
        const char* message;
    } cases[] = {
        { 400, R"({"error":{"message":"API key not valid.","details":[{"reason":"API_KEY_INVALID"}]}})", 401,
            "Gemini did not accept the API key. Check the key in Settings → Refining." },
        { 403, R"({"error":{"code":403,"message":"Permission denied"}})", 401,
            "Gemini did not accept the API key. Check the key in Settings → Refining." },
        { 429, R"({"error":{"code":429}})", 429,
            "Your Gemini quota is used up for now. Wait a little, or check the key's plan in Google AI "
            "Studio." },
        { 503, "<html>overloaded</html>", 502,
            "Gemini could not rewrite the text (HTTP 503). Try again in a moment." },
        { 200, R"({"promptFeedback":{"blockReason":"SAFETY"}})", 502,
            "Gemini declined to rewrite this text (SAFETY)." },
        { 200, geminiAnswer(QString(3000, u'a')), 502, "Gemini's answer was larger than 2000 bytes." },
        { 0, "", 504, "Gemini did not answer within 0.4 seconds. Try again in a moment." },
    };
    const Case* current = nullptr;
    FakeHttpServer gemini([&current](const httplib::Request&, httplib::Response& res) {
        if (current->status == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1500));
            return;
        }
        res.status = current->status;
        res.set_content(current->body, "application/json");
    });
    GeminiClient::Config config;
    config.baseUrl = QString::fromStdString(gemini.origin());
    config.timeout = std::chrono::milliseconds(400);
    config.maxAnswerBytes = 2000;
    for (const Case& c : cases) {
        current = &c;
        const Reply reply = GeminiClient(config).refine("draft", {}, QString::fromStdString(kKey));
        EXPECT_EQ(reply.status, c.expectedStatus) << c.message;
        EXPECT_EQ(parse(reply.body).value("error").toString().toStdString(), c.message);
        EXPECT_FALSE(reply.body.contains(kKey.c_str()));
    }

    int closedPort = 0;
    {
        ConnectionProbe probe("127.0.0.1");
        closedPort = probe.port();
    }
    config.baseUrl = QStringLiteral("http://127.0.0.1:%1").arg(closedPort);
    const Reply unreachable = GeminiClient(config).refine("draft", {}, QString::fromStdString(kKey));
    EXPECT_EQ(unreachable.status, 502);
    EXPECT_EQ(parse(unreachable.body).value("error"),
        "Could not reach Gemini. Check the network connection and try again.");
}

TEST(GeminiClient, AsksForAKeyWithoutCallingGemini)
{
    const GeminiClient client(GeminiClient::Config { QStringLiteral("http://127.0.0.1:9") });
    const std::tuple<const char*, const char*, int> cases[] = {
        { "draft", "", 401 },
        { "draft", "  ", 401 },
        { "draft", "abc\r\nX-Evil: 1", 401 }, // would split the header it travels in
        { " ", "k", 400 },
    };
    for (const auto& [text, key, status] : cases)
        EXPECT_EQ(client.refine(text, {}, key).status, status) << text << "/" << key;
    EXPECT_EQ(parse(client.refine("draft", {}, {}).body).value("error"),
        "Add your Gemini API key in Settings → Refining.");
}
