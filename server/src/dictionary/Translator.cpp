// SPDX-License-Identifier: MIT
#include "Translator.h"

#include "Language.h"
#include "SenseRanking.h"

#include <QSet>

namespace {

const QString kServiceHint = QStringLiteral(
    "start sorvantel-server with --translate-url and the address of a LibreTranslate server");

} // namespace

Translator::Translator(const DictionarySet& dictionaries, const WordNet& wordNet,
    const TranslationProvider& provider, const ApertiumTranslator& offline)
    : m_dictionaries(dictionaries)
    , m_wordNet(wordNet)
    , m_provider(provider)
    , m_offline(offline)
    , m_detector(dictionaries, wordNet)
{
}

bool Translator::isDictionarySized(const QString& text)
{
    const QString simplified = text.simplified();
    return simplified.size() <= 64 && simplified.count(u' ') < kMaxDictionaryWords;
}

QString Translator::languageName(const QString& code)
{
    if (code == QLatin1String("en"))
        return QStringLiteral("English");
    const Language* language = Language::find(code);
    return language ? language->name : code;
}

bool Translator::isSupportedTarget(const QString& code)
{
    return code == QLatin1String("en") || Language::find(code) != nullptr;
}

Reply Translator::result(
    const QString& text, const QString& translated, const QString& source, const QString& target)
{
    QJsonObject data;
    data.insert(QStringLiteral("text"), text);
    data.insert(QStringLiteral("translated"), translated);
    data.insert(QStringLiteral("sourceLanguage"), source);
    data.insert(QStringLiteral("targetLanguage"), target);
    return Envelope::success(data);
}

Reply Translator::translate(const QString& text, const QString& target) const
{
    if (!isSupportedTarget(target))
        return Envelope::failure(
            400, QStringLiteral("Unsupported target language “%1”.").arg(target.left(32)));
    const QString phrase = text.simplified();
    if (phrase.isEmpty())
        return Envelope::failure(400, QStringLiteral("Nothing to translate."));
    if (text.size() > kMaxTextLength)
        return Envelope::failure(
            413, QStringLiteral("Texts longer than %1 characters are not translated.").arg(kMaxTextLength));

    if (!isDictionarySized(phrase)) {
        if (m_provider.isConfigured())
            return viaProvider(text, QStringLiteral("auto"), target);
        if (auto translated = offline(text, QStringLiteral("auto"), target))
            return *translated;
        return Envelope::failure(
            503, QStringLiteral("Translating sentences needs a translation service: %1.").arg(kServiceHint));
    }

    const QString source = m_detector.detect(phrase);
    if (source.isEmpty()) {
        if (m_provider.isConfigured())
            return viaProvider(text, QStringLiteral("auto"), target);
        return Envelope::failure(
            404, QStringLiteral("Could not tell which language “%1” is in.").arg(phrase));
    }
    if (source == target)
        return result(text, text, source, target);
    if (const auto translated = fromDictionaries(phrase, source, target))
        return result(text, *translated, source, target);
    if (m_provider.isConfigured())
        return viaProvider(text, source, target);
    if (auto translated = offline(text, source, target))
        return *translated;

    const QString from = languageName(source), to = languageName(target);
    if (source != QLatin1String("en") && target != QLatin1String("en"))
        return Envelope::failure(503,
            QStringLiteral("The offline dictionaries translate only from or into English; "
                           "%1 to %2 needs a translation service: %3.")
                .arg(from, to, kServiceHint));
    const bool haveDictionary = source == QLatin1String("en")
        ? !m_dictionaries.fromEnglish(target).empty()
        : (!m_dictionaries.intoEnglish(source).empty() || m_dictionaries.hasReverseIndex(source));
    if (!haveDictionary)
        return Envelope::failure(503,
            QStringLiteral("There is no offline %1–%2 dictionary; this needs a translation service: %3.")
                .arg(from, to, kServiceHint));
    // Right after a dictionary changed, its reverse index is still being built.
    if (source != QLatin1String("en") && m_dictionaries.intoEnglish(source).empty()
        && !m_dictionaries.reverseIndex(source))
        return Envelope::failure(503,
            QStringLiteral("The offline %1–%2 dictionary is still being prepared; try again in a minute.")
                .arg(from, to));
    return Envelope::failure(
        404, QStringLiteral("“%1” is not in the offline %2–%3 dictionary.").arg(phrase, from, to));
}

std::optional<QString> Translator::fromDictionaries(
    const QString& text, const QString& source, const QString& target) const
{
    if (source == QLatin1String("en")) {
        if (auto translated = fromEnglish(text, target))
            return translated;
        // An inflected form the dictionary lacks ("geese") under its lemma ("goose").
        if (const auto lemma = m_wordNet.headword(text)) {
            const QString base = QString::fromStdString(*lemma).replace(u'_', u' ');
            if (base.compare(text, Qt::CaseInsensitive) != 0)
                return fromEnglish(base, target);
        }
        return std::nullopt;
    }
    if (target != QLatin1String("en"))
        return std::nullopt;
    if (source == QLatin1String("de")) {
        if (auto translated = fromDing(text, DingDictionary::Side::German))
            return translated;
    }
    for (const auto& dictionary : m_dictionaries.intoEnglish(source)) {
        std::vector<ParsedEntry> parsed;
        for (const std::string& entry : dictionary.dictionary->entries(text))
            parsed.push_back(EntryParser::parse(entry, dictionary.format));
        const QString summary
            = SenseRanking::summarise(SenseRanking::order(SenseRanking::sensesOf(text, parsed)));
        if (!summary.isEmpty())
            return summary;
    }
    if (const auto reverse = m_dictionaries.reverseIndex(source)) {
        const QStringList headwords = reverse->lookup(text);
        if (!headwords.isEmpty())
            return headwords.join(QStringLiteral(", "));
    }
    return std::nullopt;
}

std::optional<QString> Translator::fromDing(const QString& word, DingDictionary::Side side) const
{
    const auto ding = m_dictionaries.ding();
    if (!ding)
        return std::nullopt;
    std::vector<DingDictionary::Entry> entries = ding->lookup(word, side);
    // A word read on its own is mostly meant as its noun ("train", "present",
    // "watch"), unless it is mainly an adjective or adverb ("fair", "well").
    // WordNet's corpus counts verbs high, so a verb is never preferred.
    DingDictionary::Kind preferred = DingDictionary::Kind::Unknown;
    if (side == DingDictionary::Side::English) {
        const auto pos = m_wordNet.commonPartOfSpeech(word);
        preferred = pos == WordNet::PartOfSpeech::Adjective ? DingDictionary::Kind::Adjective
            : pos == WordNet::PartOfSpeech::Adverb          ? DingDictionary::Kind::Adverb
                                                            : DingDictionary::Kind::Noun;
    }
    DingDictionary::order(entries, preferred);
    std::vector<SenseRanking::Sense> senses;
    for (const DingDictionary::Entry& entry : entries)
        senses.push_back({ entry.terms, 0, false });
    const QString summary = SenseRanking::summarise(senses);
    if (summary.isEmpty())
        return std::nullopt;
    return summary;
}

std::optional<QString> Translator::fromEnglish(const QString& word, const QString& target) const
{
    // Ding is far larger than FreeDict's English–German and marks what each
    // sense is, so its order is the better one.
    if (target == QLatin1String("de")) {
        if (auto translated = fromDing(word, DingDictionary::Side::English))
            return translated;
    }
    // The senses come from the largest dictionary that has the word; the
    // others, and the dictionaries back into English, confirm them.
    std::vector<SenseRanking::Sense> senses;
    QSet<QString> elsewhere;
    for (const auto& dictionary : m_dictionaries.fromEnglish(target)) {
        std::vector<ParsedEntry> parsed;
        for (const std::string& entry : dictionary.dictionary->entries(word))
            parsed.push_back(EntryParser::parse(entry, dictionary.format));
        auto found = SenseRanking::sensesOf(word, parsed);
        if (senses.empty()) {
            senses = std::move(found);
            continue;
        }
        for (const auto& sense : found) {
            for (const QString& term : sense.terms)
                elsewhere.insert(term.toLower());
        }
    }
    if (senses.empty())
        return std::nullopt;
    constexpr std::size_t kChecked = 40; // each check is a dictionary lookup
    for (std::size_t i = 0; i < std::min(senses.size(), kChecked); ++i) {
        SenseRanking::Sense& sense = senses[i];
        sense.confirmed = std::any_of(sense.terms.begin(), sense.terms.end(), [&](const QString& term) {
            return elsewhere.contains(term.toLower());
        }) || translatesBack(sense.terms.front(), word, target);
    }
    const QString summary = SenseRanking::summarise(SenseRanking::order(std::move(senses)));
    if (summary.isEmpty())
        return std::nullopt;
    return summary;
}

bool Translator::translatesBack(const QString& term, const QString& word, const QString& language) const
{
    const QString wanted = word.toLower();
    for (const auto& dictionary : m_dictionaries.intoEnglish(language)) {
        for (const std::string& entry : dictionary.dictionary->entries(term)) {
            const ParsedEntry parsed = EntryParser::parse(entry, dictionary.format);
            for (const QStringList& sense : parsed.senses) {
                for (QString english : sense) {
                    english = english.toLower();
                    if (english.startsWith(QLatin1String("to ")))
                        english = english.mid(3);
                    if (english == wanted)
                        return true;
                }
            }
        }
    }
    return false;
}

Reply Translator::viaProvider(const QString& text, const QString& source, const QString& target) const
{
    const TranslationProvider::Result answer = m_provider.translate(text, source, target);
    if (!answer.ok) {
        // An answer made here beats an error when the service is down or refuses.
        // The service's own error stays when the offline one fails too.
        if (auto translated = offline(text, source, target); translated && translated->status == 200)
            return *translated;
        return Envelope::failure(answer.status ? answer.status : 502, answer.error);
    }
    QString detected = source;
    if (detected == QLatin1String("auto"))
        detected = answer.detectedSource.isEmpty() ? m_detector.detect(text) : answer.detectedSource;
    if (detected.isEmpty())
        detected = QStringLiteral("auto");
    return result(text, answer.translated, detected, target);
}

std::optional<Reply> Translator::offline(
    const QString& text, const QString& source, const QString& target) const
{
    // Apertium turns any text into something; only English is worth it.
    const bool english
        = source == QLatin1String("auto") ? m_detector.isMostlyEnglish(text) : source == QLatin1String("en");
    const QString from = QStringLiteral("en");
    if (!english || !ApertiumTranslator::handles(from, target))
        return std::nullopt;
    const ApertiumTranslator::Result answer = m_offline.translate(text);
    switch (answer.kind) {
    case ApertiumTranslator::Result::Kind::Translated:
        return result(text, answer.translated, from, target);
    case ApertiumTranslator::Result::Kind::Failed:
        return Envelope::failure(504, answer.error);
    case ApertiumTranslator::Result::Kind::Unavailable:
        break;
    }
    return std::nullopt;
}
