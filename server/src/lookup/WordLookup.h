// SPDX-License-Identifier: MIT
#pragma once

#include "Envelope.h"
#include "Espeak.h"
#include "LruCache.h"
#include "WordNet.h"

#include <QString>

// Word lookup and pronunciation: WordNet for the entry, espeak-ng for the
// transcription and the recording.
class WordLookup {
public:
    static constexpr int kMaxWordLength = 64;
    static constexpr qsizetype kMaxCachedWavBytes = 256 * 1024;

    // `ownOrigin` is where clients reach this server ("http://127.0.0.1:47831"),
    // for the pronunciation address of each entry. `espeak` may be null.
    WordLookup(const WordNet& wordNet, Espeak* espeak, QString ownOrigin);

    // A `DictionaryEntry` envelope.
    Reply lookup(const QString& word, const QString& accent);
    // The WAV recording of a word, or an envelope saying why not.
    Reply pronunciation(const QString& word, const QString& accent);

    // Where the pronunciation of `word` is served, relative to the origin.
    static QString pronunciationPath(const QString& word, const QString& accent);
    static QString pageUrl(const QString& lemma);
    // Why `word` cannot be looked up, or an empty text when it can.
    static QString invalidWordReason(const QString& word);

private:
    // The accent of a request whose word and accent are acceptable; otherwise
    // none, with the refusal to send.
    static std::optional<Espeak::Accent> checkRequest(
        const QString& word, const QString& accentCode, Reply* refusal);

    const WordNet& m_wordNet;
    Espeak* m_espeak;
    QString m_ownOrigin;
    LruCache<QString, QString> m_ipaCache { 4096 };
    LruCache<QString, QByteArray> m_wavCache { 256, 32 * 1024 * 1024 };
};
