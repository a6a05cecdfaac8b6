// SPDX-License-Identifier: MIT
#pragma once

#include "SecretStore.h"

#include <memory>

// The Secret Service where one is reachable; a private file where none is,
// so that a desktop without a keyring can still keep a secret.
//
// The file takes a secret only when the service is unreachable, not when it
// merely fails (a locked keyring, a dismissed prompt): a failure must not move
// the secret to a weaker place. A secret saved while no service ran is still
// read from the file when the service has none; once the service holds it
// again, the copy in the file is removed. remove() clears both places.
class FallbackSecretStore final : public SecretStore {
public:
    FallbackSecretStore(std::unique_ptr<SecretStore> primary, std::unique_ptr<SecretStore> fallback);

    Lookup read(const QString& service, const QString& account) override;
    Status save(const QByteArray& secret, const QString& service, const QString& account) override;
    Status remove(const QString& service, const QString& account) override;

private:
    std::unique_ptr<SecretStore> m_primary;
    std::unique_ptr<SecretStore> m_fallback;
};
