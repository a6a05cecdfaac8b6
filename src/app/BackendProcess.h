// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

class QProcess;

// The backend the program brings along. At launch, when nothing answers at
// the backend's address and that address is on this machine, it starts
// sorvantel-server as a child that ends with the program, even when the
// program is killed. A server that already answers belongs to someone else
// and is left alone.
class BackendProcess : public QObject {
    Q_OBJECT
public:
    explicit BackendProcess(QUrl serverUrl, QObject* parent = nullptr);
    ~BackendProcess() override;
    Q_DISABLE_COPY_MOVE(BackendProcess)

    // Looks for a server without blocking and starts one when none answers.
    void startIfNeeded();
    // Ends the child, if one was started; waits a bounded time.
    void stop();

    // sorvantel-server next to this program's executable, else on PATH;
    // empty when neither exists.
    static QString serverExecutable();

private:
    void startChild();

    QUrl m_serverUrl;
    QPointer<QProcess> m_child;
};
