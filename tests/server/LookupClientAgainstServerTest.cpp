// SPDX-License-Identifier: MIT
// The desktop program's own LookupClient against the real server on loopback.
#include "AwaitTask.h"
#include "LookupClient.h"
#include "ServerTestSupport.h"

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

TEST_F(ClientAgainstServer, LooksUpAndTranslatesWords)
{
    const auto uk = await(m_client->lookup(QStringLiteral("running"), QStringLiteral("uk")));
    ASSERT_TRUE(uk) << failure(uk);
    EXPECT_EQ(uk->word, "run");
    EXPECT_EQ(uk->accent, "uk");
    ASSERT_TRUE(uk->ipa && uk->definition && uk->pageUrl && uk->audioUrl);

    const auto unknown = await(m_client->lookup(QStringLiteral("qwzxv"), QStringLiteral("uk")));
    ASSERT_FALSE(unknown);
    EXPECT_EQ(unknown.error().message(), "No dictionary entry for “qwzxv”.");

    const auto translated = await(m_client->translate(QStringLiteral("house"), QStringLiteral("de")));
    ASSERT_TRUE(translated) << failure(translated);
    EXPECT_EQ(translated->sourceLanguage, "en");
    EXPECT_TRUE(translated->translated.startsWith(QStringLiteral("Haus")))
        << translated->translated.toStdString();
    const auto refused = await(m_client->translate(QStringLiteral("house"), QStringLiteral("tlh")));
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error().message(), "Unsupported target language “tlh”.");
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
