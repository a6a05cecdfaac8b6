// SPDX-License-Identifier: MIT
#include "WordLookup.h"

#include <QUrl>

WordLookup::WordLookup(const WordNet& wordNet, Espeak* espeak, QString ownOrigin)
    : m_wordNet(wordNet)
    , m_espeak(espeak)
    , m_ownOrigin(std::move(ownOrigin))
{
}

QString WordLookup::invalidWordReason(const QString& word)
{
    const QString trimmed = word.trimmed();
    if (trimmed.isEmpty())
        return QStringLiteral("Nothing to look up.");
    // By code point: letters outside the Basic Multilingual Plane are two
    // UTF-16 units but one character.
    const QList<uint> codePoints = QStringView(trimmed).toUcs4();
    if (codePoints.size() > kMaxWordLength)
        return QStringLiteral("Words longer than %1 characters are not looked up.").arg(kMaxWordLength);
    bool hasLetter = false;
    for (const uint c : codePoints) {
        const char32_t u = c;
        hasLetter = hasLetter || QChar::isLetter(u);
        if (!(QChar::isLetter(u) || QChar::isMark(u) || u == U'-' || u == U'\'' || u == U'\u2019' || u == U' '
                || u == U'.'))
            return QStringLiteral("“%1” is not a word.").arg(trimmed);
    }
    // Punctuation alone would be spoken as near silence.
    if (!hasLetter)
        return QStringLiteral("“%1” is not a word.").arg(trimmed);
    return {};
}

QString WordLookup::pronunciationPath(const QString& word, const QString& accent)
{
    return QStringLiteral("/pronunciation/") + QString::fromLatin1(QUrl::toPercentEncoding(word))
        + QStringLiteral("?accent=") + QString::fromLatin1(QUrl::toPercentEncoding(accent));
}

QString WordLookup::pageUrl(const QString& lemma)
{
    QString slug = lemma.toLower();
    slug.replace(u' ', u'-');
    return QStringLiteral("https://dictionary.cambridge.org/dictionary/english/")
        + QString::fromLatin1(QUrl::toPercentEncoding(slug, "-'"));
}

std::optional<Espeak::Accent> WordLookup::checkRequest(
    const QString& word, const QString& accentCode, Reply* refusal)
{
    const QString reason = invalidWordReason(word);
    if (!reason.isEmpty()) {
        *refusal = Envelope::failure(400, reason);
        return std::nullopt;
    }
    // No accent at all means the default one.
    const auto accent = Espeak::accentFromCode(accentCode.isEmpty() ? QStringLiteral("uk") : accentCode);
    if (!accent)
        *refusal = Envelope::failure(400, QStringLiteral("The accent must be “uk” or “us”."));
    return accent;
}

Reply WordLookup::lookup(const QString& word, const QString& accentCode)
{
    Reply refusal;
    const auto accent = checkRequest(word, accentCode, &refusal);
    if (!accent)
        return refusal;
    const QString accentText
        = *accent == Espeak::Accent::British ? QStringLiteral("uk") : QStringLiteral("us");

    const auto entry = m_wordNet.lookup(word);
    if (!entry)
        return Envelope::failure(404, QStringLiteral("No dictionary entry for “%1”.").arg(word.trimmed()));

    QJsonObject data;
    data.insert(QStringLiteral("word"), entry->lemma);
    data.insert(QStringLiteral("accent"), accentText);
    QStringList definition;
    for (const WordNet::Sense& sense : entry->firstSenses)
        definition << WordNet::partOfSpeechName(sense.partOfSpeech) + QStringLiteral(": ") + sense.gloss;
    if (!definition.isEmpty())
        data.insert(QStringLiteral("definition"), definition.join(u'\n'));

    // The popup shows the selected word itself beside the transcription and
    // plays it, so both are of that word ("running"), not of its lemma.
    const QString spoken = word.trimmed().toLower();
    if (m_espeak) {
        const QString key = accentText + u'\n' + spoken;
        auto ipa = m_ipaCache.get(key);
        if (!ipa) {
            if (auto transcription = m_espeak->ipa(spoken, *accent)) {
                ipa = u'/' + *transcription + u'/';
                m_ipaCache.put(key, *ipa);
            }
        }
        if (ipa)
            data.insert(QStringLiteral("ipa"), *ipa);
        data.insert(QStringLiteral("audioUrl"), m_ownOrigin + pronunciationPath(spoken, accentText));
    }
    data.insert(QStringLiteral("pageUrl"), pageUrl(entry->lemma));
    return Envelope::success(data);
}

Reply WordLookup::pronunciation(const QString& word, const QString& accentCode)
{
    Reply refusal;
    const auto accent = checkRequest(word, accentCode, &refusal);
    if (!accent)
        return refusal;
    if (!m_espeak)
        return Envelope::failure(503, QStringLiteral("Speech is not available: espeak-ng could not start."));
    const QString spoken = word.trimmed().toLower();
    const QString key = QString::number(int(*accent)) + u'\n' + spoken;
    auto wav = m_wavCache.get(key);
    if (!wav) {
        wav = m_espeak->wav(spoken, *accent);
        if (!wav)
            return Envelope::failure(500, QStringLiteral("Could not synthesise “%1”.").arg(spoken));
        // Long words of wide glyphs make recordings of megabytes: those are
        // synthesised again rather than kept.
        if (wav->size() <= kMaxCachedWavBytes)
            m_wavCache.put(key, *wav, std::size_t(wav->size()));
    }
    return { 200, *wav, "audio/wav" };
}
