// SPDX-License-Identifier: MIT
#pragma once

#include "LruCache.h"
#include "MappedFile.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The text of a dictd ".dict" or ".dict.dz" file. The file is mapped, not
// read: a dictzip file is inflated one chunk at a time when an entry is read,
// and the last few chunks are kept, so a large dictionary costs the pages
// that lookups touched. Other gzip files are inflated whole when opened.
// Reading is safe from several threads.
class DictZip {
public:
    static constexpr std::size_t kCachedChunks = 8;

    static std::optional<DictZip> load(const QString& path, QString* error);
    static std::optional<DictZip> open(MappedFile file, QString* error);

    // `length` bytes of text from `offset`; shorter at the end of the text.
    std::string read(std::uint64_t offset, std::uint64_t length) const;
    // The whole text, for one pass over every entry (building an index).
    std::string readAll() const;

    std::uint64_t textSize() const { return m_textSize; }
    const QString& identity() const { return m_file.identity(); }

private:
    using Chunk = std::shared_ptr<const std::string>;
    Chunk chunk(std::size_t index) const;
    bool inflateChunk(std::size_t index, std::string& out) const;

    MappedFile m_file; // compressed file, or the plain text
    bool m_chunked = false;
    std::uint32_t m_chunkLength = 0;
    std::vector<std::uint64_t> m_chunkOffsets; // into the file; one past the last chunk at the end
    std::uint64_t m_textSize = 0;
    std::shared_ptr<LruCache<std::size_t, Chunk>> m_chunks
        = std::make_shared<LruCache<std::size_t, Chunk>>(kCachedChunks);
};
