// SPDX-License-Identifier: MIT
#include "GeminiKeyManager.h"

#include "Keychain.h"

#include <QTextBoundaryFinder>

namespace GeminiKeyManager {

namespace {

    // What the keyring held at the last read or successful change; empty
    // before the first read and when a change may have failed.
    std::optional<std::optional<QString>> g_cached;

} // namespace

std::optional<QString> read()
{
    if (!g_cached)
        g_cached = Keychain::read(service, account);
    return *g_cached;
}

bool save(const QString& key)
{
    const bool stored = Keychain::save(key, service, account);
    if (stored)
        g_cached = key;
    else
        g_cached.reset();
    return stored;
}

void remove()
{
    if (Keychain::remove(service, account))
        g_cached = std::optional<QString>();
    else
        g_cached.reset();
}

void forgetCachedKey()
{
    g_cached.reset();
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
