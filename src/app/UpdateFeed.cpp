// SPDX-License-Identifier: MIT
#include "UpdateFeed.h"

#include <QHostAddress>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

constexpr qsizetype kMaxNotes = 4000;

bool isSafePage(const QUrl& url)
{
    if (!url.isValid() || url.host().isEmpty())
        return false;
    if (url.scheme() == QLatin1String("https"))
        return true;
    const QHostAddress host(url.host());
    return url.scheme() == QLatin1String("http") && !host.isNull() && host.isLoopback();
}

} // namespace

std::variant<UpdateFeed::Release, QString> UpdateFeed::parse(const QByteArray& document)
{
    QJsonParseError error;
    const QJsonDocument json = QJsonDocument::fromJson(document, &error);
    if (!json.isObject())
        return QStringLiteral("The update feed is not a JSON object.");
    const QJsonObject object = json.object();
    Release release;
    release.version = QVersionNumber::fromString(object.value(QLatin1String("version")).toString());
    if (release.version.isNull())
        return QStringLiteral("The update feed names no version.");
    release.downloadPage = QUrl(object.value(QLatin1String("downloadPage")).toString(), QUrl::StrictMode);
    if (!isSafePage(release.downloadPage))
        return QStringLiteral("The update feed's download page is not an https address.");
    release.notes = object.value(QLatin1String("notes")).toString().left(kMaxNotes);
    return release;
}
