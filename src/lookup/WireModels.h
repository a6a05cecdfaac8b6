// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <optional>

// The backend's JSON records. Texts are kept exactly as received.

// Answer to a word lookup.
struct DictionaryEntry {
    QString word;
    QString accent;
    std::optional<QString> ipa;
    std::optional<QString> definition;
    std::optional<QString> audioUrl;
    std::optional<QString> pageUrl;
};

// Answer to a translation.
struct TranslationResult {
    QString text;
    QString translated;
    QString sourceLanguage;
    QString targetLanguage;
};

// Answer to a rewrite: `refined` holds the variants separated by "---" lines.
struct RefineResult {
    QString text;
    QString refined;
    QString model;
};

// The envelope every answer comes in.
template <typename T>
struct APIEnvelope {
    bool success = false;
    std::optional<T> data;
    std::optional<QString> error;
};
