// SPDX-License-Identifier: MIT
// The paste keystroke into a real Qt line edit, pressed with and without the
// user still holding a key.
#include "KeystrokeSender.h"
#include "Clipboard.h"
#include "PlatformSession.h"
#include "X11Connection.h"
#include "X11KeystrokeSender.h"
#include "X11TestTools.h"

#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
// Xlib last: its macros (None, Bool) clash with the headers above.
#include <X11/Xlib.h>
#include <X11/keysym.h>

using namespace X11TestTools;

namespace {

TEST(KeystrokeSenderTest, PasteWaitsUntilTheUserLetsGoOfEveryKey)
{
    PlatformSession platform;
    platform.clipboard().setText(QStringLiteral("pasted ✓"));
    auto application = helper({ "paste" });
    focus(application->waitReady());
    // Ctrl+Shift+V is no paste in Qt: a keystroke sent while Shift is down
    // would paste nothing.
    run("xdotool", { "keydown", "shift" });
    QTimer::singleShot(300, [] { QProcess::startDetached("xdotool", { "keyup", "shift" }); });
    std::optional<bool> sent;
    platform.keystrokes().sendPaste([&sent](bool result) { sent = result; });
    EXPECT_FALSE(sent.has_value()) << "never inline";
    ASSERT_TRUE(QTest::qWaitFor([&] { return sent.has_value(); }, 3000));
    EXPECT_TRUE(*sent);
    EXPECT_TRUE(application->waitPrinted("text pasted ✓", 3000));
}

TEST(KeystrokeSenderTest, AKeyMissingFromTheLayoutIsReportedAsNotSent)
{
    PlatformSession platform;
    platform.clipboard().setText(QStringLiteral("never pasted"));
    auto application = helper({ "paste" });
    focus(application->waitReady());

    // Takes V out of the keyboard map for the length of the test.
    Display* display = XOpenDisplay(nullptr);
    const KeyCode v = XKeysymToKeycode(display, XK_v);
    ASSERT_NE(v, 0);
    int width = 0;
    KeySym* saved = XGetKeyboardMapping(display, v, 1, &width);
    std::vector<KeySym> none(size_t(width), NoSymbol);
    XChangeKeyboardMapping(display, v, width, none.data(), 1);
    XSync(display, False);

    std::optional<bool> sent;
    {
        // A connection opened after the change sees the new map.
        auto connection = X11Connection::open();
        X11KeystrokeSender sender(*connection);
        sender.sendPaste([&sent](bool result) { sent = result; });
        EXPECT_TRUE(QTest::qWaitFor([&] { return sent.has_value(); }, 3000));
    }
    XChangeKeyboardMapping(display, v, width, saved, 1);
    XSync(display, False);
    XFree(saved);
    XCloseDisplay(display);

    EXPECT_EQ(sent, false);
    EXPECT_FALSE(application->waitPrinted("text never pasted", 500));
}

} // namespace
