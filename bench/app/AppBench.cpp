// SPDX-License-Identifier: MIT
// The real program from the outside: launch to tray icon, idle cost, and a
// shortcut press over a word in xterm to the popup mapped and to its final
// layout with the word's result. Run by bench/app/run on a headless display
// with openbox, trayer, xterm and a running sorvantel-server.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <poll.h>
#include <vector>
// Xlib last: its macros clash with Qt's headers.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

Display* g_display = nullptr;

long windowPid(Window window)
{
    static const Atom pidAtom = XInternAtom(g_display, "_NET_WM_PID", False);
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    long pid = 0;
    if (XGetWindowProperty(
            g_display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after, &data)
            == Success
        && data && count == 1)
        pid = long(*reinterpret_cast<unsigned long*>(data));
    if (data)
        XFree(data);
    return pid;
}

// Whether a viewable window of `pid` exists anywhere below `window`.
bool hasViewableWindow(Window window, long pid)
{
    Window root, parent, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(g_display, window, &root, &parent, &children, &count))
        return false;
    bool found = false;
    for (unsigned int i = 0; i < count && !found; ++i) {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(g_display, children[i], &attributes) && attributes.map_state == IsViewable
            && windowPid(children[i]) == pid)
            found = true;
        else
            found = hasViewableWindow(children[i], pid);
    }
    if (children)
        XFree(children);
    return found;
}

// Asks for (or, with NoEventMask, stops) the creation, reparenting and
// mapping of children of every window below `window`, so that a tray icon
// docking anywhere is seen as an event.
void watchSubtree(Window window, long mask = SubstructureNotifyMask)
{
    XSelectInput(g_display, window, mask);
    Window root, parent, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(g_display, window, &root, &parent, &children, &count))
        return;
    for (unsigned int i = 0; i < count; ++i)
        watchSubtree(children[i], mask);
    if (children)
        XFree(children);
}

// Until a viewable window of `pid` exists, from events alone: walking the
// tree in a loop instead would keep the X server busy with our requests
// while the program under test waits for its own replies.
bool waitForViewableWindow(Window root, long pid, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        while (XPending(g_display)) {
            XEvent event;
            XNextEvent(g_display, &event);
            Window changed = 0;
            if (event.type == CreateNotify)
                changed = event.xcreatewindow.window;
            else if (event.type == MapNotify)
                changed = event.xmap.window;
            else if (event.type == ReparentNotify)
                changed = event.xreparent.window;
            if (!changed)
                continue;
            // A window made before our selection took hold may already hold the icon.
            if (event.type == CreateNotify)
                watchSubtree(changed);
            XWindowAttributes attributes;
            if (XGetWindowAttributes(g_display, changed, &attributes) && attributes.map_state == IsViewable
                && (windowPid(changed) == pid || hasViewableWindow(changed, pid)))
                return true;
        }
        pollfd connection { ConnectionNumber(g_display), POLLIN, 0 };
        ::poll(&connection, 1, int(std::max<qint64>(1, timeoutMs - clock.elapsed())));
    }
    return hasViewableWindow(root, pid);
}

double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(p * double(values.size() - 1) + 0.5))];
}

long statusField(const QString& path, const char* name)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.startsWith(name))
            return line.mid(qsizetype(strlen(name))).trimmed().split(' ').first().toLong();
    }
    return -1;
}

void key(KeySym symbol, bool down)
{
    XTestFakeKeyEvent(g_display, XKeysymToKeycode(g_display, symbol), down, CurrentTime);
}

void click(int x, int y)
{
    XTestFakeMotionEvent(g_display, -1, x, y, CurrentTime);
    XTestFakeButtonEvent(g_display, 1, True, CurrentTime);
    XTestFakeButtonEvent(g_display, 1, False, CurrentTime);
    XFlush(g_display);
}

// The next event of `type` on a child of the root within `timeoutMs`; its
// window, or 0.
Window waitFor(int type, Window window, int timeoutMs, QElapsedTimer& clock, double* at)
{
    const qint64 end = clock.elapsed() + timeoutMs;
    while (clock.elapsed() < end) {
        while (XPending(g_display)) {
            XEvent event;
            XNextEvent(g_display, &event);
            const Window subject = type == MapNotify ? event.xmap.window
                : type == UnmapNotify                ? event.xunmap.window
                                                     : event.xconfigure.window;
            if (event.type == type && (!window || subject == window)) {
                *at = double(clock.nsecsElapsed()) / 1e6;
                return subject;
            }
        }
        // Asleep until the server writes: polling on a timer would take the
        // processor from the program being measured.
        pollfd connection { ConnectionNumber(g_display), POLLIN, 0 };
        ::poll(&connection, 1, int(std::max<qint64>(1, end - clock.elapsed())));
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments(); // program, xterm word x, y, rounds
    const QString program = qEnvironmentVariable("SORVANTEL_BINARY");
    const int wordX = args.value(1).toInt(), wordY = args.value(2).toInt();
    const int rounds = args.value(3, QStringLiteral("30")).toInt();
    g_display = XOpenDisplay(nullptr);
    const Window root = DefaultRootWindow(g_display);

    // Launch to tray icon: five launches, each quit before the next.
    std::vector<double> launches;
    for (int i = 0; i < 5; ++i) {
        QProcess process;
        QElapsedTimer clock;
        watchSubtree(root);
        while (XPending(g_display)) {
            XEvent drop;
            XNextEvent(g_display, &drop);
        }
        clock.start();
        process.start(program, {});
        process.waitForStarted();
        if (waitForViewableWindow(root, long(process.processId()), 10000))
            launches.push_back(double(clock.nsecsElapsed()) / 1e6);
        QProcess::execute(program, { QStringLiteral("--quit") });
        process.waitForFinished(5000);
    }
    watchSubtree(root, NoEventMask);
    std::printf("launch to tray icon mapped: median %.1f ms, max %.1f ms (5 launches)\n",
        percentile(launches, 0.5), percentile(launches, 1.0));

    // Idle in the tray.
    QProcess process;
    process.start(program, {});
    process.waitForStarted();
    QThread::sleep(3);
    const QString task = QStringLiteral("/proc/%1/task/%1/status").arg(process.processId());
    auto switches = [&] {
        return statusField(task, "voluntary_ctxt_switches:")
            + statusField(task, "nonvoluntary_ctxt_switches:");
    };
    const long before = switches();
    QThread::sleep(30);
    const long after = switches();
    std::printf("idle: %.1f MB resident, %.2f main-thread wake-ups/s over 30 s\n",
        double(statusField(QStringLiteral("/proc/%1/status").arg(process.processId()), "VmRSS:")) / 1024.0,
        double(after - before) / 30.0);

    // Alt+T over the word selected in xterm.
    click(wordX, wordY);
    click(wordX, wordY);
    QThread::msleep(300);
    XSelectInput(g_display, root, SubstructureNotifyMask);
    std::vector<double> mapped, laidOut;
    for (int round = 0; round < rounds; ++round) {
        while (XPending(g_display)) {
            XEvent drop;
            XNextEvent(g_display, &drop);
        }
        QElapsedTimer clock;
        key(XK_Alt_L, true);
        clock.start();
        key(XK_t, true);
        key(XK_t, false);
        key(XK_Alt_L, false);
        XFlush(g_display);
        double mapAt = 0, configureAt = 0, last = 0;
        const Window popup = waitFor(MapNotify, 0, 3000, clock, &mapAt);
        if (!popup) {
            std::printf("round %d: no popup\n", round);
            continue;
        }
        // The popup refits when the result arrives; the last resize is the
        // result laid out (quiet for 400 ms afterwards).
        last = mapAt;
        while (waitFor(ConfigureNotify, popup, 400, clock, &configureAt))
            last = configureAt;
        mapped.push_back(mapAt);
        laidOut.push_back(last);
        // Escape closes the popup and leaves xterm the active window; a click
        // on the desktop would take the focus away, and the next press would
        // rightly ignore xterm's now stale selection.
        key(XK_Escape, true);
        key(XK_Escape, false);
        XFlush(g_display);
        double unmapAt = 0;
        waitFor(UnmapNotify, popup, 2000, clock, &unmapAt);
        QThread::msleep(100);
    }
    std::printf("Alt+T to popup mapped: p50 %.1f ms, p95 %.1f ms (%zu rounds)\n", percentile(mapped, 0.5),
        percentile(mapped, 0.95), mapped.size());
    std::printf("Alt+T to the word's result laid out: p50 %.1f ms, p95 %.1f ms\n", percentile(laidOut, 0.5),
        percentile(laidOut, 0.95));
    QProcess::execute(program, { QStringLiteral("--quit") });
    process.waitForFinished(5000);
    XCloseDisplay(g_display);
    return 0;
}
