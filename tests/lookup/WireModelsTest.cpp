// SPDX-License-Identifier: MIT
#include "WireModels.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    const char* name;
    QByteArray body;
    bool decodes;
};

template <typename T> void expectDecoding(const std::vector<Case>& cases)
{
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(APIEnvelope<T>::fromBody(c.body).has_value(), c.decodes) << c.body.constData();
    }
}

TEST(WireModels, LookupEnvelopeAcceptsAndRejects)
{
    expectDecoding<DictionaryEntry>({
        { "required members only", R"({"success": true, "data": {"word": "run", "accent": "uk"}})", true },
        { "optional member null",
            R"({"success": true, "data": {"word": "run", "accent": "uk", "ipa": null}})", true },
        { "optional member of another type",
            R"({"success": true, "data": {"word": "run", "accent": "uk", "ipa": 5}})", false },
        { "required member absent", R"({"success": true, "data": {"word": "run"}})", false },
        { "required member null", R"({"success": true, "data": {"word": "run", "accent": null}})", false },
        { "key in another case", R"({"success": true, "data": {"Word": "run", "accent": "uk"}})", false },
        { "unknown keys ignored",
            R"({"success": true, "meta": [1], "data": {"word": "a", "accent": "b", "extra": 3, "audioURL": 9}})",
            true },
        { "failure with error text", R"({"success": false, "error": "no such word"})", true },
        { "data null", R"({"success": true, "data": null})", true },
        { "data a string", R"({"success": true, "data": "run"})", false },
        { "broken payload fails even on failure",
            R"({"success": false, "data": {"word": "run"}, "error": "x"})", false },
        { "success absent", R"({"data": {"word": "run", "accent": "uk"}})", false },
        { "success a string", R"({"success": "true"})", false },
        { "error a number", R"({"success": false, "error": 500})", false },
        { "error null", R"({"success": false, "error": null})", true },
        { "top level an array", R"([{"success": true}])", false },
        { "empty body", "", false },
        { "trailing garbage", R"({"success": true} x)", false },
    });
}

TEST(WireModels, TranslationAndRefineRecordsNeedEveryMember)
{
    expectDecoding<TranslationResult>({
        { "complete",
            R"({"success": true, "data": {"text": "hi", "translated": "привет", "sourceLanguage": "en", "targetLanguage": "ru", "x": 1}})",
            true },
        { "sourceLanguage absent",
            R"({"success": true, "data": {"text": "hi", "translated": "привет", "targetLanguage": "ru"}})",
            false },
        { "a lookup payload", R"({"success": true, "data": {"word": "run", "accent": "uk"}})", false },
    });
    expectDecoding<RefineResult>({
        { "complete", R"({"success": true, "data": {"text": "a", "refined": "b\n---\nc", "model": "m"}})",
            true },
        { "model absent", R"({"success": true, "data": {"text": "a", "refined": "b"}})", false },
    });
}

TEST(WireModels, ValuesAreKeptExactly)
{
    const auto envelope
        = APIEnvelope<DictionaryEntry>::fromBody(R"({"success": true, "error": " note ", "data": {
        "word": "  run\n", "accent": "uk", "ipa": "r\u028cn", "definition": "\tto move fast \r\n",
        "audioUrl": "https://a.example/r.mp3?x=1&y=2", "pageUrl": null}})");
    ASSERT_TRUE(envelope);
    EXPECT_TRUE(envelope->success);
    EXPECT_EQ(envelope->error, QStringLiteral(" note "));
    ASSERT_TRUE(envelope->data);
    const DictionaryEntry& entry = *envelope->data;
    EXPECT_EQ(entry.word, QStringLiteral("  run\n"));
    EXPECT_EQ(entry.accent, QStringLiteral("uk"));
    EXPECT_EQ(entry.ipa, QStringLiteral(u"r\u028Cn"));
    EXPECT_EQ(entry.definition, QStringLiteral("\tto move fast \r\n"));
    EXPECT_EQ(entry.audioUrl, QStringLiteral("https://a.example/r.mp3?x=1&y=2"));
    EXPECT_EQ(entry.pageUrl, std::nullopt);

    const auto translation = APIEnvelope<TranslationResult>::fromBody(
        "{\"success\": true, \"data\": {\"text\": \" caf\\u00e9 \", \"translated\": "
        "\"\xd0\xba\xd0\xb0\xd1\x84\xd0\xb5\","
        " \"sourceLanguage\": \"fr\", \"targetLanguage\": \"ru\"}}");
    ASSERT_TRUE(translation && translation->data);
    EXPECT_EQ(translation->data->text, QStringLiteral(u" caf\u00E9 "));
    EXPECT_EQ(translation->data->translated, QStringLiteral(u"\u043A\u0430\u0444\u0435"));
    EXPECT_EQ(translation->data->sourceLanguage, QStringLiteral("fr"));
}

} // namespace
