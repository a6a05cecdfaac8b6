// SPDX-License-Identifier: MIT
#include "AppSettings.h"
#include "CapturedWarnings.h"
#include "Language.h"
#include "TypedSettingsFormat.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class AppSettingsTest : public ::testing::Test {
protected:
    QString path() const { return m_dir.filePath(QStringLiteral("settings.json")); }

    // Writes values of any type straight into the store, as an older version
    // or a hand edit might have left them.
    void seed(const QVariantMap& values)
    {
        QSettings raw(path(), TypedSettingsFormat::format());
        for (auto it = values.begin(); it != values.end(); ++it)
            raw.setValue(it.key(), it.value());
        raw.sync();
    }

    QJsonObject fileContents() const
    {
        QFile file(path());
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return QJsonDocument::fromJson(file.readAll()).object();
    }

    QTemporaryDir m_dir;
};

TEST_F(AppSettingsTest, WritesSurviveAReopenWithTheirTypes)
{
    {
        AppSettings settings(path());
        settings.setTargetLanguage("de");
        settings.setAccent("us");
        settings.setHotkey({ 2, 4096 | 256, "D" });
        settings.setRefineHotkey({ 122, 0, "F1" });
        settings.setRefinePrompt("  be brief\n");
        settings.setAutoPlayPronunciation(false);
        settings.setPronunciationVolume(1.0);
        settings.setHasCompletedOnboarding(true);
    }
    AppSettings reopened(path());
    EXPECT_EQ(reopened.targetLanguage(), "de");
    EXPECT_EQ(reopened.accent(), "us");
    EXPECT_EQ(reopened.hotkey(), (Hotkey { 2, 4096 | 256, "D" }));
    EXPECT_EQ(reopened.refineHotkey(), (Hotkey { 122, 0, "F1" }));
    EXPECT_EQ(reopened.refinePrompt(), "  be brief\n");
    EXPECT_FALSE(reopened.autoPlayPronunciation());
    EXPECT_EQ(reopened.pronunciationVolume(), 1.0);
    EXPECT_TRUE(reopened.hasCompletedOnboarding());

    // On disk every value keeps its own type; an integral double stays a double.
    const QJsonObject file = fileContents();
    auto typeOf = [&](const char* key) { return file.value(key).toObject().value("type").toString(); };
    EXPECT_EQ(typeOf("pronunciationVolume"), "double");
    EXPECT_EQ(typeOf("autoPlayPronunciation"), "bool");
    EXPECT_EQ(typeOf("hotkeyKeyCode"), "int");
    EXPECT_EQ(typeOf("hotkeyModifiers"), "int");
    EXPECT_EQ(typeOf("hotkeyKeyLabel"), "string");
    EXPECT_EQ(typeOf("refinePromptV3"), "string");
    EXPECT_FALSE(file.contains("hotkeyID"));
}

TEST_F(AppSettingsTest, LegacyHotkeyIdentifiersConvertUntilANewCombinationIsStored)
{
    struct Case {
        QString id;
        Hotkey expected;
        QString label;
    };
    const Case cases[] = {
        { "opt-d", { 2, 2048, "D" }, QStringLiteral(u"\u2325 D") },
        { "ctrl-opt-t", { 17, 6144, "T" }, QStringLiteral(u"\u2303 \u2325 T") },
        { "cmd-shift-t", { 17, 768, "T" }, QStringLiteral(u"\u21E7 \u2318 T") },
        { "opt-t ", { 17, 2048, "T" }, QStringLiteral(u"\u2325 T") }, // not exactly a known id
        { "OPT-D", { 17, 2048, "T" }, QStringLiteral(u"\u2325 T") },
    };
    for (const Case& c : cases) {
        QFile::remove(path());
        seed({ { "hotkeyID", c.id } });
        AppSettings settings(path());
        EXPECT_EQ(settings.hotkey(), c.expected) << c.id.toStdString();
        EXPECT_EQ(settings.hotkey().label(), c.label) << c.id.toStdString();
        EXPECT_EQ(settings.refineHotkey(), (Hotkey { 15, 2048, "R" })) << "no legacy key for refine";
    }

    QFile::remove(path());
    seed({ { "hotkeyID", "cmd-shift-t" } });
    AppSettings settings(path());
    settings.setHotkey({ 0, 2048, "A" });
    EXPECT_EQ(settings.hotkey(), (Hotkey { 0, 2048, "A" }));
    // Never removed, only no longer consulted.
    EXPECT_EQ(fileContents().value("hotkeyID").toObject().value("value").toString(), "cmd-shift-t");
}

TEST_F(AppSettingsTest, StoredHotkeysFillInGapsAndFallBackOutOfRange)
{
    const Hotkey translateDefault { 17, 2048, "T" }, refineDefault { 15, 2048, "R" };
    struct Case {
        QVariantMap seed;
        Hotkey translate, refine;
    };
    const Case cases[] = {
        { { { "hotkeyKeyCode", 40 } }, { 40, 0, "?" }, refineDefault },
        { { { "refineHotkeyKeyCode", 15 }, { "refineHotkeyKeyLabel", "R" } }, translateDefault,
            { 15, 0, "R" } },
        // A numeric string converts as the integer reading would.
        { { { "hotkeyKeyCode", "17" }, { "hotkeyModifiers", "4096" }, { "hotkeyKeyLabel", "T" } },
            { 17, 4096, "T" }, refineDefault },
        // Beyond 32 bits, or negative: the default combination.
        { { { "refineHotkeyKeyCode", qlonglong(1) << 40 }, { "refineHotkeyKeyLabel", "X" } },
            translateDefault, refineDefault },
        { { { "hotkeyKeyCode", -1 }, { "hotkeyKeyLabel", "T" } }, translateDefault, refineDefault },
    };
    for (const Case& c : cases) {
        QFile::remove(path());
        seed(c.seed);
        AppSettings settings(path());
        EXPECT_EQ(settings.hotkey(), c.translate) << c.seed.firstKey().toStdString();
        EXPECT_EQ(settings.refineHotkey(), c.refine) << c.seed.firstKey().toStdString();
    }
}

TEST_F(AppSettingsTest, ReadsDependOnTheStoredType)
{
    seed({ { "autoPlayPronunciation", "false" }, { "pronunciationVolume", 1.7 }, { "targetLanguage", "" },
        { "accent", "" }, { "refinePromptV3", "" }, { "refinePromptV2", "old prompt" } });
    AppSettings settings(path());
    EXPECT_TRUE(settings.autoPlayPronunciation()) << "a string is not a Boolean";
    EXPECT_EQ(settings.pronunciationVolume(), 1.0);
    EXPECT_EQ(settings.targetLanguage(), "") << "stored empty strings are kept";
    EXPECT_EQ(settings.accent(), "");
    EXPECT_EQ(settings.refinePrompt(), "");

    QFile::remove(path());
    seed({ { "autoPlayPronunciation", 0 }, { "pronunciationVolume", -0.2 }, { "refinePromptV2", "old" } });
    AppSettings other(path());
    EXPECT_TRUE(other.autoPlayPronunciation()) << "an integer is not a Boolean either";
    EXPECT_EQ(other.pronunciationVolume(), 0.0);
    EXPECT_EQ(other.refinePrompt(), AppSettings::defaultRefinePrompt()) << "only the V3 key is read";

    QFile::remove(path());
    seed({ { "autoPlayPronunciation", false }, { "pronunciationVolume", 0.25 } });
    AppSettings stored(path());
    EXPECT_FALSE(stored.autoPlayPronunciation());
    EXPECT_EQ(stored.pronunciationVolume(), 0.25);
}

TEST_F(AppSettingsTest, VolumeIsClampedOnWrite)
{
    AppSettings settings(path());
    for (const auto& [written, stored] : { std::pair { 3.0, 1.0 }, { -1.0, 0.0 },
             { std::numeric_limits<double>::quiet_NaN(), 0.0 }, { 0.3, 0.3 } }) {
        settings.setPronunciationVolume(written);
        EXPECT_EQ(fileContents().value("pronunciationVolume").toObject().value("value").toDouble(), stored);
    }
}

// The warnings AppSettings gives while `body` runs.
QStringList warningsDuring(const std::function<void()>& body)
{
    CapturedWarnings warnings;
    body();
    return warnings.lines(QStringLiteral("AppSettings:"));
}

TEST_F(AppSettingsTest, EachUnreadableFileIsKeptAsideNotOverwritten)
{
    // Twice within the same second: the second copy must not replace the first.
    for (const QByteArray& damaged : { QByteArray("{ this is not json"), QByteArray("{ nor this") }) {
        SCOPED_TRACE(damaged.constData());
        {
            QFile file(path());
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(damaged);
        }
        const QStringList warnings = warningsDuring([&] {
            AppSettings settings(path());
            EXPECT_EQ(settings.accent(), "uk");
            settings.setAccent("us");
        });
        ASSERT_EQ(warnings.size(), 1);
        EXPECT_TRUE(warnings.first().contains("kept a copy as")) << warnings.first().toStdString();
    }
    QStringList kept;
    for (const QString& name :
        QDir(m_dir.path()).entryList({ QStringLiteral("settings.json.unreadable-*") }, QDir::Files)) {
        QFile file(m_dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        kept << QString::fromUtf8(file.readAll());
    }
    kept.sort();
    EXPECT_EQ(kept, (QStringList { "{ nor this", "{ this is not json" }));
}

} // namespace
