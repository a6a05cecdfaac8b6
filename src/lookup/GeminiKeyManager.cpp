// SPDX-License-Identifier: MIT
#include "GeminiKeyManager.h"

#include "Keychain.h"

#include <QTextBoundaryFinder>

namespace GeminiKeyManager {

std::optional<QString> read()
{
    return Keychain::read(service, account);
}

bool save(const QString& key)
{
    return Keychain::save(key, service, account);
}

void remove()
{
    Keychain::remove(service, account);
}

bool hasKey()
{
    return read().has_value();
}

std::optional<QString> maskedKey()
{
    const std::optional<QString> key = read();
    if (!key)
        return std::nullopt;
    // Characters as the user sees them (an accent with its letter is one).
    QTextBoundaryFinder boundaries(QTextBoundaryFinder::Grapheme, *key);
    boundaries.toEnd();
    qsizetype start = key->size();
    for (int i = 0; i < 4; ++i) {
        const qsizetype previous = boundaries.toPreviousBoundary();
        if (previous < 0)
            break;
        start = previous;
    }
    return QStringLiteral(u"\u2022\u2022\u2022\u2022") + key->mid(start);
}

} // namespace GeminiKeyManager
