// SPDX-License-Identifier: MIT
// The popup's dismiss monitors against the run's X server: real clicks and
// wheel steps anywhere on the screen, real key presses.
#include "DismissMonitors.h"
#include "EscapeGrab.h"
#include "GlobalPointerWatch.h"
#include "PlatformSession.h"
#include "PopupPanel.h"
#include "X11Connection.h"
#include "X11Property.h"
#include "X11TestTools.h"
#include "XWaylandPointerWatch.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
// Xlib last: its macros clash with Qt's headers.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

class DismissMonitorsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto* content = new QLabel("popup", &panel);
        content->setFixedSize(300, 200);
        panel.setContent(content);
        panel.fitToContent();
        panel.move(200, 200);
        panel.present(false);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
        install();
    }

    // As for a selection popup, which never has the focus; Escape and Tab
    // through the popup itself are PopupControllerTest's.
    void install()
    {
        monitors.install({ [this] { ++dismissals; }, [] { return false; } }, false);
    }

    // Waits long enough for an event that should not come to have come.
    int dismissalsAfter(const QStringList& action)
    {
        dismissals = 0;
        EXPECT_EQ(X11TestTools::run("xdotool", action).exitCode, 0);
        (void)QTest::qWaitFor([&] { return dismissals > 0; }, 1000);
        QTest::qWait(50);
        return dismissals;
    }

    PlatformSession platform;
    PopupPanel panel;
    DismissMonitors monitors { &panel, platform.pointerWatch(), platform.escapeGrab() };
    int dismissals = 0;
};

TEST_F(DismissMonitorsTest, ClicksAndWheelStepsOutsideDismissThoseInsideDoNot)
{
    const std::pair<QStringList, int> cases[] = {
        { { "mousemove", "300", "300", "click", "1" }, 0 },
        { { "mousemove", "300", "300", "click", "5" }, 0 },
        { { "mousemove", "900", "700", "click", "4" }, 1 },
        { { "mousemove", "50", "50", "click", "3" }, 1 },
        // A middle click pastes, a side button goes back: neither dismisses.
        { { "mousemove", "900", "700", "click", "2", "click", "8" }, 0 },
    };
    for (const auto& [action, expected] : cases)
        EXPECT_EQ(dismissalsAfter(action), expected) << action.join(' ').toStdString();
}

TEST_F(DismissMonitorsTest, AnyClickIntoAnotherWindowOfTheProgramDismissesAndStillArrives)
{
    QPushButton other("settings");
    other.setGeometry(800, 100, 200, 200);
    other.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&other));
    int clicked = 0;
    QObject::connect(&other, &QPushButton::clicked, [&] { ++clicked; });
    for (const Qt::MouseButton button : { Qt::LeftButton, Qt::RightButton }) {
        dismissals = 0;
        QTest::mouseClick(&other, button, {}, QPoint(10, 10));
        EXPECT_GE(dismissals, 1) << button;
    }
    EXPECT_EQ(clicked, 1);
}

TEST_F(DismissMonitorsTest, ReinstallingNeverStacksAndRemovingEndsTheWatch)
{
    install();
    install();
    EXPECT_EQ(dismissalsAfter({ "mousemove", "900", "700", "click", "1" }), 1) << "once, not thrice";

    // Removed from inside its own handler, as the popup does when it closes.
    monitors.install({ [this] {
                          ++dismissals;
                          monitors.remove();
                      },
                         [] { return false; } },
        false);
    EXPECT_EQ(dismissalsAfter({ "mousemove", "900", "700", "click", "1" }), 1);
    EXPECT_EQ(dismissalsAfter({ "mousemove", "900", "700", "click", "1" }), 0);
}

TEST_F(DismissMonitorsTest, OnWaylandTheFocusMovingToAnotherProgramDismissesUnlessThePopupTookIt)
{
    Display* display = platform.x11()->display();
    const Atom active = XInternAtom(display, "_NET_ACTIVE_WINDOW", False);
    const QByteArray x11Window("\x34\x12\0\0", 4); // an X11 window's id, little-endian
    XWaylandPointerWatch watch(*platform.x11());
    DismissMonitors wayland { &panel, watch, platform.escapeGrab() };
    monitors.remove();
    for (const bool popupHasFocus : { false, true }) {
        X11Property::write(display, platform.x11()->rootWindow(), active, XA_WINDOW, 32, x11Window, 0, 4);
        wayland.install({ [this] { ++dismissals; }, [] { return false; } }, popupHasFocus);
        dismissals = 0;
        // The window manager's answer to a click on a Wayland window, dispatched as the event loop does.
        XDeleteProperty(display, platform.x11()->rootWindow(), active);
        (void)QTest::qWaitFor([&] { return platform.x11()->processPendingEvents(), dismissals > 0; }, 1000);
        EXPECT_EQ(dismissals, popupHasFocus ? 0 : 1) << "the popup took the focus: " << popupHasFocus;
        wayland.remove();
    }
}

} // namespace
