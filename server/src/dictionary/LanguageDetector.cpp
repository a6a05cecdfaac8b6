// SPDX-License-Identifier: MIT
#include "LanguageDetector.h"

#include <QRegularExpression>

#include <map>

LanguageDetector::LanguageDetector(const DictionarySet& dictionaries, const WordNet& wordNet)
    : m_dictionaries(dictionaries)
    , m_wordNet(wordNet)
{
}

LanguageDetector::Script LanguageDetector::script(const QString& text)
{
    std::map<Script, int> counts;
    bool kana = false;
    for (QChar c : text) {
        if (!c.isLetter())
            continue;
        switch (c.script()) {
        case QChar::Script_Latin:
            ++counts[Script::Latin];
            break;
        case QChar::Script_Cyrillic:
            ++counts[Script::Cyrillic];
            break;
        case QChar::Script_Greek:
            ++counts[Script::Greek];
            break;
        case QChar::Script_Hebrew:
            ++counts[Script::Hebrew];
            break;
        case QChar::Script_Arabic:
            ++counts[Script::Arabic];
            break;
        case QChar::Script_Devanagari:
            ++counts[Script::Devanagari];
            break;
        case QChar::Script_Hangul:
            ++counts[Script::Hangul];
            break;
        case QChar::Script_Hiragana:
        case QChar::Script_Katakana:
            kana = true;
            ++counts[Script::Kana];
            break;
        case QChar::Script_Han:
            ++counts[Script::Han];
            break;
        default:
            ++counts[Script::Other];
        }
    }
    if (counts.empty())
        return Script::None;
    // Any kana makes Japanese, even among more kanji.
    if (kana)
        return Script::Kana;
    Script best = Script::None;
    int bestCount = 0;
    for (const auto& [s, count] : counts) {
        if (count > bestCount) {
            best = s;
            bestCount = count;
        }
    }
    return best;
}

QString LanguageDetector::languageOfScript(Script script, const QString& text)
{
    switch (script) {
    case Script::Cyrillic: {
        // Letters Russian does not have.
        for (QChar c : text.toLower()) {
            if (c == QChar(0x0456) || c == QChar(0x0457) || c == QChar(0x0454) || c == QChar(0x0491))
                return QStringLiteral("uk");
        }
        return QStringLiteral("ru");
    }
    case Script::Greek:
        return QStringLiteral("el");
    case Script::Hebrew:
        return QStringLiteral("he");
    case Script::Arabic:
        return QStringLiteral("ar");
    case Script::Devanagari:
        return QStringLiteral("hi");
    case Script::Hangul:
        return QStringLiteral("ko");
    case Script::Kana:
        return QStringLiteral("ja");
    default:
        return {};
    }
}

namespace {

// English first: a word English shares with another language is most
// likely English in a program that translates from English.
const QStringList kCandidates = { QStringLiteral("en"), QStringLiteral("es"), QStringLiteral("fr"),
    QStringLiteral("de"), QStringLiteral("it"), QStringLiteral("pt"), QStringLiteral("pl"),
    QStringLiteral("tr"), QStringLiteral("nl"), QStringLiteral("sv"), QStringLiteral("cs"),
    QStringLiteral("vi"), QStringLiteral("id") };

} // namespace

QString LanguageDetector::detect(const QString& text) const
{
    const QString trimmed = text.simplified();
    const Script s = script(trimmed);
    if (const QString byScript = languageOfScript(s, trimmed); !byScript.isEmpty())
        return byScript;
    if (s == Script::Han) {
        // Kanji without kana: Japanese when the Japanese dictionary has it.
        for (const auto& source : m_dictionaries.intoEnglish(QStringLiteral("ja"))) {
            if (source.dictionary->contains(trimmed))
                return QStringLiteral("ja");
        }
        return QStringLiteral("zh-CN");
    }
    if (s == Script::Latin)
        return detectLatin(trimmed);
    return {};
}

bool LanguageDetector::knows(const QString& code, const QString& phrase) const
{
    if (code == QLatin1String("en"))
        return m_wordNet.contains(phrase) || m_dictionaries.hasEnglishHeadword(phrase);
    for (const auto& source : m_dictionaries.intoEnglish(code)) {
        if (source.dictionary->contains(phrase))
            return true;
    }
    const auto reverse = m_dictionaries.reverseIndex(code);
    return reverse && reverse->contains(phrase);
}

bool LanguageDetector::isMostlyEnglish(const QString& text) const
{
    if (script(text) != Script::Latin)
        return false;
    // Every language votes for each word it knows, so a sentence is not
    // taken for English because a few of its words are also English ones.
    static constexpr int kWordsChecked = 40; // each check is a few dictionary lookups
    const QStringList words
        = text.split(QRegularExpression(QStringLiteral("[^\\p{L}']+")), Qt::SkipEmptyParts);
    std::map<QString, int> votes;
    int checked = 0;
    for (const QString& word : words) {
        if (checked++ == kWordsChecked)
            break;
        for (const QString& code : kCandidates)
            votes[code] += knows(code, word) ? 1 : 0;
    }
    const int english = votes[QStringLiteral("en")];
    if (english * 2 < checked)
        return false;
    return std::all_of(
        votes.begin(), votes.end(), [english](const auto& vote) { return vote.second <= english; });
}

QString LanguageDetector::detectLatin(const QString& text) const
{
    const QStringList& candidates = kCandidates;

    // The whole phrase first, then a vote of its words.
    for (const QString& code : candidates) {
        if (knows(code, text))
            return code;
    }
    const QStringList words = text.split(u' ', Qt::SkipEmptyParts);
    if (words.size() < 2)
        return {};
    std::map<QString, int> votes;
    for (const QString& word : words) {
        for (const QString& code : candidates) {
            if (knows(code, word)) {
                ++votes[code];
                break;
            }
        }
    }
    QString best;
    int bestVotes = 0;
    for (const QString& code : candidates) {
        if (votes[code] > bestVotes) {
            best = code;
            bestVotes = votes[code];
        }
    }
    return best;
}
