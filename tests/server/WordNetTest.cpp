// SPDX-License-Identifier: MIT
#include "WordNet.h"
#include "ServerTestSupport.h"

#include <gtest/gtest.h>

TEST(WordNet, FindsTheLemmaAReaderMeans)
{
    const WordNet& wordNet = sharedWordNet();
    const std::pair<const char*, const char*> cases[] = {
        { "running", "run" }, // verb exception list, though "running" is a noun too
        { "geese", "goose" }, // irregular plural
        { "ran", "run" },
        { "went", "go" },
        { "Dogs", "dog" }, // case and a regular plural
        { "boxes", "box" }, // -xes
        { "churches", "church" },
        { "ladies", "lady" },
        { "walked", "walk" },
        { "hoping", "hope" }, // -ing → -e
        { "biggest", "big" },
        { "evening", "evening" }, // its own noun, far more common than the verb "even"
        { "clothes", "clothes" },
        { "serendipity", "serendipity" },
        { "ice cream", "ice_cream" },
        { " Ice  Cream ", "ice_cream" },
        { "women", "woman" },
    };
    for (const auto& [word, lemma] : cases) {
        const auto found = wordNet.headword(QString::fromUtf8(word));
        ASSERT_TRUE(found) << word;
        EXPECT_EQ(*found, lemma) << word;
    }
    for (const char* unknown : { "xyzzy", "", "runninged", "the" })
        EXPECT_FALSE(wordNet.headword(QString::fromUtf8(unknown))) << unknown;
}

TEST(WordNet, GivesTheFirstSenseOfEachPartOfSpeechWithoutExamples)
{
    const auto entry = sharedWordNet().lookup(QStringLiteral("running"));
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->lemma, "run");
    ASSERT_EQ(entry->firstSenses.size(), 2u);
    EXPECT_EQ(entry->firstSenses[0].partOfSpeech, WordNet::PartOfSpeech::Noun);
    EXPECT_EQ(entry->firstSenses[1].partOfSpeech, WordNet::PartOfSpeech::Verb);
    EXPECT_EQ(entry->firstSenses[1].gloss,
        "move fast by using one's feet, with one foot off the ground at any given time");

    const auto compound = sharedWordNet().lookup(QStringLiteral("ice cream"));
    ASSERT_TRUE(compound);
    EXPECT_EQ(compound->lemma, "ice cream");
    for (const auto& sense : compound->firstSenses)
        EXPECT_FALSE(sense.gloss.contains(u'"')) << sense.gloss.toStdString();
}

TEST(WordNet, ReportsAMissingDatabase)
{
    QString error;
    EXPECT_FALSE(WordNet::load(QStringLiteral("/nonexistent/wordnet"), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("index.noun"))) << error.toStdString();
}
