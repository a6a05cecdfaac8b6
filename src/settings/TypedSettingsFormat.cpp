// SPDX-License-Identifier: MIT
#include "TypedSettingsFormat.h"

#include <QIODevice>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

namespace {

bool readTyped(QIODevice& device, QSettings::SettingsMap& map)
{
    const QByteArray bytes = device.readAll();
    if (bytes.trimmed().isEmpty())
        return true;
    QJsonParseError error {};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return false;
    const QJsonObject root = document.object();
    for (auto it = root.begin(); it != root.end(); ++it) {
        const QJsonObject entry = it.value().toObject();
        const QString type = entry.value(QLatin1String("type")).toString();
        const QJsonValue value = entry.value(QLatin1String("value"));
        if (type == QLatin1String("string") && value.isString())
            map.insert(it.key(), value.toString());
        else if (type == QLatin1String("bool") && value.isBool())
            map.insert(it.key(), value.toBool());
        else if (type == QLatin1String("int") && value.isDouble())
            map.insert(it.key(), value.toInteger());
        else if (type == QLatin1String("double") && value.isDouble())
            map.insert(it.key(), value.toDouble());
        // Anything else was not written by us; leaving it out is the safe reading.
    }
    return true;
}

bool writeTyped(QIODevice& device, const QSettings::SettingsMap& map)
{
    QJsonObject root;
    for (auto it = map.begin(); it != map.end(); ++it) {
        const QVariant& value = it.value();
        QJsonObject entry;
        switch (value.typeId()) {
        case QMetaType::Bool:
            entry = { { "type", "bool" }, { "value", value.toBool() } };
            break;
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
            entry = { { "type", "int" }, { "value", value.toLongLong() } };
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            entry = { { "type", "double" }, { "value", value.toDouble() } };
            break;
        default:
            entry = { { "type", "string" }, { "value", value.toString() } };
            break;
        }
        root.insert(it.key(), entry);
    }
    return device.write(QJsonDocument(root).toJson(QJsonDocument::Indented)) >= 0;
}

} // namespace

QSettings::Format TypedSettingsFormat::format()
{
    static const QSettings::Format format
        = QSettings::registerFormat(QStringLiteral("json"), readTyped, writeTyped);
    return format;
}
