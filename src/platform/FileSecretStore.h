// SPDX-License-Identifier: MIT
#pragma once

#include "SecretStore.h"

#include <QString>

// Secrets in one file that only the user may read or write (mode 0600, in a
// folder of mode 0700), for desktops without a Secret Service. The file is
// JSON: {"items": [{"service", "account", "secret" (base64)}]}. Every change
// writes a new file and renames it over the old one, so a crash leaves either
// the old or the new contents, never a mix, and the secret never sits in a
// file with wider permissions, not even for a moment.
class FileSecretStore final : public SecretStore {
public:
    explicit FileSecretStore(QString path = defaultPath());

    // $XDG_DATA_HOME/sorvantel/secrets.json
    static QString defaultPath();
    QString path() const { return m_path; }

    Lookup read(const QString& service, const QString& account) override;
    Status save(const QByteArray& secret, const QString& service, const QString& account) override;
    Status remove(const QString& service, const QString& account) override;

private:
    QString m_path;
};
