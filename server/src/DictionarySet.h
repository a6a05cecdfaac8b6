// SPDX-License-Identifier: MIT
#pragma once

#include "DictdDictionary.h"
#include "EntryParser.h"
#include "ReverseIndex.h"

#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <vector>

// Every translating dictionary found in a dictd folder, arranged by language
// pair: English → X (FreeDict, and the larger Mueller English–Russian), X →
// English, and a reverse index of English → X where X → English is missing or
// smaller. Loaded once; read-only afterwards, so safe to share across threads.
class DictionarySet {
public:
    struct Source {
        const DictdDictionary* dictionary = nullptr;
        EntryParser::Format format = EntryParser::Format::FreeDict;
        QString name; // file name without extension
    };

    // Loads what `dir` holds; problems with single files become warnings.
    static DictionarySet load(const QString& dir, QStringList* warnings);

    // Best first.
    std::vector<Source> fromEnglish(const QString& target) const;
    std::vector<Source> intoEnglish(const QString& source) const;
    const ReverseIndex* reverseIndex(const QString& source) const;

    // Whether any English → X dictionary has this headword.
    bool hasEnglishHeadword(const QString& headword) const;
    // Our language code for a three-letter code in a FreeDict file name, or empty.
    static QString languageCode(const QString& iso639_3);

    std::size_t dictionaryCount() const { return m_dictionaries.size(); }
    std::size_t memorySize() const;
    QStringList describe() const;

private:
    struct Loaded {
        QString name;
        QString from;
        QString to;
        EntryParser::Format format;
        std::unique_ptr<DictdDictionary> dictionary;
    };
    std::vector<Loaded> m_dictionaries;
    std::map<QString, std::unique_ptr<ReverseIndex>> m_reverse;
};
