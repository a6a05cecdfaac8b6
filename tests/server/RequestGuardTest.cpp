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

    // Needs a body, Content-Length, chunked, Content-Encoding, the answer.
    const std::tuple<bool, std::optional<std::string_view>, bool, const char*, int> cases[] = {
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
    for (const auto& [needsBody, length, chunked, encoding, status] : cases)
        EXPECT_EQ(
            statusOf(RequestGuard::checkBodyFraming(needsBody, length, chunked, encoding, 64 * 1024)), status)
            << (length ? *length : "no length") << " " << encoding;
}

TEST(Routes, ValidatesJsonBodies)
{
    const QStringList required { QStringLiteral("text"), QStringLiteral("target") };
    const QStringList optional { QStringLiteral("prompt") };
    // A body, and the start of its refusal (none: accepted).
    const std::pair<const char*, const char*> cases[] = {
        { R"({"text":"dog","target":"ru","prompt":null,"extra":5})", nullptr },
        { R"({"text":"dog","target":null})", "The request needs “target”." },
        { R"({"text":"a","target":"ru","prompt":7})", "“prompt” must be a string." },
        { R"({"text":"dog",)", "The request body is not valid JSON" },
    };
    for (const auto& [body, error] : cases) {
        const auto parsed = Routes::parseObject(QByteArray(body), required, optional);
        ASSERT_EQ(std::holds_alternative<Reply>(parsed), error != nullptr) << body;
        if (!error)
            continue;
        const Reply& reply = std::get<Reply>(parsed);
        EXPECT_EQ(reply.status, 400) << body;
        EXPECT_EQ(json(reply).keys(), (QStringList { "error", "success" }));
        EXPECT_TRUE(json(reply).value("error").toString().startsWith(QString::fromUtf8(error)))
            << body << " → " << json(reply).value("error").toString().toStdString();
    }
}

TEST(ByteRange, ServesOneRangeAndIgnoresWhatItCannotServe)
{
    using Kind = ByteRange::Kind;
    // A header, and the range it selects of 1,000 bytes.
    const std::tuple<const char*, Kind, std::size_t, std::size_t> cases[] = {
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
    for (const auto& [header, kind, first, last] : cases) {
        const ByteRange range = ByteRange::select(header, 1000);
        EXPECT_EQ(range.kind, kind) << header;
        if (kind == Kind::Partial) {
            EXPECT_EQ(std::pair(range.first, range.last), std::pair(first, last)) << header;
        }
    }
}
