// SPDX-License-Identifier: MIT
#include "WordNet.h"

#include "SortedLines.h"

#include <QDir>
#include <algorithm>

namespace {

const char* const kFileSuffix[4] = { "noun", "verb", "adj", "adv" };

struct Rule {
    const char* suffix;
    const char* ending;
};
// WordNet's detachment rules, per part of speech.
const std::vector<Rule> kRules[4] = {
    { { "s", "" }, { "ses", "s" }, { "xes", "x" }, { "zes", "z" }, { "ches", "ch" }, { "shes", "sh" },
        { "men", "man" }, { "ies", "y" } },
    { { "s", "" }, { "ies", "y" }, { "es", "e" }, { "es", "" }, { "ed", "e" }, { "ed", "" }, { "ing", "e" },
        { "ing", "" } },
    { { "er", "" }, { "est", "" }, { "er", "e" }, { "est", "e" } },
    {},
};

std::vector<std::string_view> fields(std::string_view line)
{
    std::vector<std::string_view> out;
    std::size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && line[at] == ' ')
            ++at;
        const std::size_t end = std::min(line.find(' ', at), line.size());
        if (end > at)
            out.push_back(line.substr(at, end - at));
        at = end;
    }
    return out;
}

int toInt(std::string_view text)
{
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

// "move fast by using one's feet; \"Don't run!\"" → "move fast by using one's feet"
QString glossWithoutExamples(std::string_view gloss)
{
    QString text = QString::fromUtf8(gloss.data(), qsizetype(gloss.size())).trimmed();
    const qsizetype example = text.indexOf(QStringLiteral("; \""));
    if (example >= 0)
        text.truncate(example);
    if (text.startsWith(u'"'))
        text.clear();
    return text.trimmed();
}

} // namespace

std::string WordNet::normalise(const QString& word)
{
    QString text = word.trimmed().toLower();
    text.replace(QChar(0x2019), u'\'');
    text = text.simplified();
    text.replace(u' ', u'_');
    return text.toStdString();
}

QString WordNet::partOfSpeechName(PartOfSpeech pos)
{
    switch (pos) {
    case PartOfSpeech::Noun:
        return QStringLiteral("noun");
    case PartOfSpeech::Verb:
        return QStringLiteral("verb");
    case PartOfSpeech::Adjective:
        return QStringLiteral("adjective");
    case PartOfSpeech::Adverb:
        return QStringLiteral("adverb");
    }
    return {};
}

std::optional<WordNet> WordNet::load(const QString& dirPath, QString* error)
{
    const QDir dir(dirPath);
    WordNet wordNet;
    for (int p = 0; p < 4; ++p) {
        auto index = MappedFile::open(dir.filePath(QStringLiteral("index.%1").arg(kFileSuffix[p])), error);
        auto data = index
            ? MappedFile::open(dir.filePath(QStringLiteral("data.%1").arg(kFileSuffix[p])), error)
            : std::nullopt;
        if (!index || !data)
            return std::nullopt;
        wordNet.m_index[p] = std::move(*index);
        wordNet.m_data[p] = std::move(*data);
        // Adverbs have next to no exceptions; a missing list is an empty one.
        if (auto exceptions
            = MappedFile::open(dir.filePath(QStringLiteral("%1.exc").arg(kFileSuffix[p])), nullptr))
            wordNet.m_exceptions[p] = std::move(*exceptions);
    }
    // Without the counts every word is as common as any other.
    if (auto counts = MappedFile::open(dir.filePath(QStringLiteral("cntlist.rev")), nullptr))
        wordNet.m_counts = std::move(*counts);
    if (!wordNet.info("entity")) {
        if (error)
            *error = QStringLiteral("the WordNet files of %1 are not readable").arg(dirPath);
        return std::nullopt;
    }
    return wordNet;
}

std::optional<WordNet::LemmaInfo> WordNet::info(std::string_view lemma) const
{
    if (lemma.empty())
        return std::nullopt;
    std::optional<LemmaInfo> found;
    for (int p = 0; p < 4; ++p) {
        const std::string_view line = SortedLines::find(m_index[p].bytes(), lemma, ' ');
        if (line.empty())
            continue;
        // lemma pos synset_cnt p_cnt [ptr_symbol...] sense_cnt tagsense_cnt synset_offset...
        const auto f = fields(line.substr(0, line.find('\n')));
        if (f.size() < 6)
            continue;
        const int pointerCount = toInt(f[3]);
        const std::size_t tagAt = 4 + std::size_t(std::max(pointerCount, 0)) + 1;
        if (pointerCount < 0 || toInt(f[2]) <= 0 || tagAt + 1 >= f.size())
            continue;
        const int offset = toInt(f[tagAt + 1]);
        if (offset < 0)
            continue;
        if (!found)
            found.emplace();
        found->present[p] = true;
        found->firstSynset[p] = std::uint64_t(offset);
    }
    return found;
}

bool WordNet::has(std::string_view lemma, PartOfSpeech pos) const
{
    return !lemma.empty() && !SortedLines::find(m_index[int(pos)].bytes(), lemma, ' ').empty();
}

std::optional<WordNet::PartOfSpeech> WordNet::commonPartOfSpeech(const QString& word) const
{
    const std::string lemma = normalise(word);
    std::array<int, 4> counts {};
    for (PartOfSpeech pos : kPartsOfSpeech)
        counts[int(pos)] = occurrences(lemma, pos);
    std::array<int, 4> sorted = counts;
    std::sort(sorted.begin(), sorted.end(), std::greater<>());
    if (sorted[0] == 0 || sorted[0] < 2 * sorted[1])
        return std::nullopt;
    return PartOfSpeech(std::find(counts.begin(), counts.end(), sorted[0]) - counts.begin());
}

int WordNet::occurrences(std::string_view lemma, std::optional<PartOfSpeech> pos) const
{
    // "run%2:38:00:: 1 268": sense key (lemma%type:...), sense number, count.
    // Type 5, an adjective satellite, counts as an adjective.
    const std::string_view lines = SortedLines::find(m_counts.bytes(), lemma, '%');
    int total = 0;
    for (std::size_t at = 0; at < lines.size();) {
        const std::string_view line = SortedLines::nextLine(lines, at);
        const auto f = fields(line);
        const std::size_t type = lemma.size() + 1;
        if (f.size() < 3 || line.size() <= type)
            continue;
        const int kind = line[type] == '5' ? 3 : line[type] - '0';
        if (!pos || kind == int(*pos) + 1)
            total += std::max(toInt(f[2]), 0);
    }
    return total;
}

QString WordNet::gloss(PartOfSpeech pos, std::uint64_t offset) const
{
    const std::string_view data = m_data[int(pos)].bytes();
    if (offset >= data.size())
        return {};
    const std::size_t end = std::min(data.find('\n', offset), data.size());
    const std::string_view record = data.substr(offset, end - offset);
    const std::size_t bar = record.find(" | ");
    return bar == std::string_view::npos ? QString() : glossWithoutExamples(record.substr(bar + 3));
}

std::vector<std::pair<WordNet::PartOfSpeech, std::string>> WordNet::baseForms(const QString& word) const
{
    const std::string w = normalise(word);
    std::vector<std::pair<PartOfSpeech, std::string>> out;
    auto add = [&](PartOfSpeech pos, const std::string& base) {
        if (base != w && has(base, pos)
            && std::find(out.begin(), out.end(), std::pair(pos, base)) == out.end())
            out.emplace_back(pos, base);
    };
    for (PartOfSpeech pos : kPartsOfSpeech) {
        const int p = int(pos);
        const std::string_view exceptions = SortedLines::find(m_exceptions[p].bytes(), w, ' ');
        for (std::size_t at = 0; at < exceptions.size();) {
            const auto f = fields(SortedLines::nextLine(exceptions, at));
            for (std::size_t i = 1; i < f.size(); ++i)
                add(pos, std::string(f[i]));
        }
        for (const Rule& rule : kRules[p]) {
            const std::string_view suffix(rule.suffix);
            if (w.size() > suffix.size() && w.ends_with(suffix))
                add(pos, w.substr(0, w.size() - suffix.size()) + rule.ending);
        }
        // Nouns ending in "ful" inflect before it: "boxesful" → "boxful".
        if (pos == PartOfSpeech::Noun && w.ends_with("ful")) {
            const std::string stem = w.substr(0, w.size() - 3);
            for (const Rule& rule : kRules[p]) {
                const std::string_view suffix(rule.suffix);
                if (stem.size() > suffix.size() && stem.ends_with(suffix))
                    add(pos, stem.substr(0, stem.size() - suffix.size()) + rule.ending + "ful");
            }
        }
    }
    return out;
}

std::optional<std::string> WordNet::headword(const QString& word) const
{
    const std::string w = normalise(word);
    if (w.empty())
        return std::nullopt;
    // A word that is also a lemma of its own ("running" the noun, "better" the
    // adjective) lands on its base only when the base, in the part of speech
    // it was reduced in, occurs far more often in the sense-tagged corpus than
    // the word in all of its own: "running" (9 occurrences) becomes "run" (268
    // as a verb), while "better" (152) stays, since "good" (262) is not far
    // more common, and "evening" stays, since "even" is hardly ever a verb.
    std::optional<std::string> best;
    int bestCount = -1;
    for (const auto& [pos, base] : baseForms(word)) {
        const int count = occurrences(base, pos);
        if (count > bestCount) {
            best = base;
            bestCount = count;
        }
    }
    if (!info(w))
        return best;
    if (best && bestCount > 2 * occurrences(w, std::nullopt))
        return best;
    return w;
}

std::optional<WordNet::Entry> WordNet::lookup(const QString& word) const
{
    const auto lemma = headword(word);
    if (!lemma)
        return std::nullopt;
    const auto i = info(*lemma);
    if (!i)
        return std::nullopt;
    Entry entry;
    entry.lemma = QString::fromStdString(*lemma).replace(u'_', u' ');
    for (PartOfSpeech pos : kPartsOfSpeech) {
        if (!i->present[int(pos)])
            continue;
        const QString text = gloss(pos, i->firstSynset[int(pos)]);
        if (!text.isEmpty())
            entry.firstSenses.push_back({ pos, text });
    }
    return entry;
}
