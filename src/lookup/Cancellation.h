// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <memory>

// A load's "stop" flag, shared between the load and whoever may supersede it.
// The load checks isCancelled() after every co_await and writes nothing once
// it is set; lookup calls in flight abort their HTTP exchange at once.
class Cancellation : public QObject {
    Q_OBJECT
public:
    static std::shared_ptr<Cancellation> create() { return std::make_shared<Cancellation>(); }

    Cancellation() = default;
    Q_DISABLE_COPY_MOVE(Cancellation)

    bool isCancelled() const { return m_cancelled; }

    // Idempotent: cancelled() is emitted once.
    void cancel()
    {
        if (m_cancelled)
            return;
        m_cancelled = true;
        emit cancelled();
    }

signals:
    void cancelled();

private:
    bool m_cancelled = false;
};
