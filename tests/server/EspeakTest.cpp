// SPDX-License-Identifier: MIT
#include "Espeak.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

// Callers of both accents at once are served in batches per voice; each
// still gets its own accent's transcription, and recordings made between
// them come whole.
TEST(Espeak, GivesEveryConcurrentCallerItsOwnAccent)
{
    Espeak* espeak = Espeak::instance();
    ASSERT_TRUE(espeak);
    using Accent = Espeak::Accent;
    const QString words[] = { QStringLiteral("dance"), QStringLiteral("bath") };
    QString expected[2][2];
    for (int w = 0; w < 2; ++w) {
        for (const Accent accent : { Accent::British, Accent::American })
            expected[w][int(accent)] = espeak->ipa(words[w], accent).value_or(QString());
        ASSERT_NE(expected[w][0], expected[w][1])
            << "the accents must differ for the test to tell them apart";
    }

    std::vector<std::thread> callers;
    std::atomic<int> wrong = 0;
    for (int t = 0; t < 16; ++t) {
        callers.emplace_back([&, t] {
            for (int i = 0; i < 40; ++i) {
                const int w = (t + i) % 2;
                const Accent accent = Accent((t + i / 2) % 2);
                if (espeak->ipa(words[w], accent) != expected[w][int(accent)])
                    ++wrong;
                // Synthesis varies from call to call: only its form is checked.
                if (i % 10 == 0) {
                    const auto wav = espeak->wav(words[w], accent);
                    if (!wav || wav->size() < 10000 || !wav->startsWith("RIFF"))
                        ++wrong;
                }
            }
        });
    }
    for (std::thread& caller : callers)
        caller.join();
    EXPECT_EQ(wrong, 0);
}
