// SPDX-License-Identifier: MIT
#include "ReverseIndex.h"

#include <algorithm>

namespace {

int wordCount(std::string_view text)
{
    return text.empty() ? 0 : int(std::count(text.begin(), text.end(), ' ')) + 1;
}

} // namespace

void ReverseIndex::add(const DictdDictionary& englishToX, EntryParser::Format format)
{
    std::string previous;
    std::uint32_t id = 0;
    englishToX.forEachEntry([&](std::string_view key, std::string_view text) {
        if (wordCount(key) > 3)
            return;
        const ParsedEntry entry = EntryParser::parse(text, format);
        if (entry.senses.isEmpty())
            return;
        if (m_headwords.empty() || key != previous) {
            m_headwords.emplace_back(key);
            previous = key;
        }
        id = std::uint32_t(m_headwords.size() - 1);
        for (qsizetype s = 0; s < std::min<qsizetype>(entry.senses.size(), 2); ++s) {
            const QStringList& sense = entry.senses[s];
            for (qsizetype t = 0; t < std::min<qsizetype>(sense.size(), 3); ++t) {
                const std::string term = DictdDictionary::normalise(sense[t]);
                if (term.empty() || wordCount(term) > 4)
                    continue;
                m_terms[term].push_back({ std::uint16_t(s * 4 + t), id });
            }
        }
    });
}

void ReverseIndex::finish()
{
    for (auto& [term, hits] : m_terms) {
        std::stable_sort(
            hits.begin(), hits.end(), [](const Hit& a, const Hit& b) { return a.rank < b.rank; });
        // A term that dozens of headwords mention is too vague to translate back.
        if (hits.size() > 8)
            hits.resize(8);
        hits.shrink_to_fit();
    }
}

QStringList ReverseIndex::lookup(const QString& term, int max) const
{
    QStringList out;
    const auto found = m_terms.find(DictdDictionary::normalise(term));
    if (found == m_terms.end())
        return out;
    for (const Hit& hit : found->second) {
        const QString headword = QString::fromStdString(m_headwords[hit.headword]);
        if (!out.contains(headword))
            out << headword;
        if (out.size() >= max)
            break;
    }
    return out;
}

bool ReverseIndex::contains(const QString& term) const
{
    return m_terms.contains(DictdDictionary::normalise(term));
}
