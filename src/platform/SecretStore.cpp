// SPDX-License-Identifier: MIT
#include "SecretStore.h"

#include "FallbackSecretStore.h"
#include "FileSecretStore.h"
#include "SecretServiceStore.h"

SecretStore& SecretStore::forSession()
{
    static FallbackSecretStore store(
        std::make_unique<SecretServiceStore>(), std::make_unique<FileSecretStore>());
    return store;
}
