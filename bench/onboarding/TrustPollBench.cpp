// SPDX-License-Identifier: MIT
// What the onboarding's once-a-second permission check costs: the first
// answer, then each repeated one, in time and in requests sent to the X server.
#include "AccessibilityPermission.h"
#include "X11Connection.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <cstdio>
// Xlib last: its macros clash with Qt's headers.
#include <X11/Xlib.h>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const std::unique_ptr<X11Connection> connection = X11Connection::open();
    if (!connection) {
        std::fprintf(stderr, "trust_poll_bench: no X server\n");
        return 1;
    }
    Display* display = connection->display();
    const auto permission = AccessibilityPermission::createForSession(connection.get());

    QElapsedTimer timer;
    unsigned long before = XNextRequest(display);
    timer.start();
    const bool trusted = permission->isTrusted();
    const qint64 firstNs = timer.nsecsElapsed();
    std::printf("first check: %s, %.1f us, %lu X requests\n", trusted ? "trusted" : "not trusted",
        firstNs / 1e3, XNextRequest(display) - before);

    constexpr int rounds = 100000;
    before = XNextRequest(display);
    timer.restart();
    int yes = 0;
    for (int i = 0; i < rounds; ++i)
        yes += permission->isTrusted() ? 1 : 0;
    const qint64 totalNs = timer.nsecsElapsed();
    std::printf("each later check (%d rounds): %.1f ns, %.3f X requests\n", yes, double(totalNs) / rounds,
        double(XNextRequest(display) - before) / rounds);
    return 0;
}
