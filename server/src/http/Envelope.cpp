// SPDX-License-Identifier: MIT
#include "Envelope.h"

#include <QJsonDocument>

Reply Envelope::success(const QJsonObject& data)
{
    QJsonObject envelope;
    envelope.insert(QStringLiteral("success"), true);
    envelope.insert(QStringLiteral("data"), data);
    return { 200, QJsonDocument(envelope).toJson(QJsonDocument::Compact) };
}

Reply Envelope::failure(int status, const QString& message)
{
    QJsonObject envelope;
    envelope.insert(QStringLiteral("success"), false);
    envelope.insert(QStringLiteral("error"), message);
    return { status, QJsonDocument(envelope).toJson(QJsonDocument::Compact) };
}
