// SPDX-License-Identifier: MIT
#include "TrayScene.h"

#include "Symbols.h"
#include "X11Display.h"

#include <QAction>
#include <QCursor>
#include <QGuiApplication>
#include <QPainter>
#include <QWindow>
#include <utility>

namespace {

// How long a tray may take to dock the icon before the rest of the program
// is built anyway.
constexpr std::chrono::milliseconds kIconShownBound { 1000 };

QIcon bookIcon()
{
    // A white book on a blue tile: a tray may be dark or light, and the tile
    // shows on both.
    QIcon icon;
    for (const int size : { 16, 22, 24, 32, 48, 64 }) {
        QPixmap tile(size, size);
        tile.fill(Qt::transparent);
        QPainter painter(&tile);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0x2f, 0x6f, 0xd0));
        const qreal radius = size * 0.22;
        painter.drawRoundedRect(QRectF(0, 0, size, size), radius, radius);
        const int glyph = qRound(size * 0.7);
        const int inset = (size - glyph) / 2;
        painter.drawPixmap(inset, inset, Symbols::pixmap(QStringLiteral("book.fill"), glyph, Qt::white, 1.0));
        painter.end();
        icon.addPixmap(tile);
    }
    return icon;
}

} // namespace

TrayScene::TrayScene(Actions actions)
{
    QAction* check = m_menu.addAction(QStringLiteral("Check for Updates…"));
    connect(check, &QAction::triggered, this, std::move(actions.checkForUpdates));
    m_menu.addSeparator();
    m_settings = m_menu.addAction(QStringLiteral("Settings…"));
    m_settings->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    connect(m_settings, &QAction::triggered, this, std::move(actions.showSettings));
    m_menu.addSeparator();
    m_quit = m_menu.addAction(QStringLiteral("Quit Sorvantel"));
    m_quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(m_quit, &QAction::triggered, this, std::move(actions.quit));
    // The shortcuts are matched by ShortcutRouter in the program's windows;
    // in the menu itself they are shown, not bound.
    for (QAction* action : shortcutActions())
        action->setShortcutContext(Qt::WidgetShortcut);

    m_icon.setIcon(bookIcon());
    m_icon.setToolTip(QStringLiteral("Sorvantel"));
    m_icon.setContextMenu(&m_menu);
    // A pull-down menu: the left click opens it as the right one does.
    connect(&m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason != QSystemTrayIcon::Trigger)
            return;
        // Below the icon where the tray says where it is, else at the pointer.
        const QRect place = m_icon.geometry();
        m_menu.popup(place.isValid() ? place.bottomLeft() + QPoint(0, 1) : QCursor::pos());
    });
    m_icon.show();
    // The dock request goes to the tray now, not when the event loop runs.
    X11Display::flushQt();
    watchForIconShown();
}

void TrayScene::watchForIconShown()
{
    // An XEmbed icon is mapped by Qt only once the tray's notice that it
    // took the icon in has come through the event loop: until then nothing
    // of ours shows, however early the dock request went out.
    QWindow* docked = nullptr;
    for (QWindow* window : QGuiApplication::allWindows()) {
        if (window->objectName() == QLatin1String("QSystemTrayIconSysWindow"))
            docked = window;
    }
    m_iconShownBound.setSingleShot(true);
    connect(&m_iconShownBound, &QTimer::timeout, this, &TrayScene::announceIconShown);
    if (!docked) {
        m_iconShownBound.start(0);
        return;
    }
    docked->installEventFilter(this);
    m_iconShownBound.start(kIconShownBound);
}

bool TrayScene::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed()) {
        watched->removeEventFilter(this);
        // On the next turn: the icon paints in answer to this very event.
        m_iconShownBound.start(0);
    }
    return false;
}

void TrayScene::announceIconShown()
{
    if (std::exchange(m_iconShownAnnounced, true))
        return;
    emit iconShown();
}

QList<QAction*> TrayScene::shortcutActions() const
{
    return { m_settings, m_quit };
}
