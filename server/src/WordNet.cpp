// SPDX-License-Identifier: MIT
#include "WordNet.h"

#include <QDir>
#include <QFile>
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

std::optional<QByteArray> readFile(const QDir& dir, const QString& name, QString* error)
{
    QFile file(dir.filePath(name));
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("cannot read %1: %2").arg(file.fileName(), file.errorString());
        return std::nullopt;
    }
    return file.readAll();
}

template <typename Visit> void forEachLine(const QByteArray& text, Visit visit)
{
    const std::string_view all(text.constData(), std::size_t(text.size()));
    for (std::size_t at = 0; at < all.size();) {
        std::size_t end = all.find('\n', at);
        if (end == std::string_view::npos)
            end = all.size();
        visit(all.substr(at, end - at));
        at = end + 1;
    }
}

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
        const auto index = readFile(dir, QStringLiteral("index.%1").arg(kFileSuffix[p]), error);
        const auto data
            = index ? readFile(dir, QStringLiteral("data.%1").arg(kFileSuffix[p]), error) : std::nullopt;
        if (!index || !data)
            return std::nullopt;
        const std::string_view dataText(data->constData(), std::size_t(data->size()));
        std::unordered_map<std::uint64_t, std::uint32_t> glossOfOffset;
        forEachLine(*index, [&](std::string_view line) {
            if (line.empty() || line[0] == ' ')
                return; // licence header
            const auto f = fields(line);
            // lemma pos synset_cnt p_cnt [ptr_symbol...] sense_cnt tagsense_cnt synset_offset...
            if (f.size() < 6)
                return;
            const int pointerCount = toInt(f[3]);
            const std::size_t tagAt = 4 + std::size_t(std::max(pointerCount, 0)) + 1;
            const int synsets = toInt(f[2]);
            if (pointerCount < 0 || synsets <= 0 || tagAt + 1 >= f.size())
                return;
            const int tagCount = toInt(f[tagAt]);
            const int offsetValue = toInt(f[tagAt + 1]);
            if (offsetValue < 0)
                return;
            const auto offset = std::uint64_t(offsetValue);
            auto found = glossOfOffset.find(offset);
            if (found == glossOfOffset.end()) {
                if (offset >= dataText.size())
                    return;
                const std::size_t end = std::min(dataText.find('\n', offset), dataText.size());
                const std::string_view record = dataText.substr(offset, end - offset);
                const std::size_t bar = record.find(" | ");
                QString gloss = bar == std::string_view::npos ? QString()
                                                              : glossWithoutExamples(record.substr(bar + 3));
                wordNet.m_glosses.push_back(std::move(gloss));
                found = glossOfOffset.emplace(offset, std::uint32_t(wordNet.m_glosses.size() - 1)).first;
            }
            LemmaInfo& lemma = wordNet.m_lemmas[std::string(f[0])];
            lemma.tagCount[p] = std::max(tagCount, 0);
            lemma.firstGloss[p] = found->second;
        });
        const auto exceptions = readFile(dir, QStringLiteral("%1.exc").arg(kFileSuffix[p]), nullptr);
        if (exceptions) {
            forEachLine(*exceptions, [&](std::string_view line) {
                const auto f = fields(line);
                for (std::size_t i = 1; i < f.size(); ++i)
                    wordNet.m_exceptions[p][std::string(f[0])].emplace_back(f[i]);
            });
        }
    }
    if (wordNet.m_lemmas.empty()) {
        if (error)
            *error = QStringLiteral("no lemma in the WordNet files of %1").arg(dirPath);
        return std::nullopt;
    }
    return wordNet;
}

const WordNet::LemmaInfo* WordNet::info(const std::string& lemma) const
{
    const auto found = m_lemmas.find(lemma);
    return found == m_lemmas.end() ? nullptr : &found->second;
}

bool WordNet::has(const std::string& lemma, PartOfSpeech pos) const
{
    const LemmaInfo* i = info(lemma);
    return i && i->tagCount[int(pos)] >= 0;
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
        const auto exception = m_exceptions[p].find(w);
        if (exception != m_exceptions[p].end()) {
            for (const std::string& base : exception->second)
                add(pos, base);
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
    // adjective) still lands on its base when the base is far more common in
    // the tagged corpus: a reader selecting "running" nearly always means "run".
    int ownCount = -1;
    if (const LemmaInfo* own = info(w)) {
        ownCount = 0;
        for (int count : own->tagCount)
            ownCount += std::max(count, 0);
    }
    std::optional<std::string> best;
    int bestCount = -1;
    for (const auto& [pos, base] : baseForms(word)) {
        const int count = info(base)->tagCount[int(pos)];
        if (count > bestCount) {
            best = base;
            bestCount = count;
        }
    }
    if (ownCount < 0)
        return best;
    if (best && bestCount > 2 * ownCount)
        return best;
    return w;
}

std::optional<WordNet::Entry> WordNet::lookup(const QString& word) const
{
    const auto lemma = headword(word);
    if (!lemma)
        return std::nullopt;
    const LemmaInfo* i = info(*lemma);
    Entry entry;
    entry.lemma = QString::fromStdString(*lemma).replace(u'_', u' ');
    for (PartOfSpeech pos : kPartsOfSpeech) {
        if (i->tagCount[int(pos)] < 0)
            continue;
        const QString& gloss = m_glosses[i->firstGloss[int(pos)]];
        if (!gloss.isEmpty())
            entry.firstSenses.push_back({ pos, gloss });
    }
    return entry;
}
