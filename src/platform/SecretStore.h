// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

// Keeps small secrets of the user's, each addressed by a (service, account)
// pair of texts. Calls are synchronous, from the main thread, and bounded in
// time: none waits on a user prompt or an unresponsive service for long.
class SecretStore {
public:
    enum class Status {
        ok,
        notFound, // read only: the store answered, and has no such item
        unavailable, // no store of this kind is reachable in this session
        failed, // the store is there but the call did not succeed (locked, refused, timed out)
    };

    struct Lookup {
        Status status = Status::notFound;
        QByteArray secret; // when ok: the stored bytes exactly
    };

    virtual ~SecretStore() = default;

    virtual Lookup read(const QString& service, const QString& account) = 0;
    // Replaces any earlier secret of the same pair.
    virtual Status save(const QByteArray& secret, const QString& service, const QString& account) = 0;
    // Removing an absent item is ok.
    virtual Status remove(const QString& service, const QString& account) = 0;

    // The store of this session, for the life of the process: the desktop's
    // Secret Service, or, where none is reachable, a file only the user can
    // read (see FallbackSecretStore).
    static SecretStore& forSession();
};
