// SPDX-License-Identifier: MIT
#include "Routes.h"

#include <QJsonDocument>
#include <QJsonParseError>

Routes::Routes(
    WordLookup& lookup, const Translator& translator, const GeminiClient& gemini, const AudioRelay& relay)
    : m_lookup(lookup)
    , m_translator(translator)
    , m_gemini(gemini)
    , m_relay(relay)
{
}

std::variant<QJsonObject, Reply> Routes::parseObject(
    const QByteArray& body, const QStringList& required, const QStringList& optional)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError)
        return Envelope::failure(400,
            QStringLiteral("The request body is not valid JSON (%1 at byte %2).")
                .arg(error.errorString())
                .arg(error.offset));
    if (!document.isObject())
        return Envelope::failure(400, QStringLiteral("The request body must be a JSON object."));
    const QJsonObject object = document.object();
    for (const QString& name : required) {
        if (!object.contains(name) || object.value(name).isNull())
            return Envelope::failure(400, QStringLiteral("The request needs “%1”.").arg(name));
        if (!object.value(name).isString())
            return Envelope::failure(400, QStringLiteral("“%1” must be a string.").arg(name));
    }
    for (const QString& name : optional) {
        const QJsonValue value = object.value(name);
        if (!value.isUndefined() && !value.isNull() && !value.isString())
            return Envelope::failure(400, QStringLiteral("“%1” must be a string.").arg(name));
    }
    return object;
}

Reply Routes::forStatus(int status)
{
    switch (status) {
    case 400:
        return Envelope::failure(400, QStringLiteral("Malformed request."));
    case 404:
        return Envelope::failure(404, QStringLiteral("Not found."));
    case 405:
        return Envelope::failure(405, QStringLiteral("Method not allowed."));
    case 413:
        return Envelope::failure(413, QStringLiteral("The request body is larger than 64 KiB."));
    case 411:
        return Envelope::failure(411, QStringLiteral("The request body must be sent with a Content-Length."));
    case 414:
        return Envelope::failure(414, QStringLiteral("The request address is too long."));
    case 415:
        return Envelope::failure(
            415, QStringLiteral("The request body must be JSON (Content-Type: application/json)."));
    default:
        return Envelope::failure(status,
            status >= 500 ? QStringLiteral("Internal server error.")
                          : QStringLiteral("Request refused (HTTP %1).").arg(status));
    }
}

const char* Routes::routeOf(std::string_view path)
{
    for (const char* prefixed : { "/lookup", "/pronunciation" }) {
        const std::string_view route(prefixed);
        if (path.size() > route.size() && path.substr(0, route.size()) == route && path[route.size()] == '/')
            return prefixed;
    }
    for (const char* exact : { "/translate", "/refine", "/audio" }) {
        if (path == exact)
            return exact;
    }
    return nullptr;
}

bool Routes::allowsMethod(std::string_view route, std::string_view method)
{
    if (route == "/translate" || route == "/refine")
        return method == "POST";
    return method == "GET" || method == "HEAD";
}

Reply Routes::lookup(const QString& word, const QString& accent)
{
    return m_lookup.lookup(word, accent);
}

Reply Routes::pronunciation(const QString& word, const QString& accent)
{
    return m_lookup.pronunciation(word, accent);
}

Reply Routes::translate(const QByteArray& body) const
{
    auto parsed = parseObject(body, { QStringLiteral("text"), QStringLiteral("target") }, {});
    if (auto* refusal = std::get_if<Reply>(&parsed))
        return *refusal;
    const QJsonObject& object = std::get<QJsonObject>(parsed);
    return m_translator.translate(
        object.value(QStringLiteral("text")).toString(), object.value(QStringLiteral("target")).toString());
}

Reply Routes::refine(const QByteArray& body) const
{
    auto parsed = parseObject(
        body, { QStringLiteral("text") }, { QStringLiteral("prompt"), QStringLiteral("apiKey") });
    if (auto* refusal = std::get_if<Reply>(&parsed))
        return *refusal;
    const QJsonObject& object = std::get<QJsonObject>(parsed);
    return m_gemini.refine(object.value(QStringLiteral("text")).toString(),
        object.value(QStringLiteral("prompt")).toString(), object.value(QStringLiteral("apiKey")).toString());
}

Reply Routes::audio(const QString& source) const
{
    if (source.isEmpty())
        return Envelope::failure(
            400, QStringLiteral("The request needs “src”, the address of the recording."));
    return m_relay.fetch(source);
}
