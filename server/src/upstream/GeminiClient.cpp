// SPDX-License-Identifier: MIT
#include "GeminiClient.h"

#include "DefaultRefinePrompt.h"
#include "UpstreamHttp.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

const QString kNoKey = QStringLiteral("Add your Gemini API key in Settings → Refining.");
const QString kBadKey
    = QStringLiteral("Gemini did not accept the API key. Check the key in Settings → Refining.");

QJsonObject textParts(const QString& text)
{
    QJsonObject part;
    part.insert(QStringLiteral("text"), text);
    QJsonObject content;
    content.insert(QStringLiteral("parts"), QJsonArray { part });
    return content;
}

bool mentionsInvalidKey(const QJsonObject& error)
{
    for (const QJsonValue& detail : error.value(QStringLiteral("details")).toArray()) {
        if (detail.toObject().value(QStringLiteral("reason")).toString() == QLatin1String("API_KEY_INVALID"))
            return true;
    }
    return error.value(QStringLiteral("message"))
        .toString()
        .contains(QLatin1String("API key"), Qt::CaseInsensitive);
}

} // namespace

GeminiClient::GeminiClient(Config config)
    : m_config(std::move(config))
    , m_base(HttpUrl::parse(m_config.baseUrl))
{
}

bool GeminiClient::isValidModel(const QString& model)
{
    if (model.isEmpty() || model.size() > 100)
        return false;
    for (QChar c : model) {
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != u'-' && c != u'.' && c != u'_')
            return false;
    }
    return true;
}

bool GeminiClient::isPlausibleKey(const QString& key)
{
    if (key.isEmpty() || key.size() > 256)
        return false;
    // Printable ASCII only: anything else could split the header it travels in.
    for (QChar c : key) {
        if (c.unicode() < 0x21 || c.unicode() > 0x7e)
            return false;
    }
    return true;
}

Reply GeminiClient::refine(const QString& text, const QString& prompt, const QString& apiKey) const
{
    if (text.trimmed().isEmpty())
        return Envelope::failure(400, QStringLiteral("Nothing to refine."));
    if (apiKey.trimmed().isEmpty())
        return Envelope::failure(401, kNoKey);
    if (!isPlausibleKey(apiKey))
        return Envelope::failure(401, kBadKey);
    if (!m_base || !isValidModel(m_config.model))
        return Envelope::failure(
            500, QStringLiteral("The server's Gemini address or model is misconfigured."));

    QJsonObject request;
    const QString instruction = prompt.trimmed().isEmpty() ? defaultRefinePrompt() : prompt;
    request.insert(QStringLiteral("systemInstruction"), textParts(instruction));
    QJsonObject userTurn = textParts(text);
    userTurn.insert(QStringLiteral("role"), QStringLiteral("user"));
    request.insert(QStringLiteral("contents"), QJsonArray { userTurn });
    const std::string body = QJsonDocument(request).toJson(QJsonDocument::Compact).toStdString();

    UpstreamHttp::Request call;
    call.url = m_base->origin()
        + m_base->below(QStringLiteral("/v1beta/models/%1:generateContent").arg(m_config.model));
    call.method = "POST";
    call.headers = { "Content-Type: application/json", "x-goog-api-key: " + apiKey.toStdString() };
    call.body = body;
    call.timeout = m_config.timeout;
    call.maxBytes = m_config.maxAnswerBytes;
    call.cancelled = m_config.cancelled;
    const UpstreamHttp::Response response = UpstreamHttp::send(call);
    switch (response.outcome) {
    case UpstreamHttp::Outcome::Answered:
        break;
    case UpstreamHttp::Outcome::TimedOut:
        return Envelope::failure(504,
            QStringLiteral("Gemini did not answer within %1 seconds. Try again in a moment.")
                .arg(m_config.timeout.count() / 1000.0));
    case UpstreamHttp::Outcome::Reset:
        return Envelope::failure(
            502, QStringLiteral("The connection to Gemini broke off. Try again in a moment."));
    case UpstreamHttp::Outcome::TooLarge:
        return Envelope::failure(
            502, QStringLiteral("Gemini's answer was larger than %1 bytes.").arg(m_config.maxAnswerBytes));
    case UpstreamHttp::Outcome::Cancelled:
        return Envelope::failure(503, QStringLiteral("The server is stopping."));
    default:
        return Envelope::failure(
            502, QStringLiteral("Could not reach Gemini. Check the network connection and try again."));
    }

    const QJsonObject answer = QJsonDocument::fromJson(QByteArray::fromStdString(response.body)).object();
    const int status = response.status;
    if (status != 200) {
        const QJsonObject error = answer.value(QStringLiteral("error")).toObject();
        if (status == 401 || status == 403 || (status == 400 && mentionsInvalidKey(error)))
            return Envelope::failure(401, kBadKey);
        if (status == 429)
            return Envelope::failure(429,
                QStringLiteral("Your Gemini quota is used up for now. Wait a little, or check "
                               "the key's plan in Google AI Studio."));
        if (status == 404)
            return Envelope::failure(
                502, QStringLiteral("Gemini does not offer the model “%1”.").arg(m_config.model));
        return Envelope::failure(502,
            QStringLiteral("Gemini could not rewrite the text (HTTP %1). Try again in a moment.")
                .arg(status));
    }

    QString refined;
    const QJsonArray candidates = answer.value(QStringLiteral("candidates")).toArray();
    if (!candidates.isEmpty()) {
        const QJsonObject content = candidates.first().toObject().value(QStringLiteral("content")).toObject();
        for (const QJsonValue& part : content.value(QStringLiteral("parts")).toArray())
            refined += part.toObject().value(QStringLiteral("text")).toString();
    }
    refined = refined.trimmed();
    if (refined.isEmpty()) {
        const QString blocked = answer.value(QStringLiteral("promptFeedback"))
                                    .toObject()
                                    .value(QStringLiteral("blockReason"))
                                    .toString();
        if (!blocked.isEmpty())
            return Envelope::failure(
                502, QStringLiteral("Gemini declined to rewrite this text (%1).").arg(blocked.left(40)));
        return Envelope::failure(502, QStringLiteral("Gemini answered without any text."));
    }
    QJsonObject data;
    data.insert(QStringLiteral("text"), text);
    data.insert(QStringLiteral("refined"), refined);
    data.insert(QStringLiteral("model"), m_config.model);
    return Envelope::success(data);
}
