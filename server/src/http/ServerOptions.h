// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>
#include <chrono>
#include <cstddef>
#include <optional>
#include <string>

// What `sorvantel-server` is told on its command line. The defaults are the
// address the desktop program is built to reach, and Debian's data folders.
struct ServerOptions {
    QString host;
    int port = 0;
    QString wordNetDir = QStringLiteral("/usr/share/wordnet");
    QString dictdDir = QStringLiteral("/usr/share/dictd");
    QString dingFile = QStringLiteral("/usr/share/trans/de-en");
    QString translateUrl;
    std::string translateKey;
    QString geminiUrl = QStringLiteral("https://generativelanguage.googleapis.com");
    QString geminiModel = QStringLiteral("gemini-2.5-flash");
    QStringList audioHosts;
    std::size_t audioMaxBytes = 2 * 1024 * 1024;
    int threads = 8; // for local work; calls to other services have their own
    std::size_t maxConnections = 2048;
    // How long a connection may wait before starting a request, and a started
    // request may take to arrive whole (head and body).
    std::chrono::milliseconds idleDeadline { std::chrono::seconds(10) };
    std::chrono::milliseconds requestDeadline { std::chrono::seconds(10) };
    bool verbose = false;

    ServerOptions();

    enum class Outcome { Run, Help, Version, Error };
    struct Parsed;
    // `arguments` includes the program name first.
    static Parsed parse(const QStringList& arguments);

    // "127.0.0.1:47831", "[::1]:47831": what clients put in the Host header.
    QString authority(int actualPort) const;
};

struct ServerOptions::Parsed {
    Outcome outcome = Outcome::Run;
    ServerOptions options;
    QString message; // help text, version or error
};
