// SPDX-License-Identifier: MIT
// The beep's fallback against the run's real X server.
#include "SoundThemeBeeper.h"
#include "X11Connection.h"

#include <QTest>
#include <gtest/gtest.h>
// Xlib last: its macros (None, Bool) clash with the headers above.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>

namespace {

TEST(BeeperTest, WithoutASoundToPlayTheXBellRings)
{
    // No sound driver: the theme's sound cannot be played.
    qputenv("CANBERRA_DRIVER", "no-such-driver");
    std::unique_ptr<X11Connection> listener = X11Connection::open();
    ASSERT_NE(listener, nullptr);
    Display* display = listener->display();
    int opcode = 0, eventBase = 0, errorBase = 0, major = XkbMajorVersion, minor = XkbMinorVersion;
    ASSERT_TRUE(XkbQueryExtension(display, &opcode, &eventBase, &errorBase, &major, &minor));
    XkbSelectEvents(display, XkbUseCoreKbd, XkbBellNotifyMask, XkbBellNotifyMask);
    XSync(display, False);
    int bells = 0;
    listener->addListener([&](XEvent& event) {
        if (event.type == eventBase && reinterpret_cast<XkbAnyEvent&>(event).xkb_type == XkbBellNotify)
            ++bells;
    });

    SoundThemeBeeper beeper(listener.get());
    beeper.beep();
    beeper.beep();
    EXPECT_TRUE(QTest::qWaitFor([&] {
        listener->processPendingEvents();
        return bells == 2;
    }));
    qunsetenv("CANBERRA_DRIVER");
}

} // namespace
