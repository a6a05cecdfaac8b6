// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <chrono>
#include <memory>
#include <semaphore>

// Offline English→Spanish sentence translation with Apertium's `eng-spa`
// pair, run as a child process per text. Blocks the calling thread for at
// most the configured time, so callers run it off the request-serving path.
class ApertiumTranslator {
public:
    struct Config {
        QString program = QStringLiteral("apertium");
        // The pipeline loads its transducers on every run: about a second.
        std::chrono::milliseconds timeout { std::chrono::seconds(3) };
        qsizetype maxOutputBytes = 256 * 1024;
        // Each run is a pipeline of about fifteen processes (some 170 MiB
        // resident together), so only a few run at once; others wait their turn
        // within their own deadline.
        int maxConcurrentRuns = 2;
    };
    struct Result {
        enum class Kind { Translated, Unavailable, Failed };
        Kind kind = Kind::Unavailable;
        QString translated; // when Translated
        QString error; // when Failed: what to tell the user
    };

    ApertiumTranslator();
    explicit ApertiumTranslator(Config config);

    static bool handles(const QString& source, const QString& target);
    // Unavailable: the program or the language pair is not installed.
    Result translate(const QString& text) const;

private:
    Config m_config;
    std::unique_ptr<std::counting_semaphore<>> m_runs;
};
