// SPDX-License-Identifier: MIT
// Runs Gemini key operations in a process of its own, so that a test can
// give it a session bus of its choosing (the bus connection is made once per
// process). Prints one line per action, e.g. "read=abc 3ms", "read=none 1ms".
//
//   keystore_probe save=<key> | read | remove ...
#include "GeminiKeyManager.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList actions = app.arguments().mid(1);
    for (const QString& action : actions) {
        QElapsedTimer timer;
        timer.start();
        QString line;
        if (action.startsWith("save=")) {
            GeminiKeyManager::save(action.mid(5));
            line = "save";
        } else if (action == "read") {
            line = "read=" + GeminiKeyManager::read().value_or("none");
        } else if (action == "remove") {
            GeminiKeyManager::remove();
            line = "remove";
        } else {
            std::fprintf(stderr, "unknown action %s\n", qPrintable(action));
            return 2;
        }
        std::printf("%s %lldms\n", qPrintable(line), timer.elapsed());
        std::fflush(stdout);
    }
    return 0;
}
