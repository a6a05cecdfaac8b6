// SPDX-License-Identifier: MIT
#pragma once

#include "ServerOptions.h"

#include <QString>
#include <memory>
#include <thread>

class AudioRelay;
class DictionarySet;
class Espeak;
class GeminiClient;
class RequestGuard;
class Routes;
class TranslationProvider;
class Translator;
class WordLookup;
class WordNet;
namespace httplib {
class Server;
}

// The HTTP service over loaded data: binds, answers on a pool of worker
// threads, stops. The data is read-only and shared, so several servers (in
// tests) can run over one copy.
class Server {
public:
    Server(ServerOptions options, const WordNet& wordNet, const DictionarySet& dictionaries, Espeak* espeak);
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // Binds the listening socket; the port is known afterwards.
    bool bind(QString* error);
    // Answers requests until stop(); bind() first.
    void run();
    // run() on a thread of its own (tests).
    void start();
    void stop();

    int port() const { return m_port; }
    // "http://127.0.0.1:47831/"
    QString baseUrl() const;

private:
    void installRoutes();

    ServerOptions m_options;
    const WordNet& m_wordNet;
    const DictionarySet& m_dictionaries;
    Espeak* m_espeak;
    int m_port = -1;

    std::unique_ptr<httplib::Server> m_http;
    std::unique_ptr<WordLookup> m_lookup;
    std::unique_ptr<TranslationProvider> m_provider;
    std::unique_ptr<Translator> m_translator;
    std::unique_ptr<GeminiClient> m_gemini;
    std::unique_ptr<AudioRelay> m_relay;
    std::unique_ptr<Routes> m_routes;
    std::unique_ptr<RequestGuard> m_guard;
    std::thread m_thread;
};
