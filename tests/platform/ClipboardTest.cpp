// SPDX-License-Identifier: MIT
// The clipboard pieces against the run's X server: what other clients (xclip,
// a raw Xlib requestor) receive from our owner, and what our reader gets.
#include "Clipboard.h"
#include "X11Connection.h"
#include "X11SelectionOwner.h"
#include "X11SelectionReader.h"
#include "X11TestTools.h"

#include <QTest>
#include <csignal>
#include <gtest/gtest.h>
// Xlib last: its macros (None, Bool) clash with the headers above.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

using namespace X11TestTools;

namespace {

ClipboardContents sampleContents()
{
    QByteArray large(3 << 20, Qt::Uninitialized); // several INCR chunks
    for (qsizetype i = 0; i < large.size(); ++i)
        large[i] = char(i % 253);
    const uint32_t words[] = { 1, 2, 0xffffffffu };
    return { {
        { "UTF8_STRING", "UTF8_STRING", 8, QByteArray("owned ✓") },
        { "application/x-sorvantel-binary", "application/x-sorvantel-binary", 8, large },
        { "application/x-sorvantel-words", "INTEGER", 32,
            QByteArray(reinterpret_cast<const char*>(words), 12) },
        { "text/x-sorvantel-empty", "text/x-sorvantel-empty", 8, QByteArray() },
    } };
}

std::optional<ClipboardContents> readBack(SelectionReader& reader)
{
    std::optional<std::optional<ClipboardContents>> result;
    reader.readContents(SelectionReader::Selection::clipboard,
        [&result](std::optional<ClipboardContents> contents) { result = std::move(contents); });
    EXPECT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, 10000));
    return result.value_or(std::nullopt);
}

// Owns CLIPBOARD with one text format, answered in one of two odd ways:
// endless, an INCR transfer of 4 KiB chunks that never ends; lateRefusal,
// the first request is held and refused only once a second one arrives,
// which is answered with "late". Works only while serve() is called.
class RawOwner {
public:
    static constexpr int chunkBytes = 4096;
    enum class Mode { endless, lateRefusal };

    explicit RawOwner(Mode mode)
        : m_mode(mode)
        , m_display(XOpenDisplay(nullptr))
    {
        m_window = XCreateSimpleWindow(m_display, DefaultRootWindow(m_display), 0, 0, 1, 1, 0, 0, 0);
        m_clipboard = XInternAtom(m_display, "CLIPBOARD", False);
        m_targets = XInternAtom(m_display, "TARGETS", False);
        m_text = XInternAtom(m_display, "UTF8_STRING", False);
        m_incr = XInternAtom(m_display, "INCR", False);
        XSetSelectionOwner(m_display, m_clipboard, m_window, CurrentTime);
        XSync(m_display, False);
    }
    ~RawOwner() { XCloseDisplay(m_display); }
    Q_DISABLE_COPY_MOVE(RawOwner)

    bool owns() const { return XGetSelectionOwner(m_display, m_clipboard) == m_window; }
    qint64 sentBytes() const { return m_sent; }

    void serve()
    {
        while (XPending(m_display)) {
            XEvent event;
            XNextEvent(m_display, &event);
            if (event.type == SelectionRequest)
                answer(event.xselectionrequest);
            else if (event.type == PropertyNotify && event.xproperty.state == PropertyDelete
                && event.xproperty.window == m_requestor && event.xproperty.atom == m_property)
                sendChunk();
        }
        XFlush(m_display);
    }

private:
    void answer(const XSelectionRequestEvent& request)
    {
        XSelectionEvent notify {};
        notify.type = SelectionNotify;
        notify.requestor = request.requestor;
        notify.selection = request.selection;
        notify.target = request.target;
        notify.time = request.time;
        notify.property = request.property;
        if (request.target == m_targets) {
            const long list[] = { long(m_targets), long(m_text) };
            XChangeProperty(m_display, request.requestor, request.property, XA_ATOM, 32, PropModeReplace,
                reinterpret_cast<const unsigned char*>(list), 2);
        } else if (request.target == m_text && m_mode == Mode::lateRefusal) {
            if (!m_held.requestor) {
                m_held = request;
                return;
            }
            XSelectionEvent refusal = notify;
            refusal.requestor = m_held.requestor;
            refusal.property = None;
            XSendEvent(m_display, refusal.requestor, False, 0, reinterpret_cast<XEvent*>(&refusal));
            XChangeProperty(m_display, request.requestor, request.property, m_text, 8, PropModeReplace,
                reinterpret_cast<const unsigned char*>("late"), 4);
        } else if (request.target == m_text) {
            // A small announced size: the limit must hold against what
            // arrives, not only against what is promised.
            m_requestor = request.requestor;
            m_property = request.property;
            XSelectInput(m_display, m_requestor, PropertyChangeMask);
            const long announced = chunkBytes;
            XChangeProperty(m_display, m_requestor, m_property, m_incr, 32, PropModeReplace,
                reinterpret_cast<const unsigned char*>(&announced), 1);
        } else {
            notify.property = None;
        }
        XSendEvent(m_display, request.requestor, False, 0, reinterpret_cast<XEvent*>(&notify));
    }

    void sendChunk()
    {
        const QByteArray chunk(chunkBytes, 'x');
        XChangeProperty(m_display, m_requestor, m_property, m_text, 8, PropModeReplace,
            reinterpret_cast<const unsigned char*>(chunk.constData()), chunkBytes);
        m_sent += chunkBytes;
    }

    Mode m_mode;
    Display* m_display;
    XSelectionRequestEvent m_held {};
    Window m_window = 0;
    Atom m_clipboard = 0;
    Atom m_targets = 0;
    Atom m_text = 0;
    Atom m_incr = 0;
    Window m_requestor = 0;
    Atom m_property = 0;
    qint64 m_sent = 0;
};

class ClipboardTest : public ::testing::Test {
protected:
    void SetUp() override { clear("CLIPBOARD"); }
};

TEST_F(ClipboardTest, TheOwnerOffersExactlyTheSavedFormats)
{
    auto owner = X11SelectionOwner::open("CLIPBOARD");
    const ClipboardContents contents = sampleContents();
    ASSERT_TRUE(owner->own(contents));

    EXPECT_EQ(targets(),
        (QStringList { "UTF8_STRING", "application/x-sorvantel-binary", "application/x-sorvantel-words",
            "text/x-sorvantel-empty", "TARGETS", "MULTIPLE", "TIMESTAMP" }));
    EXPECT_EQ(run("xclip", { "-selection", "clipboard", "-o", "-t", "UTF8_STRING" }).output, "owned ✓");
    EXPECT_TRUE(
        run("xclip", { "-selection", "clipboard", "-o", "-t", "application/x-sorvantel-binary" }).output
        == contents.formats[1].data)
        << "3 MB through INCR, byte for byte";

    // Our reader gets every format back with its type and item size.
    auto reader = X11SelectionReader::open();
    EXPECT_EQ(readBack(*reader), contents);
}

TEST_F(ClipboardTest, MultipleAnswersEachPairAndMarksTheOnesItCannot)
{
    auto owner = X11SelectionOwner::open("CLIPBOARD");
    ASSERT_TRUE(owner->own(sampleContents()));

    Display* display = XOpenDisplay(nullptr);
    const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    auto intern = [&](const char* name) { return XInternAtom(display, name, False); };
    const Atom text = intern("SORVANTEL_TEST_TEXT");
    const Atom missing = intern("SORVANTEL_TEST_MISSING");
    const Atom pairsProperty = intern("SORVANTEL_TEST_PAIRS");
    const long pairs[]
        = { long(intern("UTF8_STRING")), long(text), long(intern("image/png")), long(missing) };
    XChangeProperty(display, window, pairsProperty, intern("ATOM_PAIR"), 32, PropModeReplace,
        reinterpret_cast<const unsigned char*>(pairs), 4);
    XConvertSelection(display, intern("CLIPBOARD"), intern("MULTIPLE"), pairsProperty, window, CurrentTime);
    XFlush(display);

    XEvent notify {};
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return XCheckTypedWindowEvent(display, window, SelectionNotify, &notify); }, 5000));
    EXPECT_EQ(notify.xselection.property, pairsProperty);
    auto property = [&](Atom name) {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        XGetWindowProperty(
            display, window, name, 0, 1024, False, AnyPropertyType, &type, &format, &count, &after, &data);
        const QByteArray bytes = data ? QByteArray(reinterpret_cast<const char*>(data),
                                     qsizetype(count * (format == 32 ? sizeof(long) : 1)))
                                      : QByteArray();
        if (data)
            XFree(data);
        return bytes;
    };
    EXPECT_EQ(property(text), "owned ✓");
    const QByteArray answered = property(pairsProperty);
    ASSERT_EQ(answered.size(), qsizetype(4 * sizeof(long)));
    EXPECT_EQ(reinterpret_cast<const long*>(answered.constData())[1], long(text));
    EXPECT_EQ(reinterpret_cast<const long*>(answered.constData())[3], long(None)) << "no such target";
    XCloseDisplay(display);
}

TEST_F(ClipboardTest, TheChangeCountFollowsCopiesAndEmptyContentsLeaveNoOwner)
{
    std::unique_ptr<Clipboard> clipboard = Clipboard::createForSession();
    const uint64_t start = clipboard->changeCount();
    EXPECT_EQ(clipboard->changeCount(), start) << "nothing copied, no change";

    auto copier = xclipOwner("CLIPBOARD", "copied");
    const uint64_t afterCopy = clipboard->changeCount();
    EXPECT_GT(afterCopy, start);

    clipboard->setText(QStringLiteral("кот"));
    EXPECT_GT(clipboard->changeCount(), afterCopy);
    EXPECT_EQ(run("xclip", { "-selection", "clipboard", "-o" }).output, "кот");
    std::optional<QString> text;
    clipboard->readText([&text](std::optional<QString> read) { text = std::move(read); });
    EXPECT_TRUE(QTest::qWaitFor([&] { return text.has_value(); }, 3000));
    EXPECT_EQ(text, QStringLiteral("кот")) << "UTF-8 before Latin-1";

    clipboard->setContents({});
    EXPECT_EQ(owner("CLIPBOARD"), 0u);
}

TEST_F(ClipboardTest, AnOwnerThatStallsOnAListedFormatGivesNoSnapshot)
{
    // Answering TARGETS and then hanging must not pass for a clipboard that
    // holds nothing (or only the formats read before the hang): restoring
    // that would lose what the owner really holds.
    for (const char* stalling : { "first", "later" }) {
        SCOPED_TRACE(stalling);
        auto owner = helper({ "own-stalling", stalling });
        ASSERT_EQ(owner->waitReady(), 0u);
        auto reader = X11SelectionReader::open();
        EXPECT_EQ(readBack(*reader), std::nullopt) << "unknown, which is not empty";
        EXPECT_TRUE(owner->printed("stall")) << "the owner was asked for the format it hangs on";
    }
}

TEST_F(ClipboardTest, ATransferThatNeverEndsIsCutOffBySizeOrByTime)
{
    struct Case {
        const char* name;
        qsizetype limit;
    };
    const Case cases[] = {
        { "a small byte limit", 64 * 1024 },
        { "the default limit, reached only by the overall deadline", X11SelectionReader::maxReadBytes },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RawOwner owner(RawOwner::Mode::endless);
        ASSERT_TRUE(owner.owns());
        X11SelectionReader concrete(X11Connection::open(), c.limit);
        SelectionReader& reader = concrete;
        std::optional<std::optional<ClipboardContents>> snapshot;
        std::optional<std::optional<QString>> text;
        reader.readContents(SelectionReader::Selection::clipboard,
            [&](std::optional<ClipboardContents> contents) { snapshot = std::move(contents); });
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                owner.serve();
                return snapshot.has_value();
            },
            15000))
            << "the read must end however long chunks keep coming";
        EXPECT_EQ(*snapshot, std::nullopt);
        reader.readText(
            SelectionReader::Selection::clipboard, [&](std::optional<QString> t) { text = std::move(t); });
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                owner.serve();
                return text.has_value();
            },
            15000));
        EXPECT_EQ(*text, std::nullopt);
        if (c.limit < X11SelectionReader::maxReadBytes) {
            EXPECT_LE(owner.sentBytes(), 2 * (c.limit + 2 * RawOwner::chunkBytes))
                << "two reads, each cut off";
        }
    }
}

TEST_F(ClipboardTest, ALateRefusalIsNeverTakenForANewerTransfer)
{
    RawOwner owner(RawOwner::Mode::lateRefusal);
    ASSERT_TRUE(owner.owns());
    auto reader = X11SelectionReader::open();
    // Waits on its own connection only: the owner holds this request.
    EXPECT_EQ(reader->readTextNow(SelectionReader::Selection::clipboard), std::nullopt);
    std::optional<std::optional<QString>> text;
    reader->readText(SelectionReader::Selection::clipboard, [&](std::optional<QString> t) { text = t; });
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            owner.serve();
            return text.has_value();
        },
        5000));
    EXPECT_EQ(*text, QStringLiteral("late"));
}

TEST_F(ClipboardTest, OurContentsGoToTheClipboardManagerAtQuit)
{
    Client manager(SORVANTEL_CLIPBOARD_MANAGER, {});
    ASSERT_TRUE(manager.waitPrinted("ready", 5000));
    std::unique_ptr<Clipboard> clipboard = Clipboard::createForSession();
    EXPECT_FALSE(clipboard->handOverToManager()) << "nothing of ours to keep";
    ClipboardContents contents = sampleContents();
    contents.formats.removeAt(1); // beyond one request: this manager takes no INCR
    clipboard->setContents(contents);
    EXPECT_TRUE(clipboard->handOverToManager());
    clipboard.reset();
    ASSERT_TRUE(manager.waitPrinted("took", 5000));
    EXPECT_EQ(run("xclip", { "-selection", "clipboard", "-o", "-t", "UTF8_STRING" }).output, "owned ✓");
    EXPECT_EQ(targets(),
        (QStringList {
            "TARGETS", "UTF8_STRING", "application/x-sorvantel-words", "text/x-sorvantel-empty" }));
}

} // namespace
