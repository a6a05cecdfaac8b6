// SPDX-License-Identifier: MIT
#pragma once

#include "DictdDictionary.h"
#include "EntryParser.h"

#include <QStringList>
#include <string>
#include <unordered_map>
#include <vector>

// X → English where Debian ships only an English → X dictionary: every term
// that an English headword's first senses translate into points back to it.
class ReverseIndex {
public:
    void add(const DictdDictionary& englishToX, EntryParser::Format format);
    // Orders each term's headwords by how prominently they translate into it.
    void finish();

    // The English headwords for a term, best first.
    QStringList lookup(const QString& term, int max = 3) const;
    bool contains(const QString& term) const;
    std::size_t termCount() const { return m_terms.size(); }

private:
    struct Hit {
        std::uint16_t rank; // sense * 4 + position in the sense: lower is more direct
        std::uint32_t headword;
    };
    std::vector<std::string> m_headwords;
    std::unordered_map<std::string, std::vector<Hit>> m_terms;
};
