// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <string_view>
#include <vector>

// What a dictionary entry translates its headword into: senses, each a short
// list of equivalent terms, cleaned of grammar tags, labels and examples.
struct ParsedEntry {
    // The word the entry is about, as its first line writes it (FreeDict);
    // empty when the layout does not say.
    QString headword;
    QList<QStringList> senses;
    // How much the entry looks like the everyday meaning: examples raise it,
    // subject labels and notes lower it. Ranks entries of the same headword.
    int weight = 0;
};

// Reads the entry texts of the two dictd layouts Debian ships.
class EntryParser {
public:
    enum class Format {
        FreeDict, // "headword /ipa/" then translations, numbered or one per line
        Mueller, // headword, transcription, "1. _n." blocks of "1) ..." senses
    };

    static ParsedEntry parse(std::string_view text, Format format);

    // Strips (), [], <>, {} groups, labels, numbering, transcriptions
    // ("/ˈɛl/") and abbreviations ("l.") from one line of text and splits it
    // into terms at commas and semicolons.
    static QStringList terms(const QString& text);
};
