// SPDX-License-Identifier: MIT
#include "DesktopShortcutGuide.h"

namespace {

const QStringList kCommands { QStringLiteral("sorvantel --translate"), QStringLiteral("sorvantel --refine") };

} // namespace

DesktopShortcutGuide DesktopShortcutGuide::forCompositor(DisplaySession::Compositor compositor)
{
    // Menu paths as Debian 12 has them: GNOME 43, Plasma 5.27, sway 1.7.
    switch (compositor) {
    case DisplaySession::Compositor::gnome:
        return { QStringLiteral(
                     "GNOME gives global shortcuts only to its own settings. In Settings → Keyboard → "
                     "View and Customize Shortcuts → Custom Shortcuts, press Add Shortcut once for "
                     "each command (Alt+T and Alt+R, say):"),
            kCommands };
    case DisplaySession::Compositor::kde:
        return { QStringLiteral("KDE's shortcut service is not running, so bind the commands yourself. In "
                                "System Settings → Shortcuts, press Add Command… once for each command:"),
            kCommands };
    case DisplaySession::Compositor::wlroots:
        return { QStringLiteral(
                     "This desktop gives global shortcuts only to its own configuration. On sway, add these "
                     "lines to "
                     "~/.config/sway/config and run swaymsg reload (elsewhere, bind the same commands in the "
                     "compositor's configuration):"),
            { QStringLiteral("bindsym Mod1+t exec sorvantel --translate"),
                QStringLiteral("bindsym Mod1+r exec sorvantel --refine") } };
    case DisplaySession::Compositor::none:
    case DisplaySession::Compositor::other:
        break;
    }
    return { QStringLiteral("This desktop gives global shortcuts only to its own settings. In its keyboard "
                            "settings, add a custom shortcut that runs each command:"),
        kCommands };
}

DesktopShortcutGuide DesktopShortcutGuide::forShortcutService()
{
    return { QStringLiteral("KDE's shortcut service delivers both shortcuts whichever window has the focus; "
                            "System Settings → Shortcuts lists them under Sorvantel."),
        {} };
}
