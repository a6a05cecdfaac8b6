// SPDX-License-Identifier: MIT
#include "DingDictionary.h"

#include "DictdDictionary.h"
#include "SortedLines.h"

#include <QRegularExpression>
#include <algorithm>
#include <charconv>

namespace {

constexpr std::string_view kSides = " :: ";
constexpr std::string_view kParts = " | ";

// The first part of each side of a line, or false for a comment or a line without two sides.
bool firstParts(std::string_view line, std::string_view& german, std::string_view& english)
{
    const std::size_t sides = line.find(kSides);
    if (line.starts_with('#') || sides == std::string_view::npos)
        return false;
    german = line.substr(0, sides);
    english = line.substr(sides + kSides.size());
    german = german.substr(0, german.find(kParts));
    english = english.substr(0, english.find(kParts));
    return true;
}

// Split at the semicolons outside brackets: "to run {ran; run}" is one synonym.
QStringList synonyms(std::string_view part)
{
    const QString text = QString::fromUtf8(part.data(), qsizetype(part.size()));
    QStringList out;
    int depth = 0;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'{' || c == u'[' || c == u'(')
            ++depth;
        else if ((c == u'}' || c == u']' || c == u')') && depth > 0)
            --depth;
        else if (c == u';' && depth == 0) {
            out << text.mid(start, i - start);
            start = i + 1;
        }
    }
    out << text.mid(start);
    return out;
}

// The key a term is indexed under: normalised, without the "to " of an English verb.
std::string keyOf(const QString& term, DingDictionary::Side side)
{
    QString key = DingDictionary::clean(term);
    if (side == DingDictionary::Side::English && key.startsWith(QLatin1String("to ")))
        key = key.mid(3);
    return DictdDictionary::normalise(key);
}

// Labels of words a reader rarely means: dated, poetic, colloquial, regional, figurative.
bool isMarked(const QString& synonym)
{
    static const QRegularExpression marked(QStringLiteral(
        "\\[(veraltet|selten|poet\\.|geh\\.|ugs\\.|slang|vulg\\.|pej\\.|humor\\.|obs\\.|rare|archaic|dialect|"
        "Schw\\.|Ös\\.|Süddt\\.|Norddt\\.|Mittelwestdt\\.|BW|Bayr\\.|Ostös\\.|Westös\\.|Lie\\.|Lux\\.|"
        "Am\\.|Austr\\.|Sc\\.|Irl\\.|Can\\.|NZ|fig\\.|übtr\\.|pseudoarchaic)\\]"));
    return marked.match(synonym).hasMatch();
}

// The sense of a trade ("Feder [techn.]" for spring): a word of its own, yet
// rarely what a reader means.
bool isSpecialist(const QString& synonym)
{
    static const QRegularExpression trade(QStringLiteral(
        "\\[(techn\\.|mus\\.|comp\\.|jur\\.|fin\\.|econ\\.|adm\\.|mach\\.|electr\\.|constr\\.|"
        "print|min\\.|geol\\.|mil\\.|naut\\.|aviat\\.|statist\\.|ling\\.|chem\\.|math\\.)\\]"));
    return trade.match(synonym).hasMatch();
}

// A label that narrows the meaning ("bill [Am.]", "note [fig.]"). Words in
// parentheses mostly gloss the main sense ("train (railway)"), so they don't.
bool isNarrowed(const QString& synonym)
{
    static const QRegularExpression label(QStringLiteral("\\[([^]]*)\\]"));
    for (auto it = label.globalMatch(synonym); it.hasNext();) {
        if (it.next().captured(1) != QLatin1String("Br."))
            return true;
    }
    return false;
}

DingDictionary::Kind kindOf(std::string_view german, std::string_view english)
{
    using Kind = DingDictionary::Kind;
    const auto has = [&](std::string_view mark) { return german.find(mark) != std::string_view::npos; };
    if (has("{vt}") || has("{vi}") || has("{vr}") || english.starts_with("to "))
        return Kind::Verb;
    if (has("{adv}"))
        return Kind::Adverb;
    if (has("{adj}"))
        return Kind::Adjective;
    if (has("{f}") || has("{m}") || has("{n}") || has("{pl}"))
        return Kind::Noun;
    return Kind::Unknown;
}

} // namespace

QString DingDictionary::clean(const QString& synonym)
{
    QString out;
    int depth = 0;
    for (QChar c : synonym) {
        if (c == u'{' || c == u'[' || c == u'(' || c == u'<')
            ++depth;
        else if ((c == u'}' || c == u']' || c == u')' || c == u'>') && depth > 0)
            --depth;
        else if (depth == 0)
            out += c;
    }
    // Placeholders that open a term go with their preposition ("auf jdn./etw.
    // aufpassen" → "aufpassen"), as do those that end it ("to bear sb./sth.");
    // inside a phrase they stay readable.
    static const QRegularExpression placeholder(QStringLiteral(
        "^\\s*((auf|an|für|mit|von|zu|über|um|in|bei|nach|gegen|aus|vor|unter|at|on|to|for|with|of)\\s+)?"
        "((etw|jdn|jdm|jds|sth|sb)\\.(/|\\s+|$))+"));
    static const QRegularExpression trailing(
        QStringLiteral("(\\s+(etw|jdn|jdm|jds|sth|sb)\\.(/(etw|jdn|jdm|jds|sth|sb)\\.)*)+\\s*$"));
    out.replace(placeholder, QString()).replace(trailing, QString());
    // Abbreviations between slashes: "account /acc./".
    static const QRegularExpression abbreviation(QStringLiteral("(^|\\s)/[^/\\s][^/]*/(?=$|\\s)"));
    out.replace(abbreviation, QStringLiteral(" "));
    out = out.simplified();
    // "Schlüssel…" is the first half of compounds, not a word.
    if (out.endsWith(QChar(0x2026)) || out.startsWith(QChar(0x2026)))
        return {};
    return out;
}

std::string DingDictionary::buildIndex(std::string_view text, Side side)
{
    std::vector<std::pair<std::string, std::uint32_t>> keys;
    for (std::size_t at = 0; at < text.size();) {
        const auto offset = std::uint32_t(at);
        std::string_view german, english;
        if (!firstParts(SortedLines::nextLine(text, at), german, english))
            continue;
        for (const QString& term : synonyms(side == Side::German ? german : english)) {
            std::string key = keyOf(term, side);
            // Tabs and line breaks would break the line format.
            if (!key.empty() && key.find_first_of("\t\n") == std::string::npos)
                keys.emplace_back(std::move(key), offset);
        }
    }
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    std::string index;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (i == 0 || keys[i].first != keys[i - 1].first) {
            if (i > 0)
                index += '\n';
            index += keys[i].first;
        }
        index += '\t';
        index += std::to_string(keys[i].second);
    }
    if (!index.empty())
        index += '\n';
    return index;
}

DingDictionary::Entry DingDictionary::parseLine(std::string_view line, Side side, const QString& word)
{
    Entry entry;
    std::string_view german, english;
    if (!firstParts(line, german, english))
        return entry;
    const std::string wanted = keyOf(word, side);
    const QStringList own = synonyms(side == Side::German ? german : english);
    for (qsizetype i = 0; i < own.size(); ++i) {
        if (keyOf(own[i], side) == wanted) {
            entry.primary = i == 0 && !isNarrowed(own[i]);
            break;
        }
    }
    const QStringList germanSynonyms = synonyms(german);
    entry.marked = isMarked(germanSynonyms.value(0)) || isSpecialist(germanSynonyms.value(0));
    entry.kind = kindOf(german, english);
    const std::string_view whole = line.substr(0, line.find(kSides));
    for (std::size_t at = whole.find(kParts); at != std::string_view::npos; at = whole.find(kParts, at + 1))
        ++entry.parts;
    for (const QString& synonym : side == Side::German ? synonyms(english) : germanSynonyms) {
        const QString term = clean(synonym);
        if (!term.isEmpty() && !isMarked(synonym) && !entry.terms.contains(term))
            entry.terms << term;
    }
    return entry;
}

void DingDictionary::order(std::vector<Entry>& entries, Kind preferred)
{
    const auto rank = [preferred](const Entry& e) {
        return std::tuple(
            e.primary, preferred == Kind::Unknown || e.kind == preferred, !e.marked, std::min(e.parts, 10));
    };
    std::stable_sort(
        entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) { return rank(a) > rank(b); });
}

DingDictionary::DingDictionary(MappedFile text, MappedFile germanIndex, MappedFile englishIndex)
    : m_text(std::move(text))
    , m_germanIndex(std::move(germanIndex))
    , m_englishIndex(std::move(englishIndex))
{
}

std::vector<DingDictionary::Entry> DingDictionary::lookup(const QString& word, Side side) const
{
    std::vector<Entry> out;
    const std::string key = keyOf(word, side);
    if (key.empty())
        return out;
    const std::string_view line
        = SortedLines::find((side == Side::German ? m_germanIndex : m_englishIndex).bytes(), key, '\t');
    const std::string_view text = m_text.bytes();
    for (std::size_t at = line.find('\t'); at != std::string_view::npos; at = line.find('\t', at + 1)) {
        std::size_t offset = 0;
        const char* begin = line.data() + at + 1;
        if (std::from_chars(begin, line.data() + line.size(), offset).ec != std::errc()
            || offset >= text.size())
            continue;
        std::size_t next = offset;
        Entry entry = parseLine(SortedLines::nextLine(text, next), side, word);
        if (!entry.terms.isEmpty())
            out.push_back(std::move(entry));
    }
    return out;
}
