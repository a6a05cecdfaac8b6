// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class QAction;

// Ctrl+, and Ctrl+Q wherever a window of the program has the keyboard focus,
// its menus included: the tray menu's entries belong to no window, so Qt's
// own shortcut matching never sees them.
class ShortcutRouter : public QObject {
    Q_OBJECT
public:
    explicit ShortcutRouter(const QList<QAction*>& actions, QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(ShortcutRouter)

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QList<QPointer<QAction>> m_actions;
};
