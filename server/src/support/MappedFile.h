// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// Read-only bytes that stay valid while any copy lives: a file mapped into
// memory, or a string handed over (tests). A mapped file costs resident memory
// only for the pages that are read, and the kernel may drop them again.
class MappedFile {
public:
    MappedFile() = default;
    static std::optional<MappedFile> open(const QString& path, QString* error);
    static MappedFile fromString(std::string bytes);

    std::string_view bytes() const { return m_bytes; }
    // The same bytes without their first `length`.
    MappedFile withoutPrefix(std::size_t length) const;
    // Changes when the file is replaced or rewritten: device, inode, size and
    // modification time. Empty for bytes that came from a string.
    const QString& identity() const { return m_identity; }

private:
    std::shared_ptr<const void> m_owner;
    std::string_view m_bytes;
    QString m_identity;
};
