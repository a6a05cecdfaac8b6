// SPDX-License-Identifier: MIT
// The popup's road, measured end to end on a real X server:
//  1. shortcut press (XTest, as xdotool sends it) with a word in PRIMARY
//     until the popup window is exposed on screen;
//  2. the backend's answer leaving the (in-process) server until the
//     translation has been painted;
//  3. wake-ups of the main thread while a popup stays open and idle;
//  4. resident memory of the process holding the popup.
#include "HotkeyManager.h"
#include "PlatformSession.h"
#include "PopupController.h"
#include "PopupView.h"
#include "SelectionCapture.h"
#include "TestHttpServer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

// Presses option+T through XTest on a connection of its own, as xdotool
// does (defined at the end: Xlib's macros clash with Qt's names).
class FakeKeyboard {
public:
    FakeKeyboard();
    ~FakeKeyboard();
    void pressOptionT();

private:
    void* m_display;
};

namespace {

QElapsedTimer g_clock;
double nowMs()
{
    return g_clock.nsecsElapsed() / 1e6;
}

// Processor time of the calling (main) thread: what the work itself costs,
// which the load of other programs on the machine does not inflate.
double cpuMs()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

struct Stats {
    double p50, p95, max;
};
Stats stats(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    auto at = [&](double q) { return samples[std::min(samples.size() - 1, size_t(q * samples.size()))]; };
    return { at(0.5), at(0.95), samples.back() };
}

// Records the moment the watched window is exposed on screen.
class ExposeWatch : public QObject {
public:
    double exposedAt = -1;
    double exposedCpu = -1;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Expose && exposedAt < 0) {
            exposedAt = nowMs();
            exposedCpu = cpuMs();
        }
        return false;
    }
};

// Records when the translation text has been painted: paints it inside the
// filter, then notes the time.
class PaintWatch : public QObject {
public:
    double paintedAt = -1;
    double paintedCpu = -1;
    bool armed = false;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!armed || event->type() != QEvent::Paint)
            return false;
        watched->removeEventFilter(this);
        QCoreApplication::sendEvent(watched, event);
        paintedAt = nowMs();
        paintedCpu = cpuMs();
        armed = false;
        watched->installEventFilter(this);
        return true;
    }
};

// Runs the event loop until `done` holds, checking after every event the
// loop delivers (QTest::qWaitFor sleeps 10 ms between checks, which would
// be measured as latency). The thread sleeps in the loop's poll between
// events: processEvents() with a time limit never waits, and a main thread
// spinning on it takes the processor from the X server and the network
// thread it is waiting for, and counts the spinning as its own work.
bool waitUntil(const std::function<bool()>& done, int timeoutMs)
{
    bool timedOut = false;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, [&] { timedOut = true; });
    deadline.start(timeoutMs);
    while (!done()) {
        if (timedOut)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

long mainThreadWakeups()
{
    QFile status(QStringLiteral("/proc/self/task/%1/status").arg(::syscall(SYS_gettid)));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("voluntary_ctxt_switches:"))
            return line.mid(24).trimmed().toLong();
    return -1;
}

long residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

QByteArray translationAnswer(const QString& text)
{
    const QJsonObject data { { "text", text }, { "translated", "translated " + text },
        { "sourceLanguage", "en" }, { "targetLanguage", "ru" } };
    return QJsonDocument(QJsonObject { { "success", true }, { "data", data } })
        .toJson(QJsonDocument::Compact);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    g_clock.start();
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 60;

    QProcess openbox;
    openbox.start("openbox", { "--sm-disable" });
    openbox.waitForStarted();
    QTest::qWait(500);

    QTemporaryDir dir;
    AppSettings settings(dir.filePath("settings.json"));
    settings.setAutoPlayPronunciation(false);

    // The backend: answers at once, noting when each answer leaves.
    TestHttpServer server;
    double answeredAt = -1;
    double answeredCpu = -1;
    server.answer([&](const TestHttpServer::Request& request) -> TestHttpServer::Response {
        answeredAt = nowMs();
        answeredCpu = cpuMs();
        if (request.path == "/translate")
            return { 200, translationAnswer(request.json().value("text").toString()) };
        return { 200, QByteArrayLiteral("{\"success\":false,\"error\":\"no entry\"}") };
    });

    PlatformSession platform;
    PopupController controller({ settings, LookupClient(server.url()), platform.clipboard(),
        platform.keystrokes(), platform.pointerWatch(), platform.escapeGrab(), platform.translucency(),
        platform.notifications(), platform.pointer() });
    SelectionCapture capture(
        { platform.selectionReader(), platform.clipboard(), platform.keystrokes(), platform.permission() });
    HotkeyManager hotkeys(platform.createHotkeyRegistrar());
    double heardAt = -1;
    double capturedAt = -1;
    hotkeys.onTrigger = [&](HotkeyAction) {
        heardAt = nowMs();
        capture.captureSelection([&](std::optional<QString> text) {
            capturedAt = nowMs();
            if (text && !text->isEmpty())
                controller.show(*text, PopupMode::translate);
        });
    };
    hotkeys.registerHotkey(HotkeyAction::translate, 17, 2048);

    ExposeWatch expose;
    controller.panel().winId();
    controller.panel().windowHandle()->installEventFilter(&expose);

    // A word double-clicked in xterm, the active window: PRIMARY counts
    // only while it belongs to the program the user is in.
    QProcess terminal;
    terminal.start(
        "xterm", { "-geometry", "40x4+300+300", "-e", "sh", "-c", "echo serendipity; exec sleep 600" });
    terminal.waitForStarted();
    auto xdotool = [](const QStringList& arguments) {
        QProcess tool;
        tool.start("xdotool", arguments);
        tool.waitForFinished();
        return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
    };
    const QString terminalWindow
        = xdotool({ "search", "--sync", "--onlyvisible", "--pid", QString::number(terminal.processId()) })
              .section('\n', 0, 0);
    xdotool({ "windowactivate", "--sync", terminalWindow });
    QTest::qWait(300);
    xdotool({ "mousemove", "--window", terminalWindow, "20", "8", "click", "--repeat", "2", "--delay", "80",
        "1" });
    QTest::qWait(300);

    FakeKeyboard keyboard;

    std::vector<double> pressToMapped, pressToMappedCpu, pressToHeard, pressToCaptured;
    for (int i = 0; i < rounds; ++i) {
        expose.exposedAt = -1;
        const double pressed = nowMs();
        const double pressedCpu = cpuMs();
        keyboard.pressOptionT();
        if (!waitUntil([&] { return expose.exposedAt >= 0; }, 3000)) {
            std::fprintf(stderr, "round %d: the popup did not appear\n", i);
            continue;
        }
        pressToMapped.push_back(expose.exposedAt - pressed);
        pressToMappedCpu.push_back(expose.exposedCpu - pressedCpu);
        pressToHeard.push_back(heardAt - pressed);
        pressToCaptured.push_back(capturedAt - pressed);
        QTest::qWait(30);
        controller.panel().hide();
        QTest::qWait(30);
    }

    // The answer's way to the screen.
    PaintWatch paint;
    std::vector<double> answerToDrawn, answerToModel, answerToDrawnCpu;
    double modelAt = -1;
    double modelCpu = -1;
    std::vector<double> answerToModelCpu;
    QObject::connect(&controller.model(), &PopupModel::changed, [&] {
        if (modelAt < 0 && controller.model().translation()) {
            modelAt = nowMs();
            modelCpu = cpuMs();
        }
    });
    for (int i = 0; i < rounds; ++i) {
        server.hold();
        controller.show(QStringLiteral("a sentence number %1").arg(i), PopupMode::translate);
        QTest::qWait(argc > 2 ? std::atoi(argv[2]) : 60);
        QWidget* translation = controller.view().findChild<QWidget*>("translation");
        translation->installEventFilter(&paint);
        paint.armed = true;
        paint.paintedAt = -1;
        modelAt = -1;
        server.release();
        if (!waitUntil([&] { return paint.paintedAt >= 0; }, 3000)) {
            std::fprintf(stderr, "round %d: the translation was not painted\n", i);
            continue;
        }
        answerToDrawn.push_back(paint.paintedAt - answeredAt);
        answerToDrawnCpu.push_back(paint.paintedCpu - answeredCpu);
        answerToModel.push_back(modelAt - answeredAt);
        answerToModelCpu.push_back(modelCpu - answeredCpu);
        translation->removeEventFilter(&paint);
    }

    // Idle with a popup open.
    QTest::qWait(500);
    const long before = mainThreadWakeups();
    QTest::qWait(0);
    QElapsedTimer idle;
    idle.start();
    QEventLoop loop;
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    const double idleSeconds = idle.nsecsElapsed() / 1e9;
    const long wakeups = mainThreadWakeups() - before - 1; // the timer that ends the wait

    const Stats road = stats(pressToMapped);
    const Stats drawn = stats(answerToDrawn);
    std::printf("press to popup exposed (%zu rounds): p50 %.2f ms, p95 %.2f ms, max %.2f ms\n",
        pressToMapped.size(), road.p50, road.p95, road.max);
    const Stats heard = stats(pressToHeard);
    const Stats captured = stats(pressToCaptured);
    std::printf(
        "  of which press to shortcut heard: p50 %.2f ms, p95 %.2f ms; to text captured: p50 %.2f ms, "
        "p95 %.2f ms\n",
        heard.p50, heard.p95, captured.p50, captured.p95);
    std::printf("answer to translation painted (%zu rounds): p50 %.2f ms, p95 %.2f ms, max %.2f ms\n",
        answerToDrawn.size(), drawn.p50, drawn.p95, drawn.max);
    const Stats model = stats(answerToModel);
    const Stats modelCpuStats = stats(answerToModelCpu);
    std::printf(
        "  of which answer to model: p50 %.2f ms, p95 %.2f ms (main-thread processor time p50 %.2f ms)\n",
        model.p50, model.p95, modelCpuStats.p50);
    const Stats roadCpu = stats(pressToMappedCpu);
    const Stats drawnCpu = stats(answerToDrawnCpu);
    std::printf("main-thread processor time: press to exposed p50 %.2f / p95 %.2f ms, answer to painted "
                "p50 %.2f / p95 %.2f ms\n",
        roadCpu.p50, roadCpu.p95, drawnCpu.p50, drawnCpu.p95);
    std::printf("idle with the popup open: %ld wake-ups of the main thread in %.1f s (%.2f/s)\n", wakeups,
        idleSeconds, wakeups / idleSeconds);
    std::printf("resident memory: %.1f MB\n", residentKiB() / 1024.0);

    terminal.kill();
    terminal.waitForFinished();
    openbox.terminate();
    openbox.waitForFinished();
    return 0;
}

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

FakeKeyboard::FakeKeyboard()
    : m_display(XOpenDisplay(nullptr))
{
}

FakeKeyboard::~FakeKeyboard()
{
    XCloseDisplay(static_cast<Display*>(m_display));
}

void FakeKeyboard::pressOptionT()
{
    auto* display = static_cast<Display*>(m_display);
    const KeyCode alt = XKeysymToKeycode(display, XK_Alt_L);
    const KeyCode t = XKeysymToKeycode(display, XK_t);
    XTestFakeKeyEvent(display, alt, True, 0);
    XTestFakeKeyEvent(display, t, True, 0);
    XTestFakeKeyEvent(display, t, False, 0);
    XTestFakeKeyEvent(display, alt, False, 0);
    XFlush(display);
}
