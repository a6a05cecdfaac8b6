// SPDX-License-Identifier: MIT
#include "ApertiumTranslator.h"

#include <gtest/gtest.h>

// The real program's answer is checked through /translate; a missing one must
// leave the caller to answer as if there were no offline translation.
TEST(ApertiumTranslator, MissingProgramIsUnavailableNotAnError)
{
    const ApertiumTranslator translator({ QStringLiteral("/nonexistent/apertium") });
    const auto result = translator.translate(QStringLiteral("I would like a cup of coffee."));
    EXPECT_EQ(result.kind, ApertiumTranslator::Result::Kind::Unavailable);
    EXPECT_TRUE(result.error.isEmpty());
}
