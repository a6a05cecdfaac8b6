// SPDX-License-Identifier: MIT
#include "Keychain.h"

#include "SecretStore.h"

#include <QStringDecoder>

namespace Keychain {

std::optional<QString> read(const QString& service, const QString& account)
{
    const SecretStore::Lookup lookup = SecretStore::forSession().read(service, account);
    if (lookup.status != SecretStore::Status::ok)
        return std::nullopt;
    // Strict: malformed bytes give none rather than replacement characters,
    // and a leading byte-order mark is kept as part of the text.
    QStringDecoder decoder(
        QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = decoder.decode(lookup.secret);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

bool save(const QString& value, const QString& service, const QString& account)
{
    return SecretStore::forSession().save(value.toUtf8(), service, account) == SecretStore::Status::ok;
}

void remove(const QString& service, const QString& account)
{
    SecretStore::forSession().remove(service, account);
}

} // namespace Keychain
