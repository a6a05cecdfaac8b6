// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QWidget>
#include <array>
#include <functional>

class AppSettings;
class Beeper;
class GeminiKeySection;
class GeminiKeyStore;
class HotkeyManager;
class HotkeyRecorder;
class NotificationCenter;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class SettingsTabButton;

// The content of the settings window: the Translating tab (target language,
// accent, auto-play, volume, translate shortcut) and the Refining tab (refine
// shortcut, Gemini key, prompt). Every edit is written at once; there is no
// OK or Apply. The host window creates one view for the process and hides it
// on close; the view keeps itself at its size hint (460 wide, as high as the
// selected tab), and a host should follow it (QLayout::SetFixedSize).
//
// onHotkeyChange is called whenever a shortcut recording ends (a new
// combination stored, or the old one kept); its owner registers both global
// shortcuts again from the settings. The view reads the outcome from the
// HotkeyManager and shows a refusal under the recorder.
class SettingsView : public QWidget {
    Q_OBJECT
public:
    enum class SettingsTab { translating, refining };

    struct Services {
        AppSettings& settings;
        HotkeyManager& hotkeys;
        GeminiKeyStore& keys;
        Beeper& beeper;
        NotificationCenter& notifications;
    };

    // Posted by whoever finds a refine request without a key: the view shows
    // the Refining tab and puts the focus in the key field.
    static inline const QString focusGeminiApiKey = QStringLiteral("sorvantel.focusGeminiApiKey");
    // The stored shortcuts were changed outside the window (in the desktop's settings).
    static inline const QString shortcutsChanged = QStringLiteral("sorvantel.shortcutsChanged");
    static constexpr int fixedWidth = 460;

    SettingsView(Services services, std::function<void()> onHotkeyChange, QWidget* parent = nullptr);
    ~SettingsView() override;
    Q_DISABLE_COPY_MOVE(SettingsView)

    // Writes, in this order: target language, accent, auto-play, volume
    // (clamped to 0...1), prompt. Shortcuts and the key are stored elsewhere.
    void save();

    SettingsTab selectedTab() const { return m_selectedTab; }
    void selectTab(SettingsTab tab);
    HotkeyRecorder& recorder() const { return *m_recorder; }

    // The percentage shown for a volume: rounded, halves away from zero.
    static QString volumePercent(double volume);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QWidget* buildTranslatingTab();
    QWidget* buildRefiningTab();
    void followSize();

    Services m_services;
    HotkeyRecorder* m_recorder;
    SettingsTab m_selectedTab = SettingsTab::translating;
    std::array<SettingsTabButton*, 2> m_tabButtons {};
    std::array<QWidget*, 2> m_tabs {};
    GeminiKeySection* m_keySection = nullptr;
    QLabel* m_volumePercent = nullptr;
    QPlainTextEdit* m_prompt = nullptr;
    QPushButton* m_resetPrompt = nullptr;

    QString m_languageCode;
    QString m_accent;
    bool m_autoPlayPronunciation;
    double m_pronunciationVolume;
    QString m_refinePrompt;
};
