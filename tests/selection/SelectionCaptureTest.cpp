// SPDX-License-Identifier: MIT
// Selection capture against real X clients on the run's display: the
// clipboard helper, xclip, xterm, and shortcuts pressed with xdotool.
#include "SelectionCapture.h"
#include "PlatformSession.h"
#include "X11TestTools.h"

#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <gtest/gtest.h>

using namespace X11TestTools;

namespace {

using Source = CaptureResult::Source;

struct Capture {
    bool returned = false;
    bool atOnce = false; // the completion ran before capture() returned
    int calls = 0;
    CaptureResult result;
    std::optional<QString> text;
};

// Waits for the completion, then a little longer for a second call.
Capture finish(const std::shared_ptr<Capture>& capture)
{
    (void)QTest::qWaitFor([&] { return capture->calls > 0; }, 10000);
    QTest::qWait(250);
    return *capture;
}

std::optional<QString> text(const char* value)
{
    return QString::fromUtf8(value);
}

// The first window whose title is `title`, waiting for it to appear.
unsigned long windowTitled(const QString& title)
{
    return run("xdotool", { "search", "--sync", "--onlyvisible", "--name", title })
        .output.split('\n')
        .value(0)
        .toULong();
}

class SelectionCaptureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        clear("PRIMARY");
        clear("CLIPBOARD");
    }

    std::shared_ptr<Capture> startCapture()
    {
        auto capture = std::make_shared<Capture>();
        selection.capture([capture](CaptureResult result) {
            ++capture->calls;
            capture->atOnce = !capture->returned;
            capture->text = result.text;
            capture->result = std::move(result);
        });
        capture->returned = true;
        return capture;
    }

    Capture capture() { return finish(startCapture()); }

    // A focused window of the helper that answers the copy keystroke.
    std::unique_ptr<Client> focusedHelper(const QStringList& arguments, bool keepPrimary = false)
    {
        auto client = helper(arguments);
        const unsigned long window = client->waitReady();
        EXPECT_NE(window, 0u);
        focus(window);
        // A text editor may publish its selection as PRIMARY; most tests
        // here are about the fallback.
        if (!keepPrimary)
            clear("PRIMARY");
        return client;
    }

    std::unique_ptr<Client> clipboardOwner(const char* mode)
    {
        auto client = helper({ mode });
        EXPECT_EQ(client->waitReady(), 0u);
        return client;
    }

    PlatformSession platform;
    SelectionCapture selection { { platform.selectionReader(), platform.clipboard(), platform.keystrokes(),
        platform.permission() } };
};

TEST_F(SelectionCaptureTest, AHighlightCountsOnlyInTheProgramTheUserIsIn)
{
    // xterm keeps PRIMARY after the user has moved on to another program.
    Client terminal("xterm",
        { "-geometry", "40x4+0+0", "-title", "sorvantel-xterm", "-e", "sh", "-c",
            "echo serendipity; exec sleep 300" });
    const unsigned long xterm = windowTitled("sorvantel-xterm");
    focus(xterm);
    QTest::qWait(300);
    run("xdotool",
        { "mousemove", "--window", QString::number(xterm), "20", "8", "click", "--repeat", "2", "1" });
    ASSERT_TRUE(QTest::qWaitFor([] { return owner("PRIMARY") != 0; }, 3000)) << "xterm took PRIMARY";
    auto clipboard = clipboardOwner("own-mixed");
    const unsigned long clipboardWindow = owner("CLIPBOARD");

    Capture result = capture();
    EXPECT_TRUE(result.atOnce);
    EXPECT_EQ(result.result.source, Source::primary);
    EXPECT_EQ(result.text, text("serendipity"));

    Client entry("zenity", { "--entry", "--title", "sorvantel-gtk" });
    focus(windowTitled("sorvantel-gtk"));
    QTest::qWait(300);
    result = capture();
    EXPECT_EQ(result.result.source, Source::nothing) << "the empty GTK entry copied nothing";
    EXPECT_EQ(result.text, std::nullopt) << "not the word left in xterm";

    // A Qt window's highlight, spaces and all, while it is focused.
    auto qt = focusedHelper({ "own-primary", "  two spaces and one " }, true);
    result = capture();
    EXPECT_TRUE(result.atOnce);
    EXPECT_EQ(result.text, text("  two spaces and one "));
    EXPECT_EQ(owner("CLIPBOARD"), clipboardWindow) << "the clipboard is not touched";
}

TEST_F(SelectionCaptureTest, OurOwnHighlightComesFromQtWhileOurWindowIsOpen)
{
    QLineEdit field;
    field.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&field));
    QGuiApplication::clipboard()->setText(QStringLiteral("ours ✓"), QClipboard::Selection);
    const Capture shown = capture();
    EXPECT_TRUE(shown.atOnce);
    EXPECT_EQ(shown.result.source, Source::primary);
    EXPECT_EQ(shown.text, text("ours ✓"));

    field.hide();
    auto application = focusedHelper({ "ignore" });
    QGuiApplication::clipboard()->setText(QStringLiteral("ours ✓"), QClipboard::Selection);
    EXPECT_EQ(capture().result.source, Source::nothing) << "a highlight in a closed window is stale";
}

TEST_F(SelectionCaptureTest, TheCopyIsTrimmedAndTheClipboardHoldsExactlyWhatItHeld)
{
    struct Case {
        const char* name;
        QStringList helper;
        std::optional<QString> expected;
        Source source;
    };
    const Case cases[] = {
        { "a word with spaces and a line end", { "copy-text", " word\n" }, text("word"), Source::copy },
        { "only white space", { "copy-text", " \n\t " }, text(""), Source::copy },
        { "only an image", { "copy-image" }, std::nullopt, Source::nothing },
        { "nothing copied", { "ignore" }, std::nullopt, Source::nothing },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto owner = clipboardOwner("own-mixed");
        const Formats before = formats();
        const unsigned long ownerBefore = X11TestTools::owner("CLIPBOARD");
        ASSERT_GE(before.size(), 5u) << "text, rich text, image encodings and the private type";
        auto application = focusedHelper(c.helper);

        const Capture result = capture();
        EXPECT_FALSE(result.atOnce);
        EXPECT_EQ(result.calls, 1);
        EXPECT_EQ(result.text, c.expected);
        EXPECT_EQ(result.result.source, c.source);
        EXPECT_TRUE(application->printed("copy"));
        EXPECT_EQ(formats(), before) << "same targets, same order, same bytes";
        if (c.helper.first() == "ignore") {
            EXPECT_EQ(X11TestTools::owner("CLIPBOARD"), ownerBefore) << "nothing copied: left with its owner";
        }
    }
}

TEST_F(SelectionCaptureTest, APictureTheOwnerIsStillEncodingHoldsBackNeitherTheAnswerNorItsReturn)
{
    auto owner = clipboardOwner("own-slow-picture");
    const Formats before = formats();
    ASSERT_TRUE(owner->printed("encoded 1"));
    {
        auto application = focusedHelper({ "ignore" });
        auto started = startCapture();
        ASSERT_TRUE(QTest::qWaitFor([&] { return started->calls > 0; }, 10000));
        EXPECT_FALSE(owner->printed("encoded 2")) << "the answer waited for the picture";
        EXPECT_EQ(started->result.source, Source::nothing);
    }
    auto application = focusedHelper({ "copy-text", "word" });
    EXPECT_EQ(capture().text, text("word"));
    EXPECT_EQ(formats(), before) << "the picture came back byte for byte";
}

TEST_F(SelectionCaptureTest, APressWhileACopyRunsIsIgnored)
{
    auto application = focusedHelper({ "copy-text", "first" });
    auto first = startCapture();
    const Capture second = finish(startCapture());
    EXPECT_TRUE(second.atOnce);
    EXPECT_EQ(second.result.source, Source::ignored);
    EXPECT_EQ(finish(first).text, text("first"));

    int calls = 0;
    auto again = startCapture();
    selection.captureSelection([&calls](std::optional<QString>) { ++calls; });
    EXPECT_EQ(finish(again).text, text("first"));
    EXPECT_EQ(calls, 0) << "the running capture answers for the press";
}

TEST_F(SelectionCaptureTest, HungOwnersAreGivenUpOnAndTheirClipboardLeftAlone)
{
    // The focused program stops answering with its highlight in PRIMARY.
    auto stopped = focusedHelper({ "own-primary", "never delivered" }, true);
    ::kill(pid_t(stopped->pid()), SIGSTOP);
    EXPECT_EQ(capture().text, std::nullopt);
    ::kill(pid_t(stopped->pid()), SIGCONT);

    auto hung = xclipOwner("CLIPBOARD", "kept safe");
    const unsigned long hungWindow = X11TestTools::owner("CLIPBOARD");
    ::kill(pid_t(hung->pid()), SIGSTOP);
    auto application = focusedHelper({ "copy-text", "would replace it" });

    const Capture result = capture();
    EXPECT_EQ(result.calls, 1);
    EXPECT_EQ(result.text, std::nullopt);
    EXPECT_FALSE(application->printed("copy")) << "nothing was copied over contents that could not be saved";
    EXPECT_EQ(X11TestTools::owner("CLIPBOARD"), hungWindow);
    ::kill(pid_t(hung->pid()), SIGCONT);
    EXPECT_EQ(run("xclip", { "-selection", "clipboard", "-o" }).output, "kept safe");
}

// The children of a process, from /proc.
QList<qint64> childrenOf(qint64 pid)
{
    QFile file(QStringLiteral("/proc/%1/task/%1/children").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<qint64> children;
    for (const QByteArray& id : file.readAll().split(' ')) {
        if (!id.trimmed().isEmpty())
            children.append(id.trimmed().toLongLong());
    }
    return children;
}

bool runsSleep(qint64 terminalPid)
{
    for (qint64 child : childrenOf(terminalPid)) {
        QFile comm(QStringLiteral("/proc/%1/comm").arg(child));
        if (comm.open(QIODevice::ReadOnly) && comm.readAll().trimmed() == "sleep")
            return true;
    }
    return false;
}

TEST_F(SelectionCaptureTest, ACaptureOverATerminalLeavesItsRunningProgramAlone)
{
    struct Case {
        const char* name;
        QStringList identity;
        QByteArray typed; // what the terminal's program reads
    };
    // A terminal known by its class gets no keystroke at all; any other gets
    // Ctrl+Insert, which reaches the program as an escape sequence and never
    // as an interrupt.
    const Case cases[] = {
        { "xterm", {}, "" },
        { "a terminal of an unknown class", { "-name", "probeterm", "-class", "ProbeTerm" }, "\x1b[2;5~" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir folder;
        const QString typedFile = folder.filePath("typed");
        const QString title = QStringLiteral("sorvantel-terminal-%1").arg(QString::fromLatin1(c.name).size());
        Client terminal("xterm",
            c.identity
                + QStringList { "-title", title, "-e", "sh", "-c",
                    "stty -icanon -echo; cat </dev/tty >\"$0\" & exec sleep 300", typedFile });
        ASSERT_TRUE(QTest::qWaitFor([&] { return runsSleep(terminal.pid()); }, 10000));
        focus(windowTitled(title));

        const Capture result = capture();
        EXPECT_EQ(result.calls, 1);
        EXPECT_EQ(result.text, std::nullopt);
        QFile typed(typedFile);
        (void)QTest::qWaitFor(
            [&] { return !c.typed.isEmpty() && QFileInfo(typedFile).size() >= c.typed.size(); }, 2000);
        ASSERT_TRUE(typed.open(QIODevice::ReadOnly));
        EXPECT_EQ(typed.readAll(), c.typed);
        EXPECT_TRUE(runsSleep(terminal.pid())) << "the running program was not interrupted";
    }
}

} // namespace
