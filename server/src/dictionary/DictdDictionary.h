// SPDX-License-Identifier: MIT
#pragma once

#include "DictZip.h"
#include "MappedFile.h"

#include <QString>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One dictd dictionary: an ".index" file of headwords sorted byte by byte,
// searched where it lies, and its ".dict[.dz]" text. Headwords are matched the
// way the index writes its keys: lower case, and (unless the dictionary keeps
// all characters) without punctuation, so "well-known" finds "wellknown".
class DictdDictionary {
public:
    // Opens `<base>.index` and `<base>.dict.dz` (or `<base>.dict`).
    static std::optional<DictdDictionary> load(const QString& basePath, QString* error);
    // From an index text and a dictionary file's bytes (tests).
    static std::optional<DictdDictionary> fromData(std::string index, std::string dictBytes, QString* error);

    // The texts of every entry under `headword`, in the order of the index.
    std::vector<std::string> entries(const QString& headword) const;
    bool contains(const QString& headword) const;
    // Every entry in the order of the text, with its index key (one pass over
    // the inflated text, for building derived indexes).
    void forEachEntry(const std::function<void(std::string_view key, std::string_view text)>& visit) const;

    // The size of the index, a measure of how many headwords there are.
    std::size_t indexSize() const { return m_index.bytes().size(); }
    // What the files are, for keys of derived data: changes when either changes.
    QString identity() const { return m_index.identity() + u'/' + m_text.identity(); }

    // The form headwords are compared in: lower case, single spaces, trimmed.
    static std::string normalise(std::string_view text);
    static std::string normalise(const QString& text);
    // The index keys a headword may be under: normalised, and without the
    // characters an index drops unless it keeps all characters (anything but
    // letters, digits and spaces).
    std::vector<std::string> keysOf(const QString& headword) const;
    // dictd's base-64 numbers ("I/6s"); nullopt for a character outside the alphabet.
    static std::optional<std::uint64_t> decodeNumber(std::string_view text);

private:
    struct Location {
        std::uint64_t offset;
        std::uint64_t length;
    };
    static std::optional<DictdDictionary> open(MappedFile index, MappedFile text, QString* error);
    std::vector<Location> locations(std::string_view key) const;
    std::vector<Location> locationsOf(const QString& headword) const;

    MappedFile m_index;
    DictZip m_text;
    bool m_allChars = false;
};
