// SPDX-License-Identifier: MIT
#pragma once

#include "CommandLine.h"
#include "PopupController.h"
#include "PopupMode.h"
#include "Updater.h"

#include <QObject>
#include <memory>

class AppSettings;
class GeminiKeyStore;
class HostWindow;
class HotkeyManager;
class PlatformSession;
class SelectionCapture;

// The program's coordinator: runs the launch sequence, turns every shortcut
// press (and every verb from the command line) into a popup, a beep or the
// settings window, and owns the popup controller, the updater and the
// windows. Main thread only.
class AppDelegate : public QObject {
    Q_OBJECT
public:
    // What main builds and hands over; the delegate owns the popup
    // controller and the updater from then on, and uses the rest.
    struct Parts {
        AppSettings& settings;
        HotkeyManager& hotkeys;
        GeminiKeyStore& keys;
        PlatformSession& platform;
        SelectionCapture& capture;
        std::unique_ptr<PopupController> popup;
        std::unique_ptr<Updater> updater;
    };

    explicit AppDelegate(Parts parts);
    ~AppDelegate() override;
    Q_DISABLE_COPY_MOVE(AppDelegate)

    // Background update check, the shortcut handler, both shortcuts
    // (translate first), then onboarding when it was never completed.
    void applicationDidFinishLaunching();

    // The road from a shortcut press to the popup.
    void showPopupForSelection(PopupMode mode);

    // The settings window: built once, centred once, in front on every call.
    void showSettings();
    void showOnboarding();
    void checkForUpdates();

    // A verb another launch handed over; none opens Settings.
    void perform(CommandLine::Verb verb);

    PopupController& popup() { return *m_popup; }

private:
    void registerHotkeys();

    AppSettings& m_settings;
    HotkeyManager& m_hotkeys;
    GeminiKeyStore& m_keys;
    PlatformSession& m_platform;
    SelectionCapture& m_capture;
    std::unique_ptr<PopupController> m_popup;
    std::unique_ptr<Updater> m_updater;
    std::unique_ptr<HostWindow> m_settingsWindow;
    std::unique_ptr<HostWindow> m_onboardingWindow;
};
