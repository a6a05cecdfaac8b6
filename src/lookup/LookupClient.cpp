// SPDX-License-Identifier: MIT
#include "LookupClient.h"

#include "GeminiKeyManager.h"

#include <QCoreApplication>
#include <QCoroNetworkReply>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>

namespace {

// One manager for the whole program, like the platform's shared session: it
// keeps connections alive across calls. It belongs to the application object,
// so it goes away with it.
QNetworkAccessManager& sharedNetwork()
{
    static QPointer<QNetworkAccessManager> manager;
    if (!manager)
        manager = new QNetworkAccessManager(QCoreApplication::instance());
    return *manager;
}

QString queryItem(const QString& name, const QString& value)
{
    return name + QLatin1Char('=') + QString::fromLatin1(QUrl::toPercentEncoding(value));
}

QByteArray compactJson(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

// Failures of the exchange itself, as opposed to an HTTP answer with an error
// status, whose body still decides the outcome.
bool isTransportFailure(const QNetworkReply& reply)
{
    const QNetworkReply::NetworkError error = reply.error();
    if (error == QNetworkReply::NoError)
        return false;
    const bool networkOrProxy = error < QNetworkReply::ContentAccessDenied; // codes 1..199
    return networkOrProxy || error == QNetworkReply::ProtocolFailure
        || !reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
}

LookupError unexpectedResponse(int status)
{
    return LookupError::server(
        QStringLiteral("Server returned an unexpected response (HTTP %1).").arg(status));
}

// What one exchange has received so far; shared with the reply's handlers.
struct Transfer {
    QByteArray body;
    bool oversized = false;
};

} // namespace

LookupClient::LookupClient(QUrl base, std::chrono::milliseconds timeout)
    : m_base(std::move(base))
    , m_timeout(timeout)
{
}

QUrl LookupClient::endpoint(const QString& path) const
{
    // The same endpoints whether or not the base ends in a slash.
    QUrl url = m_base;
    QString basePath = url.path(QUrl::FullyDecoded);
    if (!basePath.endsWith(QLatin1Char('/')))
        basePath += QLatin1Char('/');
    // Decoded mode: whatever may not stand in a path is percent-encoded on the
    // way out (a space as %20, a literal "%" as %25); "/" is kept.
    url.setPath(basePath + path, QUrl::DecodedMode);
    return url;
}

QNetworkRequest LookupClient::prepare(const QUrl& url) const
{
    QNetworkRequest request(url);
    request.setTransferTimeout(int(m_timeout.count()));
    return request;
}

QNetworkRequest LookupClient::prepareJson(const QUrl& url) const
{
    QNetworkRequest request = prepare(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    return request;
}

QCoro::Task<LookupResult<DictionaryEntry>> LookupClient::lookup(
    QString word, QString accent, std::shared_ptr<Cancellation> cancellation) const
{
    QUrl url = endpoint(QStringLiteral("lookup/") + word);
    if (url.isValid())
        url.setQuery(queryItem(QStringLiteral("accent"), accent), QUrl::StrictMode);
    if (!url.isValid())
        return [](LookupError error) -> QCoro::Task<LookupResult<DictionaryEntry>> { co_return error; }(
                                         LookupError::server(QStringLiteral("Bad lookup URL")));
    return request<DictionaryEntry>(prepare(url), QByteArray(), std::move(cancellation));
}

QCoro::Task<LookupResult<TranslationResult>> LookupClient::translate(
    QString text, QString target, std::shared_ptr<Cancellation> cancellation) const
{
    const QNetworkRequest httpRequest = prepareJson(endpoint(QStringLiteral("translate")));
    QJsonObject body;
    body.insert(QLatin1String("text"), text);
    body.insert(QLatin1String("target"), target);
    return request<TranslationResult>(httpRequest, compactJson(body), std::move(cancellation));
}

QCoro::Task<LookupResult<RefineResult>> LookupClient::refine(
    QString text, QString prompt, std::shared_ptr<Cancellation> cancellation) const
{
    const QNetworkRequest httpRequest = prepareJson(endpoint(QStringLiteral("refine")));
    QJsonObject body;
    body.insert(QLatin1String("text"), text);
    const QString trimmedPrompt = prompt.trimmed();
    if (!trimmedPrompt.isEmpty())
        body.insert(QLatin1String("prompt"), trimmedPrompt);
    // The key travels in this body member only: never in the address or a header.
    if (const std::optional<QString> key = GeminiKeyManager::read())
        body.insert(QLatin1String("apiKey"), *key);
    return request<RefineResult>(httpRequest, compactJson(body), std::move(cancellation));
}

std::optional<QUrl> LookupClient::audioProxyURL(const QString& audioUrl) const
{
    QUrl url = endpoint(QStringLiteral("audio"));
    if (!url.isValid())
        return std::nullopt;
    // Every "?", "&", "=" and "#" of the recording's address is escaped, so
    // that it arrives whole as the one "src" value.
    url.setQuery(queryItem(QStringLiteral("src"), audioUrl), QUrl::StrictMode);
    if (!url.isValid())
        return std::nullopt;
    return url;
}

template <typename T>
QCoro::Task<LookupResult<T>> LookupClient::request(
    QNetworkRequest request, QByteArray body, std::shared_ptr<Cancellation> cancellation)
{
    if (cancellation && cancellation->isCancelled())
        co_return LookupError::backendUnreachable();

    QNetworkAccessManager& network = sharedNetwork();
    std::unique_ptr<QNetworkReply, void (*)(QNetworkReply*)> reply(
        body.isNull() ? network.get(request) : network.post(request, body),
        [](QNetworkReply* reply) { reply->deleteLater(); });

    auto transfer = std::make_shared<Transfer>();
    QNetworkReply* raw = reply.get();
    auto refuse = [raw, transfer] {
        transfer->oversized = true;
        transfer->body.clear();
        raw->abort();
    };
    QObject::connect(raw, &QNetworkReply::metaDataChanged, raw, [raw, refuse] {
        bool known = false;
        const qint64 length = raw->header(QNetworkRequest::ContentLengthHeader).toLongLong(&known);
        if (known && length > maxBodyBytes)
            refuse();
    });
    QObject::connect(raw, &QNetworkReply::readyRead, raw, [raw, transfer, refuse] {
        if (transfer->oversized)
            return;
        transfer->body += raw->readAll();
        if (transfer->body.size() > maxBodyBytes)
            refuse();
    });
    // Queued: aborting finishes the reply, which would resume the awaiting
    // load inside its canceller's cancel() call.
    if (cancellation)
        QObject::connect(
            cancellation.get(), &Cancellation::cancelled, raw, &QNetworkReply::abort, Qt::QueuedConnection);

    co_await reply.get();

    const QVariant statusAttribute = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const int status = statusAttribute.isValid() ? statusAttribute.toInt() : 0;
    if (!transfer->oversized && reply->isOpen()) {
        transfer->body += reply->readAll();
        if (transfer->body.size() > maxBodyBytes)
            transfer->oversized = true;
    }
    if (transfer->oversized)
        co_return unexpectedResponse(status);
    if ((cancellation && cancellation->isCancelled()) || isTransportFailure(*reply))
        co_return LookupError::backendUnreachable();

    std::optional<APIEnvelope<T>> envelope = APIEnvelope<T>::fromBody(transfer->body);
    if (!envelope)
        co_return unexpectedResponse(status);
    if (envelope->success && envelope->data)
        co_return std::move(*envelope->data);
    co_return LookupError::server(envelope->error.value_or(QStringLiteral("Unknown backend error")));
}
