// SPDX-License-Identifier: MIT
#include "Language.h"

#include <gtest/gtest.h>

TEST(Language, TheListHasTwentyOneTargetsInOrderAndNoEnglish)
{
    const auto all = Language::all();
    ASSERT_EQ(all.size(), 21u);
    QStringList codes;
    for (const Language& language : all)
        codes << language.code;
    EXPECT_EQ(codes.join(','), "ru,uk,es,fr,de,it,pt,pl,tr,nl,sv,cs,el,he,ar,hi,vi,id,ja,ko,zh-CN");
    EXPECT_EQ(all.front(), (Language { "ru", "Russian" }));
    EXPECT_EQ(all.back(), (Language { "zh-CN", "Chinese (Simplified)" }));
    EXPECT_EQ(all[13], (Language { "he", "Hebrew" }));
    EXPECT_EQ(Language::find("en"), nullptr);
    EXPECT_EQ(Language::find("zh"), nullptr) << "codes compare exactly";
    ASSERT_NE(Language::find("ru"), nullptr);
    EXPECT_EQ(Language::find("ru")->name, "Russian");
}

TEST(Language, DefaultFollowsThePreferredLanguages)
{
    const std::pair<QStringList, QString> cases[] = {
        { { "en-US", "de-DE" }, "de" },
        { { "en-GB" }, "ru" },
        { { "zh-Hans-CN" }, "zh-CN" },
        { { "zh-TW", "fr" }, "zh-CN" },
        { { "pt-BR" }, "pt" },
        { {}, "ru" },
        { { "uk-UA" }, "uk" },
        { { "de_DE.UTF-8" }, "de" },
        { { "C", "ja" }, "ja" },
        { { "en", "en-US", "xx" }, "ru" },
    };
    for (const auto& [preferred, expected] : cases)
        EXPECT_EQ(Language::defaultFor(preferred), expected) << preferred.join(',').toStdString();
}
