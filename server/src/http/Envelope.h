// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>

// One HTTP answer: status, body and its content type.
struct Reply {
    int status = 200;
    QByteArray body;
    QByteArray contentType = "application/json";
};

// Every JSON answer is one envelope: {"success", "data"} or {"success", "error"}.
class Envelope {
public:
    static Reply success(const QJsonObject& data);
    static Reply failure(int status, const QString& message);
};
