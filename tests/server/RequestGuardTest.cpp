// SPDX-License-Identifier: MIT
// The rules a request meets before any handler runs, as pure functions.
#include "RequestGuard.h"
#include "ByteRange.h"
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

int statusOf(const std::optional<Reply>& refusal)
{
    return refusal ? refusal->status : 0;
}

} // namespace

TEST(RequestGuard, AnswersOnlyItsOwnAuthorityAndNoWebPage)
{
    const RequestGuard guard(QStringLiteral("127.0.0.1:47831"));
    EXPECT_EQ(statusOf(guard.checkHost("127.0.0.1:47831")), 0);
    for (const char* host : { "localhost:47831", "127.0.0.1", "127.0.0.1:80", "evil.example:47831", "",
             "127.0.0.1:478310", "127.0.0.1:47831.evil.example" })
        EXPECT_EQ(statusOf(guard.checkHost(host)), 403) << host;

    const std::tuple<const char*, const char*, int> callers[] = {
        { "", "", 0 },
        { "http://127.0.0.1:47831", "same-origin", 0 },
        { "", "none", 0 },
        { "https://evil.example", "", 403 },
        { "null", "", 403 },
        // Our own origin as a prefix of another.
        { "http://127.0.0.1:478310", "", 403 },
        { "http://127.0.0.1:47831.evil.example", "", 403 },
        { "", "cross-site", 403 },
        { "", "same-site", 403 },
    };
    for (const auto& [origin, site, status] : callers)
        EXPECT_EQ(statusOf(guard.checkCaller(origin, site)), status) << origin << " / " << site;
}

TEST(RequestGuard, ReadsOnlyJsonBodiesOfADeclaredLengthWithinTheCap)
{
    for (const char* type : { "application/json", "Application/JSON; charset=utf-8" })
        EXPECT_EQ(statusOf(RequestGuard::checkJsonBody(type)), 0) << type;
    for (const char* type : { "application/x-www-form-urlencoded", "text/plain", "", "application/jsonp" })
        EXPECT_EQ(statusOf(RequestGuard::checkJsonBody(type)), 415) << type;

    struct Case {
        bool needsBody;
        std::optional<std::string_view> length;
        bool transferEncoding;
        const char* contentEncoding;
        int status;
    } cases[] = {
        { true, "65536", false, "", 0 },
        { true, "65537", false, "", 413 },
        { true, "99999999999999999999999", false, "", 413 },
        { false, "70000", false, "", 413 }, // a body is capped on every method
        { true, std::nullopt, false, "", 411 },
        { false, std::nullopt, false, "", 0 },
        { true, "10", true, "", 411 }, // chunked: no length to check in advance
        { false, std::nullopt, true, "", 411 },
        { true, "-1", false, "", 400 },
        { true, "10", false, " IDENTITY , identity", 0 },
        { true, "10", false, "identity, gzip", 415 },
        { true, "10", false, "br", 415 },
    };
    for (const Case& c : cases)
        EXPECT_EQ(statusOf(RequestGuard::checkBodyFraming(
                      c.needsBody, c.length, c.transferEncoding, c.contentEncoding, 64 * 1024)),
            c.status)
            << (c.length ? *c.length : "no length") << " " << c.contentEncoding;
}

TEST(Routes, ValidatesJsonBodies)
{
    const QStringList required { QStringLiteral("text"), QStringLiteral("target") };
    const QStringList optional { QStringLiteral("prompt") };
    struct Case {
        const char* body;
        const char* error; // nullptr: accepted
    } cases[] = {
        { R"({"text":"dog","target":"ru","prompt":null,"extra":5})", nullptr },
        { R"({"text":"dog","target":null})", "The request needs “target”." },
        { R"({"text":"a","target":"ru","prompt":7})", "“prompt” must be a string." },
        { R"({"text":"dog",)", "The request body is not valid JSON" },
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
        EXPECT_EQ(json(reply).keys(), (QStringList { "error", "success" }));
        EXPECT_TRUE(json(reply).value("error").toString().startsWith(QString::fromUtf8(c.error)))
            << c.body << " → " << json(reply).value("error").toString().toStdString();
    }
}

TEST(ByteRange, ServesOneRangeAndIgnoresWhatItCannotServe)
{
    using Kind = ByteRange::Kind;
    struct Case {
        const char* header;
        Kind kind;
        std::size_t first, last;
    } cases[] = {
        { "bytes=0-99", Kind::Partial, 0, 99 },
        { "bytes=100-", Kind::Partial, 100, 999 },
        { "bytes=-100", Kind::Partial, 900, 999 },
        { "bytes=-5000", Kind::Partial, 0, 999 },
        { "bytes=990-5000", Kind::Partial, 990, 999 },
        { "Bytes=999-999", Kind::Partial, 999, 999 },
        { "bytes=1000-", Kind::Unsatisfiable, 0, 0 },
        { "bytes=-0", Kind::Unsatisfiable, 0, 0 },
        // Several ranges, other units and nonsense: the whole recording.
        { "bytes=0-1,5-6", Kind::Whole, 0, 0 },
        { "bytes=0-0,-1", Kind::Whole, 0, 0 },
        { "items=0-1", Kind::Whole, 0, 0 },
        { "bytes=5-1", Kind::Whole, 0, 0 },
        { "bytes=a-b", Kind::Whole, 0, 0 },
        { "bytes=", Kind::Whole, 0, 0 },
        { "", Kind::Whole, 0, 0 },
    };
    for (const Case& c : cases) {
        const ByteRange range = ByteRange::select(c.header, 1000);
        EXPECT_EQ(range.kind, c.kind) << c.header;
        if (c.kind == Kind::Partial) {
            EXPECT_EQ(range.first, c.first) << c.header;
            EXPECT_EQ(range.last, c.last) << c.header;
        }
    }
}
