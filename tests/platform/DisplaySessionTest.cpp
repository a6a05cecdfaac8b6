// SPDX-License-Identifier: MIT
#include "DisplaySession.h"

#include <gtest/gtest.h>

TEST(DisplaySession, TheWaylandSocketDecidesAndTheDesktopNamesTheCompositor)
{
    using Kind = DisplaySession::Kind;
    using Compositor = DisplaySession::Compositor;
    struct Case {
        const char *wayland, *desktop, *display;
        Kind kind;
        Compositor compositor;
        bool hasX11Display;
    } cases[] = {
        { "", "GNOME", ":0", Kind::x11, Compositor::none, true }, // an X11 session of a Wayland desktop
        { "wayland-0", "ubuntu:GNOME", ":1", Kind::wayland, Compositor::gnome, true },
        { "wayland-0", "KDE", "", Kind::wayland, Compositor::kde, false },
        { "/run/user/1000/wayland-1", "sway", ":2", Kind::wayland, Compositor::wlroots, true },
        { "wayland-0", "Unity:weston", ":0", Kind::wayland, Compositor::other, true },
    };
    for (const Case& c : cases) {
        const DisplaySession session = DisplaySession::fromValues(c.wayland, c.desktop, c.display);
        EXPECT_EQ(session.kind, c.kind) << c.wayland << ' ' << c.desktop;
        EXPECT_EQ(session.compositor, c.compositor) << c.desktop;
        EXPECT_EQ(session.hasX11Display, c.hasX11Display) << c.display;
    }
}
