// SPDX-License-Identifier: MIT
#include "EntryParser.h"

#include <QRegularExpression>
#include <algorithm>

namespace {

// Removes bracketed groups, nested or not; an unclosed group runs to the end.
QString withoutGroups(const QString& text)
{
    QString out;
    out.reserve(text.size());
    int depth = 0;
    for (QChar c : text) {
        if (c == u'(' || c == u'[' || c == u'<' || c == u'{') {
            ++depth;
            continue;
        }
        if ((c == u')' || c == u']' || c == u'>' || c == u'}') && depth > 0) {
            --depth;
            if (depth == 0)
                out += u' ';
            continue;
        }
        if (depth == 0)
            out += c;
    }
    return out;
}

// Mueller's labels: "_n.", "_разг.", "_pres-p.", "_I".
QString withoutLabels(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'_' && (i == 0 || text[i - 1].isSpace() || text[i - 1] == u'(')) {
            qsizetype j = i + 1;
            while (j < text.size() && !text[j].isSpace() && text[j] != u'.')
                ++j;
            if (j < text.size() && text[j] == u'.')
                ++j;
            i = j - 1;
            continue;
        }
        out += text[i];
    }
    return out;
}

bool isRomanNumeral(const QString& word)
{
    if (word.size() < 2 || !word.endsWith(u'.'))
        return false;
    for (qsizetype i = 0; i + 1 < word.size(); ++i) {
        if (word[i] != u'I' && word[i] != u'V' && word[i] != u'X')
            return false;
    }
    return true;
}

bool isNumberDot(const QString& word)
{
    if (word.size() < 2 || !word.endsWith(u'.'))
        return false;
    for (qsizetype i = 0; i + 1 < word.size(); ++i) {
        if (!word[i].isDigit())
            return false;
    }
    return true;
}

// "1. text" → {1, "text"}; a leading roman numeral and tags before the number are dropped.
std::pair<int, QString> splitNumber(QString line)
{
    line = line.trimmed();
    for (;;) {
        const qsizetype space = line.indexOf(u' ');
        const QString first = space < 0 ? line : line.left(space);
        if (isRomanNumeral(first)) {
            line = line.mid(first.size()).trimmed();
        } else if (line.startsWith(u'<') && line.indexOf(u'>') > 0) {
            line = line.mid(line.indexOf(u'>') + 1).trimmed();
        } else {
            break;
        }
    }
    qsizetype i = 0;
    while (i < line.size() && line[i].isDigit())
        ++i;
    if (i > 0 && i < 4 && i < line.size() && line[i] == u'.'
        && (i + 1 == line.size() || line[i + 1].isSpace()))
        return { line.left(i).toInt(), line.mid(i + 1).trimmed() };
    return { 0, line };
}

bool isDash(QChar c)
{
    return c == u'-' || (c.unicode() >= 0x2010 && c.unicode() <= 0x2013);
}

// "/ˈɛl/" where it stands as a word of its own: a transcription.
QString withoutTranscriptions(const QString& text)
{
    static const QRegularExpression transcription(QStringLiteral("(^|\\s)/[^/\\s][^/]*/(?=$|[\\s,;])"));
    return QString(text).replace(transcription, QStringLiteral(" "));
}

struct HeadLine {
    QString headword;
    QStringList forms; // other forms in parentheses: abbreviations, inflections
};

// "left /lˈɛft/ (l. /ˈɛl/) <adj>" → left, {l.}
HeadLine parseHeadLine(const QString& line)
{
    HeadLine head;
    qsizetype end = line.size();
    for (const char* mark : { " /", " (", " <" }) {
        const qsizetype at = line.indexOf(QLatin1String(mark));
        if (at >= 0)
            end = std::min(end, at);
    }
    head.headword = line.left(end).trimmed();
    const qsizetype open = line.indexOf(u'(', end);
    const qsizetype close = open < 0 ? -1 : line.indexOf(u')', open);
    if (close > open) {
        for (const QString& part : line.mid(open + 1, close - open - 1).split(u',')) {
            const QString form = part.section(QStringLiteral(" /"), 0, 0).section(u'<', 0, 0).trimmed();
            if (!form.isEmpty())
                head.forms << form;
        }
    }
    return head;
}

// The headword's other forms where they stand in a translation: FreeDict
// writes an abbreviation after the term it abbreviates, as a word of its own
// ("links <adv>l.") or glued to it ("Raumfahrtbehörde" + "NASA").
QString withoutForms(QString text, const QStringList& forms)
{
    for (const QString& form : forms) {
        if (form.isEmpty())
            continue;
        const QRegularExpression alone(
            QStringLiteral("(?<!\\p{L})%1(?!\\p{L})").arg(QRegularExpression::escape(form)));
        text.replace(alone, QStringLiteral(" "));
        if (!form.front().isUpper())
            continue;
        for (qsizetype at = text.indexOf(form); at > 0; at = text.indexOf(form, at + 1)) {
            if (text[at - 1].isLower()) {
                text.remove(at, form.size());
                break;
            }
        }
    }
    return text;
}

// "l.", "usw.", "z.B.": an abbreviation, never a translation.
bool isAbbreviation(const QString& term)
{
    return term.size() <= 5 && term.endsWith(u'.') && !term.contains(u' ');
}

bool startsWithAny(const QString& text, std::initializer_list<const char*> prefixes)
{
    for (const char* prefix : prefixes) {
        if (text.startsWith(QLatin1String(prefix)))
            return true;
    }
    return false;
}

ParsedEntry parseFreeDict(const QStringList& lines)
{
    ParsedEntry entry;
    const HeadLine head = parseHeadLine(lines.value(0));
    entry.headword = head.headword;
    // "‐ship" → "‐té": a suffix, which the index files under the word itself.
    if (!head.headword.isEmpty() && (isDash(head.headword.front()) || isDash(head.headword.back())))
        return entry;
    struct Candidate {
        bool numbered;
        QString content;
        bool labelled;
    };
    std::vector<Candidate> candidates;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString t = lines[i].trimmed();
        if (t.isEmpty())
            continue;
        if (t.startsWith(u'"')) {
            ++entry.weight;
            continue;
        }
        if (startsWithAny(t, { "Note:", "Synonym", "Antonym", "see:", "See also", "{" })) {
            if (t.startsWith(QLatin1String("Note:")))
                --entry.weight;
            continue;
        }
        auto [number, rest] = splitNumber(t);
        candidates.push_back(
            { number > 0, withoutForms(withoutTranscriptions(rest), head.forms), rest.startsWith(u'[') });
    }
    const bool numbered
        = std::any_of(candidates.begin(), candidates.end(), [](const Candidate& c) { return c.numbered; });
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        if (numbered && !candidates[i].numbered)
            continue;
        QStringList terms = EntryParser::terms(candidates[i].content);
        // A numbered line that only names the part of speech has its terms on the next line.
        if (terms.isEmpty() && numbered && i + 1 < candidates.size() && !candidates[i + 1].numbered)
            terms = EntryParser::terms(candidates[i + 1].content);
        // An abbreviation of the headword on its own ("NASA") translates nothing.
        terms.removeIf([&](const QString& term) { return head.forms.contains(term); });
        if (candidates[i].labelled && entry.senses.isEmpty())
            --entry.weight;
        if (!terms.isEmpty())
            entry.senses.append(terms);
    }
    return entry;
}

ParsedEntry parseMueller(const QStringList& lines)
{
    struct Block {
        QString inlineText;
        QString firstSense;
    };
    // "_p. и _p-p. от leave II", "см. riot", "= hallo": a pointer to another
    // entry, not a translation.
    static const QRegularExpression pointer(QStringLiteral("(^|\\s)(от\\s+[A-Za-z]|см\\.)|^="));
    std::vector<Block> blocks;
    enum class Target { Inline, FirstSense, Other } target = Target::Inline;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString t = lines[i].trimmed();
        if (t.isEmpty())
            continue;
        // A part of speech ("1. _n.") or a homonym ("_I", "_II") opens a block.
        const auto [number, rest] = splitNumber(t);
        const bool homonym = t.startsWith(QLatin1String("_I")) || t.startsWith(QLatin1String("_V"));
        if (number > 0 || homonym || blocks.empty()) {
            blocks.push_back({});
            blocks.back().inlineText = number > 0 ? rest : t;
            target = Target::Inline;
            continue;
        }
        qsizetype digits = 0;
        while (digits < t.size() && t[digits].isDigit())
            ++digits;
        if (digits > 0 && digits < t.size() && t[digits] == u')') {
            const bool first = t.left(digits).toInt() == 1;
            target = first ? Target::FirstSense : Target::Other;
            if (first)
                blocks.back().firstSense = t.mid(digits + 1);
            continue;
        }
        if (target == Target::Inline)
            blocks.back().inlineText += u' ' + t;
        else if (target == Target::FirstSense)
            blocks.back().firstSense += u' ' + t;
    }
    ParsedEntry entry;
    for (const Block& block : blocks) {
        QString text = block.firstSense.isEmpty() ? block.inlineText : block.firstSense;
        text = withoutLabels(withoutGroups(text)).simplified();
        const qsizetype semicolon = text.indexOf(u';');
        if (semicolon >= 0)
            text.truncate(semicolon);
        if (pointer.match(text).hasMatch())
            continue;
        const QStringList terms = EntryParser::terms(text);
        if (!terms.isEmpty())
            entry.senses.append(terms);
    }
    return entry;
}

} // namespace

QStringList EntryParser::terms(const QString& text)
{
    QString cleaned = withoutGroups(text).simplified();
    // A stray "2." left where a numbered line was broken ("house, home 2.").
    while (true) {
        const qsizetype space = cleaned.lastIndexOf(u' ');
        if (space < 0 || !isNumberDot(cleaned.mid(space + 1)))
            break;
        cleaned.truncate(space);
    }
    QStringList out;
    QStringList pieces;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= cleaned.size(); ++i) {
        if (i == cleaned.size() || cleaned[i] == u',' || cleaned[i] == u';') {
            pieces << cleaned.mid(start, i - start);
            start = i + 1;
        }
    }
    for (QString term : pieces) {
        term = term.simplified();
        while (!term.isEmpty() && (term.front() == u'-' || term.front() == u'.' || term.front() == u':'))
            term = term.mid(1).trimmed();
        if (isAbbreviation(term) || (term.startsWith(u'/') && term.endsWith(u'/')))
            continue;
        while (!term.isEmpty() && (term.back() == u'.' || term.back() == u':'))
            term.chop(1);
        if (!term.isEmpty() && !out.contains(term))
            out << term;
    }
    return out;
}

ParsedEntry EntryParser::parse(std::string_view text, Format format)
{
    const QStringList lines = QString::fromUtf8(text.data(), qsizetype(text.size())).split(u'\n');
    return format == Format::FreeDict ? parseFreeDict(lines) : parseMueller(lines);
}
