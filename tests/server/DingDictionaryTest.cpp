// SPDX-License-Identifier: MIT
#include "DingDictionary.h"

#include <gtest/gtest.h>

namespace {

using Side = DingDictionary::Side;
using Kind = DingDictionary::Kind;

std::string joined(const std::vector<DingDictionary::Entry>& entries)
{
    QStringList out;
    for (const auto& entry : entries)
        out << entry.terms.join(u',');
    return out.join(u';').toStdString();
}

} // namespace

TEST(DingDictionary, ReadsWhatALineTranslatesAWordIntoAndNothingOfItsMarkup)
{
    struct Case {
        const char* line;
        Side side;
        const char* word;
        const char* terms;
        bool primary;
        bool marked;
        Kind kind;
        int parts;
    } cases[] = {
        { "Schlüssel {m} (zu/für etw.) | Schlüssel {pl} :: key (to sth.) | keys", Side::English, "key",
            "Schlüssel", true, false, Kind::Noun, 2 },
        { "Kraftwerk {n}; E-Werk {n} [veraltet] :: power plant; plant (in compounds)", Side::English, "plant",
            "Kraftwerk", false, false, Kind::Noun, 1 },
        { "leicht {adj}; locker [übtr.] :: light [fig.]", Side::English, "light", "leicht", false, false,
            Kind::Adjective, 1 },
        { "Feder {f} [techn.] :: spring (device)", Side::English, "spring", "Feder", true, true, Kind::Noun,
            1 },
        { "Rechnung {f} :: bill [Br.]; check [Am.]", Side::English, "bill", "Rechnung", true, false,
            Kind::Noun, 1 },
        { "auf jdn./etw. aufpassen {vi} :: to watch sb./sth.", Side::English, "watch", "aufpassen", true,
            false, Kind::Verb, 1 },
        { "Lenz {m} [poet.] :: spring", Side::English, "spring", "", true, true, Kind::Noun, 1 },
        { "Schlüssel…; Haupt… :: key", Side::English, "key", "", true, false, Kind::Unknown, 1 },
        { "laufen {vi} | laufend :: to run {ran; run} | running", Side::German, "laufen", "to run", true,
            false, Kind::Verb, 2 },
        { "Rechnung {f} :: account /acc./; invoice", Side::German, "Rechnung", "account,invoice", true, false,
            Kind::Noun, 1 },
        { "# Rechnung :: bill", Side::German, "Rechnung", "", false, false, Kind::Unknown, 1 },
    };
    for (const Case& c : cases) {
        const auto entry = DingDictionary::parseLine(c.line, c.side, QString::fromUtf8(c.word));
        EXPECT_EQ(entry.terms.join(u',').toStdString(), c.terms) << c.line;
        EXPECT_EQ(entry.primary, c.primary) << c.line;
        EXPECT_EQ(entry.marked, c.marked) << c.line;
        EXPECT_EQ(entry.kind, c.kind) << c.line;
        EXPECT_EQ(entry.parts, c.parts) << c.line;
    }
}

TEST(DingDictionary, FindsAWordOnEitherSideAndPutsItsCommonSenseFirst)
{
    const std::string text = "# Version :: test\n"
                             "Bär {m} [zool.] | Bären {pl} :: bear | bears\n"
                             "gebären {vt} :: to bear\n"
                             "etw. tragen {vt} | tragend | getragen :: to bear sth. | bearing | borne\n";
    const DingDictionary ding(MappedFile::fromString(text),
        MappedFile::fromString(DingDictionary::buildIndex(text, Side::German)),
        MappedFile::fromString(DingDictionary::buildIndex(text, Side::English)));
    auto bear = ding.lookup(QStringLiteral(" Bear "), Side::English);
    EXPECT_EQ(joined(bear), "Bär;gebären;tragen") << "file order";
    DingDictionary::order(bear, Kind::Noun);
    EXPECT_EQ(joined(bear), "Bär;tragen;gebären");
    DingDictionary::order(bear, Kind::Verb);
    EXPECT_EQ(joined(bear), "tragen;gebären;Bär") << "the richer entry of the preferred kind";
    EXPECT_EQ(joined(ding.lookup(QStringLiteral("tragen"), Side::German)), "to bear");
    EXPECT_EQ(joined(ding.lookup(QStringLiteral("bears"), Side::English)), "") << "only an entry's own terms";
}
