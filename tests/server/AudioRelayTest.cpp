// SPDX-License-Identifier: MIT
// The relay's decisions, and its fetching against upstreams on loopback.
// Loopback is reachable only as the relay's own origin, so a fake upstream
// takes that place here; every hop past the first is checked as in production.
#include "AudioRelay.h"
#include "ServerTestSupport.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <future>
#include <gtest/gtest.h>
#include <map>

namespace {

QString error(const Reply& reply)
{
    return QJsonDocument::fromJson(reply.body).object().value("error").toString();
}

AudioRelay::Config ownOrigin(int port, QStringList allowedHosts = {})
{
    AudioRelay::Config config;
    config.allowedHosts = std::move(allowedHosts);
    config.ownHost = QStringLiteral("127.0.0.1");
    config.ownPort = port;
    config.maxBytes = 4096;
    config.timeout = std::chrono::seconds(5);
    return config;
}

Reply fetch(const AudioRelay& relay, int port, const std::string& path)
{
    return relay.fetch(QStringLiteral("http://127.0.0.1:%1%2").arg(port).arg(QString::fromStdString(path)));
}

} // namespace

TEST(AudioRelay, DecidesEveryAddressBeforeConnecting)
{
    AudioRelay::Config config = ownOrigin(47831,
        { "audio.example", "mixed.example", "gone.example", "cdn.example:8443", "2606:4700::1111",
            "10.0.0.7" });
    const std::map<std::string, std::vector<std::string>> names {
        { "audio.example", { "8.8.8.8", "1.1.1.1" } },
        // A name is refused whole when any of its addresses points inward.
        { "mixed.example", { "8.8.8.8", "10.0.0.1" } },
        { "cdn.example", { "8.8.4.4" } },
    };
    config.resolve = [&names](const std::string& host, std::chrono::milliseconds) {
        std::vector<IpAddress> addresses;
        for (const std::string& text : names.count(host) ? names.at(host) : std::vector<std::string> {})
            addresses.push_back(*IpAddress::parse(text));
        return addresses;
    };
    const AudioRelay relay(config);
    using Kind = AudioRelay::Decision::Kind;
    const std::tuple<const char*, Kind, const char*> cases[] = {
        { "https://audio.example/a.mp3", Kind::Remote, "8.8.8.8" },
        { "https://cdn.example:8443/a.mp3", Kind::Remote, "8.8.4.4" },
        { "http://127.0.0.1:47831/pronunciation/run?accent=uk", Kind::Own, "127.0.0.1" },
        { "https://mixed.example/a.mp3", Kind::Refused, "mixed.example resolves to a private address" },
        { "https://gone.example/a.mp3", Kind::Refused, "gone.example does not resolve" },
        { "https://cdn.example/a.mp3", Kind::Refused,
            "cdn.example is not a dictionary audio host of this server" },
        { "http://127.0.0.1:47831/lookup/run", Kind::Refused,
            "only this server's pronunciations are relayed from it" },
        { "https://127.0.0.1:47831/pronunciation/run", Kind::Refused,
            "127.0.0.1 is not a dictionary audio host of this server" },
        { "http://user@audio.example/a.mp3", Kind::Refused,
            "only plain http and https addresses are relayed" },
        { "file:///etc/passwd", Kind::Refused, "only plain http and https addresses are relayed" },
    };
    for (const auto& [address, kind, detail] : cases) {
        const AudioRelay::Decision decision = relay.check(QString::fromUtf8(address));
        EXPECT_EQ(decision.kind, kind) << address << ": " << decision.reason.toStdString();
        EXPECT_EQ(kind == Kind::Refused ? decision.reason.toStdString() : decision.connectTo, detail)
            << address;
    }
}

TEST(AudioRelay, FollowsRedirectsUpToTheLimitAndChecksEveryHop)
{
    ConnectionProbe probe("127.0.0.2");
    ASSERT_TRUE(probe.listening());
    std::string outward;
    FakeHttpServer upstream([&](const httplib::Request& req, httplib::Response& res) {
        const int left = std::atoi(req.path.c_str() + std::strlen("/pronunciation/"));
        if (req.path == "/pronunciation/out")
            res.set_redirect(outward);
        else if (left > 0)
            res.set_redirect("/pronunciation/" + std::to_string(left - 1));
        else
            res.set_content(std::string("OggS\0\x02", 6), "audio/ogg; codecs=vorbis");
    });
    const AudioRelay relay(ownOrigin(upstream.port(), { "127.0.0.2", "169.254.169.254" }));
    const Reply atLimit = fetch(relay, upstream.port(), "/pronunciation/3");
    ASSERT_EQ(atLimit.status, 200) << error(atLimit).toStdString();
    EXPECT_EQ(atLimit.contentType, "audio/ogg; codecs=vorbis");
    EXPECT_EQ(atLimit.body, QByteArray("OggS\0\x02", 6));
    EXPECT_EQ(error(fetch(relay, upstream.port(), "/pronunciation/4")),
        "The recording's address redirects too often.");

    // Listed as audio hosts, so only their addresses can refuse them.
    for (const std::string& target : { "http://127.0.0.2:" + std::to_string(probe.port()) + "/a.wav",
             std::string("http://169.254.169.254/") }) {
        outward = target;
        const Reply reply = fetch(relay, upstream.port(), "/pronunciation/out");
        EXPECT_EQ(reply.status, 403) << target;
        EXPECT_TRUE(error(reply).startsWith("Refused to fetch")) << error(reply).toStdString();
    }
    EXPECT_EQ(probe.connections(), 0);
}

TEST(AudioRelay, PassesARecordingOfExactlyTheCapAndNoByteMore)
{
    FakeHttpServer upstream([](const httplib::Request& req, httplib::Response& res) {
        const std::size_t size = std::stoul(req.path.substr(req.path.rfind('/') + 1));
        if (req.path.starts_with("/pronunciation/declared/")) {
            res.set_content(std::string(size, 'a'), "audio/wav");
            return;
        }
        // No length announced: the cap applies while reading.
        res.set_chunked_content_provider("audio/wav", [size](std::size_t offset, httplib::DataSink& sink) {
            const std::string block(std::min<std::size_t>(1000, size - offset), 'b');
            if (block.empty())
                sink.done();
            return block.empty() || sink.write(block.data(), block.size());
        });
    });
    const AudioRelay relay(ownOrigin(upstream.port()));
    const std::pair<const char*, int> cases[] = {
        { "/pronunciation/declared/4096", 200 },
        { "/pronunciation/declared/4097", 502 },
        { "/pronunciation/streamed/4096", 200 },
        { "/pronunciation/streamed/4097", 502 },
    };
    for (const auto& [path, status] : cases) {
        const Reply reply = fetch(relay, upstream.port(), path);
        EXPECT_EQ(reply.status, status) << path;
        EXPECT_EQ(status == 200 ? reply.body.size() : 0, status == 200 ? 4096 : 0) << path;
        EXPECT_EQ(error(reply), status == 200 ? "" : "The recording is larger than 4096 bytes.") << path;
    }
}

TEST(AudioRelay, SaysWhatWentWrongUpstream)
{
    FakeHttpServer upstream([](const httplib::Request& req, httplib::Response& res) {
        if (req.path == "/pronunciation/slow")
            std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        if (req.path == "/pronunciation/page")
            res.set_content("<script>alert(1)</script>", "text/html");
        else if (req.path == "/pronunciation/gone")
            res.status = 404;
        else
            res.set_content("RIFF", "audio/wav");
    });
    AudioRelay::Config config = ownOrigin(upstream.port());
    config.timeout = std::chrono::milliseconds(400);
    const std::tuple<const char*, int, const char*> cases[] = {
        { "/pronunciation/slow", 504, "The recording did not arrive in time." },
        // A page relayed here would run under this server's origin.
        { "/pronunciation/page", 502, "The address does not hold a recording." },
        { "/pronunciation/gone", 502, "The recording's server answered HTTP 404." },
    };
    for (const auto& [path, status, message] : cases) {
        const Reply reply = fetch(AudioRelay(config), upstream.port(), path);
        EXPECT_EQ(reply.status, status) << path;
        EXPECT_EQ(error(reply), message) << path;
    }
    ConnectionProbe resetting("127.0.0.1");
    config.ownPort = resetting.port();
    auto reset = std::async(
        std::launch::async, [&] { return fetch(AudioRelay(config), resetting.port(), "/pronunciation/x"); });
    resetting.resetNext();
    EXPECT_EQ(error(reset.get()), "The connection to 127.0.0.1 broke off before the recording arrived.");
}
