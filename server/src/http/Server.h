// SPDX-License-Identifier: MIT
#pragma once

#include "ApertiumTranslator.h"
#include "ServerOptions.h"

#include <QString>
#include <QThreadPool>
#include <atomic>
#include <memory>
#include <mutex>
#include <optional>

class AudioRelay;
class ConnectionWatch;
class DictionarySet;
class Espeak;
class GeminiClient;
class RequestGuard;
class Routes;
class TranslationProvider;
class Translator;
class WordLookup;
class WordNet;
struct Reply;
struct MHD_Connection;
struct MHD_Daemon;

// The HTTP service over loaded data. One event-driven thread (libmicrohttpd
// on epoll) reads requests and writes answers, so a connection that is idle
// or slow costs a descriptor, never a thread. Answers are computed on two
// pools: one for local work (lookups, pronunciations) and one for calls to
// services elsewhere (Gemini, the translation service, the audio relay), so
// a slow service never delays a lookup. The data is read-only and shared,
// so several servers (in tests) can run over one copy.
class Server {
public:
    Server(ServerOptions options, const WordNet& wordNet, const DictionarySet& dictionaries, Espeak* espeak);
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // Opens the listening socket; the port is known afterwards.
    bool bind(QString* error);
    // Answers requests on threads of its own until stop(); bind() first.
    bool start(QString* error);
    void stop();

    int port() const { return m_port; }
    // "http://127.0.0.1:47831/"
    QString baseUrl() const;

private:
    friend struct ServerCallbacks;
    struct Request;

    std::optional<Reply> checkHead(
        MHD_Connection* connection, const char* method, const char* route, std::size_t targetBytes) const;
    int dispatch(MHD_Connection* connection, Request& request, const char* url);
    int answer(MHD_Connection* connection, const Request& request, const Reply& reply);

    ServerOptions m_options;
    const WordNet& m_wordNet;
    const DictionarySet& m_dictionaries;
    Espeak* m_espeak;
    int m_port = -1;
    int m_listenFd = -1;

    MHD_Daemon* m_daemon = nullptr;
    std::unique_ptr<ConnectionWatch> m_watch;
    QThreadPool m_localPool;
    QThreadPool m_upstreamPool;
    std::mutex m_dispatchMutex;
    bool m_stopping = false;
    std::atomic<bool> m_cancelled { false };

    std::unique_ptr<WordLookup> m_lookup;
    std::unique_ptr<TranslationProvider> m_provider;
    ApertiumTranslator m_apertium;
    std::unique_ptr<Translator> m_translator;
    std::unique_ptr<GeminiClient> m_gemini;
    std::unique_ptr<AudioRelay> m_relay;
    std::unique_ptr<Routes> m_routes;
    std::unique_ptr<RequestGuard> m_guard;
};
