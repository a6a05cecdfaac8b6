// SPDX-License-Identifier: MIT
#include "Hotkey.h"

#include <gtest/gtest.h>

TEST(Hotkey, LabelHasEveryModifierCombinationInItsFixedOrder)
{
    const std::pair<uint32_t, QString> glyphs[] = {
        { Hotkey::controlMask, QStringLiteral(u"\u2303 ") },
        { Hotkey::optionMask, QStringLiteral(u"\u2325 ") },
        { Hotkey::shiftMask, QStringLiteral(u"\u21E7 ") },
        { Hotkey::commandMask, QStringLiteral(u"\u2318 ") },
    };
    for (unsigned subset = 0; subset < 16; ++subset) {
        uint32_t mask = 0;
        QString expected;
        for (unsigned bit = 0; bit < 4; ++bit) {
            if (subset & (1u << bit)) {
                mask |= glyphs[bit].first;
                expected += glyphs[bit].second;
            }
        }
        expected += "K";
        EXPECT_EQ(Hotkey({ 40, mask, "K" }).label(), expected) << "mask " << mask;
    }
}

TEST(Hotkey, LabelIgnoresOtherMaskBits)
{
    EXPECT_EQ(Hotkey({ 17, 2048 | 1 | 128 | 65536, "T" }).label(), QStringLiteral(u"\u2325 T"));
    EXPECT_EQ(Hotkey({ 17, 0, "" }).label(), "");
}

TEST(Hotkey, DisplayLabelNamesPcKeysInTheSameOrder)
{
    const std::pair<Hotkey, QString> cases[] = {
        { { 17, 2048, "T" }, "Alt+T" },
        { { 40, 4096 | 2048 | 512, "K" }, "Ctrl+Alt+Shift+K" },
        { { 126, 256, QStringLiteral(u"\u2191") }, QStringLiteral(u"Super+\u2191") },
        { { 96, 4096 | 256 | 1, "F5" }, "Ctrl+Super+F5" },
    };
    for (const auto& [hotkey, expected] : cases)
        EXPECT_EQ(hotkey.displayLabel(), expected);
}
