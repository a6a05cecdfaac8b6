// SPDX-License-Identifier: MIT
#include "ShortcutRouter.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <QWidget>

ShortcutRouter::ShortcutRouter(const QList<QAction*>& actions, QObject* parent)
    : QObject(parent)
{
    for (QAction* action : actions)
        m_actions.append(action);
    qApp->installEventFilter(this);
}

bool ShortcutRouter::eventFilter(QObject* watched, QEvent* event)
{
    // Key events reach the window first, then the focused widget; acting on
    // the widget's copy only runs each press once.
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return false;
    const QKeySequence pressed(static_cast<QKeyEvent*>(event)->keyCombination());
    for (const QPointer<QAction>& action : m_actions) {
        if (!action || pressed.matches(action->shortcut()) != QKeySequence::ExactMatch)
            continue;
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close(); // an open menu goes, as after a click on the entry
        // After this event: the action may destroy the widget that has it.
        QTimer::singleShot(0, action.data(), [action] {
            if (action)
                action->trigger();
        });
        return true;
    }
    return false;
}
