// SPDX-License-Identifier: MIT
#include "AppDelegate.h"

#include "AccessibilityPermission.h"
#include "AppSettings.h"
#include "Beeper.h"
#include "GeminiKeyStore.h"
#include "HostWindow.h"
#include "HotkeyManager.h"
#include "HotkeyRecorder.h"
#include "NotificationCenter.h"
#include "OnboardingView.h"
#include "PermissionHelpPage.h"
#include "PlatformSession.h"
#include "SelectionCapture.h"
#include "SettingsView.h"

#include <QApplication>
#include <QPointer>
#include <QScreen>
#include <QTimer>

AppDelegate::AppDelegate(Parts parts)
    : m_settings(parts.settings)
    , m_hotkeys(parts.hotkeys)
    , m_keys(parts.keys)
    , m_platform(parts.platform)
    , m_capture(parts.capture)
    , m_popup(std::move(parts.popup))
    , m_updater(std::move(parts.updater))
{
}

AppDelegate::~AppDelegate()
{
    m_hotkeys.onTrigger = nullptr;
    m_hotkeys.onChangedByDesktop = nullptr;
}

void AppDelegate::applicationDidFinishLaunching()
{
    if (m_settings.automaticallyChecksForUpdates())
        m_updater->checkForUpdatesInBackground();
    QPointer<AppDelegate> self(this);
    m_hotkeys.onTrigger = [self](HotkeyAction action) {
        if (self)
            self->showPopupForSelection(
                action == HotkeyAction::translate ? PopupMode::translate : PopupMode::refine);
    };
    // What the user picks in the desktop's own settings is what they want
    // now: stored, so that the settings window and later starts follow it
    // rather than putting the old combination back.
    m_hotkeys.onChangedByDesktop = [self](HotkeyAction action, uint32_t keyCode, uint32_t modifiers) {
        if (!self)
            return;
        const Hotkey hotkey = HotkeyRecorder::hotkeyFor(keyCode, modifiers);
        if (action == HotkeyAction::translate)
            self->m_settings.setHotkey(hotkey);
        else
            self->m_settings.setRefineHotkey(hotkey);
        self->m_platform.notifications().post(SettingsView::shortcutsChanged);
    };
    registerHotkeys();
    if (!m_settings.hasCompletedOnboarding())
        showOnboarding();
}

void AppDelegate::registerHotkeys()
{
    const Hotkey translate = m_settings.hotkey();
    m_hotkeys.registerHotkey(HotkeyAction::translate, translate.keyCode, translate.carbonModifiers);
    const Hotkey refine = m_settings.refineHotkey();
    m_hotkeys.registerHotkey(HotkeyAction::refine, refine.keyCode, refine.carbonModifiers);
}

void AppDelegate::showPopupForSelection(PopupMode mode)
{
    if (!m_platform.permission().isTrusted()) {
        // No session here lets a program read selections: say why, in the browser.
        PermissionHelpPage::open();
        return;
    }
    QPointer<AppDelegate> self(this);
    m_capture.captureSelection([self, mode](std::optional<QString> text) {
        if (!self)
            return;
        if (text && !text->isEmpty()) {
            if (mode == PopupMode::refine && !self->m_keys.hasKey()) {
                self->showSettings();
                // A later turn: the settings window is up and listening by then.
                QTimer::singleShot(0, self,
                    [self] { self->m_platform.notifications().post(SettingsView::focusGeminiApiKey); });
                return;
            }
            self->m_popup->show(*text, mode);
        } else if (mode == PopupMode::translate) {
            self->m_popup->showQuickTranslate();
        } else {
            self->m_platform.beeper().beep();
        }
    });
}

void AppDelegate::showSettings()
{
    if (!m_settingsWindow) {
        QPointer<AppDelegate> self(this);
        auto* view = new SettingsView(
            { m_settings, m_hotkeys, m_keys, m_platform.beeper(), m_platform.notifications() }, [self] {
                // A recording ended: both shortcuts again, translate first.
                if (self)
                    self->registerHotkeys();
            });
        m_settingsWindow = std::make_unique<HostWindow>(view, QStringLiteral("Sorvantel Settings"));
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            m_settingsWindow->centreOn(screen->availableGeometry());
    }
    m_settingsWindow->present();
}

void AppDelegate::showOnboarding()
{
    if (!m_onboardingWindow) {
        QPointer<AppDelegate> self(this);
        OnboardingView::Services services;
        services.settings = &m_settings;
        services.notifications = &m_platform.notifications();
        services.clipboard = &m_platform.clipboard();
        services.permission = &m_platform.permission();
        services.shortcutGuide = m_hotkeys.desktopGuide();
        services.requestAccessibility = [self] {
            return self ? self->m_capture.requestAccessibility()
                        : AccessibilityRequestResult::couldNotOpenSettings;
        };
        services.keyStore = { [self] { return self && self->m_keys.hasKey(); },
            [self](const QString& key) { return self && self->m_keys.save(key); } };
        // Ends the event loop whatever the windows say, as the tray's Quit does.
        services.quit = [] { QCoreApplication::exit(0); };
        auto* view = new OnboardingView(std::move(services), [self] {
            // Dropped on a later turn: this runs inside the view's own handler.
            if (self && self->m_onboardingWindow) {
                self->m_onboardingWindow->hide();
                self->m_onboardingWindow.release()->deleteLater();
            }
        });
        m_onboardingWindow = std::make_unique<HostWindow>(view, QStringLiteral("Welcome to Sorvantel"));
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            m_onboardingWindow->centreOn(screen->availableGeometry());
    }
    m_onboardingWindow->present();
}

void AppDelegate::checkForUpdates()
{
    m_updater->checkForUpdates();
}

void AppDelegate::perform(CommandLine::Verb verb)
{
    switch (verb) {
    case CommandLine::Verb::translate:
        showPopupForSelection(PopupMode::translate);
        break;
    case CommandLine::Verb::refine:
        showPopupForSelection(PopupMode::refine);
        break;
    case CommandLine::Verb::quickTranslate:
        m_popup->showQuickTranslate();
        break;
    case CommandLine::Verb::none:
    case CommandLine::Verb::settings:
        showSettings();
        break;
    case CommandLine::Verb::quit:
        QCoreApplication::exit(0); // ends the program whatever its windows say
        break;
    }
}
