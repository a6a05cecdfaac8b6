// SPDX-License-Identifier: MIT
#include "Espeak.h"

#include <atomic>
#include <gtest/gtest.h>
#include <malloc.h>
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

// Each change of voice must not leave espeak's copy of the voice behind.
TEST(Espeak, ChangesVoiceWithoutKeepingMemory)
{
    Espeak* espeak = Espeak::instance();
    ASSERT_TRUE(espeak);
    const auto changeVoices = [espeak](int times) {
        for (int i = 0; i < times; ++i)
            espeak->ipa(QStringLiteral("dance"), Espeak::Accent(i % 2));
    };
    changeVoices(100);
    const std::size_t before = mallinfo2().uordblks;
    changeVoices(2000);
    // A leaked copy per change would be 2.6 MB.
    EXPECT_LT(mallinfo2().uordblks, before + 512 * 1024);
}
