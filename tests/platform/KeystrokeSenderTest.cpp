// SPDX-License-Identifier: MIT
// The paste keystroke into a real Qt line edit while the user still holds a
// key.
#include "KeystrokeSender.h"
#include "Clipboard.h"
#include "PlatformSession.h"
#include "X11TestTools.h"

#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

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

} // namespace
