// SPDX-License-Identifier: MIT
#include "DictionarySet.h"

#include <QDir>
#include <future>

namespace {

struct Candidate {
    QString name;
    QString from;
    QString to;
    EntryParser::Format format;
};

std::vector<Candidate> candidatesIn(const QDir& dir)
{
    std::vector<Candidate> out;
    const QStringList indexes = dir.entryList({ QStringLiteral("*.index") }, QDir::Files, QDir::Name);
    for (const QString& file : indexes) {
        const QString name = file.chopped(6);
        if (name == QLatin1String("mueller7")) {
            out.push_back({ name, QStringLiteral("en"), QStringLiteral("ru"), EntryParser::Format::Mueller });
            continue;
        }
        const QStringList parts = name.split(u'-');
        if (parts.size() != 3 || parts[0] != QLatin1String("freedict"))
            continue;
        const QString from = DictionarySet::languageCode(parts[1]);
        const QString to = DictionarySet::languageCode(parts[2]);
        if (from.isEmpty() || to.isEmpty() || (from != QLatin1String("en") && to != QLatin1String("en")))
            continue;
        out.push_back({ name, from, to, EntryParser::Format::FreeDict });
    }
    return out;
}

} // namespace

QString DictionarySet::languageCode(const QString& iso639_3)
{
    static const std::map<QString, QString> codes = {
        { "eng", "en" },
        { "rus", "ru" },
        { "ukr", "uk" },
        { "spa", "es" },
        { "fra", "fr" },
        { "deu", "de" },
        { "ita", "it" },
        { "por", "pt" },
        { "pol", "pl" },
        { "tur", "tr" },
        { "nld", "nl" },
        { "swe", "sv" },
        { "ces", "cs" },
        { "ell", "el" },
        { "heb", "he" },
        { "ara", "ar" },
        { "hin", "hi" },
        { "vie", "vi" },
        { "ind", "id" },
        { "jpn", "ja" },
        { "kor", "ko" },
        { "zho", "zh-CN" },
        { "cmn", "zh-CN" },
    };
    const auto found = codes.find(iso639_3);
    return found == codes.end() ? QString() : found->second;
}

DictionarySet DictionarySet::load(const QString& dirPath, QStringList* warnings)
{
    DictionarySet set;
    const QDir dir(dirPath);
    if (!dir.exists()) {
        if (warnings)
            warnings->append(QStringLiteral("dictionary folder %1 does not exist").arg(dirPath));
        return set;
    }
    // The files are independent: read and index them on all cores.
    std::vector<std::pair<Candidate, std::future<std::pair<std::unique_ptr<DictdDictionary>, QString>>>>
        pending;
    for (const Candidate& candidate : candidatesIn(dir)) {
        const QString base = dir.filePath(candidate.name);
        pending.emplace_back(candidate, std::async(std::launch::async, [base] {
            QString error;
            auto dictionary = DictdDictionary::load(base, &error);
            return std::pair(
                dictionary ? std::make_unique<DictdDictionary>(std::move(*dictionary)) : nullptr, error);
        }));
    }
    for (auto& [candidate, future] : pending) {
        auto [dictionary, error] = future.get();
        if (!dictionary) {
            if (warnings)
                warnings->append(error);
            continue;
        }
        set.m_dictionaries.push_back(
            { candidate.name, candidate.from, candidate.to, candidate.format, std::move(dictionary) });
    }

    // Reverse indexes where X → English is missing or has fewer headwords.
    std::map<QString, std::size_t> intoEnglishSize;
    for (const Loaded& loaded : set.m_dictionaries) {
        if (loaded.to == QLatin1String("en"))
            intoEnglishSize[loaded.from] += loaded.dictionary->headwordCount();
    }
    std::map<QString, std::vector<const Loaded*>> reverseSources;
    for (const Loaded& loaded : set.m_dictionaries) {
        if (loaded.from != QLatin1String("en"))
            continue;
        const auto direct = intoEnglishSize.find(loaded.to);
        if (direct == intoEnglishSize.end() || direct->second < loaded.dictionary->headwordCount())
            reverseSources[loaded.to].push_back(&loaded);
    }
    std::vector<std::pair<QString, std::future<std::unique_ptr<ReverseIndex>>>> building;
    for (auto& [language, sources] : reverseSources) {
        building.emplace_back(language, std::async(std::launch::async, [sources] {
            auto index = std::make_unique<ReverseIndex>();
            for (const Loaded* source : sources)
                index->add(*source->dictionary, source->format);
            index->finish();
            return index;
        }));
    }
    for (auto& [language, future] : building)
        set.m_reverse[language] = future.get();
    return set;
}

std::vector<DictionarySet::Source> DictionarySet::fromEnglish(const QString& target) const
{
    std::vector<Source> out;
    for (const Loaded& loaded : m_dictionaries) {
        if (loaded.from == QLatin1String("en") && loaded.to == target)
            out.push_back({ loaded.dictionary.get(), loaded.format, loaded.name });
    }
    // The largest dictionary of a pair first (Mueller before the small FreeDict English–Russian).
    std::stable_sort(out.begin(), out.end(), [](const Source& a, const Source& b) {
        return a.dictionary->headwordCount() > b.dictionary->headwordCount();
    });
    return out;
}

std::vector<DictionarySet::Source> DictionarySet::intoEnglish(const QString& source) const
{
    std::vector<Source> out;
    for (const Loaded& loaded : m_dictionaries) {
        if (loaded.to == QLatin1String("en") && loaded.from == source)
            out.push_back({ loaded.dictionary.get(), loaded.format, loaded.name });
    }
    return out;
}

const ReverseIndex* DictionarySet::reverseIndex(const QString& source) const
{
    const auto found = m_reverse.find(source);
    return found == m_reverse.end() ? nullptr : found->second.get();
}

bool DictionarySet::hasEnglishHeadword(const QString& headword) const
{
    for (const Loaded& loaded : m_dictionaries) {
        if (loaded.from == QLatin1String("en") && loaded.dictionary->contains(headword))
            return true;
    }
    return false;
}

std::size_t DictionarySet::memorySize() const
{
    std::size_t total = 0;
    for (const Loaded& loaded : m_dictionaries)
        total += loaded.dictionary->memorySize();
    return total;
}

QStringList DictionarySet::describe() const
{
    QStringList lines;
    for (const Loaded& loaded : m_dictionaries)
        lines << QStringLiteral("%1 (%2 → %3, %4 headwords)")
                     .arg(loaded.name, loaded.from, loaded.to)
                     .arg(loaded.dictionary->headwordCount());
    for (const auto& [language, index] : m_reverse)
        lines << QStringLiteral("reverse index %1 → en (%2 terms)").arg(language).arg(index->termCount());
    return lines;
}
