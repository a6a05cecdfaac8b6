// SPDX-License-Identifier: MIT
#include "MappedFile.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

std::optional<MappedFile> MappedFile::open(const QString& path, QString* error)
{
    auto fail = [&](int code) {
        if (error)
            *error
                = QStringLiteral("cannot read %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(code)));
        return std::nullopt;
    };
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return fail(errno);
    struct stat info { };
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const int code = S_ISREG(info.st_mode) ? errno : EINVAL;
        ::close(fd);
        return fail(code);
    }
    MappedFile file;
    file.m_identity = QStringLiteral("%1:%2:%3:%4.%5")
                          .arg(info.st_dev)
                          .arg(info.st_ino)
                          .arg(info.st_size)
                          .arg(info.st_mtim.tv_sec)
                          .arg(info.st_mtim.tv_nsec);
    const auto size = std::size_t(info.st_size);
    if (size == 0) {
        ::close(fd);
        file.m_owner = std::make_shared<int>(0);
        return file;
    }
    void* address = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    const int mapError = errno;
    ::close(fd); // the mapping keeps the file open
    if (address == MAP_FAILED)
        return fail(mapError);
    // Lookups jump around the file: read-ahead would only fill memory.
    ::madvise(address, size, MADV_RANDOM);
    file.m_owner = std::shared_ptr<const void>(
        address, [size](const void* at) { ::munmap(const_cast<void*>(at), size); });
    file.m_bytes = std::string_view(static_cast<const char*>(address), size);
    return file;
}

MappedFile MappedFile::fromString(std::string bytes)
{
    MappedFile file;
    auto owned = std::make_shared<const std::string>(std::move(bytes));
    file.m_bytes = *owned;
    file.m_owner = std::move(owned);
    return file;
}

MappedFile MappedFile::withoutPrefix(std::size_t length) const
{
    MappedFile file = *this;
    file.m_bytes = m_bytes.substr(std::min(length, m_bytes.size()));
    return file;
}
