// SPDX-License-Identifier: MIT
// Global shortcuts against the run's real X server, pressed with xdotool.
#include "CapturedWarnings.h"
#include "HotkeyManager.h"
#include "VirtualKeyMap.h"
#include "X11Connection.h"
#include "X11HotkeyRegistrar.h"

#include <QProcess>
#include <QTest>
#include <gtest/gtest.h>
// Xlib last: its macros (None, Bool) clash with the headers above.
#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace {

constexpr uint32_t kT = 17, kR = 15, kZ = 6, kOption = 2048;

void press(const QString& keys)
{
    ASSERT_EQ(QProcess::execute("xdotool", { "key", keys }), 0) << keys.toStdString();
}

class X11HotkeyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(x11, nullptr) << "the test run provides an X display";
        manager = std::make_unique<HotkeyManager>(std::make_unique<X11HotkeyRegistrar>(*x11));
        manager->onTrigger = [this](HotkeyAction action) { triggered.push_back(action); };
    }
    void TearDown() override { manager.reset(); }

    QStringList warnings() const { return captured.lines(); }

    // Presses the keys and waits for a trigger, or shows that none comes.
    std::vector<HotkeyAction> pressAndCollect(const QString& keys, int waitMs = 2000)
    {
        triggered.clear();
        press(keys);
        (void)QTest::qWaitFor([&] { return !triggered.empty(); }, waitMs);
        QTest::qWait(50); // a second, wrong trigger would arrive now
        return triggered;
    }

    std::unique_ptr<X11Connection> x11 = X11Connection::open();
    std::unique_ptr<HotkeyManager> manager;
    std::vector<HotkeyAction> triggered;
    CapturedWarnings captured;
};

using Actions = std::vector<HotkeyAction>;

TEST_F(X11HotkeyTest, OptionTReachesOnTriggerAsTranslate)
{
    manager->registerHotkey(HotkeyAction::translate, kT, kOption);
    manager->registerHotkey(HotkeyAction::refine, kR, kOption);
    EXPECT_TRUE(warnings().isEmpty()) << warnings().join('\n').toStdString();
    EXPECT_EQ(pressAndCollect("alt+t"), Actions { HotkeyAction::translate });
    EXPECT_EQ(pressAndCollect("alt+r"), Actions { HotkeyAction::refine });
    EXPECT_EQ(pressAndCollect("t", 300), Actions {}) << "the plain key is not taken";
    EXPECT_EQ(pressAndCollect("ctrl+alt+t", 300), Actions {}) << "extra modifiers make another combination";
    manager->registerHotkey(HotkeyAction::refine, kR, 256 | 4096);
    EXPECT_EQ(pressAndCollect("super+ctrl+r"), Actions { HotkeyAction::refine }) << "command is Super";
    EXPECT_EQ(pressAndCollect("alt+r", 300), Actions {}) << "a new registration lets the old one go";
    manager->unregisterAll();
    EXPECT_EQ(pressAndCollect("alt+t", 300), Actions {});
}

TEST_F(X11HotkeyTest, ACombinationHeldByAnotherClientIsRefusedAndLogged)
{
    // A second connection is a separate X client.
    std::unique_ptr<X11Connection> other = X11Connection::open();
    ASSERT_NE(other, nullptr);
    Display* display = other->display();
    const KeyCode r = XKeysymToKeycode(display, XK_r);
    ASSERT_EQ(other->trapErrors([&] {
        XGrabKey(display, r, Mod1Mask, other->rootWindow(), False, GrabModeAsync, GrabModeAsync);
    }),
        0);

    manager->registerHotkey(HotkeyAction::translate, kT, kOption);
    manager->registerHotkey(HotkeyAction::refine, kR, kOption);
    EXPECT_EQ(
        warnings(), QStringList { "HotkeyManager: RegisterEventHotKey(refine) failed with status -9878" });
    EXPECT_FALSE(manager->isRegistered(HotkeyAction::refine));
    EXPECT_EQ(manager->lastStatus(HotkeyAction::refine), HotkeyRegistrar::statusTaken) << "shown as taken";
    EXPECT_EQ(pressAndCollect("alt+t"), Actions { HotkeyAction::translate })
        << "the other shortcut keeps working";
    EXPECT_EQ(pressAndCollect("alt+r", 300), Actions {});

    // Once the other client lets go, registering again succeeds.
    other.reset();
    captured.clear();
    manager->registerHotkey(HotkeyAction::refine, kR, kOption);
    EXPECT_TRUE(warnings().isEmpty());
    EXPECT_EQ(pressAndCollect("alt+r"), Actions { HotkeyAction::refine });
}

TEST_F(X11HotkeyTest, LockKeysDoNotStopTheShortcut)
{
    manager->registerHotkey(HotkeyAction::translate, kT, kOption);
    for (const char* lock : { "Num_Lock", "Caps_Lock" }) {
        press(lock);
        EXPECT_EQ(pressAndCollect("alt+t"), Actions { HotkeyAction::translate }) << lock << " on";
        press(lock);
    }
    EXPECT_EQ(pressAndCollect("alt+t"), Actions { HotkeyAction::translate }) << "both off again";
}

TEST_F(X11HotkeyTest, EveryMappedVirtualKeyCanBeGrabbed)
{
    // Each key of the table must resolve to a key on the server's keyboard,
    // be grabbable with command (Super) + shift, and map back to itself.
    const uint32_t keys[] = { 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22,
        23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42, 43, 44, 45, 46, 47,
        48, 49, 50, 51, 53, 96, 97, 98, 99, 100, 101, 103, 109, 111, 115, 116, 117, 118, 119, 120, 121, 122,
        123, 124, 125, 126 };
    for (uint32_t key : keys) {
        manager->registerHotkey(HotkeyAction::refine, key, 256 | 512);
        EXPECT_TRUE(manager->isRegistered(HotkeyAction::refine)) << "virtual key " << key;
        // The recorder reads a pressed key back through the same table.
        const KeyCode keycode = XKeysymToKeycode(x11->display(), VirtualKeyMap::keysymFor(key));
        EXPECT_EQ(manager->keyCodeForNativeKey(keycode), key);
        // KDE's shortcut service holds it as a Qt key and reports changes made in System Settings so.
        const auto back = VirtualKeyMap::combinationForQtKey(VirtualKeyMap::qtKeyCombinationFor(key, 768));
        EXPECT_TRUE(back && back->virtualKeyCode == key && back->carbonModifiers == 768)
            << "virtual key " << key;
    }
    EXPECT_TRUE(warnings().isEmpty()) << warnings().join('\n').toStdString();
    // A key code the table does not know is refused as no such key.
    manager->registerHotkey(HotkeyAction::translate, 200, kOption);
    EXPECT_EQ(
        warnings(), QStringList { "HotkeyManager: RegisterEventHotKey(translate) failed with status -50" });
    EXPECT_FALSE(manager->isRegistered(HotkeyAction::translate));
}

TEST_F(X11HotkeyTest, ALayoutChangeMovesTheGrabsToTheNewKeyCodes)
{
    // The German layout swaps Y and Z: Alt+Z follows the letter to its key.
    manager->registerHotkey(HotkeyAction::translate, kZ, kOption);
    auto layout = [this](const char* name) {
        ASSERT_EQ(QProcess::execute("setxkbmap", { name }), 0) << "setxkbmap (scripts/setup installs it)";
        // As before a user's next press: this program has seen the change.
        XSync(x11->display(), False);
        x11->processPendingEvents();
    };
    layout("de");
    EXPECT_EQ(pressAndCollect("alt+z"), Actions { HotkeyAction::translate });
    EXPECT_EQ(pressAndCollect("alt+y", 300), Actions {}) << "the old key code is let go";
    layout("us");
    EXPECT_EQ(pressAndCollect("alt+z"), Actions { HotkeyAction::translate });
}

TEST_F(X11HotkeyTest, AReleaseThatWentElsewhereDoesNotSwallowTheNextPress)
{
    manager->registerHotkey(HotkeyAction::translate, kT, kOption);
    triggered.clear();
    ASSERT_EQ(QProcess::execute("xdotool", { "keydown", "alt+t" }), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !triggered.empty(); }, 2000));
    // Another client grabs the keyboard: the release goes to it.
    Display* display = XOpenDisplay(nullptr);
    XGrabKeyboard(display, DefaultRootWindow(display), False, GrabModeAsync, GrabModeAsync, CurrentTime);
    XSync(display, False);
    QProcess::execute("xdotool", { "keyup", "t", "alt" });
    QTest::qWait(200);
    XCloseDisplay(display);
    EXPECT_EQ(pressAndCollect("alt+t"), Actions { HotkeyAction::translate });
}

} // namespace
