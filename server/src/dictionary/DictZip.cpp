// SPDX-License-Identifier: MIT
#include "DictZip.h"

#include <QFile>
#include <zlib.h>

namespace {

std::uint16_t le16(std::string_view s, std::size_t at)
{
    return std::uint16_t(std::uint8_t(s[at]) | (std::uint8_t(s[at + 1]) << 8));
}

// Inflates a whole gzip stream (every member).
std::optional<std::string> gunzip(std::string_view in)
{
    z_stream z {};
    if (inflateInit2(&z, 15 + 32) != Z_OK)
        return std::nullopt;
    std::string out;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    z.avail_in = uInt(in.size());
    char buffer[1 << 16];
    int rc = Z_OK;
    while (true) {
        z.next_out = reinterpret_cast<Bytef*>(buffer);
        z.avail_out = sizeof buffer;
        rc = inflate(&z, Z_NO_FLUSH);
        out.append(buffer, sizeof buffer - z.avail_out);
        if (rc == Z_STREAM_END) {
            if (z.avail_in == 0)
                break;
            inflateReset(&z); // a further gzip member follows
            continue;
        }
        if (rc != Z_OK)
            break;
    }
    inflateEnd(&z);
    if (rc != Z_STREAM_END)
        return std::nullopt;
    return out;
}

} // namespace

std::optional<DictZip> DictZip::load(const QString& path, QString* error)
{
    auto file = MappedFile::open(path, error);
    if (!file)
        return std::nullopt;
    auto result = open(std::move(*file), error);
    if (!result && error)
        *error = QStringLiteral("%1: %2").arg(path, *error);
    return result;
}

std::optional<DictZip> DictZip::open(MappedFile file, QString* error)
{
    DictZip dict;
    const std::string_view bytes = file.bytes();
    const bool gzip = bytes.size() >= 18 && std::uint8_t(bytes[0]) == 0x1f && std::uint8_t(bytes[1]) == 0x8b;
    if (!gzip) {
        dict.m_textSize = bytes.size();
        dict.m_file = std::move(file);
        return dict;
    }
    const std::uint8_t flags = std::uint8_t(bytes[3]);
    std::size_t at = 10;
    std::uint32_t chunkLength = 0;
    std::vector<std::uint16_t> chunkSizes;
    bool truncated = false;
    if (flags & 0x04) { // FEXTRA: dictzip keeps its chunk table here
        const std::size_t extraLength = le16(bytes, at);
        at += 2;
        const std::size_t extraEnd = at + extraLength;
        truncated = extraEnd > bytes.size();
        while (!truncated && at + 4 <= extraEnd) {
            const char si1 = bytes[at], si2 = bytes[at + 1];
            const std::size_t length = le16(bytes, at + 2);
            const std::size_t data = at + 4;
            if (data + length > extraEnd)
                break;
            if (si1 == 'R' && si2 == 'A' && length >= 6) {
                chunkLength = le16(bytes, data + 2);
                const std::size_t count = le16(bytes, data + 4);
                if (6 + 2 * count <= length) {
                    for (std::size_t i = 0; i < count; ++i)
                        chunkSizes.push_back(le16(bytes, data + 6 + 2 * i));
                }
            }
            at = data + length;
        }
        at = extraEnd;
    }
    for (std::uint8_t flag : { std::uint8_t(0x08), std::uint8_t(0x10) }) { // FNAME, FCOMMENT
        if (!truncated && (flags & flag)) {
            const std::size_t end = bytes.find('\0', at);
            truncated = end == std::string_view::npos;
            at = truncated ? bytes.size() : end + 1;
        }
    }
    if (flags & 0x02) // FHCRC
        at += 2;
    truncated = truncated || at > bytes.size();

    if (!truncated && chunkLength > 0 && !chunkSizes.empty()) {
        dict.m_chunked = true;
        dict.m_chunkLength = chunkLength;
        std::uint64_t offset = at;
        for (std::uint16_t size : chunkSizes) {
            dict.m_chunkOffsets.push_back(offset);
            offset += size;
        }
        dict.m_chunkOffsets.push_back(offset);
        if (offset > bytes.size()) {
            if (error)
                *error = QStringLiteral("dictzip chunk table points past the end of the file");
            return std::nullopt;
        }
        // The uncompressed size is the gzip trailer's ISIZE (mod 2^32).
        const std::size_t n = bytes.size();
        dict.m_textSize = std::uint32_t(std::uint8_t(bytes[n - 4]) | (std::uint8_t(bytes[n - 3]) << 8)
            | (std::uint8_t(bytes[n - 2]) << 16) | (std::uint32_t(std::uint8_t(bytes[n - 1])) << 24));
        dict.m_file = std::move(file);
        return dict;
    }

    auto text = gunzip(bytes);
    if (!text) {
        if (error)
            *error = QStringLiteral("not a readable gzip file");
        return std::nullopt;
    }
    dict.m_textSize = text->size();
    dict.m_file = MappedFile::fromString(std::move(*text));
    return dict;
}

bool DictZip::inflateChunk(std::size_t index, std::string& out) const
{
    const std::uint64_t begin = m_chunkOffsets[index];
    const std::uint64_t end = m_chunkOffsets[index + 1];
    z_stream z {};
    if (inflateInit2(&z, -15) != Z_OK)
        return false;
    const std::size_t start = out.size();
    out.resize(start + m_chunkLength);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(m_file.bytes().data() + begin));
    z.avail_in = uInt(end - begin);
    z.next_out = reinterpret_cast<Bytef*>(out.data() + start);
    z.avail_out = m_chunkLength;
    // Each chunk ends at a full flush, so it inflates on its own without Z_STREAM_END.
    const int rc = inflate(&z, Z_SYNC_FLUSH);
    out.resize(start + (m_chunkLength - z.avail_out));
    inflateEnd(&z);
    return rc == Z_OK || rc == Z_STREAM_END || rc == Z_BUF_ERROR;
}

DictZip::Chunk DictZip::chunk(std::size_t index) const
{
    if (auto cached = m_chunks->get(index))
        return *cached;
    auto text = std::make_shared<std::string>();
    if (!inflateChunk(index, *text))
        return nullptr;
    m_chunks->put(index, text);
    return text;
}

std::string DictZip::read(std::uint64_t offset, std::uint64_t length) const
{
    if (offset >= m_textSize)
        return {};
    length = std::min(length, m_textSize - offset);
    if (!m_chunked)
        return std::string(m_file.bytes().substr(offset, length));

    std::string text;
    text.reserve(length);
    for (std::uint64_t at = offset; at < offset + length;) {
        const std::size_t index = at / m_chunkLength;
        if (index + 1 >= m_chunkOffsets.size())
            break;
        const Chunk piece = chunk(index);
        const std::uint64_t skip = at - std::uint64_t(index) * m_chunkLength;
        if (!piece || skip >= piece->size())
            return {};
        const std::uint64_t take = std::min<std::uint64_t>(piece->size() - skip, offset + length - at);
        text.append(*piece, skip, take);
        at += take;
    }
    return text;
}

std::string DictZip::readAll() const
{
    if (!m_chunked)
        return std::string(m_file.bytes());
    std::string text;
    text.reserve(m_textSize);
    for (std::size_t i = 0; i + 1 < m_chunkOffsets.size(); ++i) {
        if (!inflateChunk(i, text))
            break;
    }
    return text;
}
