// SPDX-License-Identifier: MIT
#include "NotificationCenter.h"

void NotificationCenter::post(const QString& name)
{
    emit posted(name);
}

QMetaObject::Connection NotificationCenter::observe(
    const QString& name, const QObject* context, std::function<void()> handler)
{
    return connect(
        this, &NotificationCenter::posted, context,
        [name, handler = std::move(handler)](const QString& posted) {
            if (posted == name)
                handler();
        },
        Qt::DirectConnection);
}
