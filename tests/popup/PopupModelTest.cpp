// SPDX-License-Identifier: MIT
#include "PopupModel.h"

#include <gtest/gtest.h>

namespace {

struct VariantsCase {
    const char* name;
    QString answer;
    QStringList expected;
    friend void PrintTo(const VariantsCase& c, std::ostream* os) { *os << c.name; }
};

class VariantsTest : public ::testing::TestWithParam<VariantsCase> { };

TEST_P(VariantsTest, SplitsTrimsAndDropsBlanks)
{
    EXPECT_EQ(PopupModel::variants(GetParam().answer), GetParam().expected);
}

const QString LS = QString(QChar(0x2028));
const QString PS = QString(QChar(0x2029));
const QString NEL = QString(QChar(0x85));
const QString NBSP = QString(QChar(0xA0));
const QString IDEOGRAPHIC_SPACE = QString(QChar(0x3000));

INSTANTIATE_TEST_SUITE_P(Answers, VariantsTest,
    ::testing::Values(VariantsCase { "ThreeSeparated", "a\n---\nb\n---\nc", { "a", "b", "c" } },
        VariantsCase { "LinesWithoutSeparator", "one\n\n  two  \nthree", { "one", "two", "three" } },
        VariantsCase { "SeparatorInsideALine", "foo --- bar", { "foo", "bar" } },
        VariantsCase { "EdgeAndDoubledSeparators", "---\na\n---\n---\nb\n---", { "a", "b" } },
        VariantsCase { "FourDashesLeaveOne", "a\n----\nb", { "a", "-\nb" } },
        VariantsCase { "LineBreaksInsideAVariantSurvive", "first line\nsecond line\n---\nother",
            { "first line\nsecond line", "other" } },
        VariantsCase { "EmptyAnswer", "", {} }, VariantsCase { "AllBlank", " \t\r\n " + NBSP + LS, {} },
        VariantsCase { "OnlySeparators", "---\n---", {} },
        VariantsCase { "FivePieces", "1---2---3---4---5", { "1", "2", "3", "4", "5" } },
        VariantsCase { "UnicodeLineAndParagraphSeparators", "one" + LS + "two" + PS + "three" + NEL + "four",
            { "one", "two", "three", "four" } },
        VariantsCase { "VerticalTabAndFormFeedAreLineBreaks", "a\vb\fc\r\nd", { "a", "b", "c", "d" } },
        VariantsCase { "UnicodeSpacesAreTrimmed",
            NBSP + IDEOGRAPHIC_SPACE + "a" + NBSP + "\n---\n" + QChar(0x2003) + "b" + QChar(0x202F),
            { "a", "b" } },
        VariantsCase { "SpacesAreNotLineBreaks", "a b" + NBSP + "c", { "a b" + NBSP + "c" } },
        VariantsCase { "OtherControlsAreKept", QString(QChar(0x1F)) + "a" + QChar(0x200B),
            { QString(QChar(0x1F)) + "a" + QChar(0x200B) } },
        VariantsCase { "SurrogatePairsAreNotSplit", QString::fromUtf8("😀\n---\n😀 b"),
            { QString::fromUtf8("😀"), QString::fromUtf8("😀 b") } }),
    [](const ::testing::TestParamInfo<VariantsCase>& info) { return std::string(info.param.name); });

TEST(PopupModelTest, EveryAssignmentAnnouncesOneChangeEvenOfAnEqualValue)
{
    PopupModel model;
    int changes = 0;
    QObject::connect(&model, &PopupModel::changed, [&] { ++changes; });
    model.setSourceText(QString());
    model.setIsLoading(false);
    model.setTranslation(std::nullopt);
    model.setQuickTarget(QStringLiteral("en"));
    EXPECT_EQ(changes, 4);
}

// What the model looked like at each change that reset() announced.
struct Snapshot {
    QString sourceText;
    PopupMode mode;
    bool isWordMode;
    bool isLoading;
    bool hasTranslation, hasRefined, hasEntry, hasError;
};

TEST(PopupModelTest, ResetAssignsInOrderAndKeepsTargetAndFocusToken)
{
    PopupModel model;
    model.setMode(PopupMode::quickTranslate);
    model.setTranslation(TranslationResult { "t", "x", "en", "ru" });
    model.setRefined(QStringLiteral("r"));
    model.setEntry(DictionaryEntry { "w", "uk", {}, {}, {}, {} });
    model.setErrorMessage(QStringLiteral("e"));
    model.setFocusToken(7);
    model.setQuickTarget(QStringLiteral("ru"));

    std::vector<Snapshot> snapshots;
    QObject::connect(&model, &PopupModel::changed, [&] {
        snapshots.push_back({ model.sourceText(), model.mode(), model.isWordMode(), model.isLoading(),
            model.translation().has_value(), model.refined().has_value(), model.entry().has_value(),
            model.errorMessage().has_value() });
    });
    model.reset(QStringLiteral("word"), PopupMode::translate, true);

    // Each field is assigned in turn: at change k, fields up to k are new.
    ASSERT_EQ(snapshots.size(), 8u);
    const auto stage = [&](int k) {
        const Snapshot& at = snapshots[k];
        return std::vector<bool> { at.sourceText == "word", at.mode == PopupMode::translate, at.isWordMode,
            at.isLoading, !at.hasTranslation, !at.hasRefined, !at.hasEntry, !at.hasError };
    };
    for (int k = 0; k < 8; ++k) {
        const std::vector<bool> fields = stage(k);
        for (int f = 0; f < 8; ++f)
            EXPECT_EQ(fields[f], f <= k) << "change " << k << ", field " << f;
    }
    EXPECT_EQ(model.focusToken(), 7);
    EXPECT_EQ(model.quickTarget(), QStringLiteral("ru"));
    EXPECT_TRUE(model.isLoading());
}

} // namespace
