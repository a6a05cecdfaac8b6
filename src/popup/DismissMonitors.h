// SPDX-License-Identifier: MIT
#pragma once

#include "GlobalPointerWatch.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

class QWidget;

// The watches that end an open popup: a click or wheel step anywhere outside
// it (in any application), a click into another window of this program,
// Escape; and Tab, which the popup's owner may take for itself. They exist
// only between install() and remove(), and installing twice never stacks.
class DismissMonitors : public QObject {
    Q_OBJECT
public:
    struct Handlers {
        std::function<void()> dismiss;
        // Tab pressed in the program; true when it was used (and so consumed).
        std::function<bool()> tab;
    };

    DismissMonitors(QWidget* panel, std::unique_ptr<GlobalPointerWatch> watch);
    ~DismissMonitors() override;
    Q_DISABLE_COPY_MOVE(DismissMonitors)

    void install(Handlers handlers);
    void remove();

    // How many monitors are installed: the global watch (when the system
    // offers one) and the program's own mouse and key filters.
    int installedCount() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> m_panel;
    std::unique_ptr<GlobalPointerWatch> m_watch;
    Handlers m_handlers;
    bool m_globalInstalled = false;
    bool m_localInstalled = false;
};
