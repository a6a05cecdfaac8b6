// SPDX-License-Identifier: MIT
#pragma once

#include "DisplaySession.h"

#include <QString>
#include <QStringList>

// What a Wayland desktop's own settings have to do with our shortcuts: where
// KDE lists the ones its shortcut service holds for us, or, where programs
// get no global shortcuts of their own (GNOME, sway and most others), how to
// bind the command-line verbs in the desktop's keyboard settings.
struct DesktopShortcutGuide {
    // One or two sentences: where to go and what to add there.
    QString instructions;
    // What to paste, translate first, then refine; none when the desktop
    // has the shortcuts already.
    QStringList lines;

    // For a desktop whose settings must run the commands.
    static DesktopShortcutGuide forCompositor(DisplaySession::Compositor compositor);
    // For KDE's shortcut service, which holds the stored combinations.
    static DesktopShortcutGuide forShortcutService();
};
