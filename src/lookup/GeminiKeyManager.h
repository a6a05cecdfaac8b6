// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <optional>

// The user's Gemini API key, kept under service "com.sorvantel.gemini",
// account "apiKey". It leaves the store only as the rewrite request's
// "apiKey" body member and, masked, on screen.
namespace GeminiKeyManager {

inline const QString service = QStringLiteral("com.sorvantel.gemini");
inline const QString account = QStringLiteral("apiKey");

std::optional<QString> read();
// Stores the key as given; callers trim it and refuse an empty one first.
// False when the store did not take it.
bool save(const QString& key);
void remove();
// True when a key is stored, an empty one included.
bool hasKey();
// Four bullets and the key's last four characters (all of a shorter key).
std::optional<QString> maskedKey();

} // namespace GeminiKeyManager
