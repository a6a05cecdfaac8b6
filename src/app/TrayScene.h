// SPDX-License-Identifier: MIT
#pragma once

#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>
#include <QTimer>
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

signals:
    // Once, on a turn of the event loop after the icon is on screen: the
    // moment to build what the icon does not need. At once where the icon is
    // no window of ours (a D-Bus tray, no tray at all), and at the latest
    // after a short while, so that a tray which never takes the icon in
    // holds nothing up.
    void iconShown();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void watchForIconShown();
    void announceIconShown();

    QMenu m_menu;
    QSystemTrayIcon m_icon;
    QAction* m_settings;
    QAction* m_quit;
    QTimer m_iconShownBound;
    bool m_iconShownAnnounced = false;
};
