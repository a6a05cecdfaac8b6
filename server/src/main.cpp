// SPDX-License-Identifier: MIT
// sorvantel-server: maps the dictionaries, then answers on loopback until
// SIGINT or SIGTERM; derived indexes missing from the cache are built while
// it answers.
#include "DictionarySet.h"
#include "Espeak.h"
#include "Server.h"
#include "ServerOptions.h"
#include "WordNet.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <pthread.h>
#include <thread>

namespace {

void say(const QString& line)
{
    std::fprintf(stderr, "sorvantel-server: %s\n", qPrintable(line));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const ServerOptions::Parsed parsed = ServerOptions::parse(QCoreApplication::arguments());
    switch (parsed.outcome) {
    case ServerOptions::Outcome::Help:
    case ServerOptions::Outcome::Version:
        std::printf("%s\n", qPrintable(parsed.message));
        return 0;
    case ServerOptions::Outcome::Error:
        say(parsed.message + QStringLiteral(" (see --help)"));
        return 2;
    case ServerOptions::Outcome::Run:
        break;
    }
    const ServerOptions& options = parsed.options;

    // Signals go to one waiting thread, not to whichever worker they hit.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    QElapsedTimer timer;
    timer.start();
    QString error;
    auto wordNet = WordNet::load(options.wordNetDir, &error);
    if (!wordNet) {
        say(error + QStringLiteral(" (install wordnet-base, or pass --wordnet-dir)"));
        return 1;
    }
    QStringList warnings;
    const DictionarySet dictionaries
        = DictionarySet::load(options.dictdDir, DictionarySet::defaultCacheDir(), &warnings);
    for (const QString& warning : warnings)
        say(QStringLiteral("warning: ") + warning);
    Espeak* espeak = Espeak::instance(&error);
    if (!espeak)
        say(QStringLiteral("warning: ") + error
            + QStringLiteral("; entries come without transcription or audio"));
    say(QStringLiteral("loaded WordNet and %1 dictionaries in %2 ms")
            .arg(dictionaries.dictionaryCount())
            .arg(timer.elapsed()));
    if (options.verbose) {
        for (const QString& line : dictionaries.describe())
            say(QStringLiteral("  ") + line);
    }

    Server server(options, *wordNet, dictionaries, espeak);
    if (!server.bind(&error)) {
        say(error);
        return 1;
    }
    std::atomic<bool> finished { false };
    std::thread waiter([&server, &finished, stopSignals] {
        int received = 0;
        sigwait(&stopSignals, &received);
        // A signal that came during loading may arrive before the server
        // runs, when stopping it would do nothing: repeat until it has ended.
        while (!finished.load()) {
            server.stop();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    // One line on standard output, once requests are answered: scripts wait for it.
    std::printf("sorvantel-server: listening on %s\n", qPrintable(server.baseUrl()));
    std::fflush(stdout);
    server.run();
    finished = true;
    // A stop for another reason than a signal: wake the waiter.
    pthread_kill(waiter.native_handle(), SIGTERM);
    waiter.join();
    say(QStringLiteral("stopped"));
    return 0;
}
