// SPDX-License-Identifier: MIT
#pragma once

#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>
#include <functional>

class QAction;

// The program's face on the desktop: a tray icon (StatusNotifierItem where
// the desktop offers it, the XEmbed tray elsewhere) whose menu holds
// "Check for Updates…", "Settings…" and "Quit Sorvantel". A click on the
// icon, either button, opens the menu.
class TrayScene : public QObject {
    Q_OBJECT
public:
    struct Actions {
        std::function<void()> checkForUpdates;
        std::function<void()> showSettings;
        std::function<void()> quit;
    };

    explicit TrayScene(Actions actions);
    Q_DISABLE_COPY_MOVE(TrayScene)

    // The entries that carry keyboard shortcuts (Ctrl+, and Ctrl+Q), which
    // the program's windows honour too.
    QList<QAction*> shortcutActions() const;

    QSystemTrayIcon& icon() { return m_icon; }
    QMenu& menu() { return m_menu; }

private:
    QMenu m_menu;
    QSystemTrayIcon m_icon;
    QAction* m_settings;
    QAction* m_quit;
};
