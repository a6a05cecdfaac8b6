// SPDX-License-Identifier: MIT
#include "ReverseIndex.h"

#include "SortedLines.h"

#include <algorithm>
#include <map>

namespace {

int wordCount(std::string_view text)
{
    return text.empty() ? 0 : int(std::count(text.begin(), text.end(), ' ')) + 1;
}

// A term that dozens of headwords mention is too vague to translate back.
constexpr std::size_t kMaxHeadwords = 8;

} // namespace

std::string ReverseIndex::build(const std::vector<Source>& sources, const std::atomic<bool>& stop)
{
    struct Hit {
        int rank; // sense * 4 + position in the sense: lower is more direct
        std::uint32_t headword;
    };
    std::vector<std::string> headwords;
    std::map<std::string, std::vector<Hit>> terms;
    for (const Source& source : sources) {
        source.dictionary->forEachEntry([&](std::string_view key, std::string_view text) {
            if (stop.load(std::memory_order_relaxed) || wordCount(key) > 3)
                return;
            const ParsedEntry entry = EntryParser::parse(text, source.format);
            if (entry.senses.isEmpty())
                return;
            if (headwords.empty() || key != headwords.back())
                headwords.emplace_back(key);
            const auto id = std::uint32_t(headwords.size() - 1);
            for (qsizetype s = 0; s < std::min<qsizetype>(entry.senses.size(), 2); ++s) {
                const QStringList& sense = entry.senses[s];
                for (qsizetype t = 0; t < std::min<qsizetype>(sense.size(), 3); ++t) {
                    const std::string term = DictdDictionary::normalise(sense[t]);
                    // Tabs and line breaks would break the line format.
                    if (term.empty() || wordCount(term) > 4
                        || term.find_first_of("\t\n") != std::string::npos)
                        continue;
                    terms[term].push_back({ int(s * 4 + t), id });
                }
            }
        });
    }
    if (stop.load())
        return {};
    std::string text;
    for (auto& [term, hits] : terms) {
        std::stable_sort(
            hits.begin(), hits.end(), [](const Hit& a, const Hit& b) { return a.rank < b.rank; });
        text += term;
        std::vector<std::string_view> written;
        for (const Hit& hit : hits) {
            if (written.size() >= kMaxHeadwords)
                break;
            const std::string_view headword = headwords[hit.headword];
            if (std::find(written.begin(), written.end(), headword) != written.end())
                continue;
            written.push_back(headword);
            text += '\t';
            text += headwords[hit.headword];
        }
        text += '\n';
    }
    return text;
}

ReverseIndex::ReverseIndex(MappedFile text)
    : m_text(std::move(text))
{
}

QStringList ReverseIndex::lookup(const QString& term, int max) const
{
    QStringList out;
    const std::string_view line = SortedLines::find(m_text.bytes(), DictdDictionary::normalise(term), '\t');
    std::size_t at = line.find('\t');
    while (at != std::string_view::npos && out.size() < max) {
        const std::size_t end = line.find_first_of("\t\n", at + 1);
        const std::string_view headword
            = line.substr(at + 1, end == std::string_view::npos ? end : end - at - 1);
        out << QString::fromUtf8(headword.data(), qsizetype(headword.size()));
        at = end != std::string_view::npos && line[end] == '\t' ? end : std::string_view::npos;
    }
    return out;
}

bool ReverseIndex::contains(const QString& term) const
{
    return !SortedLines::find(m_text.bytes(), DictdDictionary::normalise(term), '\t').empty();
}
