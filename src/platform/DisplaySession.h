// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// What kind of desktop session the program runs in, from the environment it
// was started with: an X11 session, or a Wayland one (with or without
// XWayland) and which family of compositor holds it. The platform services
// are chosen from this; it asks nothing of the display servers themselves.
struct DisplaySession {
    enum class Kind { x11, wayland };
    enum class Compositor { none, gnome, kde, wlroots, other };

    Kind kind = Kind::x11;
    Compositor compositor = Compositor::none;
    // An X server is named ($DISPLAY): on Wayland, XWayland.
    bool hasX11Display = false;

    bool isWayland() const { return kind == Kind::wayland; }

    // From variables as a session sets them: WAYLAND_DISPLAY,
    // XDG_CURRENT_DESKTOP (a colon-separated list) and DISPLAY.
    static DisplaySession fromValues(
        const QString& waylandDisplay, const QString& currentDesktop, const QString& display);
    // From this process's environment.
    static DisplaySession fromEnvironment();
};
