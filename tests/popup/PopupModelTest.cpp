// SPDX-License-Identifier: MIT
#include "PopupModel.h"

#include <QSignalSpy>
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

TEST(PopupModelTest, StartsWithTheInitialValues)
{
    PopupModel model;
    EXPECT_EQ(model.sourceText(), QString());
    EXPECT_EQ(model.mode(), PopupMode::translate);
    EXPECT_FALSE(model.isWordMode());
    EXPECT_FALSE(model.isLoading());
    EXPECT_FALSE(model.translation());
    EXPECT_FALSE(model.refined());
    EXPECT_FALSE(model.entry());
    EXPECT_FALSE(model.errorMessage());
    EXPECT_EQ(model.focusToken(), 0);
    EXPECT_EQ(model.quickTarget(), QStringLiteral("en"));
}

TEST(PopupModelTest, EveryAssignmentAnnouncesOneChangeEvenOfAnEqualValue)
{
    PopupModel model;
    QSignalSpy spy(&model, &PopupModel::changed);
    model.setSourceText(QString());
    model.setMode(PopupMode::translate);
    model.setIsWordMode(false);
    model.setIsLoading(false);
    model.setTranslation(std::nullopt);
    model.setRefined(std::nullopt);
    model.setEntry(std::nullopt);
    model.setErrorMessage(std::nullopt);
    model.setFocusToken(0);
    model.setQuickTarget(QStringLiteral("en"));
    EXPECT_EQ(spy.count(), 10);
}

TEST(PopupModelTest, ObserversSeeTheNewValueWhenTheChangeArrives)
{
    PopupModel model;
    QString seen;
    QObject::connect(&model, &PopupModel::changed, [&] { seen = model.sourceText(); });
    model.setSourceText(QStringLiteral("new"));
    EXPECT_EQ(seen, QStringLiteral("new"));
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

    ASSERT_EQ(snapshots.size(), 8u);
    EXPECT_EQ(snapshots[0].sourceText, QStringLiteral("word"));
    EXPECT_EQ(snapshots[0].mode, PopupMode::quickTranslate) << "sourceText comes first";
    EXPECT_EQ(snapshots[1].mode, PopupMode::translate);
    EXPECT_FALSE(snapshots[1].isWordMode);
    EXPECT_TRUE(snapshots[2].isWordMode);
    EXPECT_FALSE(snapshots[2].isLoading);
    EXPECT_TRUE(snapshots[3].isLoading);
    EXPECT_TRUE(snapshots[3].hasTranslation);
    EXPECT_FALSE(snapshots[4].hasTranslation);
    EXPECT_TRUE(snapshots[4].hasRefined);
    EXPECT_FALSE(snapshots[5].hasRefined);
    EXPECT_TRUE(snapshots[5].hasEntry);
    EXPECT_FALSE(snapshots[6].hasEntry);
    EXPECT_TRUE(snapshots[6].hasError);
    EXPECT_FALSE(snapshots[7].hasError);

    EXPECT_EQ(model.focusToken(), 7);
    EXPECT_EQ(model.quickTarget(), QStringLiteral("ru"));
    EXPECT_TRUE(model.isLoading());
}

} // namespace
