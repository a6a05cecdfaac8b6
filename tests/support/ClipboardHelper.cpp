// SPDX-License-Identifier: MIT
// A small X client for the tests. It owns the clipboard with known contents,
// or shows a window that answers the copy keystroke the way an application
// does. Prints "ready <window id>" once usable, "copy" for every copy
// keystroke it receives, "escape" for every Escape and "text <text>"
// whenever its line edit changes.
//
//   clipboard_helper own-mixed | own-stalling first|later | own-slow-picture
//   clipboard_helper copy-text TEXT | copy-image | ignore | paste | own-primary TEXT
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdio>
#include <unistd.h>

namespace {

void say(const QByteArray& line)
{
    std::fputs((line + '\n').constData(), stdout);
    std::fflush(stdout);
}

QImage pictureOf(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QPainter painter(&image);
    painter.fillRect(width / 4, height / 4, width / 2, height / 2, Qt::yellow);
    return image;
}

// Reports copy keystrokes reaching the widget it watches.
class CopyWatcher : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy))
            say("copy");
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
            say("escape");
        return QObject::eventFilter(watched, event);
    }
};

// Lists its formats (so TARGETS is answered) but hangs for good once asked
// for the stalling one: an owner that stops answering mid-snapshot. Prints
// "stall" when it does.
class StallingData : public QMimeData {
public:
    explicit StallingData(bool first)
        : m_first(first)
    {
    }
    QStringList formats() const override
    {
        const QString stalling = QStringLiteral("application/x-sorvantel-stall");
        return m_first ? QStringList { stalling } : QStringList { QStringLiteral("text/plain"), stalling };
    }

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override
    {
        if (mimeType == QLatin1String("text/plain"))
            return QStringLiteral("before the stall");
        if (mimeType != QLatin1String("application/x-sorvantel-stall"))
            return QMimeData::retrieveData(mimeType, type);
        say("stall");
        for (;;)
            ::pause();
    }

private:
    bool m_first;
};

// A text and a PNG picture that takes a second to hand over, as a large
// one does to encode. Prints "encoded N" each time it has handed it over.
class SlowPictureData : public QMimeData {
public:
    SlowPictureData()
    {
        setText(QStringLiteral("the caption"));
        QBuffer png;
        pictureOf(64, 48).save(&png, "PNG");
        setData(QStringLiteral("image/png"), png.data());
    }

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override
    {
        if (mimeType == QLatin1String("image/png")) {
            ::sleep(1);
            say("encoded " + QByteArray::number(++m_encoded));
        }
        return QMimeData::retrieveData(mimeType, type);
    }

private:
    mutable int m_encoded = 0;
};

// Copies a picture and nothing else.
class ImageCopier : public QWidget {
public:
    ImageCopier() { setFocusPolicy(Qt::StrongFocus); }

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->matches(QKeySequence::Copy))
            QGuiApplication::clipboard()->setImage(pictureOf(40, 30));
    }
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const QString mode = args.value(0);

    if (mode == "own-mixed") {
        auto* data = new QMimeData;
        data->setText(QStringLiteral("before é ✓"));
        data->setHtml(QStringLiteral("<b>before</b>"));
        data->setImageData(pictureOf(64, 48));
        data->setData(QStringLiteral("application/x-sorvantel-test"), QByteArray("\x00\x01private\xff", 10));
        QGuiApplication::clipboard()->setMimeData(data);
        QTimer::singleShot(0, [] { say("ready 0"); });
        return app.exec();
    }
    if (mode == "own-slow-picture") {
        QGuiApplication::clipboard()->setMimeData(new SlowPictureData);
        QTimer::singleShot(0, [] { say("ready 0"); });
        return app.exec();
    }
    if (mode == "own-stalling") {
        QGuiApplication::clipboard()->setMimeData(new StallingData(args.value(1) == QLatin1String("first")));
        QTimer::singleShot(0, [] { say("ready 0"); });
        return app.exec();
    }

    QWidget window;
    window.setWindowTitle(QStringLiteral("clipboard helper"));
    window.resize(320, 200);
    auto* layout = new QVBoxLayout(&window);
    QWidget* focus = nullptr;
    if (mode == "copy-text") {
        auto* editor = new QPlainTextEdit(args.value(1));
        editor->selectAll();
        focus = editor;
    } else if (mode == "paste") {
        auto* line = new QLineEdit;
        QObject::connect(
            line, &QLineEdit::textChanged, [](const QString& text) { say("text " + text.toUtf8()); });
        focus = line;
    } else if (mode == "own-primary") {
        // A highlight in the focused window, as a mouse selection makes it.
        auto* line = new QLineEdit(args.value(1));
        QGuiApplication::clipboard()->setText(args.value(1), QClipboard::Selection);
        focus = line;
    } else if (mode == "copy-image" || mode == "ignore") {
        focus = mode == "copy-image" ? new ImageCopier : new QWidget;
        focus->setFocusPolicy(Qt::StrongFocus);
    } else {
        std::fprintf(stderr, "clipboard_helper: unknown mode %s\n", qPrintable(mode));
        return 2;
    }
    layout->addWidget(focus);
    focus->installEventFilter(new CopyWatcher(&app));
    window.show();
    focus->setFocus();
    QTimer::singleShot(0, [&window] { say("ready " + QByteArray::number(quint64(window.winId()))); });
    return app.exec();
}
