// SPDX-License-Identifier: MIT
#pragma once

#include "AddressPolicy.h"
#include "Envelope.h"
#include "HttpUrl.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// Fetches a pronunciation recording on the user's behalf. Any web page can
// make the user's browser call this server, so the relay must not become a
// way into the user's network: it reaches only this server's own
// pronunciation endpoint and the dictionary audio hosts the operator listed,
// and only at public addresses. Every hop (redirects included) is checked
// before a connection is made, and the connection goes to the address that
// was checked, so a name cannot resolve differently in between.
class AudioRelay {
public:
    // The addresses a host name has; empty when it has none or the time ran out.
    using Resolver
        = std::function<std::vector<IpAddress>(const std::string& host, std::chrono::milliseconds)>;

    struct Config {
        // Host names or literal addresses, compared exactly (case-insensitive);
        // "host:port" or "[address]:port" admits that port only.
        QStringList allowedHosts;
        QString ownHost; // this server's loopback origin
        int ownPort = 0;
        std::size_t maxBytes = 2 * 1024 * 1024;
        std::chrono::milliseconds timeout { std::chrono::seconds(10) };
        int maxRedirects = 3;
        Resolver resolve = &AudioRelay::resolve;
        const std::atomic<bool>* cancelled = nullptr; // set when the server stops
    };
    // Answers an address of this server's own origin without a socket.
    using LocalFetch = std::function<Reply(const HttpUrl& url)>;

    struct Decision {
        enum class Kind { Refused, Own, Remote } kind = Kind::Refused;
        std::string connectTo; // the vetted address to connect to
        QString reason; // why it was refused
    };

    explicit AudioRelay(Config config, LocalFetch localFetch = {});

    // The recording's bytes with its content type, or an envelope saying why not.
    Reply fetch(const QString& source) const;
    // Whether an address may be fetched, decided before any connection.
    Decision check(const QString& address) const;

    // The host name's addresses from the system resolver, or none once
    // `timeout` has passed (the lookup then finishes on its own thread).
    static std::vector<IpAddress> resolve(const std::string& host, std::chrono::milliseconds timeout);
    // Content types a recording may come with.
    static bool isAudioType(const std::string& contentType);

private:
    Decision checkUrl(const HttpUrl& url, std::chrono::milliseconds timeout) const;
    bool isOwnOrigin(const HttpUrl& url) const;
    bool isAllowedHost(const HttpUrl& url) const;

    Config m_config;
    LocalFetch m_localFetch;
};
