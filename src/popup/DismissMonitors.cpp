// SPDX-License-Identifier: MIT
#include "DismissMonitors.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

DismissMonitors::DismissMonitors(QWidget* panel, std::unique_ptr<GlobalPointerWatch> watch)
    : m_panel(panel)
    , m_watch(std::move(watch))
{
}

DismissMonitors::~DismissMonitors()
{
    remove();
}

void DismissMonitors::install(Handlers handlers)
{
    remove();
    m_handlers = std::move(handlers);
    QPointer<DismissMonitors> self(this);
    m_globalInstalled = m_watch->start([self](QPoint at) {
        // Clicks and scrolling in the popup are its own; in the program's
        // other windows the local filter decides.
        if (self && !QApplication::topLevelAt(at) && self->m_handlers.dismiss) {
            auto dismiss = self->m_handlers.dismiss;
            dismiss();
        }
    });
    qApp->installEventFilter(this);
    m_localInstalled = true;
}

void DismissMonitors::remove()
{
    if (m_globalInstalled)
        m_watch->stop();
    if (m_localInstalled)
        qApp->removeEventFilter(this);
    m_globalInstalled = m_localInstalled = false;
    m_handlers = {};
}

int DismissMonitors::installedCount() const
{
    return (m_globalInstalled ? 1 : 0) + (m_localInstalled ? 2 : 0);
}

bool DismissMonitors::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        auto* widget = qobject_cast<QWidget*>(watched);
        if ((mouse->button() == Qt::LeftButton || mouse->button() == Qt::RightButton) && widget
            && widget->window() != m_panel && m_handlers.dismiss) {
            // The click still reaches the other window.
            auto dismiss = m_handlers.dismiss;
            dismiss();
        }
        return false;
    }
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape && m_handlers.dismiss) {
            auto dismiss = m_handlers.dismiss;
            dismiss();
            return true;
        }
        if (key->key() == Qt::Key_Tab && m_handlers.tab) {
            auto tab = m_handlers.tab;
            return tab();
        }
        return false;
    }
    default:
        return false;
    }
}
