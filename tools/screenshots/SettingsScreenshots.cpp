// SPDX-License-Identifier: MIT
// Renders the settings window's content in its main states to PNG files, for
// a person to look at. Run through scripts/screenshots.
//
//   settings_screenshots OUTPUT_FOLDER
#include "AppSettings.h"
#include "Beeper.h"
#include "GeminiKeyStore.h"
#include "HotkeyManager.h"
#include "HotkeyRecorder.h"
#include "HotkeyRecorderRow.h"
#include "NotificationCenter.h"
#include "ScreenshotFolder.h"
#include "SettingsView.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <functional>

namespace {

// Alt+T is taken by another program; everything else registers.
class PictureRegistrar final : public HotkeyRegistrar {
public:
    void installHandler(PressHandler) override { }
    Result registerHotkey(uint32_t keyCode, uint32_t modifiers, uint32_t) override
    {
        return keyCode == 17 && modifiers == 2048 ? Result { statusTaken, 0 } : Result { 0, ++m_next };
    }
    void unregisterHotkey(Reference) override { }
    std::optional<uint32_t> keyCodeForNativeKey(unsigned int) const override { return std::nullopt; }

private:
    Reference m_next = 0;
};

class PictureKeyStore final : public GeminiKeyStore {
public:
    std::optional<QString> key;
    bool refuses = false;
    bool hasKey() override { return key.has_value(); }
    std::optional<QString> maskedKey() override
    {
        return key ? std::optional(QStringLiteral(u"\u2022\u2022\u2022\u2022") + key->right(4))
                   : std::nullopt;
    }
    bool save(const QString& value) override
    {
        if (!refuses)
            key = value;
        return !refuses;
    }
    void remove() override { key.reset(); }
};

class SilentBeeper final : public Beeper {
public:
    void beep() override { }
};

struct State {
    const char* file;
    std::optional<QString> storedKey;
    bool takenTranslateShortcut = false;
    std::function<void(SettingsView&, PictureKeyStore&)> prepare;
    bool dark = false;
};

// A dark desktop palette, as a dark theme hands it to Qt.
QPalette darkPalette()
{
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(0x2b, 0x2b, 0x2e));
    palette.setColor(QPalette::WindowText, QColor(0xe8, 0xe8, 0xea));
    palette.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x20));
    palette.setColor(QPalette::AlternateBase, QColor(0x33, 0x33, 0x36));
    palette.setColor(QPalette::Text, QColor(0xe8, 0xe8, 0xea));
    palette.setColor(QPalette::Button, QColor(0x3a, 0x3a, 0x3d));
    palette.setColor(QPalette::ButtonText, QColor(0xe8, 0xe8, 0xea));
    palette.setColor(QPalette::Highlight, QColor(0x3d, 0x8b, 0xe0));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Link, QColor(0x6c, 0xb4, 0xff));
    palette.setColor(QPalette::PlaceholderText, QColor(0x8e, 0x8e, 0x93));
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x76, 0x76, 0x7a));
    palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x76, 0x76, 0x7a));
    return palette;
}

bool render(const State& state, const QDir& folder)
{
    const QPalette light = QApplication::palette();
    if (state.dark)
        QApplication::setPalette(darkPalette());
    const auto restore = qScopeGuard([&] { QApplication::setPalette(light); });
    QTemporaryDir dir;
    AppSettings settings(dir.filePath(QStringLiteral("settings.json")));
    HotkeyManager hotkeys(std::make_unique<PictureRegistrar>());
    PictureKeyStore keys;
    keys.key = state.storedKey;
    SilentBeeper beeper;
    NotificationCenter notifications;
    const auto registerBoth = [&] {
        hotkeys.registerHotkey(
            HotkeyAction::translate, settings.hotkey().keyCode, settings.hotkey().carbonModifiers);
        hotkeys.registerHotkey(
            HotkeyAction::refine, settings.refineHotkey().keyCode, settings.refineHotkey().carbonModifiers);
    };
    if (state.takenTranslateShortcut)
        registerBoth();
    else
        settings.setHotkey({ 2, 2048, QStringLiteral("D") }); // Alt+D, free

    SettingsView view({ settings, hotkeys, keys, beeper, notifications }, registerBoth);
    view.move(100, 100);
    view.show();
    if (!QTest::qWaitForWindowExposed(&view)) {
        std::fprintf(stderr, "settings_screenshots: %s was never shown\n", state.file);
        return false;
    }
    if (state.prepare)
        state.prepare(view, keys);
    QTest::qWait(100);

    const QString path = folder.filePath(QString::fromLatin1(state.file) + QStringLiteral(".png"));
    if (!view.grab().save(path)) {
        std::fprintf(stderr, "settings_screenshots: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s (%dx%d)\n", qPrintable(path), view.width(), view.height());
    return true;
}

void typeKey(SettingsView& view, const QString& key)
{
    view.findChild<QLineEdit*>(QStringLiteral("keyField"))->setText(key);
    view.findChild<QPushButton*>(QStringLiteral("saveKey"))->click();
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const std::optional<QDir> output = screenshotFolder(argc, argv, "settings_screenshots");
    if (!output)
        return 1;
    const QDir& folder = *output;
    const auto refining
        = [](SettingsView& view, PictureKeyStore&) { view.selectTab(SettingsView::SettingsTab::refining); };
    const std::vector<State> states = {
        { "settings-1-translating", std::nullopt, false, {} },
        { "settings-2-recording", std::nullopt, false,
            [](SettingsView& view, PictureKeyStore&) {
                view.findChildren<HotkeyRecorderRow*>().first()->button()->click();
            } },
        { "settings-3-shortcut-taken", std::nullopt, true, {} },
        { "settings-4-refining-no-key", std::nullopt, false, refining },
        { "settings-5-refining-key-stored", QStringLiteral("AIzaSyExampleKey7f3Q"), false, refining },
        { "settings-6-key-not-stored", std::nullopt, false,
            [&](SettingsView& view, PictureKeyStore& keys) {
                refining(view, keys);
                keys.refuses = true;
                typeKey(view, QStringLiteral("AIzaSyExampleKey7f3Q"));
            } },
        { "settings-7-refining-dark", QStringLiteral("AIzaSyExampleKey7f3Q"), false, refining, true },
        { "settings-8-translating-dark", std::nullopt, true, {}, true },
    };
    bool ok = true;
    for (const State& state : states)
        ok = render(state, folder) && ok;
    return ok ? 0 : 1;
}
