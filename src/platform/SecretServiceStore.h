// SPDX-License-Identifier: MIT
#pragma once

#include "SecretStore.h"

#include <chrono>

typedef struct _GMainContext GMainContext;

// Secrets in the freedesktop Secret Service (GNOME Keyring, KWallet) through
// libsecret, as items with the string attributes "service" and "account" in
// the default collection.
//
// libsecret's synchronous calls wait without limit while a locked keyring's
// unlock prompt is open. So every call here is libsecret's asynchronous one,
// dispatched on a private GLib main context that is iterated until the call
// completes or the deadline passes; then the call is cancelled (which
// dismisses the prompt) and reads as failed. The Qt event loop does not run
// meanwhile: the deadline is the longest the interface can stall.
class SecretServiceStore final : public SecretStore {
public:
    explicit SecretServiceStore(std::chrono::milliseconds deadline = std::chrono::milliseconds(1000));
    ~SecretServiceStore() override;
    SecretServiceStore(const SecretServiceStore&) = delete;
    SecretServiceStore& operator=(const SecretServiceStore&) = delete;

    Lookup read(const QString& service, const QString& account) override;
    Status save(const QByteArray& secret, const QString& service, const QString& account) override;
    Status remove(const QString& service, const QString& account) override;

private:
    struct Call;
    // Starts the call on the private context and waits for its completion or
    // the deadline. Takes the call over.
    Lookup run(Call* call);

    std::chrono::milliseconds m_deadline;
    GMainContext* m_context;
};
