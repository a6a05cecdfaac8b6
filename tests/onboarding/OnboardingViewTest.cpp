// SPDX-License-Identifier: MIT
// The onboarding's steps, choices and failure paths, on the run's display.
#include "OnboardingView.h"
#include "AccessibilityPermission.h"
#include "AppSettings.h"
#include "Clipboard.h"
#include "NotificationCenter.h"
#include "PlatformSession.h"
#include "PopupController.h"
#include "PreviousInstance.h"
#include "ProcessRelauncher.h"
#include "TutorialRow.h"
#include "TutorialSample.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using Step = OnboardingView::Step;

struct SwitchablePermission : AccessibilityPermission {
    bool trusted = true;
    bool isTrusted() const override { return trusted; }
};

class OnboardingViewTest : public ::testing::Test {
protected:
    std::unique_ptr<OnboardingView> makeView(bool trusted, OnboardingView::Services services = {})
    {
        permission.trusted = trusted;
        services.settings = &settings;
        services.notifications = &notifications;
        services.clipboard = &platform.clipboard();
        services.permission = &permission;
        if (!services.requestAccessibility)
            services.requestAccessibility = [] { return AccessibilityRequestResult::alreadyTrusted; };
        if (!services.keyStore.hasKey)
            services.keyStore = { [] { return false; }, [](const QString&) { return true; } };
        services.quit = [this] { ++quits; };
        return std::make_unique<OnboardingView>(std::move(services), [this] { ++finishes; });
    }

    static void click(OnboardingView& view, const char* name)
    {
        auto* button = view.findChild<QPushButton*>(QLatin1String(name));
        ASSERT_TRUE(button && button->isVisible() && button->isEnabled()) << name;
        button->click();
    }

    // The bottom bar as the user sees it: visible buttons, disabled ones
    // marked "(off)".
    static QString bar(const OnboardingView& view)
    {
        QStringList shown;
        for (const char* name : { "backButton", "primaryButton", "skipButton", "finishButton" }) {
            auto* button = view.findChild<QPushButton*>(QLatin1String(name));
            if (button->isVisible())
                shown << button->text() + (button->isEnabled() ? "" : "(off)");
        }
        return shown.join(" | ");
    }

    QTemporaryDir folder;
    AppSettings settings { folder.filePath("settings.json") };
    NotificationCenter notifications;
    PlatformSession platform;
    SwitchablePermission permission;
    int quits = 0;
    int finishes = 0;
};

TEST_F(OnboardingViewTest, StepsAndTheirButtons)
{
    struct Case {
        const char* name;
        bool trusted;
        const char* actions; // n next, b back, r Return, t the popup's three notifications
        Step step;
        const char* bar;
    };
    const Case cases[] = {
        { "start", true, "", Step::welcome, "Get Started" },
        { "trusted session", true, "n", Step::accessibility, "Back | Continue" },
        { "Return is the primary button", true, "r", Step::accessibility, "Back | Continue" },
        { "untrusted session cannot go on", false, "nn", Step::accessibility, "Back | Continue(off)" },
        { "language", true, "nn", Step::language, "Back | Continue" },
        { "tutorial", true, "nnn", Step::tutorial, "Back | Skip | Finish(off)" },
        { "back from tutorial", true, "nnnb", Step::language, "Back | Continue" },
        { "back to welcome", true, "nb", Step::welcome, "Get Started" },
        { "all three done", true, "nnnt", Step::tutorial, "Back | Finish" },
        { "notifications elsewhere tick nothing", true, "nntn", Step::tutorial, "Back | Skip | Finish(off)" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto view = makeView(c.trusted);
        view->show();
        for (const char* action = c.actions; *action; ++action) {
            switch (*action) {
            case 'n':
                view->findChild<QPushButton*>("primaryButton")->click();
                break;
            case 'b':
                click(*view, "backButton");
                break;
            case 'r':
                QTest::keyClick(view.get(), Qt::Key_Return);
                break;
            case 't':
                for (const QString& name : { PopupController::didTranslateSelection,
                         PopupController::didReplaceRefined, PopupController::didOpenQuickTranslate })
                    notifications.post(name);
                break;
            }
        }
        EXPECT_EQ(view->step(), c.step);
        EXPECT_EQ(bar(*view), c.bar);
    }
}

TEST_F(OnboardingViewTest, LanguageIsStoredOnContinueAndFinishAndPicksTheDraft)
{
    auto view = makeView(true);
    view->show();
    click(*view, "primaryButton");
    click(*view, "primaryButton");
    auto* picker = view->findChild<QComboBox*>("languagePicker");
    auto* sample = view->findChild<TutorialSample*>("refineSample");
    const QString english = OnboardingView::refineSample("en");
    const std::pair<const char*, const char*> drafts[] = { { "ru", "плохо" }, { "uk", "погано" },
        { "es", "texto" }, { "de", "schlecht" }, { "fr", "écrit" }, { "ja", nullptr }, { "zh-CN", nullptr } };
    for (const auto& [code, word] : drafts) {
        SCOPED_TRACE(code);
        picker->setCurrentIndex(picker->findData(QString::fromLatin1(code)));
        click(*view, "primaryButton");
        EXPECT_EQ(settings.targetLanguage(), code);
        const QString draft = sample->text();
        EXPECT_EQ(draft, view->refineSampleText());
        if (word)
            EXPECT_TRUE(draft.contains(QString::fromUtf8(word)) && draft != english) << draft.toStdString();
        else
            EXPECT_EQ(draft, english);
        click(*view, "backButton");
        EXPECT_EQ(picker->currentData().toString(), code) << "Back keeps the choice";
    }

    // Finishing writes the language again, over a change made meanwhile.
    picker->setCurrentIndex(picker->findData("it"));
    click(*view, "primaryButton");
    settings.setTargetLanguage("ru");
    EXPECT_FALSE(settings.hasCompletedOnboarding());
    click(*view, "skipButton");
    view->finish();
    EXPECT_EQ(settings.targetLanguage(), "it");
    EXPECT_TRUE(settings.hasCompletedOnboarding());
    EXPECT_EQ(finishes, 1);
}

TEST_F(OnboardingViewTest, RewritingUnlocksOnlyOnceTheKeyIsStored)
{
    for (const bool stored : { false, true }) {
        SCOPED_TRACE(stored ? "stored" : "refused");
        QStringList offered;
        OnboardingView::Services services;
        services.keyStore = { [] { return false; },
            [&](const QString& key) {
                offered << key;
                return stored;
            } };
        auto view = makeView(true, std::move(services));
        auto* row = view->findChild<TutorialRow*>("refineRow");
        row->findChild<QLineEdit*>("keyField")->setText("  AIzaKey\n");
        row->saveKey();
        EXPECT_EQ(offered, QStringList { "AIzaKey" });
        EXPECT_EQ(row->isLocked(), !stored);
        EXPECT_EQ(view->hasGeminiKey(), stored);
        auto* message = row->findChild<QLabel*>("keyMessage");
        EXPECT_EQ(!message->isHidden() && message->text().contains("could not be stored"), !stored);
    }
}

TEST_F(OnboardingViewTest, TheDraftPastesFromTheClipboardThisProgramHolds)
{
    // After a rewrite the clipboard is ours, answered on this very thread: a
    // blocking read here would wait on itself.
    auto view = makeView(true);
    view->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    platform.clipboard().setText("second variant");
    auto* draft = view->findChild<TutorialSample*>("refineSample")->editor();
    draft->clear();
    QTest::keyClick(draft, Qt::Key_V, Qt::ControlModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return view->refineSampleText() == "second variant"; }, 2000))
        << view->refineSampleText().toStdString();
}

TEST_F(OnboardingViewTest, RelaunchQuitsOnlyOnceTheNewProcessRuns)
{
    for (const auto& [program, quitsExpected] :
        { std::pair { "/nonexistent/sorvantel", 0 }, { "/bin/true", 1 } }) {
        SCOPED_TRACE(program);
        quits = 0;
        OnboardingView::Services services;
        services.requestAccessibility = [] { return AccessibilityRequestResult::couldNotOpenSettings; };
        services.relauncher = std::make_unique<ProcessRelauncher>(program);
        auto view = makeView(false, std::move(services));
        view->show();
        click(*view, "primaryButton");
        click(*view, "allowButton");
        auto* error = view->findChild<QLabel*>("settingsError");
        EXPECT_TRUE(error->isVisible());
        click(*view, "relaunchButton");
        QTest::qWait(50);
        EXPECT_EQ(quits, quitsExpected);
        EXPECT_EQ(view->findChild<QLabel*>("relaunchError")->isVisible(), quitsExpected == 0);

        // A grant seen by the poll hides the instructions and lets the user on.
        permission.trusted = true;
        EXPECT_TRUE(QTest::qWaitFor([&] { return bar(*view) == "Back | Continue"; }, 3000));
        EXPECT_FALSE(error->isVisible());
        EXPECT_FALSE(view->findChild<QWidget*>("relaunchHint")->isVisible());
    }
}

TEST(PreviousInstanceTest, WaitsForTheProcessNamedOnTheCommandLine)
{
    EXPECT_EQ(PreviousInstance::pidToWaitFor({ "sorvantel", "--wait-for-pid", "4242" }), 4242);
    EXPECT_EQ(PreviousInstance::pidToWaitFor({ "sorvantel", "--wait-for-pid" }), std::nullopt);
    EXPECT_EQ(PreviousInstance::pidToWaitFor({ "sorvantel", "--wait-for-pid", "-3" }), std::nullopt);

    QProcess child;
    child.start("sleep", { "0.3" });
    ASSERT_TRUE(child.waitForStarted());
    EXPECT_FALSE(PreviousInstance::waitForExit(child.processId(), std::chrono::milliseconds(50)));
    // Not reaped yet: the old process of a relaunch is not our child either.
    EXPECT_TRUE(PreviousInstance::waitForExit(child.processId(), std::chrono::seconds(5)));
    child.waitForFinished();
}

} // namespace
