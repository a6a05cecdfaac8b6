// SPDX-License-Identifier: MIT
#pragma once

#include "MappedFile.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <string>

// Derived data kept in the cache folder. A file is written whole or not at
// all, and its first line names what it was built from and holds the body's
// length and checksum: a stale, truncated or damaged file is rebuilt, never
// trusted (a reader of a damaged index would return wrong words, or none).
class CacheFile {
public:
    // The body of the file at `path` when it is whole and was built for `key`.
    static std::optional<MappedFile> open(const QString& path, const QByteArray& key);
    static bool write(const QString& path, const QByteArray& key, const std::string& body);
};
