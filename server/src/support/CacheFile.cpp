// SPDX-License-Identifier: MIT
#include "CacheFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <zlib.h>

namespace {

constexpr char kMagic[] = "sorvantel-cache";

QByteArray header(const QByteArray& key, std::size_t length, unsigned long checksum)
{
    return kMagic + QByteArray("\t") + key + '\t' + QByteArray::number(qulonglong(length)) + '\t'
        + QByteArray::number(qulonglong(checksum), 16) + '\n';
}

} // namespace

bool CacheFile::write(const QString& path, const QByteArray& key, const std::string& body)
{
    QDir().mkpath(QFileInfo(path).path());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const unsigned long checksum = crc32(0, reinterpret_cast<const Bytef*>(body.data()), uInt(body.size()));
    file.write(header(key, body.size(), checksum));
    file.write(body.data(), qint64(body.size()));
    return file.commit();
}

std::optional<MappedFile> CacheFile::open(const QString& path, const QByteArray& key)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray first = file.readLine(1024);
    const QList<QByteArray> fields = first.trimmed().split('\t');
    if (fields.size() != 4 || fields[0] != kMagic || fields[1] != key)
        return std::nullopt;
    bool lengthOk = false;
    const qulonglong length = fields[2].toULongLong(&lengthOk);
    if (!lengthOk || qulonglong(file.size() - first.size()) != length)
        return std::nullopt;
    // Read through the file, not the mapping, so the check leaves no pages
    // of the index resident.
    unsigned long checksum = crc32(0, nullptr, 0);
    while (!file.atEnd()) {
        const QByteArray chunk = file.read(1 << 16);
        checksum = crc32(checksum, reinterpret_cast<const Bytef*>(chunk.constData()), uInt(chunk.size()));
    }
    if (header(key, length, checksum) != first)
        return std::nullopt;
    auto mapped = MappedFile::open(path, nullptr);
    if (!mapped || mapped->bytes().size() != first.size() + length)
        return std::nullopt;
    return mapped->withoutPrefix(std::size_t(first.size()));
}
