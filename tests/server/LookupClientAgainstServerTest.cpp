// SPDX-License-Identifier: MIT
// The desktop program's own LookupClient against the real server on loopback.
#include "AwaitTask.h"
#include "GeminiKeyManager.h"
#include "LookupClient.h"
#include "ServerTestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

template <typename T> LookupResult<T> await(QCoro::Task<LookupResult<T>> task)
{
    std::optional<LookupResult<T>> result = awaitTask(std::move(task));
    if (!result) {
        ADD_FAILURE() << "the call never finished";
        return LookupError::server(QStringLiteral("(never finished)"));
    }
    return std::move(*result);
}

template <typename T> std::string failure(const LookupResult<T>& result)
{
    return result ? std::string("(succeeded)") : result.error().message().toStdString();
}

class ClientAgainstServer : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_running = startServer();
        m_client.emplace(QUrl(QString::fromStdString(m_running->origin() + "/")), 20s);
    }

    std::unique_ptr<RunningServer> m_running;
    std::optional<LookupClient> m_client;
};

} // namespace

TEST_F(ClientAgainstServer, LooksUpWordsInBothAccents)
{
    const auto uk = await(m_client->lookup(QStringLiteral("serendipity"), QStringLiteral("uk")));
    const auto us = await(m_client->lookup(QStringLiteral("serendipity"), QStringLiteral("us")));
    ASSERT_TRUE(uk) << failure(uk);
    ASSERT_TRUE(us) << failure(us);
    ASSERT_TRUE(uk->ipa && us->ipa);
    EXPECT_NE(*uk->ipa, *us->ipa);
    EXPECT_EQ(uk->accent, "uk");
    EXPECT_EQ(us->accent, "us");
    ASSERT_TRUE(uk->definition);
    EXPECT_TRUE(uk->definition->contains(QStringLiteral("unexpected and fortunate discoveries")));
    ASSERT_TRUE(uk->pageUrl && uk->audioUrl);

    const auto running = await(m_client->lookup(QStringLiteral("running"), QStringLiteral("uk")));
    ASSERT_TRUE(running) << failure(running);
    EXPECT_EQ(running->word, "run");

    const auto unknown = await(m_client->lookup(QStringLiteral("qwzxv"), QStringLiteral("uk")));
    ASSERT_FALSE(unknown);
    EXPECT_EQ(unknown.error().message(), "No dictionary entry for “qwzxv”.");
}

TEST_F(ClientAgainstServer, PlaysThePronunciationThroughTheRelay)
{
    const auto entry = await(m_client->lookup(QStringLiteral("geese"), QStringLiteral("us")));
    ASSERT_TRUE(entry && entry->audioUrl) << failure(entry);
    const auto relay = m_client->audioProxyURL(*entry->audioUrl);
    ASSERT_TRUE(relay);
    QNetworkAccessManager network;
    QNetworkReply* reply = network.get(QNetworkRequest(*relay));
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_EQ(reply->error(), QNetworkReply::NoError) << reply->errorString().toStdString();
    EXPECT_EQ(reply->header(QNetworkRequest::ContentTypeHeader).toString(), "audio/wav");
    EXPECT_TRUE(reply->readAll().startsWith("RIFF"));
    reply->deleteLater();
}

TEST_F(ClientAgainstServer, TranslatesAWordIntoRussianGermanAndFrench)
{
    const std::pair<const char*, const char*> expected[]
        = { { "ru", "дом" }, { "de", "Haus" }, { "fr", "maison" } };
    for (const auto& [target, word] : expected) {
        const auto result = await(m_client->translate(QStringLiteral("house"), QString::fromUtf8(target)));
        ASSERT_TRUE(result) << target << ": " << failure(result);
        EXPECT_EQ(result->text, "house");
        EXPECT_EQ(result->sourceLanguage, "en");
        EXPECT_EQ(result->targetLanguage, QString::fromUtf8(target));
        EXPECT_TRUE(result->translated.startsWith(QString::fromUtf8(word)))
            << result->translated.toStdString();
    }
}

TEST_F(ClientAgainstServer, ExplainsWhatItCannotTranslate)
{
    const auto sentence = await(
        m_client->translate(QStringLiteral("I would like a cup of tea, please."), QStringLiteral("ru")));
    ASSERT_FALSE(sentence);
    EXPECT_EQ(sentence.error().message(),
        "Translating sentences needs a translation service: start sorvantel-server with --translate-url and "
        "the "
        "address of a LibreTranslate server.");
    const auto target = await(m_client->translate(QStringLiteral("house"), QStringLiteral("tlh")));
    ASSERT_FALSE(target);
    EXPECT_EQ(target.error().message(), "Unsupported target language “tlh”.");
}

TEST(ClientAgainstServerRefine, SendsTheStoredKeyToGeminiAndSplitsNothing)
{
    std::vector<std::string> keys;
    std::mutex mutex;
    FakeHttpServer gemini([&](const httplib::Request& req, httplib::Response& res) {
        {
            std::lock_guard lock(mutex);
            keys.push_back(req.get_header_value("x-goog-api-key"));
        }
        QJsonObject part { { "text", "first one\n---\nsecond one\n---\nthird one" } };
        QJsonObject candidate { { "content", QJsonObject { { "parts", QJsonArray { part } } } } };
        res.set_content(
            QJsonDocument(QJsonObject { { "candidates", QJsonArray { candidate } } }).toJson().toStdString(),
            "application/json");
    });
    ServerOptions options = testServerOptions();
    options.geminiUrl = QString::fromStdString(gemini.origin());
    auto running = startServer(options);
    const LookupClient client(QUrl(QString::fromStdString(running->origin() + "/")), 20s);

    GeminiKeyManager::remove();
    const auto withoutKey = await(client.refine(QStringLiteral("pls fix"), QString()));
    ASSERT_FALSE(withoutKey);
    EXPECT_EQ(withoutKey.error().message(), "Add your Gemini API key in Settings → Refining.");

    GeminiKeyManager::save(QStringLiteral("AIzaStoredKey"));
    const auto refined = await(client.refine(QStringLiteral("pls fix"), QStringLiteral("Rewrite.")));
    GeminiKeyManager::remove();
    ASSERT_TRUE(refined) << failure(refined);
    EXPECT_EQ(refined->text, "pls fix");
    EXPECT_EQ(refined->refined.split(QStringLiteral("\n---\n")).size(), 3);
    ASSERT_EQ(keys.size(), 1u) << "no request went out without a key";
    EXPECT_EQ(keys.front(), "AIzaStoredKey");
}
