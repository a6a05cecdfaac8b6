// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The text of a dictd ".dict" or ".dict.dz" file, held in memory. A dictzip
// file stays compressed and is inflated one chunk at a time on reading, so the
// large dictionaries cost their compressed size, not their text size; other
// gzip files are inflated whole at load.
class DictZip {
public:
    static std::optional<DictZip> load(const QString& path, QString* error);
    // The same from bytes already in memory (tests build small files).
    static std::optional<DictZip> fromBytes(std::string bytes, QString* error);

    // `length` bytes of text from `offset`; shorter at the end of the text.
    std::string read(std::uint64_t offset, std::uint64_t length) const;
    // The whole text, for one pass over every entry at load.
    std::string readAll() const;

    std::uint64_t textSize() const { return m_textSize; }
    std::size_t memorySize() const { return m_bytes.size(); }

private:
    bool inflateChunk(std::size_t index, std::string& out) const;

    std::string m_bytes; // compressed file, or the plain text
    bool m_chunked = false;
    std::uint32_t m_chunkLength = 0;
    std::vector<std::uint64_t> m_chunkOffsets; // into m_bytes; one past the last chunk at the end
    std::uint64_t m_textSize = 0;
};
