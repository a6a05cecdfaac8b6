// SPDX-License-Identifier: MIT
#include "DictdDictionary.h"
#include "EntryParser.h"

#include <gtest/gtest.h>
#include <zlib.h>

namespace {

// A dictzip file as dictzip(1) writes it: gzip with an "RA" chunk table, each
// chunk deflated up to a full flush so it inflates on its own.
std::string dictzip(const std::string& text, std::size_t chunkLength)
{
    std::vector<std::string> chunks;
    z_stream z {};
    deflateInit2(&z, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    for (std::size_t at = 0; at < text.size(); at += chunkLength) {
        const std::string piece = text.substr(at, chunkLength);
        std::string out(piece.size() + 1024, '\0');
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(piece.data()));
        z.avail_in = uInt(piece.size());
        z.next_out = reinterpret_cast<Bytef*>(out.data());
        z.avail_out = uInt(out.size());
        deflate(&z, at + chunkLength >= text.size() ? Z_FINISH : Z_FULL_FLUSH);
        out.resize(out.size() - z.avail_out);
        chunks.push_back(out);
    }
    deflateEnd(&z);
    auto le16 = [](std::string& s, unsigned v) {
        s += char(v & 0xff);
        s += char(v >> 8);
    };
    std::string extra = "RA";
    le16(extra, unsigned(6 + 2 * chunks.size()));
    le16(extra, 1);
    le16(extra, unsigned(chunkLength));
    le16(extra, unsigned(chunks.size()));
    for (const std::string& chunk : chunks)
        le16(extra, unsigned(chunk.size()));
    std::string file = { '\x1f', '\x8b', 8, 4 | 8, 0, 0, 0, 0, 2, 3 }; // FEXTRA | FNAME
    le16(file, unsigned(extra.size()));
    file += extra;
    file += "test.dict";
    file += '\0';
    for (const std::string& chunk : chunks)
        file += chunk;
    const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(text.data()), uInt(text.size()));
    for (int i = 0; i < 4; ++i)
        file += char((crc >> (8 * i)) & 0xff);
    for (int i = 0; i < 4; ++i)
        file += char((text.size() >> (8 * i)) & 0xff);
    return file;
}

std::string base64(std::uint64_t value)
{
    static const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    do {
        out.insert(out.begin(), alphabet[value % 64]);
        value /= 64;
    } while (value);
    return out;
}

} // namespace

TEST(DictdDictionary, DecodesDictdNumbers)
{
    EXPECT_EQ(DictdDictionary::decodeNumber("A"), 0u);
    EXPECT_EQ(DictdDictionary::decodeNumber("/"), 63u);
    EXPECT_EQ(DictdDictionary::decodeNumber("BA"), 64u);
    EXPECT_EQ(DictdDictionary::decodeNumber("I/6s"), 8 * 64 * 64 * 64 + 63 * 64 * 64 + 58 * 64 + 44u);
    EXPECT_FALSE(DictdDictionary::decodeNumber(""));
    EXPECT_FALSE(DictdDictionary::decodeNumber("A-B"));
}

TEST(DictdDictionary, ReadsEntriesAcrossDictzipChunksCaseInsensitively)
{
    // Entries longer than a chunk, so reads straddle chunk borders.
    std::string text = "00-database-info\nA test dictionary.\n";
    std::string index = "00databaseinfo\tA\t" + base64(text.size()) + "\n";
    std::vector<std::pair<std::string, std::string>> entries = {
        { "Apfel", "Apfel /ˈapfl̩/\napple\n" },
        { "Haus", "Haus /haʊ̯s/\nhouse, home\n" + std::string(300, 'x') + "\n" },
        { "Haus", "Haus\nbuilding\n" },
        { "Straße", "Straße\nstreet, road\n" },
    };
    for (const auto& [headword, body] : entries) {
        index += headword + "\t" + base64(text.size()) + "\t" + base64(body.size()) + "\n";
        text += body;
    }
    index += "broken line without tabs\n";
    QString error;
    const auto dictionary = DictdDictionary::fromData(index, dictzip(text, 64), &error);
    ASSERT_TRUE(dictionary) << error.toStdString();

    const auto haus = dictionary->entries(QStringLiteral("HAUS"));
    ASSERT_EQ(haus.size(), 2u);
    EXPECT_EQ(haus[0], entries[1].second) << "index order kept among equal headwords";
    EXPECT_EQ(haus[1], entries[2].second);
    EXPECT_EQ(dictionary->entries(QStringLiteral("straße")), std::vector<std::string> { entries[3].second });
    EXPECT_EQ(dictionary->entries(QStringLiteral("STRASSE")).size(), 0u) << "no folding beyond case";
    EXPECT_TRUE(dictionary->contains(QStringLiteral("  apfel ")));
    EXPECT_FALSE(dictionary->contains(QStringLiteral("00-database-info"))) << "metadata is not a headword";
    EXPECT_EQ(dictionary->headwordCount(), 3u);

    // One pass over all entries reads the same texts.
    std::vector<std::string> visited;
    dictionary->forEachEntry([&](std::string_view, std::string_view body) { visited.emplace_back(body); });
    ASSERT_EQ(visited.size(), 4u);
    EXPECT_EQ(visited[1], entries[1].second);
}

TEST(DictdDictionary, ReadsPlainAndWholeGzipText)
{
    const std::string text = "run\nbegat\n";
    const std::string index = "run\tA\t" + base64(text.size()) + "\n";
    QString error;
    const auto plain = DictdDictionary::fromData(index, text, &error);
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->entries(QStringLiteral("run")).front(), text);
    EXPECT_FALSE(DictdDictionary::fromData("", text, &error));
    EXPECT_FALSE(DictdDictionary::fromData("only garbage\n", text, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(DictdDictionary::fromData(
        index, std::string("\x1f\x8b\x08\x00\x00\x00\x00\x00\x02\x03garbage!", 18), &error))
        << "a damaged gzip file is an error, not empty text";
}

TEST(EntryParser, ReadsTheFreeDictLayouts)
{
    using F = EntryParser::Format;
    struct Case {
        const char* text;
        const char* expected;
    } cases[] = {
        // one line of comma-separated terms
        { "dog /dɔg/\nсобака\n", "собака" },
        // numbered senses
        { "run /rʌn/\n1. atropellar\n2. arranque\n3. funcionar\n4. correr\n5. huir\n",
            "atropellar; arranque; funcionar; correr" },
        // grammar tags, subject labels, notes, examples and cross references dropped
        { "laufen /ˈlaʊfn̩/ <v>\n [mach.] operation <n>, running <n>\n         Note: working of a machine\n"
          "      \"Die Geschäfte laufen gut.\"  - Business is doing well.\n   Synonyms: {Gang}\n see: "
          "{anlaufen}\n",
            "operation, running" },
        // numbered translations followed by unnumbered English glosses
        { "house //haʊs// <n>\n1. balai, rumah\narchetypal structure of a human abode\n2. bilik, "
          "kamar\ndebating chamber\n",
            "balai, rumah; bilik, kamar" },
        // a number that only names the part of speech, the terms on the next line
        { " [ichi1]  家 /ie/\n1. (noun (common) (futsuumeishi))\nhouse, residence, dwelling\n2. family, "
          "household\n",
            "house, residence, dwelling; family, household" },
        // roman numerals and tags before the number; a stray "2." at the end of a line
        { "house\nI.  <N> 1.  budynek, dom\n 2.  [książek]  wydawnictwo\nII.  <V> 1.  mieścić\n",
            "budynek, dom; wydawnictwo; mieścić" },
        { "dom /dɔ̃m/ <n>\n1. house, home 2.\n(architektura) oddzielny budynek\n", "house, home" },
        // more than three terms in a sense are cut
        { "x\na, b, c, d, e\n", "a, b, c" },
        { "empty\n\n   Note: nothing here\n", "" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(
            EntryParser::summarise({ EntryParser::parse(c.text, F::FreeDict) }).toStdString(), c.expected)
            << c.text;
}

TEST(EntryParser, RanksEveryDayEntriesBeforeSpecialistOnes)
{
    using F = EntryParser::Format;
    // Alphabetical index order puts the technical sense first; the everyday one has examples.
    const std::vector<ParsedEntry> entries = {
        EntryParser::parse("dog\nBandhaken\n         Note: Fassbinderei\n", F::FreeDict),
        EntryParser::parse("dog\nBock [techn.]\n", F::FreeDict),
        EntryParser::parse(
            "dog\nHund [zool.]\n      \"train a dog\" - einen Hund abrichten\n      \"a\" - b\n",
            F::FreeDict),
    };
    EXPECT_EQ(EntryParser::summarise(entries, 2).toStdString(), "Hund; Bock");
    // The same term in two entries appears once.
    EXPECT_EQ(EntryParser::summarise({ EntryParser::parse("a\nx, y\n", F::FreeDict),
                                         EntryParser::parse("a\nY, z\n", F::FreeDict) })
                  .toStdString(),
        "x, y; z");
}

TEST(EntryParser, ReadsTheFirstSenseOfEachPartOfSpeechInMueller)
{
    using F = EntryParser::Format;
    const char* run
        = "run\n   [rʌn]\n   1. _n.\n      1) бег, пробег; at a run бегом\n      2) короткая поездка\n"
          "   2. _v. (ran - run)\n      1) бежать; бегать\n      2) двигаться\n";
    EXPECT_EQ(
        EntryParser::summarise({ EntryParser::parse(run, F::Mueller) }).toStdString(), "бег, пробег; бежать");
    // Labels and parentheses go; a first sense wrapped over two lines is joined.
    const char* house = "house\n   1. _n. [haʊs], _pl. [↗haʊzɪz]\n      1) дом (тж. the H.), жилище,\n      "
                        "здание; семья\n";
    EXPECT_EQ(EntryParser::summarise({ EntryParser::parse(house, F::Mueller) }).toStdString(),
        "дом, жилище, здание");
    // Inline translation without numbered senses.
    EXPECT_EQ(
        EntryParser::summarise({ EntryParser::parse("quickly\n   [↗kwɪklɪ] _adv. быстро\n", F::Mueller) })
            .toStdString(),
        "быстро");
    // A pointer to another entry is no translation.
    EXPECT_EQ(EntryParser::summarise({ EntryParser::parse("ran\n   [ræn] _p. от run 2\n", F::Mueller) })
                  .toStdString(),
        "");
    const char* running = "running\n   [↗rʌnɪŋ]\n   1. _pres-p. от run 2\n   2. _n.\n      1) беганье; бег\n "
                          "  3. _a.\n      1) бегущий\n";
    EXPECT_EQ(EntryParser::summarise({ EntryParser::parse(running, F::Mueller) }).toStdString(),
        "беганье; бегущий");
}
