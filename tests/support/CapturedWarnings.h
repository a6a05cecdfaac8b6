// SPDX-License-Identifier: MIT
#pragma once

#include <QStringList>
#include <QtGlobal>

// Every message logged while it lives, instead of on standard error. Main
// thread only; one at a time.
class CapturedWarnings {
public:
    CapturedWarnings()
    {
        s_lines.clear();
        m_previous = qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext&, const QString& message) { s_lines << message; });
    }
    ~CapturedWarnings() { qInstallMessageHandler(m_previous); }
    Q_DISABLE_COPY_MOVE(CapturedWarnings)

    // Those that start with `prefix`, in order.
    QStringList lines(const QString& prefix = {}) const
    {
        QStringList matching;
        for (const QString& line : s_lines)
            if (line.startsWith(prefix))
                matching << line;
        return matching;
    }
    void clear() { s_lines.clear(); }

private:
    static inline QStringList s_lines;
    QtMessageHandler m_previous;
};
