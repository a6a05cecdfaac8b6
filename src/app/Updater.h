// SPDX-License-Identifier: MIT
#pragma once

#include "UpdateDialog.h"

#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QUrl>
#include <QVersionNumber>
#include <memory>

class QNetworkReply;

// Looks for a newer Sorvantel in the feed fixed at build time. A check never
// blocks the interface and gives up after a bounded time. A build without a
// feed checks nothing and says that updates come from the package manager.
class Updater : public QObject {
    Q_OBJECT
public:
    Updater(QUrl feed, QVersionNumber current, QObject* parent = nullptr);
    ~Updater() override;
    Q_DISABLE_COPY_MOVE(Updater)

    // "Check for Updates…": the dialog opens at once and shows the outcome.
    void checkForUpdates();
    // At launch: says something only when a newer version exists.
    void checkForUpdatesInBackground();

    bool hasFeed() const { return !m_feed.isEmpty(); }

private:
    void fetch();
    void finish(QNetworkReply* reply);
    UpdateDialog& dialog();

    QUrl m_feed;
    QVersionNumber m_current;
    QNetworkAccessManager m_network;
    QPointer<QNetworkReply> m_reply;
    bool m_userWaiting = false;
    std::unique_ptr<UpdateDialog> m_dialog;
};
