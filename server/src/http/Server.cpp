// SPDX-License-Identifier: MIT
#include "Server.h"

#include "AudioRelay.h"
#include "ByteRange.h"
#include "ConnectionWatch.h"
#include "DictionarySet.h"
#include "GeminiClient.h"
#include "RequestGuard.h"
#include "Routes.h"
#include "TranslationProvider.h"
#include "Translator.h"
#include "WordLookup.h"
#include "WordNet.h"

#include <QUrl>
#include <QUrlQuery>
#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <microhttpd.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr std::size_t kMaxBodyBytes = 64 * 1024;
// Our own limits on a request's target and header fields sit well below the
// memory libmicrohttpd gives a connection, so an oversized head is answered
// here, in the envelope, rather than with the library's own HTML page (which
// it still sends for heads past its buffer).
constexpr std::size_t kMaxTargetBytes = 8 * 1024;
constexpr std::size_t kMaxHeaderBytes = 16 * 1024;
constexpr std::size_t kConnectionMemory = 96 * 1024;
// Calls to services elsewhere mostly wait; many may wait at once.
constexpr int kUpstreamThreads = 32;

QString fromUtf8(const char* text)
{
    return text ? QString::fromUtf8(text) : QString();
}

std::string_view header(MHD_Connection* connection, const char* name)
{
    const char* value = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, name);
    return value ? std::string_view(value) : std::string_view();
}

// The bytes of every header field as sent: name, ": ", value and line end.
std::size_t headerBytes(MHD_Connection* connection)
{
    std::size_t total = 0;
    MHD_get_connection_values(
        connection, MHD_HEADER_KIND,
        [](void* context, MHD_ValueKind, const char* key, const char* value) {
            *static_cast<std::size_t*>(context) += std::strlen(key) + (value ? std::strlen(value) : 0) + 4;
            return MHD_YES;
        },
        &total);
    return total;
}

// Every value of a header that may come more than once, joined by commas.
std::string allValues(MHD_Connection* connection, const char* name)
{
    struct Search {
        const char* name;
        std::string values;
    } search { name, {} };
    MHD_get_connection_values(
        connection, MHD_HEADER_KIND,
        [](void* context, MHD_ValueKind, const char* key, const char* value) {
            auto* s = static_cast<Search*>(context);
            if (key && value && strcasecmp(key, s->name) == 0)
                s->values += (s->values.empty() ? "" : ",") + std::string(value);
            return MHD_YES;
        },
        &search);
    return search.values;
}

bool isSeekable(const char* route)
{
    return route && (std::strcmp(route, "/pronunciation") == 0 || std::strcmp(route, "/audio") == 0);
}

} // namespace

struct Server::Request {
    enum class Stage { Head, Body, Running, Done };
    Stage stage = Stage::Head;
    ConnectionWatch::Entry* connection = nullptr;
    std::string method;
    const char* route = nullptr;
    std::size_t targetBytes = 0;
    std::string range;
    std::string body;
    Reply reply;
};

// libmicrohttpd's callbacks, all on its event thread.
struct ServerCallbacks {
    static void onConnection(
        void* cls, MHD_Connection* connection, void** socketContext, MHD_ConnectionNotificationCode code)
    {
        auto* server = static_cast<Server*>(cls);
        if (code == MHD_CONNECTION_NOTIFY_STARTED) {
            const MHD_ConnectionInfo* info
                = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
            *socketContext = info ? server->m_watch->opened(info->connect_fd) : nullptr;
        } else if (*socketContext) {
            server->m_watch->closed(static_cast<ConnectionWatch::Entry*>(*socketContext));
            *socketContext = nullptr;
        }
    }

    // Called once the request line has arrived: a request has begun.
    static void* onRequestLine(void* cls, const char* target, MHD_Connection* connection)
    {
        auto* server = static_cast<Server*>(cls);
        auto* request = new Server::Request;
        request->targetBytes = target ? std::strlen(target) : 0;
        const MHD_ConnectionInfo* info
            = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_SOCKET_CONTEXT);
        request->connection = info ? static_cast<ConnectionWatch::Entry*>(info->socket_context) : nullptr;
        if (request->connection)
            server->m_watch->requestStarted(request->connection);
        return request;
    }

    static void onCompleted(void* cls, MHD_Connection*, void** requestContext, MHD_RequestTerminationCode)
    {
        auto* request = static_cast<Server::Request*>(*requestContext);
        if (!request)
            return;
        if (request->connection)
            static_cast<Server*>(cls)->m_watch->answered(request->connection);
        delete request;
        *requestContext = nullptr;
    }

    static MHD_Result onRequest(void* cls, MHD_Connection* connection, const char* url, const char* method,
        const char*, const char* data, std::size_t* size, void** requestContext)
    {
        auto* server = static_cast<Server*>(cls);
        if (!*requestContext)
            *requestContext = new Server::Request;
        Server::Request& request = *static_cast<Server::Request*>(*requestContext);
        switch (request.stage) {
        case Server::Request::Stage::Head:
            // Everything here is decided before the body is read; an answer
            // given now makes libmicrohttpd drop the body and the connection.
            request.stage = Server::Request::Stage::Body;
            request.method = method;
            request.route = Routes::routeOf(url);
            request.range = header(connection, "Range");
            if (auto refusal = server->checkHead(connection, method, request.route, request.targetBytes))
                return MHD_Result(server->answer(connection, request, *refusal));
            return MHD_YES;
        case Server::Request::Stage::Body:
            if (*size > 0) {
                // The declared length was checked; this bounds memory whatever arrives.
                if (request.body.size() + *size > kMaxBodyBytes)
                    return MHD_NO;
                request.body.append(data, *size);
                *size = 0;
                return MHD_YES;
            }
            if (request.connection)
                server->m_watch->requestReceived(request.connection);
            return MHD_Result(server->dispatch(connection, request, url));
        case Server::Request::Stage::Running:
            return MHD_YES;
        case Server::Request::Stage::Done:
            return MHD_Result(server->answer(connection, request, request.reply));
        }
        return MHD_NO;
    }
};

Server::Server(
    ServerOptions options, const WordNet& wordNet, const DictionarySet& dictionaries, Espeak* espeak)
    : m_options(std::move(options))
    , m_wordNet(wordNet)
    , m_dictionaries(dictionaries)
    , m_espeak(espeak)
{
    m_localPool.setMaxThreadCount(m_options.threads);
    m_upstreamPool.setMaxThreadCount(kUpstreamThreads);
}

Server::~Server()
{
    stop();
    if (m_listenFd >= 0)
        ::close(m_listenFd);
}

QString Server::baseUrl() const
{
    return QStringLiteral("http://") + m_options.authority(m_port) + u'/';
}

bool Server::bind(QString* error)
{
    const auto fail = [&](const char* what) {
        if (error)
            *error = QStringLiteral("cannot listen on %1 port %2 (%3: %4; is another server running there?)")
                         .arg(m_options.host)
                         .arg(m_options.port)
                         .arg(QString::fromLatin1(what), QString::fromLocal8Bit(std::strerror(errno)));
        if (m_listenFd >= 0)
            ::close(m_listenFd);
        m_listenFd = -1;
        return false;
    };
    sockaddr_storage address {};
    socklen_t length = 0;
    const std::string host = m_options.host.toStdString();
    auto* v4 = reinterpret_cast<sockaddr_in*>(&address);
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&address);
    if (inet_pton(AF_INET, host.c_str(), &v4->sin_addr) == 1) {
        v4->sin_family = AF_INET;
        v4->sin_port = htons(uint16_t(m_options.port));
        length = sizeof *v4;
    } else if (inet_pton(AF_INET6, host.c_str(), &v6->sin6_addr) == 1) {
        v6->sin6_family = AF_INET6;
        v6->sin6_port = htons(uint16_t(m_options.port));
        length = sizeof *v6;
    } else {
        errno = EINVAL;
        return fail("address");
    }
    m_listenFd = ::socket(address.ss_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listenFd < 0)
        return fail("socket");
    const int on = 1;
    ::setsockopt(m_listenFd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (::bind(m_listenFd, reinterpret_cast<sockaddr*>(&address), length) != 0)
        return fail("bind");
    if (::listen(m_listenFd, 1024) != 0)
        return fail("listen");
    if (::getsockname(m_listenFd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return fail("getsockname");
    m_port = ntohs(address.ss_family == AF_INET ? v4->sin_port : v6->sin6_port);

    const QString authority = m_options.authority(m_port);
    m_lookup = std::make_unique<WordLookup>(m_wordNet, m_espeak, QStringLiteral("http://") + authority);
    m_provider = std::make_unique<TranslationProvider>(TranslationProvider::Config { m_options.translateUrl,
        m_options.translateKey, std::chrono::seconds(30), 1024 * 1024, &m_cancelled });
    m_translator = std::make_unique<Translator>(m_dictionaries, m_wordNet, *m_provider, m_apertium);
    m_gemini = std::make_unique<GeminiClient>(GeminiClient::Config {
        m_options.geminiUrl, m_options.geminiModel, std::chrono::seconds(45), 1024 * 1024, &m_cancelled });

    AudioRelay::Config relay;
    relay.allowedHosts = m_options.audioHosts;
    relay.ownHost = m_options.host;
    relay.ownPort = m_port;
    relay.maxBytes = m_options.audioMaxBytes;
    relay.cancelled = &m_cancelled;
    // This server's own recordings are made in-process, not fetched over a socket.
    m_relay = std::make_unique<AudioRelay>(relay, [this](const HttpUrl& url) {
        const QUrl parsed(QStringLiteral("http://localhost") + url.target);
        const QString word = parsed.path(QUrl::FullyDecoded).mid(int(qstrlen("/pronunciation/")));
        return m_routes->pronunciation(
            word, QUrlQuery(parsed).queryItemValue(QStringLiteral("accent"), QUrl::FullyDecoded));
    });
    m_routes = std::make_unique<Routes>(*m_lookup, *m_translator, *m_gemini, *m_relay);
    m_guard = std::make_unique<RequestGuard>(authority);
    return true;
}

bool Server::start(QString* error)
{
    if (m_listenFd < 0 && !bind(error))
        return false;
    m_watch = std::make_unique<ConnectionWatch>(ConnectionWatch::Limits {
        m_options.idleDeadline, m_options.requestDeadline, m_options.maxConnections * 9 / 10 });
    m_daemon = MHD_start_daemon(MHD_USE_EPOLL_INTERNAL_THREAD | MHD_ALLOW_SUSPEND_RESUME, 0, nullptr, nullptr,
        &ServerCallbacks::onRequest, this, MHD_OPTION_LISTEN_SOCKET, m_listenFd, MHD_OPTION_CONNECTION_LIMIT,
        unsigned(m_options.maxConnections), MHD_OPTION_CONNECTION_MEMORY_LIMIT, kConnectionMemory,
        // A backstop for answers a client does not read; requests have their own deadline.
        MHD_OPTION_CONNECTION_TIMEOUT, 30u, MHD_OPTION_NOTIFY_CONNECTION, &ServerCallbacks::onConnection,
        this, MHD_OPTION_URI_LOG_CALLBACK, &ServerCallbacks::onRequestLine, this, MHD_OPTION_NOTIFY_COMPLETED,
        &ServerCallbacks::onCompleted, this, MHD_OPTION_END);
    if (!m_daemon) {
        if (error)
            *error = QStringLiteral("cannot serve on %1 port %2").arg(m_options.host).arg(m_port);
        return false;
    }
    // The daemon owns the listening socket from now on and closes it.
    m_listenFd = -1;
    return true;
}

void Server::stop()
{
    {
        std::lock_guard lock(m_dispatchMutex);
        m_stopping = true;
    }
    m_cancelled = true;
    // Every suspended connection is resumed by its job; the daemon may stop only after.
    m_localPool.waitForDone();
    m_upstreamPool.waitForDone();
    if (m_daemon)
        MHD_stop_daemon(m_daemon);
    m_daemon = nullptr;
    m_watch.reset();
}

std::optional<Reply> Server::checkHead(
    MHD_Connection* connection, const char* method, const char* route, std::size_t targetBytes) const
{
    if (targetBytes > kMaxTargetBytes)
        return Envelope::failure(414, QStringLiteral("The request's address is too long."));
    if (headerBytes(connection) > kMaxHeaderBytes)
        return Envelope::failure(431, QStringLiteral("The request's header fields are too large."));
    if (auto refusal = m_guard->checkHost(header(connection, "Host")))
        return refusal;
    if (auto refusal
        = m_guard->checkCaller(header(connection, "Origin"), header(connection, "Sec-Fetch-Site")))
        return refusal;
    // Two lengths join into one that is not a number, and are refused.
    const std::string length = allValues(connection, "Content-Length");
    const bool hasLength = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, "Content-Length");
    const bool post = std::strcmp(method, "POST") == 0;
    if (auto refusal = RequestGuard::checkBodyFraming(post,
            hasLength ? std::optional<std::string_view>(length) : std::nullopt,
            MHD_lookup_connection_value(connection, MHD_HEADER_KIND, "Transfer-Encoding") != nullptr,
            allValues(connection, "Content-Encoding"), kMaxBodyBytes))
        return refusal;
    if (!route)
        return Routes::forStatus(404);
    if (!Routes::allowsMethod(route, method))
        return Routes::forStatus(405);
    if (post)
        return RequestGuard::checkJsonBody(header(connection, "Content-Type"));
    return std::nullopt;
}

int Server::dispatch(MHD_Connection* connection, Request& request, const char* url)
{
    const std::string_view route = request.route ? request.route : "";
    const auto argument = [connection](const char* name) {
        return fromUtf8(MHD_lookup_connection_value(connection, MHD_GET_ARGUMENT_KIND, name));
    };
    std::function<Reply()> work;
    bool upstream = true;
    if (route == "/lookup" || route == "/pronunciation") {
        // Any text after the route's slash, line breaks included, reaches
        // the word check, which says what is wrong with it.
        const QString word = QString::fromUtf8(url + route.size() + 1);
        const QString accent = argument("accent");
        upstream = false;
        if (route == "/lookup")
            work = [this, word, accent] { return m_routes->lookup(word, accent); };
        else
            work = [this, word, accent] { return m_routes->pronunciation(word, accent); };
    } else if (route == "/translate") {
        work = [this, body = QByteArray::fromStdString(request.body)] { return m_routes->translate(body); };
    } else if (route == "/refine") {
        work = [this, body = QByteArray::fromStdString(request.body)] { return m_routes->refine(body); };
    } else if (route == "/audio") {
        work = [this, source = argument("src")] { return m_routes->audio(source); };
    } else {
        return answer(connection, request, Routes::forStatus(404));
    }

    std::lock_guard lock(m_dispatchMutex);
    if (m_stopping)
        return answer(connection, request, Envelope::failure(503, QStringLiteral("The server is stopping.")));
    request.stage = Request::Stage::Running;
    MHD_suspend_connection(connection);
    (upstream ? m_upstreamPool : m_localPool).start([&request, connection, work = std::move(work)] {
        try {
            request.reply = work();
        } catch (...) {
            request.reply = Routes::forStatus(500);
        }
        request.stage = Request::Stage::Done;
        MHD_resume_connection(connection);
    });
    return MHD_YES;
}

int Server::answer(MHD_Connection* connection, const Request& request, const Reply& reply)
{
    int status = reply.status;
    QByteArray body = reply.body;
    QByteArray contentType = reply.contentType;
    std::string contentRange;
    const bool seekable = isSeekable(request.route);
    if (seekable && status == 200 && !request.range.empty()) {
        const std::size_t size = std::size_t(body.size());
        const ByteRange range = ByteRange::select(request.range, size);
        if (range.kind == ByteRange::Kind::Partial) {
            status = 206;
            contentRange = "bytes " + std::to_string(range.first) + '-' + std::to_string(range.last) + '/'
                + std::to_string(size);
            body = body.mid(qsizetype(range.first), qsizetype(range.length()));
        } else if (range.kind == ByteRange::Kind::Unsatisfiable) {
            const Reply refusal
                = Envelope::failure(416, QStringLiteral("The range is outside the recording."));
            status = refusal.status;
            body = refusal.body;
            contentType = refusal.contentType;
            contentRange = "bytes */" + std::to_string(size);
        }
    }
    MHD_Response* response = MHD_create_response_from_buffer(
        std::size_t(body.size()), const_cast<char*>(body.constData()), MHD_RESPMEM_MUST_COPY);
    if (!response)
        return MHD_NO;
    MHD_add_response_header(response, "Content-Type", contentType.constData());
    MHD_add_response_header(response, "X-Content-Type-Options", "nosniff");
    MHD_add_response_header(response, "Content-Security-Policy", "default-src 'none'; sandbox");
    if (seekable)
        MHD_add_response_header(response, "Accept-Ranges", "bytes");
    if (!contentRange.empty())
        MHD_add_response_header(response, "Content-Range", contentRange.c_str());
    const MHD_Result result = MHD_queue_response(connection, unsigned(status), response);
    MHD_destroy_response(response);
    if (m_options.verbose) {
        // Method, route and status only: paths, bodies and queries may hold
        // keys and texts, and a decoded path may hold line breaks and
        // terminal escapes.
        std::fprintf(stderr, "sorvantel-server: %s %s %d\n", request.method.c_str(),
            request.route ? request.route : "(other)", status);
    }
    return result;
}
