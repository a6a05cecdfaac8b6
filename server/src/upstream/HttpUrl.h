// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <optional>
#include <string>

// An absolute http or https address split the way an HTTP client needs it.
struct HttpUrl {
    QString scheme; // "http" or "https"
    QString host; // without brackets for IPv6
    int port = 0;
    QString target; // path and query, at least "/"

    // Refuses other schemes, user names and passwords, and addresses without a host.
    static std::optional<HttpUrl> parse(const QString& text);

    // "scheme://host:port", with an IPv6 host in brackets.
    std::string origin() const;
    bool isHttps() const { return scheme == QLatin1String("https"); }
    // Joins a path below the address's own path ("/v1" + "/models" = "/v1/models").
    std::string below(const QString& path) const;
};
