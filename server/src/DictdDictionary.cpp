// SPDX-License-Identifier: MIT
#include "DictdDictionary.h"

#include <QFile>
#include <algorithm>
#include <fstream>

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
    QFile index(basePath + QStringLiteral(".index"));
    if (!index.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("cannot read %1: %2").arg(index.fileName(), index.errorString());
        return std::nullopt;
    }
    const QByteArray indexText = index.readAll();
    QString dictPath = basePath + QStringLiteral(".dict.dz");
    if (!QFile::exists(dictPath))
        dictPath = basePath + QStringLiteral(".dict");
    // Straight into the string the dictionary keeps: these files are large.
    std::ifstream dict(QFile::encodeName(dictPath).toStdString(), std::ios::binary);
    std::string dictBytes;
    if (dict) {
        dict.seekg(0, std::ios::end);
        dictBytes.resize(std::size_t(std::max<std::streamoff>(dict.tellg(), 0)));
        dict.seekg(0);
        dict.read(dictBytes.data(), std::streamsize(dictBytes.size()));
    }
    if (!dict) {
        if (error)
            *error = QStringLiteral("cannot read %1").arg(dictPath);
        return std::nullopt;
    }
    auto result = fromData(
        std::string_view(indexText.constData(), std::size_t(indexText.size())), std::move(dictBytes), error);
    if (!result && error)
        *error = QStringLiteral("%1: %2").arg(basePath, *error);
    return result;
}

std::optional<DictdDictionary> DictdDictionary::fromData(
    std::string_view index, std::string dictBytes, QString* error)
{
    auto text = DictZip::fromBytes(std::move(dictBytes), error);
    if (!text)
        return std::nullopt;
    DictdDictionary dictionary;
    dictionary.m_text = std::move(*text);

    std::size_t lineNumber = 0;
    std::size_t bad = 0;
    for (std::size_t at = 0; at < index.size();) {
        std::size_t end = index.find('\n', at);
        if (end == std::string_view::npos)
            end = index.size();
        std::string_view line = index.substr(at, end - at);
        at = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty())
            continue;
        const std::size_t tab1 = line.find('\t');
        const std::size_t tab2 = tab1 == std::string_view::npos ? tab1 : line.find('\t', tab1 + 1);
        if (tab2 == std::string_view::npos) {
            ++bad;
            continue;
        }
        std::size_t tab3 = line.find('\t', tab2 + 1);
        const auto offset = decodeNumber(line.substr(tab1 + 1, tab2 - tab1 - 1));
        const auto length = decodeNumber(
            line.substr(tab2 + 1, tab3 == std::string_view::npos ? std::string_view::npos : tab3 - tab2 - 1));
        if (!offset || !length || *length > 0xffffffffu) {
            ++bad;
            continue;
        }
        const std::string key = normalise(line.substr(0, tab1));
        if (key.empty() || isMetadataKey(key))
            continue;
        dictionary.m_entries.push_back({ std::uint32_t(dictionary.m_keys.size()), std::uint32_t(key.size()),
            *offset, std::uint32_t(*length) });
        dictionary.m_keys += key;
    }
    if (dictionary.m_entries.empty()) {
        if (error)
            *error = bad ? QStringLiteral("index has no readable line (%1 malformed)").arg(bad)
                         : QStringLiteral("index is empty");
        return std::nullopt;
    }
    std::stable_sort(dictionary.m_entries.begin(), dictionary.m_entries.end(),
        [&](const Entry& a, const Entry& b) { return dictionary.keyOf(a) < dictionary.keyOf(b); });
    dictionary.m_entries.shrink_to_fit();
    dictionary.m_keys.shrink_to_fit();
    return dictionary;
}

std::pair<std::size_t, std::size_t> DictdDictionary::range(std::string_view key) const
{
    auto less = [&](const Entry& e, std::string_view k) { return keyOf(e) < k; };
    auto greater = [&](std::string_view k, const Entry& e) { return k < keyOf(e); };
    auto lo = std::lower_bound(m_entries.begin(), m_entries.end(), key, less);
    auto hi = std::upper_bound(lo, m_entries.end(), key, greater);
    return { std::size_t(lo - m_entries.begin()), std::size_t(hi - m_entries.begin()) };
}

std::vector<std::string> DictdDictionary::entries(const QString& headword) const
{
    const std::string key = normalise(headword);
    const auto [lo, hi] = range(key);
    std::vector<std::string> texts;
    for (std::size_t i = lo; i < hi; ++i)
        texts.push_back(m_text.read(m_entries[i].offset, m_entries[i].length));
    return texts;
}

bool DictdDictionary::contains(const QString& headword) const
{
    const auto [lo, hi] = range(normalise(headword));
    return lo < hi;
}

void DictdDictionary::forEachEntry(const std::function<void(std::string_view, std::string_view)>& visit) const
{
    const std::string all = m_text.readAll();
    std::vector<const Entry*> inFileOrder;
    inFileOrder.reserve(m_entries.size());
    for (const Entry& entry : m_entries)
        inFileOrder.push_back(&entry);
    std::sort(inFileOrder.begin(), inFileOrder.end(),
        [](const Entry* a, const Entry* b) { return a->offset < b->offset; });
    for (const Entry* entry : inFileOrder) {
        if (entry->offset >= all.size())
            continue;
        visit(keyOf(*entry), std::string_view(all).substr(entry->offset, entry->length));
    }
}

std::size_t DictdDictionary::headwordCount() const
{
    std::size_t count = 0;
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        if (i == 0 || keyOf(m_entries[i]) != keyOf(m_entries[i - 1]))
            ++count;
    }
    return count;
}

std::size_t DictdDictionary::memorySize() const
{
    return m_text.memorySize() + m_keys.capacity() + m_entries.capacity() * sizeof(Entry);
}
