// SPDX-License-Identifier: MIT
#include "SenseRanking.h"

#include "DictdDictionary.h"

#include <QSet>
#include <algorithm>

std::vector<SenseRanking::Sense> SenseRanking::sensesOf(
    const QString& word, const std::vector<ParsedEntry>& entries)
{
    const std::string key = DictdDictionary::normalise(word);
    auto about = [&](const ParsedEntry& entry) {
        return entry.headword.isEmpty() || DictdDictionary::normalise(entry.headword) == key;
    };
    const bool anyAbout = std::any_of(entries.begin(), entries.end(), about);
    std::vector<Sense> senses;
    for (const ParsedEntry& entry : entries) {
        if (anyAbout && !about(entry))
            continue;
        for (qsizetype i = 0; i < entry.senses.size(); ++i)
            senses.push_back({ entry.senses[i], entry.weight, false });
    }
    return senses;
}

std::vector<SenseRanking::Sense> SenseRanking::order(std::vector<Sense> senses)
{
    // A few examples already mark the everyday entry; more say no more.
    std::stable_sort(senses.begin(), senses.end(), [](const Sense& a, const Sense& b) {
        if (a.confirmed != b.confirmed)
            return a.confirmed;
        return std::min(a.entryWeight, 3) > std::min(b.entryWeight, 3);
    });
    return senses;
}

QString SenseRanking::summarise(const std::vector<Sense>& senses, int maxSenses, int maxTerms)
{
    QSet<QString> seen;
    QStringList out;
    for (const Sense& sense : senses) {
        QStringList kept;
        for (const QString& term : sense.terms) {
            if (kept.size() >= maxTerms)
                break;
            if (seen.contains(term.toLower()))
                continue;
            seen.insert(term.toLower());
            kept << term;
        }
        if (!kept.isEmpty())
            out << kept.join(QStringLiteral(", "));
        if (out.size() >= maxSenses)
            break;
    }
    return out.join(QStringLiteral("; "));
}
