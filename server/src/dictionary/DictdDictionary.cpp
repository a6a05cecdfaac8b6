// SPDX-License-Identifier: MIT
#include "DictdDictionary.h"

#include "SortedLines.h"

#include <QFile>
#include <algorithm>

namespace {

bool isAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return (unsigned char)c < 0x80; });
}

// Internal entries of dictd files describe the dictionary, not a word.
bool isMetadataKey(std::string_view key)
{
    return key.starts_with("00-database") || key.starts_with("00database");
}

struct IndexLine {
    std::string_view key;
    std::uint64_t offset;
    std::uint64_t length;
};

std::optional<IndexLine> parseLine(std::string_view line)
{
    const std::size_t tab1 = line.find('\t');
    const std::size_t tab2 = tab1 == std::string_view::npos ? tab1 : line.find('\t', tab1 + 1);
    if (tab2 == std::string_view::npos)
        return std::nullopt;
    const std::size_t tab3 = line.find('\t', tab2 + 1);
    const auto offset = DictdDictionary::decodeNumber(line.substr(tab1 + 1, tab2 - tab1 - 1));
    const auto length = DictdDictionary::decodeNumber(
        line.substr(tab2 + 1, tab3 == std::string_view::npos ? std::string_view::npos : tab3 - tab2 - 1));
    if (!offset || !length)
        return std::nullopt;
    return IndexLine { line.substr(0, tab1), *offset, *length };
}

} // namespace

std::string DictdDictionary::normalise(std::string_view text)
{
    if (!isAscii(text))
        return normalise(QString::fromUtf8(text.data(), qsizetype(text.size())));
    std::string out;
    out.reserve(text.size());
    bool space = false;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            space = !out.empty();
            continue;
        }
        if (space)
            out += ' ';
        space = false;
        out += (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
    }
    return out;
}

std::string DictdDictionary::normalise(const QString& text)
{
    return text.simplified().toLower().toStdString();
}

std::vector<std::string> DictdDictionary::keysOf(const QString& headword) const
{
    QString kept;
    for (QChar c : headword) {
        if (c.isLetterOrNumber() || c.isMark() || c.isSpace())
            kept += c;
    }
    std::vector<std::string> keys { normalise(kept) };
    // An index of all characters still writes many hyphenated words without
    // the hyphen ("wellknown" beside "mother-in-law"): the full form first.
    if (m_allChars) {
        QString full = headword;
        full.replace(QChar(0x2019), u'\'');
        keys.insert(keys.begin(), normalise(full));
        if (keys[0] == keys[1])
            keys.pop_back();
    }
    return keys;
}

std::optional<std::uint64_t> DictdDictionary::decodeNumber(std::string_view text)
{
    if (text.empty() || text.size() > 10)
        return std::nullopt;
    std::uint64_t value = 0;
    for (char c : text) {
        int digit;
        if (c >= 'A' && c <= 'Z')
            digit = c - 'A';
        else if (c >= 'a' && c <= 'z')
            digit = c - 'a' + 26;
        else if (c >= '0' && c <= '9')
            digit = c - '0' + 52;
        else if (c == '+')
            digit = 62;
        else if (c == '/')
            digit = 63;
        else
            return std::nullopt;
        value = value * 64 + std::uint64_t(digit);
    }
    return value;
}

std::optional<DictdDictionary> DictdDictionary::load(const QString& basePath, QString* error)
{
    auto index = MappedFile::open(basePath + QStringLiteral(".index"), error);
    QString dictPath = basePath + QStringLiteral(".dict.dz");
    if (!QFile::exists(dictPath))
        dictPath = basePath + QStringLiteral(".dict");
    auto text = index ? MappedFile::open(dictPath, error) : std::nullopt;
    if (!index || !text)
        return std::nullopt;
    auto result = open(std::move(*index), std::move(*text), error);
    if (!result && error)
        *error = QStringLiteral("%1: %2").arg(basePath, *error);
    return result;
}

std::optional<DictdDictionary> DictdDictionary::fromData(
    std::string index, std::string dictBytes, QString* error)
{
    return open(
        MappedFile::fromString(std::move(index)), MappedFile::fromString(std::move(dictBytes)), error);
}

std::optional<DictdDictionary> DictdDictionary::open(MappedFile index, MappedFile text, QString* error)
{
    auto dict = DictZip::open(std::move(text), error);
    if (!dict)
        return std::nullopt;
    // The first line tells whether the index is readable at all; the rest is
    // read as lookups reach it.
    std::size_t at = 0;
    std::optional<IndexLine> first;
    while (!first && at < index.bytes().size())
        first = parseLine(SortedLines::nextLine(index.bytes(), at));
    if (!first) {
        if (error)
            *error = index.bytes().empty() ? QStringLiteral("index is empty")
                                           : QStringLiteral("index has no readable line");
        return std::nullopt;
    }
    DictdDictionary dictionary;
    dictionary.m_allChars = !SortedLines::find(index.bytes(), "00-database-allchars", '\t').empty();
    dictionary.m_index = std::move(index);
    dictionary.m_text = std::move(*dict);
    return dictionary;
}

std::vector<DictdDictionary::Location> DictdDictionary::locations(std::string_view key) const
{
    std::vector<Location> out;
    if (key.empty() || isMetadataKey(key))
        return out;
    const std::string_view lines = SortedLines::find(m_index.bytes(), key, '\t');
    for (std::size_t at = 0; at < lines.size();) {
        if (const auto line = parseLine(SortedLines::nextLine(lines, at)))
            out.push_back({ line->offset, line->length });
    }
    return out;
}

std::vector<DictdDictionary::Location> DictdDictionary::locationsOf(const QString& headword) const
{
    for (const std::string& key : keysOf(headword)) {
        auto found = locations(key);
        if (!found.empty())
            return found;
    }
    return {};
}

std::vector<std::string> DictdDictionary::entries(const QString& headword) const
{
    std::vector<std::string> texts;
    for (const Location& location : locationsOf(headword))
        texts.push_back(m_text.read(location.offset, location.length));
    return texts;
}

bool DictdDictionary::contains(const QString& headword) const
{
    return !locationsOf(headword).empty();
}

void DictdDictionary::forEachEntry(const std::function<void(std::string_view, std::string_view)>& visit) const
{
    const std::string all = m_text.readAll();
    std::vector<IndexLine> inFileOrder;
    const std::string_view index = m_index.bytes();
    for (std::size_t at = 0; at < index.size();) {
        const auto line = parseLine(SortedLines::nextLine(index, at));
        if (line && !isMetadataKey(line->key))
            inFileOrder.push_back(*line);
    }
    std::sort(inFileOrder.begin(), inFileOrder.end(),
        [](const IndexLine& a, const IndexLine& b) { return a.offset < b.offset; });
    for (const IndexLine& line : inFileOrder) {
        if (line.offset < all.size())
            visit(line.key, std::string_view(all).substr(line.offset, line.length));
    }
}
