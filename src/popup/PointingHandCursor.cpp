// SPDX-License-Identifier: MIT
#include "PointingHandCursor.h"

#include <QEvent>
#include <QGuiApplication>
#include <QWidget>

void PointingHandCursor::attach(QWidget* widget)
{
    new PointingHandCursor(widget);
}

PointingHandCursor::PointingHandCursor(QWidget* widget)
    : QObject(widget)
{
    widget->installEventFilter(this);
}

PointingHandCursor::~PointingHandCursor()
{
    pop();
}

bool PointingHandCursor::eventFilter(QObject*, QEvent* event)
{
    switch (event->type()) {
    case QEvent::Enter:
        push();
        break;
    case QEvent::Leave:
    case QEvent::Hide:
        pop();
        break;
    default:
        break;
    }
    return false;
}

void PointingHandCursor::push()
{
    if (m_pushed)
        return;
    QGuiApplication::setOverrideCursor(Qt::PointingHandCursor);
    m_pushed = true;
}

void PointingHandCursor::pop()
{
    if (!m_pushed)
        return;
    m_pushed = false;
    if (qGuiApp)
        QGuiApplication::restoreOverrideCursor();
}
