// SPDX-License-Identifier: MIT
#pragma once

#include "MappedFile.h"

#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The English WordNet database, its sorted index files searched where they
// lie: which lemmas exist in which part of speech, how often their senses
// were seen in the tagged corpus, and the gloss of each lemma's first sense.
// Inflected forms are reduced with WordNet's own exception lists and suffix
// rules (the "morphy" rules of wndb(5)). Read-only, so safe to share.
class WordNet {
public:
    enum class PartOfSpeech { Noun, Verb, Adjective, Adverb };
    static constexpr std::array<PartOfSpeech, 4> kPartsOfSpeech
        = { PartOfSpeech::Noun, PartOfSpeech::Verb, PartOfSpeech::Adjective, PartOfSpeech::Adverb };

    struct Sense {
        PartOfSpeech partOfSpeech;
        QString gloss; // definition without the usage examples
    };
    struct Entry {
        QString lemma; // as WordNet spells it, spaces for underscores
        std::vector<Sense> firstSenses; // one per part of speech, in noun, verb, adjective, adverb order
    };

    // Maps the index, data and exception files of `dir` (/usr/share/wordnet).
    static std::optional<WordNet> load(const QString& dir, QString* error);

    // The entry for a word as a reader meets it ("running" → run, "geese" → goose).
    std::optional<Entry> lookup(const QString& word) const;
    // The base forms `word` may be an inflection of, per part of speech, as morphy finds them.
    std::vector<std::pair<PartOfSpeech, std::string>> baseForms(const QString& word) const;
    // The lemma a lookup lands on, or nullopt when WordNet does not know the word.
    std::optional<std::string> headword(const QString& word) const;
    bool contains(const QString& word) const { return headword(word).has_value(); }

    // The part of speech a word is used in at least twice as often as in any
    // other, by the tagged corpus; nullopt when none stands out.
    std::optional<PartOfSpeech> commonPartOfSpeech(const QString& word) const;

    static QString partOfSpeechName(PartOfSpeech pos);
    // Lower case, trimmed, inner spaces as underscores, typographic apostrophes plain.
    static std::string normalise(const QString& word);

private:
    struct LemmaInfo {
        // Per part of speech: whether the lemma has it.
        std::array<bool, 4> present {};
        std::array<std::uint64_t, 4> firstSynset {}; // offset into the data file
    };
    std::optional<LemmaInfo> info(std::string_view lemma) const;
    bool has(std::string_view lemma, PartOfSpeech pos) const;
    QString gloss(PartOfSpeech pos, std::uint64_t offset) const;
    // How often a lemma occurs in the sense-tagged corpus (cntlist.rev), in
    // one part of speech or in all.
    int occurrences(std::string_view lemma, std::optional<PartOfSpeech> pos) const;

    std::array<MappedFile, 4> m_index;
    std::array<MappedFile, 4> m_data;
    std::array<MappedFile, 4> m_exceptions;
    MappedFile m_counts;
};
