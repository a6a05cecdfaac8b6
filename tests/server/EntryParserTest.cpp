// SPDX-License-Identifier: MIT
#include "EntryParser.h"
#include "SenseRanking.h"

#include <gtest/gtest.h>

namespace {

using F = EntryParser::Format;

std::string summary(const std::vector<ParsedEntry>& entries, const char* word = "")
{
    return SenseRanking::summarise(
        SenseRanking::order(SenseRanking::sensesOf(QString::fromUtf8(word), entries)))
        .toStdString();
}

} // namespace

TEST(EntryParser, KeepsTranslationsAndDropsEverythingElse)
{
    const std::tuple<F, const char*, const char*> cases[] = {
        { F::FreeDict, "dog /dɔg/\nсобака\n", "собака" },
        { F::FreeDict, "run /rʌn/\n1. atropellar\n2. arranque\n3. funcionar\n4. correr\n5. huir\n",
            "atropellar; arranque; funcionar; correr" },
        // grammar tags, subject labels, notes, examples and cross references
        { F::FreeDict,
            "laufen <v>\n [mach.] operation <n>, running <n>\n  Note: of a machine\n  \"Es läuft.\" - It "
            "runs.\n"
            "   Synonyms: {Gang}\n see: {anlaufen}\n",
            "operation, running" },
        // numbered translations with unnumbered glosses; a number naming only the part of speech
        { F::FreeDict, "house <n>\n1. balai, rumah\nstructure of an abode\n2. bilik, kamar\nchamber\n",
            "balai, rumah; bilik, kamar" },
        { F::FreeDict, " [ichi1]  家 /ie/\n1. (noun (common))\nhouse, residence\n2. family\n",
            "house, residence; family" },
        // roman numerals and tags before the number; a stray "2." at the end of a line; at most three terms
        { F::FreeDict, "house\nI.  <N> 1.  budynek, dom\n 2.  [książek]  wydawnictwo\nII.  <V> 1.  mieścić\n",
            "budynek, dom; wydawnictwo; mieścić" },
        { F::FreeDict, "dom <n>\n1. house, home 2.\n(architektura) oddzielny budynek\n", "house, home" },
        { F::FreeDict, "x\na, b, c, d, e\n", "a, b, c" },
        // an abbreviation and its transcription after the term, or glued to it
        { F::FreeDict, "left /lˈɛft/ (l. /ˈɛl/)\nlinks <adv>l.,  /ˈɛl/\n", "links" },
        { F::FreeDict,
            "National Aeronautics and Space Administration /nˈaʃənəl/ (NASA /nˈasɐ/)\n"
            "Nationale Luft- und RaumfahrtbehördeNASA,  /nˈasɐ/\n",
            "Nationale Luft- und Raumfahrtbehörde" },
        // a suffix filed under the word
        { F::FreeDict, "‐ship /ʃˈɪp/\n‐té\n", "" },
        { F::FreeDict, "empty\n\n   Note: nothing here\n", "" },
        // Mueller: the first sense of each part of speech, labels and groups dropped
        { F::Mueller,
            "run\n   [rʌn]\n   1. _n.\n      1) бег, пробег; at a run бегом\n      2) поездка\n   2. _v. "
            "(ran)\n"
            "      1) бежать; бегать\n",
            "бег, пробег; бежать" },
        { F::Mueller, "house\n   1. _n. [haʊs]\n      1) дом (тж. the H.), жилище,\n      здание; семья\n",
            "дом, жилище, здание" },
        { F::Mueller, "quickly\n   [↗kwɪklɪ] _adv. быстро\n", "быстро" },
        // pointers to another entry
        { F::Mueller, "ran\n   [ræn] _p. от run 2\n", "" },
        { F::Mueller,
            "left\n   _I  [lɛft] _p. и _p-p. от leave II\n   _II [lɛft]\n      1. _a. левый; left bank\n",
            "левый" },
        { F::Mueller, "riots\n   см. riot\n", "" },
    };
    for (const auto& [format, text, expected] : cases)
        EXPECT_EQ(summary({ EntryParser::parse(text, format) }), expected) << text;
}

TEST(SenseRanking, PutsTheCommonMeaningFirst)
{
    const auto parse = [](const char* text) { return EntryParser::parse(text, F::FreeDict); };
    // Index order puts the technical sense first; the everyday one has examples.
    EXPECT_EQ(summary({ parse("dog\nBandhaken\n  Note: Fassbinderei\n"), parse("dog\nBock [techn.]\n"),
                  parse("dog\nHund [zool.]\n  \"train a dog\" - einen Hund abrichten\n  \"a\" - b\n") }),
        "Hund; Bock; Bandhaken");
    // An entry of another word that lists this one as a form, only when nothing else is there.
    const ParsedEntry leave = parse("leave /lˈiːv/ (left /lˈɛft/ <>) <v>\naufhören <v>\n");
    EXPECT_EQ(summary({ leave, parse("left /lˈɛft/\nlinks <adv>\n") }, "left"), "links");
    EXPECT_EQ(summary({ leave }, "left"), "aufhören");
    // A confirmed sense goes first; a term is shown once.
    auto senses = SenseRanking::sensesOf(
        "bank", { parse("bank\n1. вал, насыпь\n2. банк\n3. отмель, банк\n  \"x\" - y\n") });
    senses[1].confirmed = true;
    EXPECT_EQ(
        SenseRanking::summarise(SenseRanking::order(senses)).toStdString(), "банк; вал, насыпь; отмель");
}
