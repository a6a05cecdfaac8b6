// SPDX-License-Identifier: MIT
#include "DictionarySet.h"

#include "CacheFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QStandardPaths>
#include <malloc.h>

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

// Part of every cache key: raise it when the builder's output changes.
constexpr char kReverseIndexVersion[] = "reverse-index-3";

// Part of the Ding indexes' cache key.
constexpr char kDingIndexVersion[] = "ding-index-4";

// Earlier builds of the same language's index, from older dictionaries.
void removeStale(
    const QString& current, const QString& language, const QString& kind = QStringLiteral("reverse"))
{
    const QFileInfo info(current);
    const QString pattern = QStringLiteral("%1-%2-*").arg(kind, language);
    for (const QFileInfo& other : info.dir().entryInfoList({ pattern }, QDir::Files)) {
        if (other.fileName() != info.fileName())
            QFile::remove(other.filePath());
    }
}

} // namespace

void DictionarySet::buildDing(DingSlot& slot, const std::atomic<bool>& stop)
{
    std::string german = DingDictionary::buildIndex(slot.text.bytes(), DingDictionary::Side::German);
    if (stop.load())
        return;
    std::string english = DingDictionary::buildIndex(slot.text.bytes(), DingDictionary::Side::English);
    std::optional<MappedFile> germanIndex, englishIndex;
    if (!slot.germanPath.isEmpty() && CacheFile::write(slot.germanPath, slot.cacheKey, german)
        && CacheFile::write(slot.englishPath, slot.cacheKey, english)) {
        removeStale(slot.germanPath, QStringLiteral("de"), QStringLiteral("ding"));
        removeStale(slot.englishPath, QStringLiteral("en"), QStringLiteral("ding"));
        germanIndex = CacheFile::open(slot.germanPath, slot.cacheKey);
        englishIndex = CacheFile::open(slot.englishPath, slot.cacheKey);
    }
    if (!germanIndex || !englishIndex) { // no usable cache folder: keep them in memory
        germanIndex = MappedFile::fromString(std::move(german));
        englishIndex = MappedFile::fromString(std::move(english));
    }
    auto dictionary = std::make_shared<const DingDictionary>(slot.text, *germanIndex, *englishIndex);
    std::lock_guard lock(slot.mutex);
    slot.dictionary = std::move(dictionary);
}

std::shared_ptr<const DingDictionary> DictionarySet::ding() const
{
    if (!m_ding)
        return nullptr;
    std::lock_guard lock(m_ding->mutex);
    return m_ding->dictionary;
}

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

QString DictionarySet::defaultCacheDir()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    return base.isEmpty() ? QString() : base + QStringLiteral("/sorvantel-server");
}

DictionarySet DictionarySet::load(
    const QString& dirPath, const QString& cacheDir, QStringList* warnings, const QString& dingPath)
{
    DictionarySet set;
    const QDir dir(dirPath);
    if (!dir.exists()) {
        if (warnings)
            warnings->append(QStringLiteral("dictionary folder %1 does not exist").arg(dirPath));
        return set;
    }
    for (const Candidate& candidate : candidatesIn(dir)) {
        QString error;
        auto dictionary = DictdDictionary::load(dir.filePath(candidate.name), &error);
        if (!dictionary) {
            if (warnings)
                warnings->append(error);
            continue;
        }
        set.m_dictionaries.push_back({ candidate.name, candidate.from, candidate.to, candidate.format,
            std::make_unique<DictdDictionary>(std::move(*dictionary)) });
    }

    // Reverse indexes where X → English is missing or smaller.
    std::map<QString, std::size_t> intoEnglishSize;
    for (const Loaded& loaded : set.m_dictionaries) {
        if (loaded.to == QLatin1String("en"))
            intoEnglishSize[loaded.from] += loaded.dictionary->indexSize();
    }
    for (const Loaded& loaded : set.m_dictionaries) {
        if (loaded.from != QLatin1String("en"))
            continue;
        const auto direct = intoEnglishSize.find(loaded.to);
        if (direct != intoEnglishSize.end() && direct->second >= loaded.dictionary->indexSize())
            continue;
        auto& slot = set.m_reverse[loaded.to];
        if (!slot)
            slot = std::make_unique<Slot>();
        slot->sources.push_back({ loaded.dictionary.get(), loaded.format });
    }

    // A cached index is named after what it was built from, so a changed
    // dictionary (or a changed builder) misses the old file.
    std::vector<std::pair<QString, Slot*>> missing;
    for (auto& [language, slot] : set.m_reverse) {
        QCryptographicHash key(QCryptographicHash::Sha1);
        key.addData(QByteArrayView(kReverseIndexVersion));
        for (const ReverseIndex::Source& source : slot->sources)
            key.addData((source.dictionary->identity() + u'|').toUtf8());
        slot->cacheKey = key.result().toHex();
        if (!cacheDir.isEmpty())
            slot->cachePath = QStringLiteral("%1/reverse-%2-%3.tsv")
                                  .arg(cacheDir, language, QString::fromLatin1(slot->cacheKey.left(16)));
        if (auto cached
            = slot->cachePath.isEmpty() ? std::nullopt : CacheFile::open(slot->cachePath, slot->cacheKey))
            slot->index = std::make_shared<const ReverseIndex>(std::move(*cached));
        else
            missing.emplace_back(language, slot.get());
    }
    DingSlot* dingMissing = nullptr;
    if (!dingPath.isEmpty()) {
        QString error;
        if (auto text = MappedFile::open(dingPath, &error)) {
            auto slot = std::make_unique<DingSlot>();
            QCryptographicHash key(QCryptographicHash::Sha1);
            key.addData(QByteArrayView(kDingIndexVersion));
            key.addData(text->identity().toUtf8());
            slot->cacheKey = key.result().toHex();
            slot->text = std::move(*text);
            if (!cacheDir.isEmpty()) {
                const QString name = QStringLiteral("%1/ding-%2-")
                    + QString::fromLatin1(slot->cacheKey.left(16)) + QStringLiteral(".tsv");
                slot->germanPath = name.arg(cacheDir, QStringLiteral("de"));
                slot->englishPath = name.arg(cacheDir, QStringLiteral("en"));
            }
            auto german = slot->germanPath.isEmpty() ? std::nullopt
                                                     : CacheFile::open(slot->germanPath, slot->cacheKey);
            auto english = german ? CacheFile::open(slot->englishPath, slot->cacheKey) : std::nullopt;
            if (english)
                slot->dictionary = std::make_shared<const DingDictionary>(
                    slot->text, std::move(*german), std::move(*english));
            else
                dingMissing = slot.get();
            set.m_ding = std::move(slot);
        } else if (warnings) {
            warnings->append(error);
        }
    }
    if (!missing.empty() || dingMissing) {
        set.m_building = std::async(std::launch::async, [missing, dingMissing, cacheDir, stop = set.m_stop] {
            if (dingMissing)
                buildDing(*dingMissing, *stop);
            for (auto [language, slot] : missing) {
                std::string text = ReverseIndex::build(slot->sources, *stop);
                if (stop->load())
                    return;
                std::shared_ptr<const ReverseIndex> index;
                if (!slot->cachePath.isEmpty() && CacheFile::write(slot->cachePath, slot->cacheKey, text)) {
                    removeStale(slot->cachePath, language);
                    if (auto mapped = CacheFile::open(slot->cachePath, slot->cacheKey))
                        index = std::make_shared<const ReverseIndex>(std::move(*mapped));
                }
                if (!index) // no usable cache folder: keep it in memory
                    index = std::make_shared<const ReverseIndex>(MappedFile::fromString(std::move(text)));
                std::lock_guard lock(slot->mutex);
                slot->index = std::move(index);
            }
            // Parsing every entry left freed memory behind.
            malloc_trim(0);
        }).share();
    }
    return set;
}

DictionarySet::~DictionarySet()
{
    if (m_stop)
        m_stop->store(true);
    // The builder reads the dictionaries and fills the slots: it must end
    // first, and a copy of the future held elsewhere would not wait for it.
    if (m_building.valid())
        m_building.wait();
}

void DictionarySet::waitUntilBuilt() const
{
    if (m_building.valid())
        m_building.wait();
}

std::shared_future<void> DictionarySet::built() const
{
    if (m_building.valid())
        return m_building;
    std::promise<void> done;
    done.set_value();
    return done.get_future().share();
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
        return a.dictionary->indexSize() > b.dictionary->indexSize();
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

std::shared_ptr<const ReverseIndex> DictionarySet::reverseIndex(const QString& source) const
{
    const auto found = m_reverse.find(source);
    if (found == m_reverse.end())
        return nullptr;
    std::lock_guard lock(found->second->mutex);
    return found->second->index;
}

bool DictionarySet::hasEnglishHeadword(const QString& headword) const
{
    for (const Loaded& loaded : m_dictionaries) {
        if (loaded.from == QLatin1String("en") && loaded.dictionary->contains(headword))
            return true;
    }
    return false;
}

QStringList DictionarySet::describe() const
{
    QStringList lines;
    for (const Loaded& loaded : m_dictionaries)
        lines << QStringLiteral("%1 (%2 → %3, %4 KiB index)")
                     .arg(loaded.name, loaded.from, loaded.to)
                     .arg(loaded.dictionary->indexSize() / 1024);
    for (const auto& [language, slot] : m_reverse)
        lines << QStringLiteral("reverse index %1 → en (%2)")
                     .arg(language,
                         reverseIndex(language) ? QStringLiteral("ready") : QStringLiteral("building"));
    return lines;
}
