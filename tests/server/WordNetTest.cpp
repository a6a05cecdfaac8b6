// SPDX-License-Identifier: MIT
#include "WordNet.h"
#include "ServerTestSupport.h"

#include <gtest/gtest.h>

TEST(WordNet, FindsTheLemmaAReaderMeans)
{
    const WordNet& wordNet = sharedWordNet();
    const std::pair<const char*, const char*> cases[] = {
        { "running", "run" }, // far more common as the verb's form than as a noun of its own
        { "better", "better" }, // common on its own: "good" is not far more so
        { "evening", "evening" }, // "even" is hardly ever a verb
        { "geese", "goose" }, // exception lists
        { "went", "go" },
        { "Dogs", "dog" }, // case and the suffix rules
        { "churches", "church" },
        { "ladies", "lady" },
        { "hoping", "hope" },
        { "biggest", "big" },
        { "women", "woman" },
        { "clothes", "clothes" },
        { " Ice  Cream ", "ice_cream" },
    };
    for (const auto& [word, lemma] : cases) {
        const auto found = wordNet.headword(QString::fromUtf8(word));
        ASSERT_TRUE(found) << word;
        EXPECT_EQ(*found, lemma) << word;
    }
    for (const char* unknown : { "xyzzy", "", "runninged", "the", "zzzzz" })
        EXPECT_FALSE(wordNet.headword(QString::fromUtf8(unknown))) << unknown;
}

TEST(WordNet, GivesTheFirstSenseOfEachPartOfSpeechWithoutExamples)
{
    const auto entry = sharedWordNet().lookup(QStringLiteral("running"));
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->lemma, "run");
    ASSERT_EQ(entry->firstSenses.size(), 2u);
    EXPECT_EQ(entry->firstSenses[0].partOfSpeech, WordNet::PartOfSpeech::Noun);
    EXPECT_EQ(entry->firstSenses[1].gloss,
        "move fast by using one's feet, with one foot off the ground at any given time");
}
