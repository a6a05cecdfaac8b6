// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <optional>

// The backend's JSON records. Texts are kept exactly as received.
//
// Each record decodes from a JSON value with fromJson(), which gives none when
// the value breaks the record's rules: keys match exactly; a required member
// must be present, non-null and of its JSON type; an optional member may be
// absent or null (none) but, when present, must be of its type; other keys
// are ignored.

// Answer to a word lookup.
struct DictionaryEntry {
    QString word;
    QString accent;
    std::optional<QString> ipa;
    std::optional<QString> definition;
    std::optional<QString> audioUrl;
    std::optional<QString> pageUrl;

    static std::optional<DictionaryEntry> fromJson(const QJsonValue& json);
};

// Answer to a translation.
struct TranslationResult {
    QString text;
    QString translated;
    QString sourceLanguage;
    QString targetLanguage;

    static std::optional<TranslationResult> fromJson(const QJsonValue& json);
};

// Answer to a rewrite: `refined` holds the variants separated by "---" lines.
struct RefineResult {
    QString text;
    QString refined;
    QString model;

    static std::optional<RefineResult> fromJson(const QJsonValue& json);
};

namespace WireField {
// Each gives false when the member breaks its rule, leaving `out` unchanged.
bool readRequired(const QJsonObject& object, QLatin1String key, QString& out);
bool readRequired(const QJsonObject& object, QLatin1String key, bool& out);
bool readOptional(const QJsonObject& object, QLatin1String key, std::optional<QString>& out);
// The JSON object a body holds, or none when it is not one.
std::optional<QJsonObject> objectFromBody(const QByteArray& body);
} // namespace WireField

// The envelope every answer comes in. A payload that fails its own rules
// fails the envelope: there is never an envelope with a broken payload.
template <typename T> struct APIEnvelope {
    bool success = false;
    std::optional<T> data;
    std::optional<QString> error;

    static std::optional<APIEnvelope> fromJson(const QJsonValue& json)
    {
        if (!json.isObject())
            return std::nullopt;
        const QJsonObject object = json.toObject();
        APIEnvelope envelope;
        if (!WireField::readRequired(object, QLatin1String("success"), envelope.success))
            return std::nullopt;
        const QJsonValue data = object.value(QLatin1String("data"));
        if (!data.isUndefined() && !data.isNull()) {
            envelope.data = T::fromJson(data);
            if (!envelope.data)
                return std::nullopt;
        }
        if (!WireField::readOptional(object, QLatin1String("error"), envelope.error))
            return std::nullopt;
        return envelope;
    }

    static std::optional<APIEnvelope> fromBody(const QByteArray& body)
    {
        const std::optional<QJsonObject> object = WireField::objectFromBody(body);
        return object ? fromJson(*object) : std::nullopt;
    }
};
