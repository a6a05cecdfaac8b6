// SPDX-License-Identifier: MIT
#pragma once

#include "DictdDictionary.h"
#include "DingDictionary.h"
#include "EntryParser.h"
#include "ReverseIndex.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

// Every translating dictionary found in a dictd folder, arranged by language
// pair: English → X (FreeDict, and the larger Mueller English–Russian), X →
// English, and a reverse index of English → X where X → English is missing or
// smaller. Opening maps the files and takes milliseconds; a reverse index not
// yet in the cache folder is built there on a thread of its own, and until it
// is ready that language is translated as if it had none. Safe to share
// across threads.
class DictionarySet {
public:
    struct Source {
        const DictdDictionary* dictionary = nullptr;
        EntryParser::Format format = EntryParser::Format::FreeDict;
        QString name; // file name without extension
    };

    // Opens what `dir` holds, and the Ding German–English file at `dingPath`
    // unless it is empty; problems with single files become warnings.
    // Derived indexes are kept in `cacheDir`; an empty one keeps them in memory.
    static DictionarySet load(
        const QString& dir, const QString& cacheDir, QStringList* warnings, const QString& dingPath = {});
    // Where derived data is kept by default: the user's XDG cache folder.
    static QString defaultCacheDir();

    DictionarySet() = default;
    DictionarySet(DictionarySet&&) = default;
    ~DictionarySet();

    // Best first.
    std::vector<Source> fromEnglish(const QString& target) const;
    std::vector<Source> intoEnglish(const QString& source) const;
    // Null while the language has none, or while it is still being built.
    std::shared_ptr<const ReverseIndex> reverseIndex(const QString& source) const;
    // Whether a reverse index exists or is being built for the language.
    bool hasReverseIndex(const QString& source) const { return m_reverse.contains(source); }
    // Null without a Ding file, or while its indexes are being built.
    std::shared_ptr<const DingDictionary> ding() const;
    // Blocks until every reverse index is ready (tests, benchmarks).
    void waitUntilBuilt() const;
    // Ready once every reverse index is; valid even when nothing was built.
    std::shared_future<void> built() const;

    // Whether any English → X dictionary has this headword.
    bool hasEnglishHeadword(const QString& headword) const;
    // Our language code for a three-letter code in a FreeDict file name, or empty.
    static QString languageCode(const QString& iso639_3);

    std::size_t dictionaryCount() const { return m_dictionaries.size(); }
    QStringList describe() const;

private:
    struct Loaded {
        QString name;
        QString from;
        QString to;
        EntryParser::Format format;
        std::unique_ptr<DictdDictionary> dictionary;
    };
    struct Slot {
        mutable std::mutex mutex;
        std::shared_ptr<const ReverseIndex> index;
        std::vector<ReverseIndex::Source> sources;
        QString cachePath;
        QByteArray cacheKey;
    };
    std::vector<Loaded> m_dictionaries;
    std::map<QString, std::unique_ptr<Slot>> m_reverse;
    struct DingSlot {
        mutable std::mutex mutex;
        std::shared_ptr<const DingDictionary> dictionary;
        MappedFile text;
        QString germanPath;
        QString englishPath;
        QByteArray cacheKey;
    };
    std::unique_ptr<DingSlot> m_ding;
    static void buildDing(DingSlot& slot, const std::atomic<bool>& stop);
    std::shared_ptr<std::atomic<bool>> m_stop = std::make_shared<std::atomic<bool>>(false);
    std::shared_future<void> m_building;
};
