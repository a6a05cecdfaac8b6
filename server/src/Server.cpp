// SPDX-License-Identifier: MIT
#include "Server.h"

#include "AudioRelay.h"
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
#include <chrono>
#include <cstdio>
#include <httplib.h>

namespace {

constexpr std::size_t kMaxBodyBytes = 64 * 1024;

void send(const Reply& reply, httplib::Response& res)
{
    res.status = reply.status;
    res.set_content(reply.body.constData(), std::size_t(reply.body.size()), reply.contentType.constData());
}

QString fromStd(const std::string& text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

} // namespace

Server::Server(
    ServerOptions options, const WordNet& wordNet, const DictionarySet& dictionaries, Espeak* espeak)
    : m_options(std::move(options))
    , m_wordNet(wordNet)
    , m_dictionaries(dictionaries)
    , m_espeak(espeak)
    , m_http(std::make_unique<httplib::Server>())
{
}

Server::~Server()
{
    stop();
}

QString Server::baseUrl() const
{
    return QStringLiteral("http://") + m_options.authority(m_port) + u'/';
}

bool Server::bind(QString* error)
{
    // Socket options apply to the listening socket, so they come before binding.
    const int threads = m_options.threads;
    m_http->new_task_queue = [threads] { return new httplib::ThreadPool(std::size_t(threads)); };
    m_http->set_payload_max_length(kMaxBodyBytes);
    m_http->set_read_timeout(std::chrono::seconds(10));
    // An idle connection holds a worker, and stop() waits for it: keep idle
    // time short (reconnecting on loopback is cheap) and reuse busy ones longer.
    m_http->set_keep_alive_timeout(1);
    m_http->set_keep_alive_max_count(100);
    // Small answers: without this, delayed acknowledgements add 40 ms to each.
    m_http->set_tcp_nodelay(true);
    m_http->set_write_timeout(std::chrono::seconds(10));
    m_http->set_default_headers({ { "X-Content-Type-Options", "nosniff" },
        { "Content-Security-Policy", "default-src 'none'; sandbox" } });

    const std::string host = m_options.host.toStdString();
    if (m_options.port == 0) {
        m_port = m_http->bind_to_any_port(host);
    } else {
        m_port = m_http->bind_to_port(host, m_options.port) ? m_options.port : -1;
    }
    if (m_port <= 0) {
        if (error)
            *error = QStringLiteral("cannot listen on %1 port %2 (is another server running there?)")
                         .arg(m_options.host)
                         .arg(m_options.port);
        return false;
    }

    const QString authority = m_options.authority(m_port);
    const QString origin = QStringLiteral("http://") + authority;
    m_lookup = std::make_unique<WordLookup>(m_wordNet, m_espeak, origin);
    m_provider = std::make_unique<TranslationProvider>(TranslationProvider::Config {
        m_options.translateUrl, m_options.translateKey, std::chrono::seconds(30) });
    m_translator = std::make_unique<Translator>(m_dictionaries, m_wordNet, *m_provider);
    m_gemini = std::make_unique<GeminiClient>(
        GeminiClient::Config { m_options.geminiUrl, m_options.geminiModel, std::chrono::seconds(45) });

    AudioRelay::Config relay;
    relay.allowedHosts = m_options.audioHosts;
    relay.ownHost = m_options.host;
    relay.ownPort = m_port;
    relay.maxBytes = m_options.audioMaxBytes;
    // This server's own recordings are answered in-process: a request to
    // ourselves would wait for a free worker while holding one.
    m_relay = std::make_unique<AudioRelay>(relay, [this](const HttpUrl& url) {
        const QUrl parsed(QStringLiteral("http://localhost") + url.target);
        const QString word = parsed.path(QUrl::FullyDecoded).mid(int(qstrlen("/pronunciation/")));
        return m_routes->pronunciation(
            word, QUrlQuery(parsed).queryItemValue(QStringLiteral("accent"), QUrl::FullyDecoded));
    });
    m_routes = std::make_unique<Routes>(*m_lookup, *m_translator, *m_gemini, *m_relay);
    m_guard = std::make_unique<RequestGuard>(authority);
    installRoutes();
    return true;
}

void Server::installRoutes()
{
    httplib::Server& http = *m_http;
    // Everything here runs before the body is read.
    http.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
        auto refusal = m_guard->checkHost(req.get_header_value("Host"));
        if (!refusal)
            refusal = m_guard->checkCaller(
                req.get_header_value("Origin"), req.get_header_value("Sec-Fetch-Site"));
        if (!refusal)
            refusal = RequestGuard::checkBodyEncoding(req.has_header("Transfer-Encoding"), {});
        for (auto [coding, end] = req.headers.equal_range("Content-Encoding"); !refusal && coding != end;
             ++coding)
            refusal = RequestGuard::checkBodyEncoding(false, coding->second);
        const char* route = Routes::routeOf(req.path);
        if (!refusal && route && !Routes::allowsMethod(route, req.method))
            refusal = Routes::forStatus(405);
        if (!refusal && req.method == "POST" && route)
            refusal = RequestGuard::checkJsonBody(req.get_header_value("Content-Type"));
        if (!refusal)
            return httplib::Server::HandlerResponse::Unhandled;
        send(*refusal, res);
        // The unread body must not be taken for the next request.
        res.set_header("Connection", "close");
        return httplib::Server::HandlerResponse::Handled;
    });

    // Any text after the route's slash, line breaks included, reaches the
    // word check, which says what is wrong with it.
    http.Get(R"(/lookup/([\s\S]*))", [this](const httplib::Request& req, httplib::Response& res) {
        send(m_routes->lookup(fromStd(req.matches[1]), fromStd(req.get_param_value("accent"))), res);
    });
    http.Get(R"(/pronunciation/([\s\S]*))", [this](const httplib::Request& req, httplib::Response& res) {
        send(m_routes->pronunciation(fromStd(req.matches[1]), fromStd(req.get_param_value("accent"))), res);
    });
    http.Post("/translate", [this](const httplib::Request& req, httplib::Response& res) {
        send(m_routes->translate(QByteArray::fromStdString(req.body)), res);
    });
    http.Post("/refine", [this](const httplib::Request& req, httplib::Response& res) {
        send(m_routes->refine(QByteArray::fromStdString(req.body)), res);
    });
    http.Get("/audio", [this](const httplib::Request& req, httplib::Response& res) {
        send(m_routes->audio(fromStd(req.get_param_value("src"))), res);
    });

    // Refusals that reach no handler (unknown route, oversized or malformed
    // request) still answer with an envelope.
    http.set_error_handler(
        httplib::Server::HandlerWithResponse([](const httplib::Request&, httplib::Response& res) {
            if (!res.body.empty())
                return httplib::Server::HandlerResponse::Unhandled;
            send(Routes::forStatus(res.status), res);
            return httplib::Server::HandlerResponse::Handled;
        }));
    http.set_exception_handler([](const httplib::Request&, httplib::Response& res, std::exception_ptr) {
        send(Routes::forStatus(500), res);
    });
    if (m_options.verbose) {
        // Method, route and status only: paths, bodies and queries may hold
        // keys and texts, and a decoded path may hold line breaks and
        // terminal escapes.
        http.set_logger([](const httplib::Request& req, const httplib::Response& res) {
            const char* route = Routes::routeOf(req.path);
            std::fprintf(stderr, "sorvantel-server: %s %s %d\n", req.method.c_str(),
                route ? route : "(other)", res.status);
        });
    }
}

void Server::run()
{
    if (m_port > 0)
        m_http->listen_after_bind();
}

void Server::start()
{
    m_thread = std::thread([this] { run(); });
    while (m_port > 0 && !m_http->is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void Server::stop()
{
    if (m_http)
        m_http->stop();
    if (m_thread.joinable())
        m_thread.join();
}
