// SPDX-License-Identifier: MIT
// What a clipboard snapshot costs when another program holds a large image.
//
// A child process of this program (a Qt application, like most image
// owners) puts a 3840x2160 image on the clipboard; Qt then offers it in
// about 15 encodings, each produced when asked for. The benchmark takes
// snapshots of it the way a capture does and prints time, formats and bytes,
// then how long reading the same contents back from our own restored owner
// takes (pure transfer, nothing to encode). Then the capture a shortcut
// press runs over a window with nothing selected: the time to its answer
// (when quick translate opens), and after a capture that copied, every
// target of the image read back from the restored clipboard.
//
//   selection_snapshot_bench [--runs N]
#include "Clipboard.h"
#include "PlatformSession.h"
#include "SelectionCapture.h"
#include "X11SelectionOwner.h"
#include "X11SelectionReader.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QTimer>
#include <QWindow>
#include <cstdio>
#include <sys/resource.h>

namespace {

constexpr int width = 3840;
constexpr int height = 2160;

// A screenshot: flat areas, lines of text. A photo: every pixel its own colour.
QImage picture(const QString& kind)
{
    QImage image(width, height, QImage::Format_RGB32);
    if (kind == "photo") {
        QRandomGenerator random(11);
        for (int y = 0; y < height; ++y) {
            auto* line = reinterpret_cast<quint32*>(image.scanLine(y));
            for (int x = 0; x < width; ++x)
                line[x] = 0xff000000u | (random.generate() & 0xffffffu);
        }
        return image;
    }
    image.fill(QColor(0xf6, 0xf6, 0xf6));
    QPainter painter(&image);
    painter.fillRect(0, 0, width, 80, QColor(0x2b, 0x3a, 0x55));
    painter.fillRect(0, 80, 600, height - 80, QColor(0xe4, 0xe8, 0xee));
    QFont font = painter.font();
    font.setPixelSize(22);
    painter.setFont(font);
    painter.setPen(Qt::black);
    for (int row = 0; row < 80; ++row) {
        painter.drawText(40, 130 + row * 25, QStringLiteral("Sidebar entry %1").arg(row));
        painter.drawText(660, 130 + row * 25,
            QStringLiteral("Line %1 of a document: the quick brown fox jumps over the lazy dog.").arg(row));
    }
    return image;
}

int ownClipboard(const QString& kind)
{
    auto* data = new QMimeData;
    data->setImageData(picture(kind));
    QGuiApplication::clipboard()->setMimeData(data);
    QTimer::singleShot(0, [] {
        std::puts("ready");
        std::fflush(stdout);
    });
    return QGuiApplication::exec();
}

template <typename Start> std::pair<qint64, std::optional<ClipboardContents>> timed(Start start)
{
    std::optional<std::optional<ClipboardContents>> result;
    QElapsedTimer clock;
    clock.start();
    start([&result](std::optional<ClipboardContents> contents) { result = std::move(contents); });
    while (!result)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return { clock.elapsed(), *result };
}

// The window the user works in: ignores the copy keystroke, or answers it
// by copying a word.
class Application : public QWindow {
public:
    bool copies = false;

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (copies && event->matches(QKeySequence::Copy))
            QGuiApplication::clipboard()->setText(QStringLiteral("word"));
    }
};

std::pair<qint64, CaptureResult> timedCapture(SelectionCapture& capture)
{
    std::optional<CaptureResult> result;
    QElapsedTimer clock;
    clock.start();
    capture.capture([&result](CaptureResult captured) { result = std::move(captured); });
    while (!result)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return { clock.elapsed(), *result };
}

// What another program reads for `target`, with this process answering.
QByteArray readBack(const QString& target)
{
    QProcess xclip;
    xclip.start("xclip", { "-selection", "clipboard", "-o", "-t", target });
    while (xclip.state() != QProcess::NotRunning)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return xclip.readAllStandardOutput();
}

void measureCapture(const std::optional<ClipboardContents>& owned, int runs)
{
    PlatformSession platform;
    SelectionCapture capture(
        { platform.selectionReader(), platform.clipboard(), platform.keystrokes(), platform.permission() });
    Application window;
    window.resize(200, 100);
    window.show();
    window.requestActivate();
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    for (int run = 1; run <= runs; ++run) {
        const auto [ms, result] = timedCapture(capture);
        std::printf("  press to quick translate %d: %lld ms (%s)\n", run, ms,
            result.source == CaptureResult::Source::nothing ? "nothing selected" : "UNEXPECTED");
    }
    if (!owned)
        return;
    window.copies = true;
    const auto [ms, result] = timedCapture(capture);
    std::printf(
        "  press to a copied word: %lld ms (%s)\n", ms, result.text == "word" ? "word" : "UNEXPECTED");
    QElapsedTimer clock;
    clock.start();
    int back = 0;
    for (const ClipboardFormat& format : owned->formats)
        back += readBack(QString::fromLatin1(format.target)).isEmpty() ? 0 : 1;
    std::printf("  every target back from the restored clipboard: %d of %lld in %lld ms\n", back,
        qint64(owned->formats.size()), clock.elapsed());
}

double megabytes(qsizetype bytes)
{
    return double(bytes) / (1024.0 * 1024.0);
}

void measure(const QString& kind, int runs)
{
    QProcess owner;
    owner.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    owner.start(QCoreApplication::applicationFilePath(), { "--own", kind });
    while (!owner.canReadLine() && owner.waitForReadyRead(30000)) { }
    if (!owner.canReadLine()) {
        std::printf("%s: the owner did not start\n", qPrintable(kind));
        return;
    }

    std::printf("\n%dx%d %s image, owned by a Qt program\n", width, height, qPrintable(kind));
    std::unique_ptr<Clipboard> clipboard = Clipboard::createForSession();
    std::optional<ClipboardContents> last;
    for (int run = 1; run <= runs; ++run) {
        const auto [ms, contents] = timed([&](auto done) { clipboard->snapshot(done); });
        if (!contents) {
            std::printf("  snapshot %d: %lld ms, no answer\n", run, ms);
            continue;
        }
        qsizetype total = 0;
        for (const ClipboardFormat& format : contents->formats)
            total += format.data.size();
        std::printf("  snapshot %d: %5lld ms, %lld formats, %.1f MB held (%.1f MB before identical ones were"
                    " shared)\n",
            run, ms, qint64(contents->formats.size()), megabytes(contents->byteCount()), megabytes(total));
        last = contents;
    }
    measureCapture(last, runs);
    if (last) {
        QStringList kept;
        for (const ClipboardFormat& format : last->formats)
            kept.append(QString::fromLatin1(format.target) + ' ' + QString::number(format.data.size()));
        std::printf("  kept: %s\n", qPrintable(kept.join(", ")));

        // The same contents served by our owner, as after a restore, read by
        // a reader that does not know it is us.
        std::unique_ptr<X11SelectionOwner> restored = X11SelectionOwner::open("CLIPBOARD");
        QElapsedTimer clock;
        clock.start();
        restored->own(*last);
        const qint64 ownMs = clock.elapsed();
        std::unique_ptr<SelectionReader> reader = X11SelectionReader::open();
        const auto [readMs, readBack]
            = timed([&](auto done) { reader->readContents(SelectionReader::Selection::clipboard, done); });
        std::printf(
            "  restore (take ownership): %lld ms; reading it all back through the server: %lld ms (%s)\n",
            ownMs, readMs, readBack == last ? "identical" : "DIFFERENT");
    }
    owner.kill();
    owner.waitForFinished(5000);
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.value(1) == "--own")
        return ownClipboard(args.value(2));
    const int runs = args.value(1) == "--runs" ? std::max(1, args.value(2).toInt()) : 3;

    std::printf("Clipboard snapshot cost (bounds: %lld ms per format, %lld ms in all)\n",
        qint64(X11SelectionReader::formatTimeout.count()),
        qint64(X11SelectionReader::contentsTimeout.count()));
    for (const QString kind : { "screenshot", "photo" })
        measure(kind, runs);

    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("\npeak resident memory of this process: %.0f MB\n", double(usage.ru_maxrss) / 1024.0);
    return 0;
}
