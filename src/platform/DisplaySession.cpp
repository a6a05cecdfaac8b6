// SPDX-License-Identifier: MIT
#include "DisplaySession.h"

#include <QStringList>
#include <QtGlobal>

DisplaySession DisplaySession::fromValues(
    const QString& waylandDisplay, const QString& currentDesktop, const QString& display)
{
    DisplaySession session;
    session.hasX11Display = !display.isEmpty();
    // The socket is what counts, not XDG_SESSION_TYPE: that stays "x11" in a
    // compositor nested in an X session, and says "wayland" after sudo or
    // ssh have dropped the socket, when nothing Wayland can be reached.
    if (waylandDisplay.isEmpty())
        return session;
    session.kind = Kind::wayland;
    session.compositor = Compositor::other;
    for (const QString& desktop : currentDesktop.split(u':', Qt::SkipEmptyParts)) {
        const QString name = desktop.toLower();
        if (name == QLatin1String("gnome"))
            session.compositor = Compositor::gnome;
        else if (name == QLatin1String("kde"))
            session.compositor = Compositor::kde;
        else if (name == QLatin1String("sway") || name == QLatin1String("wlroots")
            || name == QLatin1String("hyprland") || name == QLatin1String("river"))
            session.compositor = Compositor::wlroots;
        else
            continue;
        break;
    }
    return session;
}

DisplaySession DisplaySession::fromEnvironment()
{
    return fromValues(qEnvironmentVariable("WAYLAND_DISPLAY"), qEnvironmentVariable("XDG_CURRENT_DESKTOP"),
        qEnvironmentVariable("DISPLAY"));
}
