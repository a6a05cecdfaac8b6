// SPDX-License-Identifier: MIT
#pragma once

#include "AppSettings.h"
#include "Cancellation.h"
#include "LookupResult.h"
#include "WireModels.h"

#include <QCoroTask>
#include <QNetworkRequest>
#include <QUrl>
#include <chrono>
#include <memory>
#include <optional>

// Speaks the backend's HTTP JSON protocol. Holds only its base address and
// time-out, so any number of clients may exist; a client may be destroyed
// while its calls are in flight. Calls run on the main thread and suspend,
// without blocking it, while the exchange is in flight. A call whose
// Cancellation is cancelled aborts its exchange and ends in
// backendUnreachable, which the caller is expected to discard.
class LookupClient {
public:
    // Anything bigger than this is no answer of the backend's; it is refused
    // as an unexpected response instead of being held in memory.
    static constexpr qint64 maxBodyBytes = 8 * 1024 * 1024;

    explicit LookupClient(QUrl base = AppSettings::defaultServerURL(),
        std::chrono::milliseconds timeout = std::chrono::seconds(60));

    // GET <base>/lookup/<word>?accent=<accent>
    QCoro::Task<LookupResult<DictionaryEntry>> lookup(
        QString word, QString accent, std::shared_ptr<Cancellation> cancellation = nullptr) const;
    // POST <base>/translate {"text", "target"}
    QCoro::Task<LookupResult<TranslationResult>> translate(
        QString text, QString target, std::shared_ptr<Cancellation> cancellation = nullptr) const;
    // POST <base>/refine {"text", "prompt" unless blank, "apiKey" when one is stored}
    QCoro::Task<LookupResult<RefineResult>> refine(
        QString text, QString prompt, std::shared_ptr<Cancellation> cancellation = nullptr) const;

    // <base>/audio?src=<audioUrl>, the address under which the backend relays
    // a pronunciation recording; none when it cannot be formed.
    std::optional<QUrl> audioProxyURL(const QString& audioUrl) const;

private:
    QUrl endpoint(const QString& path) const;
    QNetworkRequest prepare(const QUrl& url) const;
    // A request whose body is JSON.
    QNetworkRequest prepareJson(const QUrl& url) const;

    template <typename T>
    static QCoro::Task<LookupResult<T>> request(
        QNetworkRequest request, QByteArray body, std::shared_ptr<Cancellation> cancellation);

    QUrl m_base;
    std::chrono::milliseconds m_timeout;
};
