// SPDX-License-Identifier: MIT
#pragma once

#include "AccessibilityPermission.h"
#include "AccessibilityRequestResult.h"
#include "Relauncher.h"

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

class AppSettings;
struct DesktopShortcutGuide;
class Clipboard;
class NotificationCenter;
class ProgressDots;
class QComboBox;
class QLabel;
class QPushButton;
class QStackedWidget;
class QTimer;
class TutorialRow;
class TutorialSample;

// The content of the first-run window: welcome, the session check that
// selection reading needs, the translation language, and a hands-on
// tutorial in which the user translates a word, quick-translates and
// rewrites a draft with the real shortcuts and popup. Finishing (or
// skipping) stores the language and that onboarding is complete, then calls
// onFinish once; the host closes the window. Closing it any other way
// stores nothing, so onboarding is offered again at the next start.
class OnboardingView : public QWidget {
    Q_OBJECT
public:
    enum class Step { welcome, accessibility, language, tutorial };

    // The Gemini key as the tutorial's rewrite task needs it.
    struct KeyStore {
        std::function<bool()> hasKey;
        // True only when the key is stored.
        std::function<bool(const QString& key)> save;
    };

    // Everything the view works with. The first five are the program's own
    // and must be given (and outlive the view); an empty one of the others
    // stands for the default named beside it.
    struct Services {
        AppSettings* settings = nullptr;
        NotificationCenter* notifications = nullptr;
        Clipboard* clipboard = nullptr; // what the tutorial's samples paste
        AccessibilityPermission* permission = nullptr;
        std::function<AccessibilityRequestResult()> requestAccessibility; // the selection capture's
        KeyStore keyStore; // GeminiKeyManager, each save read back
        std::unique_ptr<Relauncher> relauncher; // Relauncher::createForProcess()
        std::function<void()> quit; // QCoreApplication::quit
        // On a Wayland session, what the desktop's settings have to do with
        // the shortcuts; shown on the permission step. Null on X11.
        const DesktopShortcutGuide* shortcutGuide = nullptr;
    };

    static constexpr QSize fixedSize { 560, 460 };

    OnboardingView(Services services, std::function<void()> onFinish, QWidget* parent = nullptr);
    ~OnboardingView() override;
    Q_DISABLE_COPY_MOVE(OnboardingView)

    // Called once, when the user finishes or skips the tutorial.
    std::function<void()> onFinish;

    // The draft the rewrite task offers for a target language.
    static QString refineSample(const QString& languageCode);

    Step step() const { return m_step; }
    bool isTrusted() const { return m_isTrusted; }
    const QString& languageCode() const { return m_languageCode; }
    const QString& refineSampleText() const { return m_refineSample; }
    bool didTranslate() const { return m_didTranslate; }
    bool didQuickTranslate() const { return m_didQuickTranslate; }
    bool didRefine() const { return m_didRefine; }
    bool hasGeminiKey() const { return m_hasGeminiKey; }
    bool allTutorialStepsDone() const { return m_didTranslate && m_didRefine && m_didQuickTranslate; }

    // Stores the language and completion, then calls onFinish; only once.
    void finish();
    // Starts the program again and quits, or, when it cannot be started,
    // keeps running and says so.
    void relaunch();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QWidget* buildWelcomePage();
    QWidget* buildAccessibilityPage();
    QWidget* buildLanguagePage();
    QWidget* buildTutorialPage();
    QWidget* buildBottomBar();

    void setStep(Step step);
    void goBack();
    void goForward();
    void recheckTrust();
    void allow();
    void unlockRefine(const QString& key);
    void setRefineSample(const QString& text);
    void markDone(bool& flag, TutorialRow* row);
    void updateControls();

    Services m_services;
    AppSettings* m_settings;

    Step m_step = Step::welcome;
    bool m_isTrusted = false;
    bool m_requestedAccessibility = false;
    bool m_accessibilitySettingsError = false;
    bool m_relaunchFailed = false;
    QString m_languageCode;
    bool m_didTranslate = false;
    bool m_didRefine = false;
    bool m_didQuickTranslate = false;
    bool m_hasGeminiKey = false;
    QString m_refineSample;
    bool m_finished = false;

    QTimer* m_trustPoll;
    QStackedWidget* m_pages = nullptr;
    QLabel* m_trustedMark = nullptr;
    QPushButton* m_allow = nullptr;
    QLabel* m_settingsError = nullptr;
    QWidget* m_relaunchHint = nullptr;
    QLabel* m_relaunchError = nullptr;
    QComboBox* m_languagePicker = nullptr;
    TutorialRow* m_translateRow = nullptr;
    TutorialRow* m_quickTranslateRow = nullptr;
    TutorialRow* m_refineRow = nullptr;
    TutorialSample* m_refineSampleView = nullptr;
    QPushButton* m_back = nullptr;
    ProgressDots* m_dots = nullptr;
    QPushButton* m_primary = nullptr;
    QPushButton* m_skip = nullptr;
    QPushButton* m_finish = nullptr;
};
