// SPDX-License-Identifier: MIT
#pragma once

#include "DictionarySet.h"
#include "Server.h"
#include "WordNet.h"

#include <httplib.h>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Debian's data as the server loads it, read once per test program.
const WordNet& sharedWordNet();
const DictionarySet& sharedDictionaries();

// Options for a server on a free loopback port.
ServerOptions testServerOptions();

// A sorvantel server running in this process on its own thread.
struct RunningServer {
    std::unique_ptr<Server> server;
    std::string origin() const { return "http://127.0.0.1:" + std::to_string(server->port()); }
    httplib::Client client() const;
};
std::unique_ptr<RunningServer> startServer(ServerOptions options = testServerOptions());

// A small HTTP server standing in for an upstream service (Gemini,
// LibreTranslate, an audio host) on loopback; it records what it received.
class FakeHttpServer {
public:
    struct Received {
        std::string method;
        std::string path; // as sent, with the query
        httplib::Headers headers;
        std::string body;
    };
    using Handler = std::function<void(const httplib::Request&, httplib::Response&)>;

    explicit FakeHttpServer(Handler handler, const std::string& host = "127.0.0.1");
    ~FakeHttpServer();

    int port() const { return m_port; }
    std::string origin() const;
    std::vector<Received> received() const;

private:
    httplib::Server m_server;
    std::string m_host;
    int m_port = -1;
    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::vector<Received> m_received;
};

// A blocking TCP connection to 127.0.0.1:port, or -1.
int connectTo(int port);

// A listening socket that only counts the TCP connections made to it, to
// prove that a refused fetch never connected.
class ConnectionProbe {
public:
    explicit ConnectionProbe(const std::string& host);
    ~ConnectionProbe();
    int port() const { return m_port; }
    bool listening() const { return m_fd >= 0; }
    // Connections completed so far (accepted and closed).
    int connections();
    // Waits up to five seconds for a connection, reads its request and
    // resets the connection rather than answering.
    void resetNext();

private:
    int m_port = -1;
    int m_fd = -1;
    int m_count = 0;
};
