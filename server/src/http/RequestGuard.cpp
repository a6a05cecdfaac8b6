// SPDX-License-Identifier: MIT
#include "RequestGuard.h"

#include <string>

RequestGuard::RequestGuard(QString ownAuthority)
    : m_ownAuthority(ownAuthority.toLower())
    , m_ownOrigin(QStringLiteral("http://") + ownAuthority.toLower())
{
}

std::optional<Reply> RequestGuard::checkHost(std::string_view host) const
{
    if (QString::fromUtf8(host.data(), qsizetype(host.size())).trimmed().toLower() == m_ownAuthority)
        return std::nullopt;
    return Envelope::failure(
        403, QStringLiteral("This server answers only requests addressed to %1.").arg(m_ownAuthority));
}

std::optional<Reply> RequestGuard::checkCaller(std::string_view origin, std::string_view fetchSite) const
{
    const QString originText = QString::fromUtf8(origin.data(), qsizetype(origin.size())).trimmed().toLower();
    if (!originText.isEmpty() && originText != m_ownOrigin)
        return Envelope::failure(403, QStringLiteral("Requests from web pages are not answered."));
    const std::string_view site = fetchSite;
    if (!site.empty() && site != "same-origin" && site != "none")
        return Envelope::failure(403, QStringLiteral("Requests from web pages are not answered."));
    return std::nullopt;
}

std::optional<Reply> RequestGuard::checkJsonBody(std::string_view contentType)
{
    QString type = QString::fromUtf8(contentType.data(), qsizetype(contentType.size()));
    type = type.left(type.indexOf(u';')).trimmed().toLower();
    if (type == QLatin1String("application/json"))
        return std::nullopt;
    return Envelope::failure(
        415, QStringLiteral("The request body must be JSON (Content-Type: application/json)."));
}

std::optional<Reply> RequestGuard::checkBodyFraming(bool needsBody,
    std::optional<std::string_view> contentLength, bool hasTransferEncoding, std::string_view contentEncoding,
    std::size_t maxBytes)
{
    if (hasTransferEncoding || (needsBody && !contentLength))
        return Envelope::failure(411, QStringLiteral("The request body must be sent with a Content-Length."));
    const QString codings = QString::fromUtf8(contentEncoding.data(), qsizetype(contentEncoding.size()));
    for (const QString& coding : codings.split(u',')) {
        const QString name = coding.trimmed().toLower();
        if (!name.isEmpty() && name != QLatin1String("identity"))
            return Envelope::failure(415, QStringLiteral("The request body must be sent uncompressed."));
    }
    if (!contentLength)
        return std::nullopt;
    const std::string_view length = *contentLength;
    if (length.empty() || length.find_first_not_of("0123456789") != std::string_view::npos)
        return Envelope::failure(400, QStringLiteral("Malformed request."));
    // Eighteen digits exceed any cap; more would overflow the conversion.
    if (length.size() > 18 || std::stoull(std::string(length)) > maxBytes)
        return Envelope::failure(
            413, QStringLiteral("The request body is larger than %1 KiB.").arg(maxBytes / 1024));
    return std::nullopt;
}
