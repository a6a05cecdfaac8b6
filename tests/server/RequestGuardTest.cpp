// SPDX-License-Identifier: MIT
#include "RequestGuard.h"
#include "Envelope.h"
#include "Routes.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace {

QJsonObject json(const Reply& reply)
{
    return QJsonDocument::fromJson(reply.body).object();
}

} // namespace

TEST(RequestGuard, AnswersOnlyItsOwnHostAndPort)
{
    const RequestGuard guard(QStringLiteral("127.0.0.1:47831"));
    EXPECT_FALSE(guard.checkHost("127.0.0.1:47831"));
    for (const char* host :
        { "localhost:47831", "127.0.0.1", "127.0.0.1:80", "evil.example:47831", "", "127.0.0.1:478310" }) {
        const auto refusal = guard.checkHost(host);
        ASSERT_TRUE(refusal) << host;
        EXPECT_EQ(refusal->status, 403);
        EXPECT_EQ(json(*refusal).value("success"), false);
    }
}

TEST(RequestGuard, RefusesCallsFromWebPages)
{
    const RequestGuard guard(QStringLiteral("127.0.0.1:47831"));
    EXPECT_FALSE(guard.checkCaller("", ""));
    EXPECT_FALSE(guard.checkCaller("http://127.0.0.1:47831", "same-origin"));
    EXPECT_FALSE(guard.checkCaller("", "none"));
    EXPECT_TRUE(guard.checkCaller("https://evil.example", ""));
    EXPECT_TRUE(guard.checkCaller("null", ""));
    EXPECT_TRUE(guard.checkCaller("", "cross-site"));
    EXPECT_TRUE(guard.checkCaller("", "same-site"));
}

TEST(RequestGuard, RequiresAJsonBody)
{
    EXPECT_FALSE(RequestGuard::checkJsonBody("application/json"));
    EXPECT_FALSE(RequestGuard::checkJsonBody("Application/JSON; charset=utf-8"));
    for (const char* type : { "application/x-www-form-urlencoded", "text/plain", "",
             "multipart/form-data; boundary=x", "application/jsonp" }) {
        const auto refusal = RequestGuard::checkJsonBody(type);
        ASSERT_TRUE(refusal) << type;
        EXPECT_EQ(refusal->status, 415);
    }
}

TEST(Routes, ValidatesJsonBodies)
{
    const QStringList required { QStringLiteral("text"), QStringLiteral("target") };
    const QStringList optional { QStringLiteral("prompt") };
    struct Case {
        const char* body;
        const char* error; // nullptr: accepted
    } cases[] = {
        { R"({"text":"dog","target":"ru"})", nullptr },
        { R"({"text":"dog","target":"ru","prompt":null,"extra":5})", nullptr },
        { R"({"text":"dog"})", "The request needs “target”." },
        { R"({"text":"dog","target":null})", "The request needs “target”." },
        { R"({"text":5,"target":"ru"})", "“text” must be a string." },
        { R"({"text":"a","target":"ru","prompt":7})", "“prompt” must be a string." },
        { R"(["text","target"])", "The request body must be a JSON object." },
        { R"({"text":"dog",)", "The request body is not valid JSON" },
        { "", "The request body is not valid JSON" },
    };
    for (const Case& c : cases) {
        const auto parsed = Routes::parseObject(QByteArray(c.body), required, optional);
        if (!c.error) {
            EXPECT_TRUE(std::holds_alternative<QJsonObject>(parsed)) << c.body;
            continue;
        }
        ASSERT_TRUE(std::holds_alternative<Reply>(parsed)) << c.body;
        const Reply& reply = std::get<Reply>(parsed);
        EXPECT_EQ(reply.status, 400) << c.body;
        EXPECT_EQ(json(reply).value("success"), false);
        EXPECT_TRUE(json(reply).value("error").toString().startsWith(QString::fromUtf8(c.error)))
            << c.body << " → " << json(reply).value("error").toString().toStdString();
    }
}

TEST(Envelope, HasExactlyTheProtocolMembers)
{
    QJsonObject data;
    data.insert("word", " run \n");
    const QJsonObject success = json(Envelope::success(data));
    EXPECT_EQ(success.keys(), (QStringList { "data", "success" }));
    EXPECT_EQ(success.value("data").toObject().value("word"), " run \n");
    const Reply failure = Envelope::failure(404, QStringLiteral("Not found."));
    EXPECT_EQ(failure.status, 404);
    EXPECT_EQ(failure.contentType, "application/json");
    EXPECT_EQ(json(failure).keys(), (QStringList { "error", "success" }));
    EXPECT_EQ(Routes::forStatus(413).status, 413);
    EXPECT_EQ(json(Routes::forStatus(404)).value("error"), "Not found.");
}

TEST(RequestGuard, AcceptsOnlyPlainBodies)
{
    for (const char* coding : { "", "identity", " IDENTITY ", "identity, identity" })
        EXPECT_FALSE(RequestGuard::checkBodyEncoding(false, coding)) << coding;
    for (const char* coding : { "gzip", "br", "deflate", "identity, gzip", "x-gzip" }) {
        const auto refusal = RequestGuard::checkBodyEncoding(false, coding);
        ASSERT_TRUE(refusal) << coding;
        EXPECT_EQ(refusal->status, 415);
    }
    EXPECT_TRUE(RequestGuard::checkBodyEncoding(true, ""));
}
