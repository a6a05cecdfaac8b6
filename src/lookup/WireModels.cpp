// SPDX-License-Identifier: MIT
#include "WireModels.h"

#include <QJsonDocument>
#include <QJsonParseError>

namespace WireField {

bool readRequired(const QJsonObject& object, QLatin1String key, QString& out)
{
    const QJsonValue value = object.value(key);
    if (!value.isString())
        return false;
    out = value.toString();
    return true;
}

bool readRequired(const QJsonObject& object, QLatin1String key, bool& out)
{
    const QJsonValue value = object.value(key);
    if (!value.isBool())
        return false;
    out = value.toBool();
    return true;
}

bool readOptional(const QJsonObject& object, QLatin1String key, std::optional<QString>& out)
{
    const QJsonValue value = object.value(key);
    if (value.isUndefined() || value.isNull()) {
        out.reset();
        return true;
    }
    if (!value.isString())
        return false;
    out = value.toString();
    return true;
}

std::optional<QJsonObject> objectFromBody(const QByteArray& body)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return document.object();
}

} // namespace WireField

using WireField::readOptional;
using WireField::readRequired;

std::optional<DictionaryEntry> DictionaryEntry::fromJson(const QJsonValue& json)
{
    if (!json.isObject())
        return std::nullopt;
    const QJsonObject object = json.toObject();
    DictionaryEntry entry;
    if (readRequired(object, QLatin1String("word"), entry.word)
        && readRequired(object, QLatin1String("accent"), entry.accent)
        && readOptional(object, QLatin1String("ipa"), entry.ipa)
        && readOptional(object, QLatin1String("definition"), entry.definition)
        && readOptional(object, QLatin1String("audioUrl"), entry.audioUrl)
        && readOptional(object, QLatin1String("pageUrl"), entry.pageUrl))
        return entry;
    return std::nullopt;
}

std::optional<TranslationResult> TranslationResult::fromJson(const QJsonValue& json)
{
    if (!json.isObject())
        return std::nullopt;
    const QJsonObject object = json.toObject();
    TranslationResult result;
    if (readRequired(object, QLatin1String("text"), result.text)
        && readRequired(object, QLatin1String("translated"), result.translated)
        && readRequired(object, QLatin1String("sourceLanguage"), result.sourceLanguage)
        && readRequired(object, QLatin1String("targetLanguage"), result.targetLanguage))
        return result;
    return std::nullopt;
}

std::optional<RefineResult> RefineResult::fromJson(const QJsonValue& json)
{
    if (!json.isObject())
        return std::nullopt;
    const QJsonObject object = json.toObject();
    RefineResult result;
    if (readRequired(object, QLatin1String("text"), result.text)
        && readRequired(object, QLatin1String("refined"), result.refined)
        && readRequired(object, QLatin1String("model"), result.model))
        return result;
    return std::nullopt;
}
