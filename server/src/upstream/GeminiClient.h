// SPDX-License-Identifier: MIT
#pragma once

#include "Envelope.h"
#include "HttpUrl.h"

#include <QString>
#include <atomic>
#include <chrono>
#include <optional>

// Rewrites a draft with Google's Gemini generateContent API, using the key the
// user sent with the request. The key travels only in the x-goog-api-key
// header and never appears in an address, a message or a log line.
class GeminiClient {
public:
    struct Config {
        QString baseUrl = QStringLiteral("https://generativelanguage.googleapis.com");
        QString model = QStringLiteral("gemini-2.5-flash");
        std::chrono::milliseconds timeout { std::chrono::seconds(45) };
        std::size_t maxAnswerBytes = 1024 * 1024;
        const std::atomic<bool>* cancelled = nullptr; // set when the server stops
    };

    explicit GeminiClient(Config config);

    // A `RefineResult` envelope. An empty `prompt` means the default rewriting prompt.
    Reply refine(const QString& text, const QString& prompt, const QString& apiKey) const;

    // Whether a model name can stand in the request path.
    static bool isValidModel(const QString& model);
    static bool isPlausibleKey(const QString& key);
    const Config& config() const { return m_config; }

private:
    Config m_config;
    std::optional<HttpUrl> m_base;
};
