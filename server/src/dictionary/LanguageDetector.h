// SPDX-License-Identifier: MIT
#pragma once

#include "DictionarySet.h"
#include "WordNet.h"

#include <QString>

// Tells which language a word or short phrase is in: the writing system first,
// then, for Latin script, which dictionary knows it (English before others).
class LanguageDetector {
public:
    enum class Script { None, Latin, Cyrillic, Greek, Hebrew, Arabic, Devanagari, Hangul, Kana, Han, Other };

    LanguageDetector(const DictionarySet& dictionaries, const WordNet& wordNet);

    // A language code, or empty when the text gives no clue.
    QString detect(const QString& text) const;

    // Whether a sentence is English: English knows at least half of its
    // words and no other language knows more.
    bool isMostlyEnglish(const QString& text) const;

    // The writing system most of the letters belong to.
    static Script script(const QString& text);
    // The language a script alone decides, or empty for Latin, Han and unknown ones.
    static QString languageOfScript(Script script, const QString& text);

private:
    QString detectLatin(const QString& text) const;
    bool knows(const QString& code, const QString& phrase) const;

    const DictionarySet& m_dictionaries;
    const WordNet& m_wordNet;
};
