// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <memory>
#include <optional>

// Where the settings window keeps the user's Gemini key: the operations of
// GeminiKeyManager, behind an interface so that a test can play a keyring
// that refuses to store.
class GeminiKeyStore {
public:
    virtual ~GeminiKeyStore() = default;

    virtual bool hasKey() = 0;
    virtual std::optional<QString> maskedKey() = 0;
    // False when the key was not stored.
    virtual bool save(const QString& key) = 0;
    virtual void remove() = 0;

    // The session's keyring (or private file), through GeminiKeyManager.
    static std::unique_ptr<GeminiKeyStore> createKeychainStore();
};
