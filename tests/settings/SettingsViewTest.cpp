// SPDX-License-Identifier: MIT
// The settings window's content on the run's real display, keyring and X
// server: keys are pressed with xdotool, shortcuts grabbed for real.
#include "SettingsView.h"
#include "AppSettings.h"
#include "Beeper.h"
#include "GeminiKeyManager.h"
#include "GeminiKeyStore.h"
#include "HotkeyManager.h"
#include "HotkeyRecorder.h"
#include "HotkeyRecorderRow.h"
#include "NotificationCenter.h"
#include "X11Connection.h"
#include "X11HotkeyRegistrar.h"
#include "X11TestTools.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
// Xlib last: its macros clash with the headers above.
#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace {

class CountingBeeper final : public Beeper {
public:
    int beeps = 0;
    void beep() override { ++beeps; }
};

// A keyring that will not take the key (locked, prompt dismissed).
class RefusingKeyStore final : public GeminiKeyStore {
public:
    bool hasKey() override { return false; }
    std::optional<QString> maskedKey() override { return std::nullopt; }
    bool save(const QString&) override { return false; }
    void remove() override { }
};

// Another X client holding a combination, as a second program would.
struct OtherClientGrab {
    std::unique_ptr<X11Connection> client = X11Connection::open();
    int error = -1;
    OtherClientGrab(KeySym keysym, unsigned int modifiers)
    {
        Display* display = client->display();
        error = client->trapErrors([&] {
            XGrabKey(display, XKeysymToKeycode(display, keysym), modifiers, client->rootWindow(), False,
                GrabModeAsync, GrabModeAsync);
        });
    }
};

class SettingsViewTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(x11, nullptr) << "run through scripts/headless"; }

    void open(GeminiKeyStore& keys)
    {
        registerBoth();
        view = std::make_unique<SettingsView>(
            SettingsView::Services { settings, hotkeys, keys, beeper, notifications }, [this] {
                ++hotkeyChanges;
                registerBoth();
            });
        view->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
        X11TestTools::focus(view->winId());
        ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
    }

    // What the application shell does after every recording.
    void registerBoth()
    {
        hotkeys.registerHotkey(
            HotkeyAction::translate, settings.hotkey().keyCode, settings.hotkey().carbonModifiers);
        hotkeys.registerHotkey(
            HotkeyAction::refine, settings.refineHotkey().keyCode, settings.refineHotkey().carbonModifiers);
    }

    HotkeyRecorderRow* row(HotkeyTarget target) const
    {
        return view->findChildren<HotkeyRecorderRow*>().at(int(target));
    }
    Hotkey stored(HotkeyTarget target) const
    {
        return target == HotkeyTarget::translate ? settings.hotkey() : settings.refineHotkey();
    }
    template <typename T> T* child(const char* name) const
    {
        return view->findChild<T*>(QLatin1String(name));
    }

    // Presses keys and waits until the recorder has answered: stored,
    // cancelled, or beeped.
    void press(const char* keys)
    {
        const int changes = hotkeyChanges, beeps = beeper.beeps;
        X11TestTools::run("xdotool", { "key", QString::fromLatin1(keys) });
        ASSERT_TRUE(QTest::qWaitFor([&] { return hotkeyChanges != changes || beeper.beeps != beeps; }, 3000))
            << "no answer to " << keys;
    }

    QTemporaryDir dir;
    AppSettings settings { dir.filePath(QStringLiteral("settings.json")) };
    std::unique_ptr<X11Connection> x11 = X11Connection::open();
    HotkeyManager hotkeys { HotkeyRegistrar::createForSession(x11.get()) };
    CountingBeeper beeper;
    NotificationCenter notifications;
    int hotkeyChanges = 0;
    std::unique_ptr<GeminiKeyStore> keychain = GeminiKeyStore::createKeychainStore();
    std::unique_ptr<SettingsView> view;
};

TEST_F(SettingsViewTest, RecorderStoresQualifyingPressesAndBeepsAtTheRest)
{
    struct Case {
        HotkeyTarget target;
        const char* keys;
        std::optional<Hotkey> recorded; // none: refused, then Escape
        const char16_t* shown;
    };
    const Case cases[] = {
        { HotkeyTarget::translate, "alt+shift+k", Hotkey { 40, 2560, "K" }, u"Alt+Shift+K" },
        { HotkeyTarget::translate, "k", std::nullopt, u"Alt+Shift+K" },
        { HotkeyTarget::translate, "shift+k", std::nullopt, u"Alt+Shift+K" },
        { HotkeyTarget::translate, "alt+r", std::nullopt, u"Alt+Shift+K" }, // the refine shortcut's
        { HotkeyTarget::translate, "ctrl+F13", std::nullopt, u"Alt+Shift+K" }, // no virtual key code
        { HotkeyTarget::refine, "super+Up", Hotkey { 126, 256, QStringLiteral(u"\u2191") }, u"Super+\u2191" },
        { HotkeyTarget::refine, "ctrl+F5", Hotkey { 96, 4096, "F5" }, u"Ctrl+F5" },
        { HotkeyTarget::refine, "ctrl+alt+slash", Hotkey { 44, 6144, "/" }, u"Ctrl+Alt+/" },
    };
    open(*keychain);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        const Hotkey before = stored(c.target);
        const int beeps = beeper.beeps;
        row(c.target)->button()->click();
        EXPECT_EQ(row(c.target)->button()->text(), HotkeyRecorder::recordingPrompt);
        EXPECT_FALSE(
            hotkeys.isRegistered(HotkeyAction::translate) || hotkeys.isRegistered(HotkeyAction::refine));
        press(c.keys);
        if (!c.recorded) {
            EXPECT_EQ(beeper.beeps, beeps + 1);
            EXPECT_EQ(view->recorder().recordingTarget(), c.target) << "still recording";
            press("Escape");
        }
        EXPECT_EQ(view->recorder().recordingTarget(), std::nullopt);
        EXPECT_EQ(stored(c.target), c.recorded.value_or(before));
        EXPECT_EQ(row(c.target)->button()->text(), QString::fromUtf16(c.shown));
        EXPECT_TRUE(
            hotkeys.isRegistered(HotkeyAction::translate) && hotkeys.isRegistered(HotkeyAction::refine));
    }
    EXPECT_EQ(hotkeyChanges, int(std::size(cases)));
}

TEST_F(SettingsViewTest, RecordingReleasesTheShortcutsAndTheNewOneFires)
{
    open(*keychain);
    std::vector<HotkeyAction> triggered;
    hotkeys.onTrigger = [&](HotkeyAction action) { triggered.push_back(action); };

    row(HotkeyTarget::translate)->button()->click();
    row(HotkeyTarget::refine)->button()->click();
    EXPECT_EQ(view->recorder().recordingTarget(), HotkeyTarget::translate) << "the other button does nothing";
    EXPECT_EQ(row(HotkeyTarget::refine)->button()->text(), "Alt+R");
    EXPECT_EQ(OtherClientGrab(XK_t, Mod1Mask).error, 0) << "Alt+T was released while recording";

    press("ctrl+shift+y");
    ASSERT_EQ(settings.hotkey(), (Hotkey { 16, 4096 | 512, "Y" }));
    X11TestTools::run("xdotool", { "key", "ctrl+shift+y" });
    EXPECT_TRUE(QTest::qWaitFor([&] { return !triggered.empty(); }, 3000));
    EXPECT_EQ(triggered, std::vector { HotkeyAction::translate });

    // A second click on the recording button, or closing the window, ends
    // the recording as Escape does.
    for (const auto& end : std::initializer_list<std::function<void()>> {
             [&] { row(HotkeyTarget::refine)->button()->click(); }, [&] { view->hide(); } }) {
        const int changes = hotkeyChanges;
        row(HotkeyTarget::refine)->button()->click();
        end();
        EXPECT_EQ(view->recorder().recordingTarget(), std::nullopt);
        EXPECT_TRUE(hotkeys.isRegistered(HotkeyAction::refine));
        EXPECT_EQ(hotkeyChanges, changes + 1);
    }
}

TEST_F(SettingsViewTest, ACombinationTakenByAnotherProgramIsSaidUnderItsRecorder)
{
    // Alt+R is held before the window opens; Alt+Shift+J only with Caps Lock
    // on, so the press still reaches the recorder but one of our grabs fails.
    const OtherClientGrab refine(XK_r, Mod1Mask), capsJ(XK_j, Mod1Mask | ShiftMask | LockMask);
    ASSERT_EQ(refine.error | capsJ.error, 0);
    open(*keychain);
    EXPECT_EQ(row(HotkeyTarget::refine)->caption(), "Alt+R is used by another program; choose another.");
    EXPECT_EQ(row(HotkeyTarget::translate)->caption(), "");

    row(HotkeyTarget::translate)->button()->click();
    press("alt+shift+j");
    EXPECT_EQ(
        row(HotkeyTarget::translate)->caption(), "Alt+Shift+J is used by another program; choose another.");

    row(HotkeyTarget::translate)->button()->click();
    press("alt+shift+l");
    EXPECT_EQ(row(HotkeyTarget::translate)->caption(), "");
}

TEST_F(SettingsViewTest, KeySectionSavesTrimmedRemovesAndSaysWhenTheKeyringRefuses)
{
    GeminiKeyManager::remove();
    open(*keychain);
    auto* field = child<QLineEdit>("keyField");
    auto* save = child<QPushButton>("saveKey");
    view->selectTab(SettingsView::SettingsTab::refining);
    field->setText(" \n  ");
    EXPECT_FALSE(save->isEnabled());
    field->setText("  AIza-test-12345678 ");
    save->click();
    EXPECT_EQ(GeminiKeyManager::read(), "AIza-test-12345678");
    EXPECT_EQ(child<QLabel>("maskedKey")->text(), QStringLiteral(u"\u2022\u2022\u2022\u20225678"));
    EXPECT_FALSE(field->isVisible());
    EXPECT_TRUE(field->text().isEmpty());

    child<QPushButton>("removeKey")->click();
    EXPECT_EQ(GeminiKeyManager::read(), std::nullopt);
    EXPECT_TRUE(field->isVisible());

    RefusingKeyStore refusing;
    open(refusing);
    view->selectTab(SettingsView::SettingsTab::refining);
    child<QLineEdit>("keyField")->setText("AIza-test-12345678");
    QTest::keyClick(child<QLineEdit>("keyField"), Qt::Key_Return);
    EXPECT_TRUE(child<QLineEdit>("keyField")->isVisible());
    EXPECT_EQ(child<QLineEdit>("keyField")->text(), "AIza-test-12345678") << "kept for another try";
    EXPECT_TRUE(child<QLabel>("keyFailure")->isVisible());
}

TEST_F(SettingsViewTest, TheKeyNotificationLandsInTheKeyFieldFromEitherTab)
{
    GeminiKeyManager::remove();
    open(*keychain);
    ASSERT_EQ(view->selectedTab(), SettingsView::SettingsTab::translating);
    notifications.post(SettingsView::focusGeminiApiKey);
    EXPECT_EQ(view->selectedTab(), SettingsView::SettingsTab::refining);
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == child<QLineEdit>("keyField"); }));
}

TEST_F(SettingsViewTest, EveryEditIsWrittenAtOnce)
{
    open(*keychain);
    child<QComboBox>("language")->setCurrentIndex(child<QComboBox>("language")->findData("de"));
    child<QComboBox>("accent")->setCurrentIndex(1);
    child<QCheckBox>("autoPlay")->setChecked(false);
    EXPECT_EQ(settings.targetLanguage(), "de");
    EXPECT_EQ(settings.accent(), "us");
    EXPECT_FALSE(settings.autoPlayPronunciation());

    for (const auto& [value, percent] : { std::pair { 125, "13%" }, { 0, "0%" }, { 1000, "100%" } }) {
        child<QSlider>("volume")->setValue(value);
        EXPECT_EQ(child<QLabel>("volumePercent")->text(), percent);
        EXPECT_DOUBLE_EQ(settings.pronunciationVolume(), value / 1000.0);
    }

    auto* reset = child<QPushButton>("resetPrompt");
    EXPECT_FALSE(reset->isEnabled());
    child<QPlainTextEdit>("prompt")->setPlainText("be brief");
    EXPECT_EQ(settings.refinePrompt(), "be brief");
    EXPECT_TRUE(reset->isEnabled());
    reset->click();
    EXPECT_EQ(settings.refinePrompt(), AppSettings::defaultRefinePrompt());
    EXPECT_FALSE(reset->isEnabled());
}

} // namespace
