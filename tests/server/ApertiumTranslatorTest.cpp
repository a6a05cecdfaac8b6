// SPDX-License-Identifier: MIT
// English into Spanish through the real `apertium` program.
#include "ApertiumTranslator.h"

#include <gtest/gtest.h>

TEST(ApertiumTranslator, TranslatesIntoSpanishOrSaysItIsNotInstalled)
{
    using Kind = ApertiumTranslator::Result::Kind;
    const std::tuple<const char*, Kind, const char*> cases[] = {
        // The unknown word comes back without Apertium's '*' mark.
        { "apertium", Kind::Translated, "Me gustaría una taza de café, Zorblax." },
        { "/nonexistent/apertium", Kind::Unavailable, "" },
    };
    for (const auto& [program, kind, expected] : cases) {
        const ApertiumTranslator translator({ QString::fromUtf8(program) });
        const auto result = translator.translate(QStringLiteral("I would like a cup of coffee, Zorblax."));
        EXPECT_EQ(result.kind, kind) << program;
        EXPECT_EQ(result.translated, QString::fromUtf8(expected)) << program;
    }
}
