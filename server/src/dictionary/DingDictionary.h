// SPDX-License-Identifier: MIT
#pragma once

#include "MappedFile.h"

#include <QString>
#include <QStringList>
#include <string>
#include <string_view>
#include <vector>

// The Ding German–English dictionary (Debian's trans-de-en): one entry per
// line, "German | … :: English | …". The " | " parts run in parallel on both
// sides: the first is the entry itself, the others its inflections and
// phrases. ";" separates synonyms, which carry {gender or part of speech},
// [labels] and (qualifiers). The text is mapped where it lies and searched
// through two indexes of sorted lines (a term of an entry's first part, then
// the offsets of the lines that hold it), built once into the cache folder.
class DingDictionary {
public:
    enum class Side { German, English };
    enum class Kind { Unknown, Noun, Verb, Adjective, Adverb };

    // One line as the translation of a word found on one side of it.
    struct Entry {
        QStringList terms; // the other side's synonyms, markup removed, dated and regional ones dropped
        Kind kind = Kind::Unknown;
        bool primary = false; // the word is the first synonym, without a label that narrows it
        bool marked = false; // labelled dated, colloquial, regional, figurative or a trade's
        int parts = 1; // how many phrases and forms the entry lists: common words have many
    };

    // The index of one side's terms for a Ding text.
    static std::string buildIndex(std::string_view text, Side side);
    // The entry a line gives for `word`, found on side `side`.
    static Entry parseLine(std::string_view line, Side side, const QString& word);
    // Best first: the word's own entries, those of `preferred` (unless
    // Unknown), unmarked ones, then the richer ones (up to ten parts: past
    // that, the file's own order, which puts the main sense first).
    static void order(std::vector<Entry>& entries, Kind preferred);
    // A synonym without its markup: "Schlüssel {m} (zu/für etw.)" → "Schlüssel".
    static QString clean(const QString& synonym);

    DingDictionary(MappedFile text, MappedFile germanIndex, MappedFile englishIndex);
    // The lines that have `word` among the first part's synonyms on `side`, in file order.
    std::vector<Entry> lookup(const QString& word, Side side) const;

private:
    MappedFile m_text;
    MappedFile m_germanIndex;
    MappedFile m_englishIndex;
};
