// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

class QWidget;

// Shows the pointing-hand cursor while the pointer is over a widget: pushes
// it onto the application's override-cursor stack when the pointer enters and
// pops it when the pointer leaves. A widget that is hidden or destroyed while
// the pointer is still on it never sees the pointer leave, so that pops too;
// otherwise the hand would stay on screen after the popup closed.
class PointingHandCursor : public QObject {
    Q_OBJECT
public:
    // Attaches to `widget` for its lifetime.
    static void attach(QWidget* widget);

    ~PointingHandCursor() override;
    Q_DISABLE_COPY_MOVE(PointingHandCursor)

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit PointingHandCursor(QWidget* widget);
    void push();
    void pop();

    bool m_pushed = false;
};
