// SPDX-License-Identifier: MIT
#include "DismissMonitors.h"

#include "EscapeGrab.h"
#include "GlobalPointerWatch.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

DismissMonitors::DismissMonitors(QWidget* panel, GlobalPointerWatch& watch, EscapeGrab& escape)
    : m_panel(panel)
    , m_watch(watch)
    , m_escape(escape)
{
}

DismissMonitors::~DismissMonitors()
{
    remove();
}

void DismissMonitors::install(Handlers handlers, bool popupHasFocus)
{
    remove();
    m_handlers = std::move(handlers);
    QPointer<DismissMonitors> self(this);
    m_globalInstalled = m_watch.start([self, popupHasFocus](std::optional<QPoint> at) {
        // Clicks and scrolling in the popup are its own; in the program's
        // other windows the local filter decides. One without a position is
        // the focus moving to another program: when the popup takes the
        // focus itself, that may be the desktop's answer to it (KWin moves
        // it straight back to the window that had it).
        if (self && (at ? !QApplication::topLevelAt(*at) : !popupHasFocus))
            self->dismiss();
    });
    if (!popupHasFocus) {
        m_escapeGrabbed = m_escape.grab([self] {
            if (self)
                self->dismiss();
        });
    }
    qApp->installEventFilter(this);
    m_localInstalled = true;
}

void DismissMonitors::remove()
{
    if (m_globalInstalled)
        m_watch.stop();
    if (m_escapeGrabbed)
        m_escape.release();
    if (m_localInstalled)
        qApp->removeEventFilter(this);
    m_globalInstalled = m_escapeGrabbed = m_localInstalled = false;
    m_handlers = {};
}

void DismissMonitors::dismiss()
{
    // A copy: dismissing removes the monitors, which drops the handlers.
    if (auto dismiss = m_handlers.dismiss)
        dismiss();
}

bool DismissMonitors::isPartOfPopup(const QWidget* widget) const
{
    const QWidget* window = widget->window();
    return window == m_panel || window->windowType() == Qt::Popup;
}

bool DismissMonitors::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        auto* widget = qobject_cast<QWidget*>(watched);
        // The click still reaches the other window.
        if ((mouse->button() == Qt::LeftButton || mouse->button() == Qt::RightButton) && widget
            && !isPartOfPopup(widget))
            dismiss();
        return false;
    }
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        // An open menu takes its own keys: Escape closes the menu only.
        if (QApplication::activePopupWidget())
            return false;
        if (key->key() == Qt::Key_Escape && m_handlers.dismiss) {
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
