// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QString>
#include <functional>

// In-process notifications by name, without sender or payload. Observers are
// tied to a context object and disappear with it, so an observer never
// outlives what it points back at. Delivery is synchronous, on the posting
// (main) thread. The program makes one and hands it to whoever posts or
// observes.
class NotificationCenter : public QObject {
    Q_OBJECT
public:
    void post(const QString& name);
    QMetaObject::Connection observe(
        const QString& name, const QObject* context, std::function<void()> handler);

signals:
    void posted(const QString& name);
};
