// SPDX-License-Identifier: MIT
#pragma once

#include "EntryParser.h"

#include <QString>
#include <QStringList>
#include <vector>

// Orders the senses the dictionaries give for a word so that the common
// meaning comes first, not the file's order: a sense another source confirms
// (a second dictionary, or the back-translation of its first term returning
// the word) first, then senses of entries with usage examples before
// specialist ones.
class SenseRanking {
public:
    struct Sense {
        QStringList terms;
        int entryWeight = 0;
        bool confirmed = false;
    };

    // The senses of the entries that are about `word` itself: entries of
    // another word that lists it as a form ("leave" under "left") only when
    // no entry is about the word.
    static std::vector<Sense> sensesOf(const QString& word, const std::vector<ParsedEntry>& entries);
    // Best first; the file's order among equals.
    static std::vector<Sense> order(std::vector<Sense> senses);
    // At most `maxSenses` senses joined by "; ", each at most `maxTerms`
    // terms joined by ", ", no term twice.
    static QString summarise(const std::vector<Sense>& senses, int maxSenses = 4, int maxTerms = 3);
};
