// SPDX-License-Identifier: MIT
#include "Hotkey.h"

#include <gtest/gtest.h>

TEST(Hotkey, LabelPutsTheModifierGlyphsInTheirFixedOrderAndIgnoresOtherBits)
{
    EXPECT_EQ(Hotkey({ 40, 256 | 512 | 2048 | 4096, "K" }).label(),
        QStringLiteral(u"\u2303 \u2325 \u21E7 \u2318 K"));
    EXPECT_EQ(Hotkey({ 40, 256 | 4096, "K" }).label(), QStringLiteral(u"\u2303 \u2318 K"));
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
