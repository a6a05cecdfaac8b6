// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

// One HTTP exchange with a service elsewhere (Gemini, the translation
// service, a dictionary's audio host), through libcurl: one deadline for the
// whole exchange including name resolution, a cap on the answer's size,
// http and https only, no redirects followed and no proxy taken from the
// environment.
class UpstreamHttp {
public:
    struct Request {
        std::string url;
        std::string method = "GET";
        std::vector<std::string> headers; // "Name: value"
        std::string body;
        std::chrono::milliseconds timeout { std::chrono::seconds(30) };
        std::size_t maxBytes = 4 * 1024 * 1024;
        // "host:port:address" entries: connect there instead of resolving.
        std::vector<std::string> resolve;
        // Set when the server stops; the exchange then ends at once.
        const std::atomic<bool>* cancelled = nullptr;
    };
    enum class Outcome { Answered, TimedOut, Reset, Unreachable, TooLarge, Cancelled, Failed };
    struct Response {
        Outcome outcome = Outcome::Failed;
        int status = 0;
        std::string contentType;
        std::string redirectUrl; // a redirect's target, resolved against the request's address
        std::string body;
        std::string error; // libcurl's own words, for the log
    };

    static Response send(const Request& request);
};
