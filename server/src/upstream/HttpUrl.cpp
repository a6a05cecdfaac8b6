// SPDX-License-Identifier: MIT
#include "HttpUrl.h"

#include <QUrl>

std::optional<HttpUrl> HttpUrl::parse(const QString& text)
{
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.isRelative())
        return std::nullopt;
    const QString scheme = url.scheme().toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        return std::nullopt;
    if (url.host().isEmpty() || !url.userInfo().isEmpty())
        return std::nullopt;
    HttpUrl out;
    out.scheme = scheme;
    out.host = url.host(QUrl::FullyEncoded).toLower();
    out.port = url.port(scheme == QLatin1String("https") ? 443 : 80);
    out.target = url.path(QUrl::FullyEncoded);
    if (out.target.isEmpty())
        out.target = QStringLiteral("/");
    if (url.hasQuery())
        out.target += u'?' + url.query(QUrl::FullyEncoded);
    return out;
}

std::string HttpUrl::origin() const
{
    const QString hostPart = host.contains(u':') ? u'[' + host + u']' : host;
    return QStringLiteral("%1://%2:%3").arg(scheme, hostPart).arg(port).toStdString();
}

std::string HttpUrl::below(const QString& path) const
{
    QString base = target;
    const qsizetype query = base.indexOf(u'?');
    if (query >= 0)
        base.truncate(query);
    while (base.endsWith(u'/'))
        base.chop(1);
    return (base + (path.startsWith(u'/') ? path : u'/' + path)).toStdString();
}
