// SPDX-License-Identifier: MIT
#include "GeminiKeyStore.h"

#include "GeminiKeyManager.h"

namespace {

class KeychainGeminiKeyStore final : public GeminiKeyStore {
public:
    bool hasKey() override { return GeminiKeyManager::hasKey(); }
    std::optional<QString> maskedKey() override { return GeminiKeyManager::maskedKey(); }
    bool save(const QString& key) override { return GeminiKeyManager::save(key); }
    void remove() override { GeminiKeyManager::remove(); }
};

} // namespace

std::unique_ptr<GeminiKeyStore> GeminiKeyStore::createKeychainStore()
{
    return std::make_unique<KeychainGeminiKeyStore>();
}
