// SPDX-License-Identifier: MIT
#include "Updater.h"

#include <QNetworkReply>
#include <QNetworkRequest>

namespace {

// The whole check, connection included; the feed is a few hundred bytes.
constexpr int kTimeoutMs = 15000;
constexpr const char* kTooLarge = "sorvantelTooLarge";

} // namespace

Updater::Updater(QUrl feed, QVersionNumber current, QObject* parent)
    : QObject(parent)
    , m_feed(std::move(feed))
    , m_current(std::move(current))
{
}

Updater::~Updater()
{
    if (m_reply)
        m_reply->abort();
}

UpdateDialog& Updater::dialog()
{
    if (!m_dialog)
        m_dialog = std::make_unique<UpdateDialog>();
    return *m_dialog;
}

void Updater::checkForUpdates()
{
    if (!hasFeed()) {
        dialog().showNoFeed();
        return;
    }
    m_userWaiting = true;
    dialog().showChecking();
    fetch();
}

void Updater::checkForUpdatesInBackground()
{
    if (hasFeed())
        fetch();
}

void Updater::fetch()
{
    if (m_reply)
        return; // the check under way answers both
    QNetworkRequest request(m_feed);
    request.setTransferTimeout(kTimeoutMs);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(3);
    QNetworkReply* reply = m_network.get(request);
    m_reply = reply;
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received, qint64) {
        if (received > UpdateFeed::maxBytes) {
            reply->setProperty(kTooLarge, true);
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply] { finish(reply); });
}

void Updater::finish(QNetworkReply* reply)
{
    reply->deleteLater();
    const bool userWaiting = std::exchange(m_userWaiting, false);
    QString failure;
    std::variant<UpdateFeed::Release, QString> parsed = QString();
    if (reply->property(kTooLarge).toBool()) {
        failure = QStringLiteral("The update feed is larger than 64 KiB.");
    } else if (reply->error() == QNetworkReply::OperationCanceledError) {
        failure = QStringLiteral("The update server did not answer in time.");
    } else if (reply->error() != QNetworkReply::NoError) {
        failure = reply->errorString();
    } else {
        parsed = UpdateFeed::parse(reply->read(UpdateFeed::maxBytes + 1));
        if (const QString* error = std::get_if<QString>(&parsed))
            failure = *error;
    }

    if (!failure.isEmpty()) {
        if (userWaiting)
            dialog().showFailure(failure);
        else
            qWarning("Sorvantel: update check failed: %s", qUtf8Printable(failure));
        return;
    }
    const UpdateFeed::Release& release = std::get<UpdateFeed::Release>(parsed);
    if (release.version > m_current)
        dialog().showNewer(release, m_current);
    else if (userWaiting)
        dialog().showUpToDate(m_current);
}
