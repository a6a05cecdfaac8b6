// SPDX-License-Identifier: MIT
// Figures for the lookup client and the key store: decoding cost, loopback
// round trips, what a large or oversized answer costs in memory, and the key
// store's call times. Prints a table; asserts nothing.
#include "AwaitTask.h"
#include "FileSecretStore.h"
#include "GeminiKeyManager.h"
#include "LookupClient.h"
#include "TestHttpServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

using namespace std::chrono_literals;

namespace {

struct Stats {
    double median;
    double p95;
};

Stats stats(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return { samples[samples.size() / 2], samples[samples.size() * 95 / 100] };
}

template <typename F> Stats timeEach(int runs, F&& work)
{
    std::vector<double> samples;
    samples.reserve(size_t(runs));
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work(i);
        samples.push_back(double(timer.nsecsElapsed()) / 1000.0);
    }
    return stats(std::move(samples));
}

long peakRssKiB()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void row(const char* what, const Stats& s, const char* unit = "us")
{
    std::printf("%-52s median %10.1f %s   p95 %10.1f %s\n", what, s.median, unit, s.p95, unit);
}

// Streams a lookup envelope whose definition is `bytes` long, without
// Content-Length, at the pace the client reads, so that the server itself
// holds almost nothing.
class StreamingServer : public QObject {
public:
    explicit StreamingServer(qint64 bytes)
        : m_bytes(bytes)
    {
        static const QByteArray prefix
            = R"({"success": true, "data": {"word": "run", "accent": "uk", "definition": ")";
        static const QByteArray suffix = R"("}})";
        m_server.listen(QHostAddress::LocalHost, 0);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            QTcpSocket* socket = m_server.nextPendingConnection();
            auto sent = std::make_shared<qint64>(0);
            auto started = std::make_shared<bool>(false);
            auto pump = [this, socket, sent] {
                if (socket->state() != QAbstractSocket::ConnectedState)
                    return;
                static const QByteArray chunk(64 * 1024, 'a');
                while (socket->bytesToWrite() < 256 * 1024 && *sent < m_bytes) {
                    socket->write(chunk.left(int(std::min<qint64>(chunk.size(), m_bytes - *sent))));
                    *sent += chunk.size();
                }
                if (*sent >= m_bytes && socket->state() == QAbstractSocket::ConnectedState) {
                    socket->write(suffix);
                    socket->disconnectFromHost();
                }
            };
            connect(socket, &QTcpSocket::readyRead, socket, [socket, started, pump] {
                socket->readAll();
                if (*started)
                    return;
                *started = true;
                socket->write(
                    "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nConnection: close\r\n\r\n");
                socket->write(prefix);
                pump();
            });
            connect(socket, &QTcpSocket::bytesWritten, socket, pump);
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        });
    }
    QUrl url() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(m_server.serverPort())); }

private:
    QTcpServer m_server;
    qint64 m_bytes;
};

void decoding()
{
    const QByteArray entry = R"({"success": true, "data": {"word": "serendipity", "accent": "uk",
        "ipa": "\u02ccser.\u0259n\u02c8d\u026ap.\u0259.ti", "definition": "the fact of finding interesting or valuable things by chance",
        "audioUrl": "http://127.0.0.1:47831/audio/uk/serendipity.wav", "pageUrl": "https://dictionary.example/serendipity"}})";
    row("decode a lookup envelope (450 B)", timeEach(20000, [&](int) {
        if (!APIEnvelope<DictionaryEntry>::fromBody(entry))
            std::abort();
    }));
    QByteArray big = R"({"success": true, "data": {"text": "x", "translated": ")";
    big += QByteArray(1024 * 1024, 'a') + R"(", "sourceLanguage": "en", "targetLanguage": "ru"}})";
    row("decode a translation envelope (1 MiB)", timeEach(50, [&](int) {
        if (!APIEnvelope<TranslationResult>::fromBody(big))
            std::abort();
    }));
}

void roundTrips()
{
    TestHttpServer server;
    server.answer(TestHttpServer::Response {
        200, R"({"success": true, "data": {"word": "run", "accent": "uk", "ipa": "r\u028cn"}})" });
    const LookupClient client(server.url());
    row("lookup round trip on loopback", timeEach(500, [&](int) {
        if (!awaitTask(client.lookup("run", "uk")))
            std::abort();
    }));
    row("translate round trip on loopback", timeEach(500, [&](int) {
        if (!awaitTask(client.translate("a short sentence to translate", "ru")))
            std::abort();
    }));
}

void largeBodies()
{
    // Memory: peak resident size grows only by what the client holds.
    for (const qint64 bytes : { qint64(256) * 1024 * 1024, qint64(8 * 1024 * 1024 - 100) }) {
        StreamingServer server(bytes);
        const LookupClient client(server.url());
        const long before = peakRssKiB();
        QElapsedTimer timer;
        timer.start();
        const auto result = awaitTask(client.lookup("run", "uk"), 120000);
        const qint64 ms = timer.elapsed();
        std::printf("%-52s %6lld ms   peak RSS +%ld KiB   (%s)\n",
            bytes > LookupClient::maxBodyBytes ? "256 MiB body, refused at 8 MiB"
                                               : "8 MiB body, received and decoded",
            ms, peakRssKiB() - before,
            !result       ? "no answer"
                : *result ? "accepted"
                          : qPrintable(result->error().message()));
    }
}

void keyStore()
{
    GeminiKeyManager::remove();
    row("GeminiKeyManager::save (gnome-keyring)",
        timeEach(100, [](int i) { GeminiKeyManager::save(QStringLiteral("AIzaBenchKey-%1").arg(i)); }));
    row("GeminiKeyManager::read (gnome-keyring)", timeEach(100, [](int) {
        if (!GeminiKeyManager::read())
            std::abort();
    }));
    row("GeminiKeyManager::remove (gnome-keyring)", timeEach(100, [](int) { GeminiKeyManager::remove(); }));

    QTemporaryDir folder;
    FileSecretStore file(folder.filePath("secrets.json"));
    row("FileSecretStore::save", timeEach(200, [&](int i) { file.save(QByteArray::number(i), "s", "a"); }));
    row("FileSecretStore::read", timeEach(200, [&](int) { file.read("s", "a"); }));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    decoding();
    roundTrips();
    largeBodies();
    keyStore();
    return 0;
}
