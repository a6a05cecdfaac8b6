// SPDX-License-Identifier: MIT
#pragma once

#include "DictdDictionary.h"
#include "EntryParser.h"
#include "MappedFile.h"

#include <QStringList>
#include <atomic>
#include <optional>
#include <string>
#include <vector>

// X → English where Debian ships only an English → X dictionary: every term
// that an English headword's first senses translate into points back to it.
// Built once from the dictionaries into a text of sorted lines
// ("term<TAB>headword<TAB>headword"), kept in the cache folder and searched
// where it lies.
class ReverseIndex {
public:
    struct Source {
        const DictdDictionary* dictionary;
        EntryParser::Format format;
    };
    // The index text of the sources; empty when `stop` was set meanwhile.
    static std::string build(const std::vector<Source>& sources, const std::atomic<bool>& stop);

    explicit ReverseIndex(MappedFile text);

    // The English headwords for a term, best first.
    QStringList lookup(const QString& term, int max = 3) const;
    bool contains(const QString& term) const;

private:
    MappedFile m_text;
};
