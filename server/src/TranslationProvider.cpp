// SPDX-License-Identifier: MIT
#include "TranslationProvider.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <httplib.h>

TranslationProvider::TranslationProvider(Config config)
    : m_config(std::move(config))
    , m_url(m_config.url.isEmpty() ? std::nullopt : HttpUrl::parse(m_config.url))
{
}

QString TranslationProvider::toServiceCode(const QString& code)
{
    return code == QLatin1String("zh-CN") ? QStringLiteral("zh") : code;
}

QString TranslationProvider::fromServiceCode(const QString& code)
{
    return code == QLatin1String("zh") || code == QLatin1String("zh-Hans") ? QStringLiteral("zh-CN") : code;
}

TranslationProvider::Result TranslationProvider::translate(
    const QString& text, const QString& source, const QString& target) const
{
    Result result;
    if (!m_url) {
        result.error = QStringLiteral("No translation service is configured.");
        result.status = 503;
        return result;
    }
    QJsonObject request;
    request.insert(QStringLiteral("q"), text);
    request.insert(QStringLiteral("source"), toServiceCode(source));
    request.insert(QStringLiteral("target"), toServiceCode(target));
    request.insert(QStringLiteral("format"), QStringLiteral("text"));
    if (!m_config.apiKey.empty())
        request.insert(QStringLiteral("api_key"), QString::fromStdString(m_config.apiKey));
    const std::string body = QJsonDocument(request).toJson(QJsonDocument::Compact).toStdString();

    httplib::Client client(m_url->origin());
    client.set_connection_timeout(m_config.timeout);
    client.set_read_timeout(m_config.timeout);
    client.set_write_timeout(m_config.timeout);
    const auto response = client.Post(m_url->below(QStringLiteral("/translate")), body, "application/json");
    if (!response) {
        result.error = QStringLiteral("Could not reach the translation service at %1.").arg(m_config.url);
        result.status = 502;
        return result;
    }
    const QJsonObject answer = QJsonDocument::fromJson(QByteArray::fromStdString(response->body)).object();
    if (response->status != 200) {
        QString detail = answer.value(QStringLiteral("error")).toString().left(200);
        result.error = QStringLiteral("The translation service refused the request (HTTP %1)%2")
                           .arg(response->status)
                           .arg(detail.isEmpty() ? QStringLiteral(".") : QStringLiteral(": ") + detail);
        result.status = 502;
        return result;
    }
    const QJsonValue translated = answer.value(QStringLiteral("translatedText"));
    if (!translated.isString()) {
        result.error = QStringLiteral("The translation service gave an answer without a translation.");
        result.status = 502;
        return result;
    }
    result.ok = true;
    result.translated = translated.toString();
    result.detectedSource = fromServiceCode(answer.value(QStringLiteral("detectedLanguage"))
                                                .toObject()
                                                .value(QStringLiteral("language"))
                                                .toString());
    return result;
}
