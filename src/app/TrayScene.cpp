// SPDX-License-Identifier: MIT
#include "TrayScene.h"

#include "Symbols.h"

#include <QAction>
#include <QCursor>
#include <QGuiApplication>
#include <QPalette>

namespace {

QIcon bookIcon()
{
    // A glyph in the text colour of the desktop's palette, at the sizes
    // trays ask for.
    const QColor color = QGuiApplication::palette().color(QPalette::WindowText);
    QIcon icon;
    for (const int size : { 16, 22, 24, 32, 48, 64 })
        icon.addPixmap(Symbols::pixmap(QStringLiteral("book.fill"), size, color, 1.0));
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
        if (reason == QSystemTrayIcon::Trigger)
            m_menu.popup(QCursor::pos());
    });
    m_icon.show();
}

QList<QAction*> TrayScene::shortcutActions() const
{
    return { m_settings, m_quit };
}
