// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>

class EscapeGrab;
class GlobalPointerWatch;
class QWidget;

// The watches that end an open popup: a click or wheel step anywhere outside
// it (in any application), a click into another window of this program,
// Escape; and Tab, which the popup's owner may take for itself. The
// program's own menus (a text field's context menu, say) count as part of
// the popup. They exist only between install() and remove(), and installing
// twice never stacks.
class DismissMonitors : public QObject {
    Q_OBJECT
public:
    struct Handlers {
        std::function<void()> dismiss;
        // Tab pressed in the program; true when it was used (and so consumed).
        std::function<bool()> tab;
    };

    // `watch` and `escape` must outlive the monitors.
    DismissMonitors(QWidget* panel, GlobalPointerWatch& watch, EscapeGrab& escape);
    ~DismissMonitors() override;
    Q_DISABLE_COPY_MOVE(DismissMonitors)

    // `popupHasFocus`: whether the popup takes the keyboard focus. One that
    // does not hears Escape only through a grab, held until remove().
    void install(Handlers handlers, bool popupHasFocus);
    void remove();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool isPartOfPopup(const QWidget* widget) const;
    void dismiss();

    QPointer<QWidget> m_panel;
    GlobalPointerWatch& m_watch;
    EscapeGrab& m_escape;
    Handlers m_handlers;
    bool m_globalInstalled = false;
    bool m_escapeGrabbed = false;
    bool m_localInstalled = false;
};
