// SPDX-License-Identifier: MIT
#pragma once

#include "HttpUrl.h"

#include <QString>
#include <atomic>
#include <chrono>
#include <optional>
#include <string>

// An optional machine-translation service with the LibreTranslate HTTP API,
// for text longer than the dictionaries can take. The server's operator
// chooses its address; without one, longer text is refused with a message.
class TranslationProvider {
public:
    struct Config {
        QString url; // e.g. "http://127.0.0.1:5000"; empty: none
        std::string apiKey;
        std::chrono::milliseconds timeout { std::chrono::seconds(30) };
        std::size_t maxAnswerBytes = 1024 * 1024;
        const std::atomic<bool>* cancelled = nullptr; // set when the server stops
    };
    struct Result {
        bool ok = false;
        QString translated;
        QString detectedSource; // our language code; empty when the service did not say
        QString error;
        int status = 0;
    };

    explicit TranslationProvider(Config config);

    bool isConfigured() const { return m_url.has_value(); }
    // `source` is a language code or "auto".
    Result translate(const QString& text, const QString& source, const QString& target) const;

    // Our codes and the service's differ only for Chinese.
    static QString toServiceCode(const QString& code);
    static QString fromServiceCode(const QString& code);

private:
    Config m_config;
    std::optional<HttpUrl> m_url;
};
