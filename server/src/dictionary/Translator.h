// SPDX-License-Identifier: MIT
#pragma once

#include "ApertiumTranslator.h"
#include "DictionarySet.h"
#include "Envelope.h"
#include "LanguageDetector.h"
#include "TranslationProvider.h"
#include "WordNet.h"

#include <QString>
#include <optional>

// Translation: words and short phrases from the offline dictionaries, to or
// from English; anything else through the optional translation service, and
// English into Spanish offline with Apertium when there is none or it fails.
class Translator {
public:
    static constexpr int kMaxTextLength = 5000;
    static constexpr int kMaxDictionaryWords = 4;

    Translator(const DictionarySet& dictionaries, const WordNet& wordNet, const TranslationProvider& provider,
        const ApertiumTranslator& offline);

    // A `TranslationResult` envelope.
    Reply translate(const QString& text, const QString& target) const;

    // Whether a text is short enough for a dictionary to hold it.
    static bool isDictionarySized(const QString& text);
    // "Russian" for "ru", "English" for "en"; the code itself when unknown.
    static QString languageName(const QString& code);
    static bool isSupportedTarget(const QString& code);

private:
    std::optional<QString> fromDictionaries(
        const QString& text, const QString& source, const QString& target) const;
    std::optional<QString> fromEnglish(const QString& word, const QString& target) const;
    // From the Ding dictionary, looking `word` up on `side`.
    std::optional<QString> fromDing(const QString& word, DingDictionary::Side side) const;
    // Whether a dictionary into English translates `term` back into `word`.
    bool translatesBack(const QString& term, const QString& word, const QString& language) const;
    Reply viaProvider(const QString& text, const QString& source, const QString& target) const;
    // Apertium's answer, or nothing when it cannot take this text or is not installed.
    std::optional<Reply> offline(const QString& text, const QString& source, const QString& target) const;
    static Reply result(
        const QString& text, const QString& translated, const QString& source, const QString& target);

    const DictionarySet& m_dictionaries;
    const WordNet& m_wordNet;
    const TranslationProvider& m_provider;
    const ApertiumTranslator& m_offline;
    LanguageDetector m_detector;
};
