// SPDX-License-Identifier: MIT
#include "TranslationProvider.h"

#include "UpstreamHttp.h"

#include <QJsonDocument>
#include <QJsonObject>

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

    UpstreamHttp::Request call;
    call.url = m_url->origin() + m_url->below(QStringLiteral("/translate"));
    call.method = "POST";
    call.headers = { "Content-Type: application/json" };
    call.body = body;
    call.timeout = m_config.timeout;
    call.maxBytes = m_config.maxAnswerBytes;
    call.cancelled = m_config.cancelled;
    const UpstreamHttp::Response response = UpstreamHttp::send(call);
    if (response.outcome != UpstreamHttp::Outcome::Answered) {
        result.status = 502;
        switch (response.outcome) {
        case UpstreamHttp::Outcome::TimedOut:
            result.status = 504;
            result.error
                = QStringLiteral("The translation service at %1 did not answer in time.").arg(m_config.url);
            break;
        case UpstreamHttp::Outcome::TooLarge:
            result.error = QStringLiteral("The translation service's answer was larger than %1 bytes.")
                               .arg(m_config.maxAnswerBytes);
            break;
        case UpstreamHttp::Outcome::Reset:
            result.error = QStringLiteral("The connection to the translation service broke off.");
            break;
        default:
            result.error = QStringLiteral("Could not reach the translation service at %1.").arg(m_config.url);
        }
        return result;
    }
    const QJsonObject answer = QJsonDocument::fromJson(QByteArray::fromStdString(response.body)).object();
    if (response.status != 200) {
        QString detail = answer.value(QStringLiteral("error")).toString().left(200);
        result.error = QStringLiteral("The translation service refused the request (HTTP %1)%2")
                           .arg(response.status)
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
