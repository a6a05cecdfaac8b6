// SPDX-License-Identifier: MIT
#include "FileSecretStore.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Status = SecretStore::Status;

// Far more than any set of keys; a bigger file is not ours.
constexpr qint64 maxFileBytes = 1024 * 1024;

enum class FileState { absent, readable, unreadable };

struct Contents {
    FileState state = FileState::absent;
    QJsonArray items;
};

Contents load(const QString& path)
{
    // O_NOFOLLOW: a symbolic link planted in place of the file is not followed.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return { errno == ENOENT ? FileState::absent : FileState::unreadable, {} };
    QByteArray data;
    char buffer[8192];
    ssize_t count = 0;
    while ((count = ::read(fd, buffer, sizeof buffer)) > 0 && data.size() <= maxFileBytes)
        data.append(buffer, count);
    ::close(fd);
    if (count < 0 || data.size() > maxFileBytes)
        return { FileState::unreadable, {} };
    const QJsonDocument document = QJsonDocument::fromJson(data);
    if (!document.isObject() || !document.object().value(QLatin1String("items")).isArray())
        return { FileState::unreadable, {} };
    return { FileState::readable, document.object().value(QLatin1String("items")).toArray() };
}

bool matches(const QJsonValue& item, const QString& service, const QString& account)
{
    const QJsonObject object = item.toObject();
    return object.value(QLatin1String("service")).toString() == service
        && object.value(QLatin1String("account")).toString() == account;
}

bool writeAll(int fd, const QByteArray& data)
{
    qsizetype written = 0;
    while (written < data.size()) {
        const ssize_t count = ::write(fd, data.constData() + written, size_t(data.size() - written));
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        written += count;
    }
    return true;
}

// Writes the items to a new file of mode 0600 and renames it over the old.
// An empty list removes the file.
Status store(const QString& path, const QJsonArray& items)
{
    const QByteArray target = QFile::encodeName(path);
    if (items.isEmpty())
        return (::unlink(target.constData()) == 0 || errno == ENOENT) ? Status::ok : Status::failed;

    const QString folder = QFileInfo(path).absolutePath();
    if (!QFileInfo::exists(folder)) {
        if (!QDir().mkpath(folder))
            return Status::failed;
        ::chmod(QFile::encodeName(folder).constData(), 0700);
    }

    QByteArray temporary = target + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC); // mode 0600
    if (fd < 0)
        return Status::failed;
    QJsonObject root;
    root.insert(QLatin1String("items"), items);
    const bool written = writeAll(fd, QJsonDocument(root).toJson(QJsonDocument::Indented))
        && ::fchmod(fd, 0600) == 0 && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || ::rename(temporary.constData(), target.constData()) != 0) {
        ::unlink(temporary.constData());
        return Status::failed;
    }
    return Status::ok;
}

// A file that cannot be read back is moved aside rather than overwritten, so
// that whatever it held is not lost. Each gets a name of its own (an earlier
// one may hold keys too); link() never replaces an existing name. False when
// the file is still in place.
bool setAside(const QString& path)
{
    const QByteArray from = QFile::encodeName(path);
    const QString stem = path + QStringLiteral(".unreadable-")
        + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (int attempt = 1; attempt <= 100; ++attempt) {
        const QString aside = attempt == 1 ? stem : stem + QLatin1Char('-') + QString::number(attempt);
        if (::link(from.constData(), QFile::encodeName(aside).constData()) == 0)
            return ::unlink(from.constData()) == 0;
        if (errno != EEXIST)
            return false;
    }
    return false;
}

} // namespace

FileSecretStore::FileSecretStore(QString path)
    : m_path(std::move(path))
{
}

QString FileSecretStore::defaultPath()
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return data.isEmpty() ? QString() : data + QStringLiteral("/sorvantel/secrets.json");
}

SecretStore::Lookup FileSecretStore::read(const QString& service, const QString& account)
{
    const Contents contents = load(m_path);
    if (contents.state == FileState::unreadable)
        return { Status::failed, {} };
    for (const QJsonValue& item : contents.items) {
        if (!matches(item, service, account))
            continue;
        const QJsonValue secret = item.toObject().value(QLatin1String("secret"));
        if (!secret.isString())
            return { Status::failed, {} };
        auto decoded = QByteArray::fromBase64Encoding(
            secret.toString().toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded)
            return { Status::failed, {} };
        return { Status::ok, *decoded };
    }
    return { Status::notFound, {} };
}

SecretStore::Status FileSecretStore::save(
    const QByteArray& secret, const QString& service, const QString& account)
{
    if (m_path.isEmpty()) // no data folder known
        return Status::failed;
    Contents contents = load(m_path);
    // Writing over a file that could not be set aside would destroy it.
    if (contents.state == FileState::unreadable && !setAside(m_path))
        return Status::failed;
    QJsonArray items;
    for (const QJsonValue& item : contents.items) {
        if (!matches(item, service, account))
            items.append(item);
    }
    QJsonObject entry;
    entry.insert(QLatin1String("service"), service);
    entry.insert(QLatin1String("account"), account);
    entry.insert(QLatin1String("secret"), QString::fromLatin1(secret.toBase64()));
    items.append(entry);
    return store(m_path, items);
}

SecretStore::Status FileSecretStore::remove(const QString& service, const QString& account)
{
    const Contents contents = load(m_path);
    if (contents.state == FileState::absent)
        return Status::ok;
    if (contents.state == FileState::unreadable)
        return Status::failed;
    QJsonArray items;
    for (const QJsonValue& item : contents.items) {
        if (!matches(item, service, account))
            items.append(item);
    }
    if (items.size() == contents.items.size())
        return Status::ok;
    return store(m_path, items);
}
