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
#include <csignal>
#include <cstdio>
#include <memory>
#include <pthread.h>
#include <sys/resource.h>
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

    // Signals are taken by sigwait() below, not by whichever thread they hit.
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
    const DictionarySet dictionaries = DictionarySet::load(
        options.dictdDir, DictionarySet::defaultCacheDir(), &warnings, options.dingFile);
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

    // Idle connections cost a descriptor each: allow as many as the system lets us.
    rlimit files {};
    if (getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < files.rlim_max) {
        files.rlim_cur = files.rlim_max;
        setrlimit(RLIMIT_NOFILE, &files);
    }

    Server server(options, *wordNet, dictionaries, espeak);
    if (!server.start(&error)) {
        say(error);
        return 1;
    }
    // One line on standard output, once requests are answered: scripts wait for it.
    std::printf("sorvantel-server: listening on %s\n", qPrintable(server.baseUrl()));
    std::fflush(stdout);
    // Benchmarks wait for this line before they measure a warm start. A build
    // cut short by a stop is not ready, and says nothing.
    auto stopping = std::make_shared<std::atomic<bool>>(false);
    std::thread([built = dictionaries.built(), stopping] {
        built.wait();
        if (!stopping->load())
            say(QStringLiteral("derived indexes ready"));
    }).detach();
    int received = 0;
    sigwait(&stopSignals, &received);
    stopping->store(true);
    server.stop();
    say(QStringLiteral("stopped"));
    return 0;
}
