// SPDX-License-Identifier: MIT
#pragma once

#include "AppSettings.h"
#include "Cancellation.h"
#include "DismissMonitors.h"
#include "LookupClient.h"
#include "PopupModel.h"
#include "PopupPanel.h"
#include "PronunciationPlayer.h"

#include <QCoroTask>
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <optional>

class Clipboard;
class EscapeGrab;
class GlobalPointerWatch;
class KeystrokeSender;
class NotificationCenter;
class PointerLocator;
class PopupView;
class TranslucencySupport;

// Runs every popup: decides between a dictionary lookup and a translation,
// calls the lookup service, fills the model, plays pronunciations, copies,
// replaces the selection with a rewrite, translates as the user types, and
// places, refits and dismisses the panel. One instance for the process.
class PopupController : public QObject {
    Q_OBJECT
public:
    static inline const QString didTranslateSelection = QStringLiteral("sorvantel.didTranslateSelection");
    static inline const QString didReplaceRefined = QStringLiteral("sorvantel.didReplaceRefined");
    static inline const QString didOpenQuickTranslate = QStringLiteral("sorvantel.didOpenQuickTranslate");

    // The delay between closing the popup and pasting a chosen rewrite, and
    // the pause after the last keystroke before quick translation asks.
    static constexpr std::chrono::milliseconds pasteDelay { 150 };
    static constexpr std::chrono::milliseconds quickTranslatePause { 350 };

    // What the controller works with. The application creates the
    // platform services once and hands them to whoever needs them; they
    // must outlive the controller.
    struct Services {
        AppSettings& settings;
        LookupClient client;
        Clipboard& clipboard;
        KeystrokeSender& keystrokes;
        GlobalPointerWatch& pointerWatch;
        EscapeGrab& escapeGrab;
        // Asked every time a popup is shown: a compositor may start or stop
        // while the program runs.
        TranslucencySupport& translucency;
        // Told of every translation, quick translation and replacement.
        NotificationCenter& notifications;
        // Where a new popup goes: the pointer, when it can be trusted.
        PointerLocator& pointer;
        // Made on the first pronunciation played.
        PronunciationPlayer::Factory pronunciationPlayer = PronunciationPlayer::load;
    };

    explicit PopupController(Services services);
    ~PopupController() override;
    Q_DISABLE_COPY_MOVE(PopupController)

    // Opens the popup for a captured selection (mode translate or refine).
    void show(const QString& text, PopupMode mode);
    // Opens the empty quick-translate popup.
    void showQuickTranslate();

    // The word to look up in the dictionary, lowercased, when `text` is one
    // word of at most 32 characters made of letters, marks, hyphens and
    // apostrophes; none otherwise.
    static std::optional<QString> dictionaryWord(const QString& text);

    PopupModel& model() { return *m_model; }
    PopupPanel& panel() { return m_panel; }
    PopupView& view() { return *m_view; }

signals:
    // The open popup was closed: by a click elsewhere, Escape, a copy or a
    // replacement.
    void dismissed();

private:
    QCoro::Task<> load(QString text, std::optional<QString> word, std::shared_ptr<Cancellation> token);
    QCoro::Task<> loadRefinement(QString text, std::shared_ptr<Cancellation> token);
    QCoro::Task<> waitThenTranslate(QString text, std::shared_ptr<Cancellation> token);
    QCoro::Task<> loadQuickTranslation(QString text, std::shared_ptr<Cancellation> token);
    std::shared_ptr<Cancellation> startLoad();
    void cancelLoad();

    void quickTranslateInput(const QString& text);
    void toggleQuickTarget();
    void playAudio();
    void copy(const QString& text);
    void replaceSelection(const QString& text);
    void dismiss();

    void fit();
    void placeNewPopup();
    void clampToVisibleFrame();
    std::optional<QRect> availableArea() const;
    // Refits the panel on the next turn, then runs `then` (when given) once
    // the refitted panel has been painted.
    void resizeToFitContent(std::function<void()> then = {});
    void present(bool takeFocus);
    void installDismissMonitors();
    void removeDismissMonitors();

    AppSettings& m_settings;
    LookupClient m_client;
    Clipboard& m_clipboard;
    KeystrokeSender& m_keystrokes;
    TranslucencySupport& m_translucency;
    NotificationCenter& m_notifications;
    PointerLocator& m_pointer;
    std::optional<QPoint> m_previousPointer; // as read for the previous popup
    PopupPanel m_panel;
    PopupModel* m_model;
    PopupView* m_view;
    PronunciationPlayer::Factory m_makePlayer;
    std::unique_ptr<PronunciationPlayer> m_player;
    DismissMonitors m_dismissMonitors;
    std::shared_ptr<Cancellation> m_loadTask;
};
