// SPDX-License-Identifier: MIT
#pragma once

#include "DictZip.h"

#include <QString>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One dictd dictionary (an ".index" file and its ".dict[.dz]" text), loaded
// whole into memory at start-up. Headwords are matched case-insensitively.
class DictdDictionary {
public:
    // Loads `<base>.index` and `<base>.dict.dz` (or `<base>.dict`).
    static std::optional<DictdDictionary> load(const QString& basePath, QString* error);
    // From an index text and a dictionary file's bytes (tests).
    static std::optional<DictdDictionary> fromData(
        std::string_view index, std::string dictBytes, QString* error);

    // The texts of every entry under `headword`, in the order of the index.
    std::vector<std::string> entries(const QString& headword) const;
    bool contains(const QString& headword) const;
    // Every entry in the order of the text, with its lookup key (one pass over the
    // inflated text, for building indexes at load).
    void forEachEntry(const std::function<void(std::string_view key, std::string_view text)>& visit) const;

    std::size_t headwordCount() const;
    std::size_t memorySize() const;

    // The form headwords are compared in: lower case, single spaces, trimmed.
    static std::string normalise(std::string_view text);
    static std::string normalise(const QString& text);
    // dictd's base-64 numbers ("I/6s"); nullopt for a character outside the alphabet.
    static std::optional<std::uint64_t> decodeNumber(std::string_view text);

private:
    struct Entry {
        std::uint32_t keyOffset;
        std::uint32_t keyLength;
        std::uint64_t offset;
        std::uint32_t length;
    };
    std::string_view keyOf(const Entry& entry) const
    {
        return { m_keys.data() + entry.keyOffset, entry.keyLength };
    }
    std::pair<std::size_t, std::size_t> range(std::string_view key) const;

    DictZip m_text;
    std::string m_keys;
    std::vector<Entry> m_entries; // sorted by key, index order among equal keys
};
