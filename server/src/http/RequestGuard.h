// SPDX-License-Identifier: MIT
#pragma once

#include "Envelope.h"

#include <QString>
#include <optional>
#include <string_view>

// Checks that keep web pages away from a service on loopback: every page the
// user opens can send requests to it. A page on another name that resolves to
// 127.0.0.1 (DNS rebinding) sends its own name in Host; a page calling us
// from the browser sends Origin or Sec-Fetch-Site; a page posting without a
// CORS preflight can only send form or plain-text bodies, never JSON.
class RequestGuard {
public:
    // `ownAuthority` is the "host:port" clients reach this server at.
    explicit RequestGuard(QString ownAuthority);

    // A refusal, or nullopt when the request may go on.
    std::optional<Reply> checkHost(std::string_view host) const;
    std::optional<Reply> checkCaller(std::string_view origin, std::string_view fetchSite) const;
    static std::optional<Reply> checkJsonBody(std::string_view contentType);
    // Bodies are read only when their length is declared first and within
    // `maxBytes`: a chunked body has no length to check in advance, and a
    // compressed one would grow past the check when inflated.
    static std::optional<Reply> checkBodyFraming(bool needsBody,
        std::optional<std::string_view> contentLength, bool hasTransferEncoding,
        std::string_view contentEncoding, std::size_t maxBytes);

private:
    QString m_ownAuthority;
    QString m_ownOrigin;
};
