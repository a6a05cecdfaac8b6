// SPDX-License-Identifier: MIT
// The relay's fetching against real upstreams on loopback. Loopback is
// reachable only as the relay's own origin, so the fake upstream takes that
// place here; everything past the first hop is checked as in production.
#include "AudioRelay.h"
#include "ServerTestSupport.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace {

QString error(const Reply& reply)
{
    return QJsonDocument::fromJson(reply.body).object().value("error").toString();
}

AudioRelay relayWithOrigin(const FakeHttpServer& upstream, std::size_t maxBytes = 4096,
    std::chrono::milliseconds timeout = std::chrono::seconds(5), QStringList allowedHosts = {})
{
    AudioRelay::Config config;
    config.allowedHosts = std::move(allowedHosts);
    config.ownHost = QStringLiteral("127.0.0.1");
    config.ownPort = upstream.port();
    config.maxBytes = maxBytes;
    config.timeout = timeout;
    return AudioRelay(config);
}

} // namespace

TEST(AudioRelay, PassesTheRecordingAndItsTypeThrough)
{
    FakeHttpServer upstream([](const httplib::Request& req, httplib::Response& res) {
        if (req.path == "/pronunciation/moved")
            res.set_redirect("/pronunciation/ogg");
        else
            res.set_content(std::string("OggS\0\x02", 6) + "payload", "audio/ogg; codecs=vorbis");
    });
    const AudioRelay relay = relayWithOrigin(upstream);
    const Reply reply
        = relay.fetch(QString::fromStdString(upstream.origin() + "/pronunciation/moved?accent=uk"));
    ASSERT_EQ(reply.status, 200) << error(reply).toStdString();
    EXPECT_EQ(reply.contentType, "audio/ogg; codecs=vorbis");
    EXPECT_EQ(reply.body, QByteArray("OggS\0\x02payload", 13));
    ASSERT_EQ(upstream.received().size(), 2u) << "the redirect inside the allowed origin is followed";
    EXPECT_EQ(upstream.received()[1].path, "/pronunciation/ogg");
}

TEST(AudioRelay, RefusesRedirectsToRefusedAddressesWithoutConnecting)
{
    ConnectionProbe probe("127.0.0.2");
    ConnectionProbe sameHost("127.0.0.1");
    ASSERT_TRUE(probe.listening() && sameHost.listening());
    const struct {
        std::string target;
        const char* reason;
    } cases[] = {
        { "http://127.0.0.2:" + std::to_string(probe.port()) + "/a.wav", "127.0.0.2 is a loopback address" },
        { "http://localhost:" + std::to_string(sameHost.port()) + "/a.wav",
            "localhost resolves to a loopback address" },
        { "http://127.0.0.1:" + std::to_string(sameHost.port()) + "/pronunciation/a",
            "127.0.0.1 is not a dictionary audio host of this server" },
        { "file:///etc/passwd", "only plain http and https addresses are relayed" },
        { "http://169.254.169.254/latest/meta-data/", "169.254.169.254 is a link-local address" },
    };
    std::string next;
    FakeHttpServer upstream([&](const httplib::Request&, httplib::Response& res) { res.set_redirect(next); });
    // Listed as audio hosts, so only their addresses can refuse them.
    const AudioRelay relay = relayWithOrigin(
        upstream, 4096, std::chrono::seconds(5), { "127.0.0.2", "localhost", "169.254.169.254" });
    for (const auto& c : cases) {
        next = c.target;
        const Reply reply = relay.fetch(QString::fromStdString(upstream.origin() + "/pronunciation/x"));
        EXPECT_EQ(reply.status, 403) << c.target;
        EXPECT_TRUE(error(reply).startsWith("Refused to fetch"))
            << c.target << ": " << error(reply).toStdString();
        EXPECT_TRUE(error(reply).endsWith(QString::fromUtf8(c.reason) + u'.'))
            << c.target << ": " << error(reply).toStdString();
    }
    EXPECT_EQ(probe.connections(), 0);
    EXPECT_EQ(sameHost.connections(), 0);
}

TEST(AudioRelay, RefusesOversizedRecordings)
{
    FakeHttpServer upstream([](const httplib::Request& req, httplib::Response& res) {
        if (req.path == "/pronunciation/declared") {
            res.set_content(std::string(10000, 'a'), "audio/wav");
        } else if (req.path == "/pronunciation/streamed") {
            // No length announced: the cap applies while reading.
            res.set_chunked_content_provider("audio/wav", [](std::size_t offset, httplib::DataSink& sink) {
                if (offset >= 100000) {
                    sink.done();
                    return true;
                }
                const std::string block(1000, 'b');
                return sink.write(block.data(), block.size());
            });
        } else {
            res.set_content(std::string(4096, 'c'), "audio/wav");
        }
    });
    const AudioRelay relay = relayWithOrigin(upstream, 4096);
    for (const char* path : { "/pronunciation/declared", "/pronunciation/streamed" }) {
        const Reply reply = relay.fetch(QString::fromStdString(upstream.origin() + path));
        EXPECT_EQ(reply.status, 502) << path;
        EXPECT_EQ(error(reply), "The recording is larger than 4096 bytes.") << path;
    }
    EXPECT_EQ(relay.fetch(QString::fromStdString(upstream.origin() + "/pronunciation/fits")).status, 200)
        << "exactly at the cap passes";
}

TEST(AudioRelay, GivesUpOnSlowUpstreamsAndRefusesPages)
{
    FakeHttpServer upstream([](const httplib::Request& req, httplib::Response& res) {
        if (req.path == "/pronunciation/slow")
            std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        if (req.path == "/pronunciation/page") {
            res.set_content("<script>alert(1)</script>", "text/html");
            return;
        }
        if (req.path == "/pronunciation/gone") {
            res.status = 404;
            return;
        }
        if (req.path == "/pronunciation/loop") {
            res.set_redirect("/pronunciation/loop");
            return;
        }
        res.set_content("RIFF", "audio/wav");
    });
    const AudioRelay relay = relayWithOrigin(upstream, 4096, std::chrono::milliseconds(400));
    const auto at
        = [&](const char* path) { return relay.fetch(QString::fromStdString(upstream.origin() + path)); };
    EXPECT_EQ(at("/pronunciation/slow").status, 504);
    EXPECT_EQ(at("/pronunciation/page").status, 502)
        << "a page relayed here would run under this server's origin";
    EXPECT_EQ(error(at("/pronunciation/gone")), "The recording's server answered HTTP 404.");
    EXPECT_EQ(error(at("/pronunciation/loop")), "The recording's address redirects too often.");
}

TEST(AudioRelay, AcceptsOnlyListedHostsAtPublicAddresses)
{
    AudioRelay::Config config;
    config.allowedHosts = { "audio.example", "8.8.8.8", "10.0.0.7" };
    config.ownHost = "127.0.0.1";
    config.ownPort = 47831;
    const AudioRelay relay(config);
    // Decided without any connection.
    EXPECT_EQ(relay.check("https://8.8.8.8/a.mp3").kind, AudioRelay::Decision::Kind::Remote);
    EXPECT_EQ(relay.check("https://8.8.8.8/a.mp3").connectTo, "8.8.8.8");
    EXPECT_EQ(relay.check("http://127.0.0.1:47831/pronunciation/run?accent=uk").kind,
        AudioRelay::Decision::Kind::Own);
    EXPECT_EQ(relay.check("http://10.0.0.7/a.mp3").reason, "10.0.0.7 is a private address");
    EXPECT_EQ(relay.check("http://127.0.0.1:47832/pronunciation/run").reason,
        "127.0.0.1 is not a dictionary audio host of this server");
    EXPECT_EQ(
        relay.check("https://127.0.0.1:47831/pronunciation/run").kind, AudioRelay::Decision::Kind::Refused)
        << "the own origin is plain http";
    EXPECT_EQ(relay.check("http://8.8.8.8.evil.example/a.mp3").kind, AudioRelay::Decision::Kind::Refused);
    EXPECT_TRUE(AudioRelay::isAudioType("audio/mpeg"));
    EXPECT_TRUE(AudioRelay::isAudioType("Audio/Ogg; codecs=opus"));
    EXPECT_FALSE(AudioRelay::isAudioType("text/html"));
    EXPECT_FALSE(AudioRelay::isAudioType("image/svg+xml"));
}
