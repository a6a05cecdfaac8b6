// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

// The English WordNet database, read once: which lemmas exist in which part of
// speech, how often their senses were seen in the tagged corpus, and the
// gloss of each lemma's first sense. Inflected forms are reduced with
// WordNet's own exception lists and suffix rules (the "morphy" rules of wndb(5)).
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

    // Reads the index, data and exception files of `dir` (/usr/share/wordnet).
    static std::optional<WordNet> load(const QString& dir, QString* error);

    // The entry for a word as a reader meets it ("running" → run, "geese" → goose).
    std::optional<Entry> lookup(const QString& word) const;
    // The base forms `word` may be an inflection of, per part of speech, as morphy finds them.
    std::vector<std::pair<PartOfSpeech, std::string>> baseForms(const QString& word) const;
    // The lemma a lookup lands on, or nullopt when WordNet does not know the word.
    std::optional<std::string> headword(const QString& word) const;
    bool contains(const QString& word) const { return headword(word).has_value(); }

    std::size_t lemmaCount() const { return m_lemmas.size(); }

    static QString partOfSpeechName(PartOfSpeech pos);
    // Lower case, trimmed, inner spaces as underscores, typographic apostrophes plain.
    static std::string normalise(const QString& word);

private:
    struct LemmaInfo {
        // Per part of speech: -1 when the lemma lacks it, else the tagged-sense count.
        std::array<int, 4> tagCount { -1, -1, -1, -1 };
        std::array<std::uint32_t, 4> firstGloss {}; // index into m_glosses
    };
    const LemmaInfo* info(const std::string& lemma) const;
    bool has(const std::string& lemma, PartOfSpeech pos) const;

    std::unordered_map<std::string, LemmaInfo> m_lemmas;
    std::array<std::unordered_map<std::string, std::vector<std::string>>, 4> m_exceptions;
    std::vector<QString> m_glosses;
};
