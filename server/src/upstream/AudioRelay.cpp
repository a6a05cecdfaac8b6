// SPDX-License-Identifier: MIT
#include "AudioRelay.h"

#include "UpstreamHttp.h"

#include <cstring>
#include <future>
#include <memory>
#include <netdb.h>
#include <sys/socket.h>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

QString shortened(const QString& text)
{
    return text.size() > 120 ? text.left(117) + QStringLiteral("...") : text;
}

Reply refused(const QString& address, const QString& reason)
{
    return Envelope::failure(403, QStringLiteral("Refused to fetch %1: %2.").arg(shortened(address), reason));
}

std::vector<IpAddress> resolveNow(const std::string& host)
{
    std::vector<IpAddress> out;
    addrinfo hints {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &list) != 0)
        return out;
    for (addrinfo* info = list; info; info = info->ai_next) {
        IpAddress address;
        if (info->ai_family == AF_INET) {
            address.family = IpAddress::Family::V4;
            std::memcpy(address.bytes.data(), &reinterpret_cast<sockaddr_in*>(info->ai_addr)->sin_addr, 4);
        } else if (info->ai_family == AF_INET6) {
            address.family = IpAddress::Family::V6;
            std::memcpy(address.bytes.data(), &reinterpret_cast<sockaddr_in6*>(info->ai_addr)->sin6_addr, 16);
        } else {
            continue;
        }
        out.push_back(address);
    }
    freeaddrinfo(list);
    return out;
}

QString bracketed(const QString& host)
{
    return host.contains(u':') ? u'[' + host + u']' : host;
}

} // namespace

AudioRelay::AudioRelay(Config config, LocalFetch localFetch)
    : m_config(std::move(config))
    , m_localFetch(std::move(localFetch))
{
    for (QString& host : m_config.allowedHosts)
        host = host.toLower();
    if (!m_config.resolve)
        m_config.resolve = &AudioRelay::resolve;
}

std::vector<IpAddress> AudioRelay::resolve(const std::string& host, std::chrono::milliseconds timeout)
{
    // getaddrinfo() has no deadline of its own: it runs on a thread of its
    // own, which is left to finish when the time is up.
    auto promise = std::make_shared<std::promise<std::vector<IpAddress>>>();
    std::future<std::vector<IpAddress>> result = promise->get_future();
    std::thread([host, promise] { promise->set_value(resolveNow(host)); }).detach();
    if (result.wait_for(timeout) != std::future_status::ready)
        return {};
    return result.get();
}

bool AudioRelay::isAudioType(const std::string& contentType)
{
    std::string type = contentType.substr(0, contentType.find(';'));
    for (char& c : type)
        c = char(std::tolower((unsigned char)c));
    while (!type.empty() && type.back() == ' ')
        type.pop_back();
    return type.starts_with("audio/") || type == "application/ogg" || type == "application/octet-stream";
}

bool AudioRelay::isOwnOrigin(const HttpUrl& url) const
{
    return url.scheme == QLatin1String("http") && url.host == m_config.ownHost.toLower()
        && url.port == m_config.ownPort;
}

bool AudioRelay::isAllowedHost(const HttpUrl& url) const
{
    return m_config.allowedHosts.contains(url.host)
        || m_config.allowedHosts.contains(bracketed(url.host) + u':' + QString::number(url.port));
}

AudioRelay::Decision AudioRelay::check(const QString& address) const
{
    const auto url = HttpUrl::parse(address);
    if (!url) {
        Decision decision;
        decision.reason = QStringLiteral("only plain http and https addresses are relayed");
        return decision;
    }
    return checkUrl(*url, m_config.timeout);
}

AudioRelay::Decision AudioRelay::checkUrl(const HttpUrl& url, std::chrono::milliseconds timeout) const
{
    Decision decision;
    if (isOwnOrigin(url)) {
        // Of this server only the recordings: the relay must not call itself
        // in a loop or hand out its other answers under a second address.
        if (!url.target.startsWith(QLatin1String("/pronunciation/"))) {
            decision.reason = QStringLiteral("only this server's pronunciations are relayed from it");
            return decision;
        }
        decision.kind = Decision::Kind::Own;
        decision.connectTo = url.host.toStdString();
        return decision;
    }
    if (!isAllowedHost(url)) {
        decision.reason = QStringLiteral("%1 is not a dictionary audio host of this server").arg(url.host);
        return decision;
    }
    std::vector<IpAddress> addresses;
    const auto literal = IpAddress::parse(url.host.toStdString());
    if (literal)
        addresses.push_back(*literal);
    else
        addresses = m_config.resolve(url.host.toStdString(), timeout);
    if (addresses.empty()) {
        decision.reason = QStringLiteral("%1 does not resolve").arg(url.host);
        return decision;
    }
    // Every address must be public: a name that also resolves inward is refused whole.
    for (const IpAddress& address : addresses) {
        const AddressClass addressClass = AddressPolicy::classify(address);
        if (addressClass != AddressClass::Public) {
            decision.reason
                = QString::fromLatin1(literal ? "%1 is a %2 address" : "%1 resolves to a %2 address")
                      .arg(url.host, AddressPolicy::name(addressClass));
            return decision;
        }
    }
    decision.kind = Decision::Kind::Remote;
    decision.connectTo = addresses.front().toString();
    return decision;
}

Reply AudioRelay::fetch(const QString& source) const
{
    const Clock::time_point deadline = Clock::now() + m_config.timeout;
    const auto tooLarge = [this] {
        return Envelope::failure(
            502, QStringLiteral("The recording is larger than %1 bytes.").arg(m_config.maxBytes));
    };
    const auto tooSlow
        = [] { return Envelope::failure(504, QStringLiteral("The recording did not arrive in time.")); };
    QString address = source;
    for (int hop = 0; hop <= m_config.maxRedirects; ++hop) {
        const auto url = HttpUrl::parse(address);
        if (!url)
            return refused(address, QStringLiteral("only plain http and https addresses are relayed"));
        auto remaining = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (remaining.count() <= 0)
            return tooSlow();
        const Decision decision = checkUrl(*url, remaining);
        if (decision.kind == Decision::Kind::Refused)
            return refused(address, decision.reason);
        if (decision.kind == Decision::Kind::Own && m_localFetch) {
            Reply reply = m_localFetch(*url);
            if (reply.status == 200 && reply.body.size() > qsizetype(m_config.maxBytes))
                return tooLarge();
            return reply;
        }

        remaining = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (remaining.count() <= 0)
            return tooSlow();
        UpstreamHttp::Request request;
        request.url = address.toStdString();
        request.headers = { "Accept: audio/*" };
        request.timeout = remaining;
        request.maxBytes = m_config.maxBytes;
        request.cancelled = m_config.cancelled;
        // Connect to the address that was checked, whatever the name resolves to now.
        if (!IpAddress::parse(url->host.toStdString()))
            request.resolve = { QStringLiteral("%1:%2:%3")
                                    .arg(url->host)
                                    .arg(url->port)
                                    .arg(bracketed(QString::fromStdString(decision.connectTo)))
                                    .toStdString() };
        const UpstreamHttp::Response response = UpstreamHttp::send(request);
        switch (response.outcome) {
        case UpstreamHttp::Outcome::Answered:
            break;
        case UpstreamHttp::Outcome::TooLarge:
            return tooLarge();
        case UpstreamHttp::Outcome::TimedOut:
            return tooSlow();
        case UpstreamHttp::Outcome::Reset:
            return Envelope::failure(502,
                QStringLiteral("The connection to %1 broke off before the recording arrived.")
                    .arg(url->host));
        case UpstreamHttp::Outcome::Cancelled:
            return Envelope::failure(503, QStringLiteral("The server is stopping."));
        default:
            return Envelope::failure(
                502, QStringLiteral("Could not fetch the recording from %1.").arg(url->host));
        }

        const int status = response.status;
        if (status == 301 || status == 302 || status == 303 || status == 307 || status == 308) {
            if (response.redirectUrl.empty())
                return Envelope::failure(502, QStringLiteral("The recording's server redirected nowhere."));
            address = QString::fromStdString(response.redirectUrl);
            continue;
        }
        if (status != 200)
            return Envelope::failure(
                502, QStringLiteral("The recording's server answered HTTP %1.").arg(status));
        std::string contentType = response.contentType;
        if (contentType.empty())
            contentType = "application/octet-stream";
        // Relaying a page would run it under this server's address.
        if (!isAudioType(contentType))
            return Envelope::failure(502, QStringLiteral("The address does not hold a recording."));
        return { 200, QByteArray::fromStdString(response.body), QByteArray::fromStdString(contentType) };
    }
    return Envelope::failure(502, QStringLiteral("The recording's address redirects too often."));
}
