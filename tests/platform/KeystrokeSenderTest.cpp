// SPDX-License-Identifier: MIT
// The paste keystroke into a real Qt line edit, pressed with and without the
// user still holding a key.
#include "Clipboard.h"
#include "KeystrokeSender.h"
#include "X11TestTools.h"

#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace X11TestTools;

namespace {

TEST(KeystrokeSenderTest, PasteReachesTheFocusedApplicationOnceTheKeysAreReleased)
{
    Clipboard::shared().setText(QStringLiteral("pasted ✓"));
    for (const bool held : { false, true }) {
        SCOPED_TRACE(held ? "shift held for 300 ms" : "no key held");
        auto application = helper({ "paste" });
        focus(application->waitReady());
        if (held) {
            // Ctrl+Shift+V is no paste in Qt: a keystroke sent while Shift is
            // down would paste nothing.
            run("xdotool", { "keydown", "shift" });
            QTimer::singleShot(300, [] { QProcess::startDetached("xdotool", { "keyup", "shift" }); });
        }
        std::optional<bool> sent;
        KeystrokeSender::shared().sendPaste([&sent](bool result) { sent = result; });
        EXPECT_FALSE(sent.has_value()) << "never inline";
        ASSERT_TRUE(QTest::qWaitFor([&] { return sent.has_value(); }, 3000));
        EXPECT_TRUE(*sent);
        EXPECT_TRUE(application->waitPrinted("text pasted ✓", 3000));
    }
}

} // namespace
