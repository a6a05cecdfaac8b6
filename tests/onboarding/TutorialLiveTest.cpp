// SPDX-License-Identifier: MIT
// The tutorial as a user walks it: keys and clicks from xdotool on the run's
// display, the real shortcuts, selection capture, popup and keyring, and a
// loopback server answering like the backend.
#include "AppSettings.h"
#include "GeminiKeyManager.h"
#include "HotkeyManager.h"
#include "OnboardingView.h"
#include "PlatformSession.h"
#include "PopupController.h"
#include "PopupView.h"
#include "SelectionCapture.h"
#include "TestHttpServer.h"
#include "TutorialRow.h"
#include "TutorialSample.h"
#include "X11TestTools.h"

#include <QJsonDocument>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using Response = TestHttpServer::Response;

Response backend(const TestHttpServer::Request& request)
{
    const QJsonValue text = request.json().value("text");
    const QJsonObject data = request.path == "/refine" ? QJsonObject { { "text", text },
        { "refined", "first variant\n---\nsecond variant\n---\nthird variant" }, { "model", "m" } }
        : request.path == "/translate" ? QJsonObject { { "text", text }, { "translated", "translated" },
              { "sourceLanguage", "en" }, { "targetLanguage", request.json().value("target") } }
                                       : QJsonObject { { "word", "serendipity" }, { "accent", "uk" },
                                             { "ipa", "/x/" }, { "definition", "luck" } };
    return { 200, QJsonDocument(QJsonObject { { "success", true }, { "data", data } }).toJson() };
}

void xdotool(const QStringList& arguments)
{
    ASSERT_EQ(X11TestTools::run("xdotool", arguments).exitCode, 0) << arguments.join(' ').toStdString();
}

void clickAt(const QWidget* widget, int clicks = 1, QPoint at = {})
{
    const QPoint point = widget->mapToGlobal(at.isNull() ? widget->rect().center() : at);
    xdotool({ "mousemove", "--sync", QString::number(point.x()), QString::number(point.y()), "click",
        "--repeat", QString::number(clicks), "--delay", "80", "1" });
}

TEST(TutorialLiveTest, EveryTaskTicksFromTheRealShortcutsAndPopup)
{
    QTemporaryDir folder;
    AppSettings settings(folder.filePath("settings.json"));
    settings.setAutoPlayPronunciation(false);
    TestHttpServer server;
    server.answer(backend);
    GeminiKeyManager::remove();

    // Wired as the application shell wires them.
    PlatformSession platform;
    ASSERT_NE(platform.x11(), nullptr);
    PopupController controller({ settings, LookupClient(server.url(), std::chrono::seconds(10)),
        platform.clipboard(), platform.keystrokes(), platform.pointerWatch(), platform.escapeGrab(),
        platform.translucency(), platform.notifications() });
    SelectionCapture capture(
        { platform.selectionReader(), platform.clipboard(), platform.keystrokes(), platform.permission() });
    HotkeyManager hotkeys(platform.createHotkeyRegistrar());
    hotkeys.registerHotkey(
        HotkeyAction::translate, settings.hotkey().keyCode, settings.hotkey().carbonModifiers);
    hotkeys.registerHotkey(
        HotkeyAction::refine, settings.refineHotkey().keyCode, settings.refineHotkey().carbonModifiers);
    QPointer<PopupController> popup(&controller);
    hotkeys.onTrigger = [&capture, popup](HotkeyAction action) {
        capture.captureSelection([popup, action](std::optional<QString> text) {
            if (!popup)
                return;
            if (text && !text->isEmpty())
                popup->show(
                    *text, action == HotkeyAction::translate ? PopupMode::translate : PopupMode::refine);
            else if (action == HotkeyAction::translate)
                popup->showQuickTranslate();
        });
    };

    int finishes = 0;
    OnboardingView::Services services;
    services.settings = &settings;
    services.notifications = &platform.notifications();
    services.clipboard = &platform.clipboard();
    services.permission = &platform.permission();
    services.requestAccessibility = [&capture] { return capture.requestAccessibility(); };
    OnboardingView view(std::move(services), [&] { ++finishes; });
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    X11TestTools::focus(view.winId());
    auto* primary = view.findChild<QPushButton*>("primaryButton");
    auto* finish = view.findChild<QPushButton*>("finishButton");
    auto* skip = view.findChild<QPushButton*>("skipButton");
    auto* refineRow = view.findChild<TutorialRow*>("refineRow");
    auto* draft = view.findChild<TutorialSample*>("refineSample")->editor();
    auto dismissPopup = [&] {
        xdotool({ "key", "Escape" });
        ASSERT_TRUE(QTest::qWaitFor([&] { return !controller.panel().isVisible(); }, 3000));
        X11TestTools::focus(view.winId());
    };

    ASSERT_TRUE(view.isTrusted()) << "an X server with XTEST";
    primary->click(), primary->click();
    ASSERT_EQ(view.step(), OnboardingView::Step::language);

    // Quick translate while the language page shows: the popup, no tick.
    X11TestTools::clear("PRIMARY");
    xdotool({ "key", "alt+t" });
    ASSERT_TRUE(QTest::qWaitFor([&] { return controller.panel().isVisible(); }, 5000));
    dismissPopup();
    EXPECT_FALSE(view.didQuickTranslate());

    primary->click();
    ASSERT_EQ(view.step(), OnboardingView::Step::tutorial);
    QTest::qWait(100);

    // 1. Select the word, press the shortcut.
    QPlainTextEdit* word = view.findChild<TutorialSample*>("translateSample")->editor();
    clickAt(word, 2, QPoint(30, 12));
    xdotool({ "key", "alt+t" });
    ASSERT_TRUE(QTest::qWaitFor([&] { return view.didTranslate(); }, 5000));
    EXPECT_TRUE(view.findChild<TutorialRow*>("translateRow")->isDone());
    EXPECT_EQ(controller.model().sourceText(), "serendipity");
    dismissPopup();

    // 2. Nothing selected: the quick-translate popup.
    clickAt(word, 1, QPoint(4, 12));
    X11TestTools::clear("PRIMARY");
    xdotool({ "key", "alt+t" });
    ASSERT_TRUE(QTest::qWaitFor([&] { return view.didQuickTranslate(); }, 5000));
    EXPECT_TRUE(view.findChild<TutorialRow*>("quickTranslateRow")->isDone());
    dismissPopup();

    // 3. Locked without a key; a key typed into the row goes to the keyring.
    EXPECT_TRUE(refineRow->isLocked());
    clickAt(refineRow, 1, QPoint(refineRow->width() / 2, 10));
    auto* addKey = refineRow->findChild<QPushButton*>("addKeyButton");
    ASSERT_TRUE(QTest::qWaitFor([&] { return addKey->isVisible(); }, 2000));
    clickAt(addKey);
    ASSERT_TRUE(QTest::qWaitFor([&] { return refineRow->isEditingKey(); }, 2000));
    xdotool({ "type", "--delay", "5", " AIzaTutorialKey " });
    xdotool({ "key", "Return" });
    ASSERT_TRUE(QTest::qWaitFor([&] { return !refineRow->isLocked(); }, 3000));
    EXPECT_EQ(GeminiKeyManager::read(), "AIzaTutorialKey");
    EXPECT_TRUE(skip->isVisible());
    EXPECT_FALSE(finish->isEnabled());

    // Select the draft, press the shortcut, click a variant: it replaces the draft.
    clickAt(draft, 3, QPoint(20, 12));
    xdotool({ "key", "alt+r" });
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return controller.view().findChildren<QWidget*>("variantRow").size() == 3; }, 5000));
    QTest::qWait(100);
    clickAt(controller.view().findChildren<QWidget*>("variantRow")[1]);
    ASSERT_TRUE(QTest::qWaitFor([&] { return view.didRefine(); }, 3000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return view.refineSampleText() == "second variant"; }, 3000))
        << view.refineSampleText().toStdString();

    EXPECT_TRUE(finish->isEnabled());
    EXPECT_FALSE(skip->isVisible());
    clickAt(finish);
    EXPECT_TRUE(QTest::qWaitFor([&] { return finishes == 1; }, 2000));
    EXPECT_TRUE(settings.hasCompletedOnboarding());
    GeminiKeyManager::remove();
}

} // namespace
