// SPDX-License-Identifier: MIT
// Rewriting against a fake Gemini API on loopback.
#include "DefaultRefinePrompt.h"
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

TEST(GeminiClient, SendsTheKeyOnlyInItsHeaderAndThePromptAsSystemInstruction)
{
    FakeHttpServer gemini([](const httplib::Request&, httplib::Response& res) {
        res.set_content(geminiAnswer("  one\n---\ntwo\n"), "application/json");
    });
    const GeminiClient client({ QString::fromStdString(gemini.origin() + "/base/"), "gemini-test-model" });
    const Reply reply = client.refine("pls chek this", "Rewrite it.", QString::fromStdString(kKey));
    ASSERT_EQ(reply.status, 200) << reply.body.toStdString();
    EXPECT_EQ(parse(reply.body).value("data").toObject(),
        (QJsonObject {
            { "text", "pls chek this" }, { "refined", "one\n---\ntwo" }, { "model", "gemini-test-model" } }));
    ASSERT_EQ(client.refine("x", " \n", "k").status, 200);

    const auto received = gemini.received();
    ASSERT_EQ(received.size(), 2u);
    const auto& request = received.front();
    EXPECT_EQ(request.path, "/base/v1beta/models/gemini-test-model:generateContent");
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
        defaultRefinePrompt());
}

TEST(GeminiClient, ExplainsEveryFailureWithoutTheKey)
{
    // Gemini's status (0: no answer in time) and body; this server's status and message.
    using Case = std::tuple<int, std::string, int, const char*>;
    const Case cases[] = {
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
        const auto& [status, body, ours, message] = *current;
        if (status == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1500));
            return;
        }
        res.status = status;
        res.set_content(body, "application/json");
    });
    GeminiClient::Config config;
    config.baseUrl = QString::fromStdString(gemini.origin());
    config.timeout = std::chrono::milliseconds(400);
    config.maxAnswerBytes = 2000;
    for (const Case& c : cases) {
        current = &c;
        const auto& [status, body, ours, message] = c;
        const Reply reply = GeminiClient(config).refine("draft", {}, QString::fromStdString(kKey));
        EXPECT_EQ(reply.status, ours) << message;
        EXPECT_EQ(parse(reply.body).value("error").toString().toStdString(), message);
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
    // The last key would split the header it travels in.
    for (const char* key : { "", "  ", "abc\r\nX-Evil: 1" })
        EXPECT_EQ(client.refine("draft", {}, key).status, 401) << key;
    EXPECT_EQ(parse(client.refine("draft", {}, {}).body).value("error"),
        "Add your Gemini API key in Settings → Refining.");
    EXPECT_EQ(client.refine(" ", {}, "k").status, 400);
}
