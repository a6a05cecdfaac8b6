// SPDX-License-Identifier: MIT
#include "Espeak.h"

#include <atomic>
#include <gtest/gtest.h>
#include <malloc.h>
#include <thread>
#include <vector>

using Accent = Espeak::Accent;

// Callers of both accents at once are served in batches per voice, yet each
// gets its own accent; and a change of voice leaves no memory behind.
TEST(Espeak, GivesEveryConcurrentCallerItsOwnAccentAndKeepsNoMemoryPerVoiceChange)
{
    Espeak* espeak = Espeak::instance();
    ASSERT_TRUE(espeak);
    const QString dance = QStringLiteral("dance");
    const QString expected[2] = { espeak->ipa(dance, Accent::British).value_or(""),
        espeak->ipa(dance, Accent::American).value_or("") };
    ASSERT_NE(expected[0], expected[1]);

    std::atomic<int> wrong = 0;
    std::vector<std::thread> callers;
    for (int t = 0; t < 16; ++t) {
        callers.emplace_back([&, t] {
            for (int i = 0; i < 40; ++i) {
                const Accent accent = Accent((t + i / 2) % 2);
                wrong += espeak->ipa(dance, accent) != expected[int(accent)];
                // Synthesis varies from call to call: only its form is checked.
                if (i % 10 == 0)
                    wrong += !espeak->wav(dance, accent).value_or("").startsWith("RIFF");
            }
        });
    }
    for (std::thread& caller : callers)
        caller.join();
    EXPECT_EQ(wrong, 0);

    const std::size_t before = mallinfo2().uordblks;
    for (int i = 0; i < 2000; ++i)
        espeak->ipa(dance, Accent(i % 2));
    EXPECT_LT(mallinfo2().uordblks, before + 512 * 1024) << "a copy kept per change would be 2.6 MB";
}
