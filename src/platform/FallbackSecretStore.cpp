// SPDX-License-Identifier: MIT
#include "FallbackSecretStore.h"

FallbackSecretStore::FallbackSecretStore(
    std::unique_ptr<SecretStore> primary, std::unique_ptr<SecretStore> fallback)
    : m_primary(std::move(primary))
    , m_fallback(std::move(fallback))
{
}

SecretStore::Lookup FallbackSecretStore::read(const QString& service, const QString& account)
{
    Lookup lookup = m_primary->read(service, account);
    // Absent from the service: perhaps saved while no service ran.
    if (lookup.status == Status::unavailable || lookup.status == Status::notFound)
        return m_fallback->read(service, account);
    return lookup;
}

SecretStore::Status FallbackSecretStore::save(
    const QByteArray& secret, const QString& service, const QString& account)
{
    const Status status = m_primary->save(secret, service, account);
    if (status == Status::unavailable)
        return m_fallback->save(secret, service, account);
    if (status == Status::ok)
        m_fallback->remove(service, account);
    return status;
}

SecretStore::Status FallbackSecretStore::remove(const QString& service, const QString& account)
{
    const Status primary = m_primary->remove(service, account);
    const Status fallback = m_fallback->remove(service, account);
    if (primary == Status::unavailable)
        return fallback;
    return primary == Status::ok ? fallback : primary;
}
