// SPDX-License-Identifier: MIT
#include "ServerTestSupport.h"

#include "Espeak.h"

#include <QFile>
#include <QTemporaryDir>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

const WordNet& sharedWordNet()
{
    static const WordNet wordNet = [] {
        QString error;
        auto loaded = WordNet::load(QStringLiteral("/usr/share/wordnet"), &error);
        if (!loaded)
            qFatal("WordNet did not load (run scripts/setup): %s", qPrintable(error));
        return std::move(*loaded);
    }();
    return wordNet;
}

const DictionarySet& sharedDictionaries()
{
    // Derived indexes of this run go to a folder of its own, never the user's cache.
    static const QTemporaryDir cache;
    static const DictionarySet dictionaries = [] {
        qputenv("XDG_CACHE_HOME", QFile::encodeName(cache.path()));
        auto set = DictionarySet::load(QStringLiteral("/usr/share/dictd"), DictionarySet::defaultCacheDir(),
            nullptr, ServerOptions().dingFile);
        set.waitUntilBuilt();
        return set;
    }();
    return dictionaries;
}

ServerOptions testServerOptions()
{
    ServerOptions options;
    options.host = QStringLiteral("127.0.0.1");
    options.port = 0;
    options.threads = 4;
    return options;
}

httplib::Client RunningServer::client() const
{
    httplib::Client client(origin());
    client.set_read_timeout(std::chrono::seconds(20));
    return client;
}

std::unique_ptr<RunningServer> startServer(ServerOptions options)
{
    auto running = std::make_unique<RunningServer>();
    running->server
        = std::make_unique<Server>(options, sharedWordNet(), sharedDictionaries(), Espeak::instance());
    QString error;
    if (!running->server->start(&error))
        qFatal("test server did not start: %s", qPrintable(error));
    return running;
}

FakeHttpServer::FakeHttpServer(Handler handler, const std::string& host)
    : m_host(host)
{
    auto any = [this, handler](const httplib::Request& req, httplib::Response& res) {
        {
            std::lock_guard lock(m_mutex);
            m_received.push_back(
                { req.method, req.target.empty() ? req.path : req.target, req.headers, req.body });
        }
        handler(req, res);
    };
    m_server.Get(".*", any);
    m_server.Post(".*", any);
    m_port = m_server.bind_to_any_port(m_host);
    m_thread = std::thread([this] { m_server.listen_after_bind(); });
    while (!m_server.is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

FakeHttpServer::~FakeHttpServer()
{
    m_server.stop();
    m_thread.join();
}

std::string FakeHttpServer::origin() const
{
    return "http://" + m_host + ":" + std::to_string(m_port);
}

std::vector<FakeHttpServer::Received> FakeHttpServer::received() const
{
    std::lock_guard lock(m_mutex);
    return m_received;
}

namespace {

// A listening socket on a loopback address, or -1.
int listenOn(const std::string& host, int* port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    inet_pton(AF_INET, host.c_str(), &address.sin_addr);
    socklen_t length = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 16) != 0
        || ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(fd);
        return -1;
    }
    *port = ntohs(address.sin_port);
    return fd;
}

} // namespace

ConnectionProbe::ConnectionProbe(const std::string& host)
    : m_fd(listenOn(host, &m_port))
{
}

ConnectionProbe::~ConnectionProbe()
{
    ::close(m_fd);
}

int ConnectionProbe::connections()
{
    // The kernel completes the handshake without accept(), so a connection
    // that was made is waiting in the queue.
    for (int client; (client = ::accept(m_fd, nullptr, nullptr)) >= 0; ++m_count)
        ::close(client);
    return m_count;
}

void ConnectionProbe::resetNext()
{
    pollfd ready { m_fd, POLLIN, 0 };
    if (::poll(&ready, 1, 5000) != 1)
        return;
    const int client = ::accept(m_fd, nullptr, nullptr);
    char buffer[4096];
    (void)::recv(client, buffer, sizeof buffer, 0);
    // Closing with a zero linger time sends a reset, not an orderly end.
    const linger reset { 1, 0 };
    ::setsockopt(client, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    ::close(client);
}

int connectTo(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(uint16_t(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
        return fd;
    ::close(fd);
    return -1;
}
